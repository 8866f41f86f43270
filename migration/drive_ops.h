// The whole-drive requests of a migration: opening a physical drive, its size, the style of its
// partition table, taking it away from the system (table deletion, lock, a test write) and
// giving it back.
#pragma once

#include <cstdint>
#include <optional>

#include "migration/disk_io.h"
#include "platform/win_constants.h"
#include "platform/win_types.h"

namespace migration {

// "\\.\PhysicalDrive<number>", shared for reading and writing; INVALID_HANDLE_VALUE on
// failure with the system error in GetLastError. The source is opened with GENERIC_READ
// alone, so nothing can ever write to it.
platform::HANDLE openPhysicalDrive(uint32_t number,
                                   platform::DWORD access = platform::GENERIC_READ |
                                                            platform::GENERIC_WRITE);

// The geometry query's byte size in 512-byte sectors; 0 when the query fails.
uint64_t getDiskSectorCount(platform::HANDLE disk);

// PARTITION_STYLE_MBR, _GPT or _RAW; nothing when the layout cannot be read.
std::optional<platform::DWORD> getDriveLayoutStyle(platform::HANDLE disk);

// What deleting a drive's partition table came to; the system error is in GetLastError.
enum class LayoutWipe {
    kDone,            // deleted, and the system has re-read the drive
    kWriteProtected,  // the deletion was refused because the disk takes no writes
    kDeleteFailed,    // the deletion was refused for another reason
    kRereadFailed,    // deleted, but the system did not re-read the drive
};

// Deletes the drive's partition table and has the system re-read it.
LayoutWipe wipeDriveLayout(platform::HANDLE disk);

// Locks the whole drive for this handle.
bool lockDisk(platform::HANDLE disk);

// Writes 512 zero bytes at sector 100, the proof that the target takes writes.
bool probeTargetWrite(platform::HANDLE disk);

// Dismounts and unlocks the drive; their results do not matter to anyone.
void releaseDisk(platform::HANDLE disk);

// Where the system directory's volume lies on physical drive `diskNumber`; nothing when the
// volume cannot be asked or has no extent on that drive.
std::optional<VolumeExtent> getSystemVolumeExtent(uint32_t diskNumber);

}  // namespace migration
