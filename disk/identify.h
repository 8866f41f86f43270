// The identification stage: turning a drive's 512-byte IDENTIFY DEVICE answer into a fresh
// DriveRecord. It runs in two halves so that the caller can look for the same drive among the
// ones already recorded once the identity strings are known, before the rest is parsed.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "disk/drive_record.h"

namespace disk {

enum class IdentifyOutcome {
    Usable,
    BadTextByte,           // a DEL byte in a text field; logged
    EmptyModelOrFirmware,  // logged
    ZeroGeometry,          // a zero cylinder, head or sector count; not logged
};

// Resets the record to a fresh one holding the unchanged answer, the route and target, the
// route tag, the checksum flag and the identity strings.
IdentifyOutcome StartIdentification(const AtaPage& identify, CommandType commandType,
                                    uint8_t target, DriveRecord& record);

// Parses the rest of record.IdentifyDevice: standard version, transfer mode, power-on time
// unit, feature flags, geometry and sizes. Needs the strings StartIdentification left.
IdentifyOutcome FinishIdentification(DriveRecord& record);

// Both halves, for a caller with no list to check against.
IdentifyOutcome IdentifyDrive(const AtaPage& identify, CommandType commandType, uint8_t target,
                              DriveRecord& record);

// Model and serial number joined, without the characters a file name cannot hold.
std::wstring MakeModelSerial(std::wstring_view model, std::wstring_view serial);

// Parts of FinishIdentification, each reading record.IdentifyDevice. The words they read lie
// outside the text fields, the only bytes the string repair changes.

// Feature flags, rotation rate and form factor; needs AtaMajorVersion.
void ApplyFeatureFlags(DriveRecord& record);
// Cylinders, heads and sectors clamped to their CHS limits, and the LBA sector counts. False
// when the geometry has a zero in it.
bool ApplyGeometry(DriveRecord& record);
// Sizes in MiB and the sector count of the size chosen; needs the geometry and the flags.
void ApplySizes(DriveRecord& record);

}  // namespace disk
