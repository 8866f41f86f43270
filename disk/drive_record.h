// One detected drive as the engine holds it, and the list of them an inventory builds. Every
// field starts at the value the identification stage expects before it parses anything, so a
// default-constructed record is a fresh one.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "disk/drive_address.h"
#include "disk/drive_codes.h"
#include "disk/smart_entry.h"

namespace disk {

// Size of an IDENTIFY DEVICE answer and of each SMART page.
inline constexpr size_t kAtaPageSize = 512;
using AtaPage = std::array<uint8_t, kAtaPageSize>;

// Space figures of one volume on a disk. Sizes are in MiB.
struct VolumeSpace {
    // The file system name is kept to its first characters, as the volume list shows it.
    static constexpr size_t kFileSystemLength = 10;

    wchar_t Letter = 0;  // 'A' to 'Z'; 0 for an unused entry
    double TotalSize = 0.0;
    double UsedSize = 0.0;
    double FreeSize = 0.0;
    int32_t UsedPercent = 0;  // used / total x 100, truncated; 0 when the total is 0
    std::wstring FileSystem;  // at most kFileSystemLength characters, e.g. "NTFS"
};

struct DriveRecord {
    static constexpr size_t kMaxVolumes = 26;

    // Raw pages. IdentifyDevice is the answer exactly as the transport returned it.
    AtaPage IdentifyDevice{};
    AtaPage SmartReadData{};
    AtaPage SmartReadThreshold{};
    std::array<SmartAttribute, kSmartEntryCount> Attribute{};
    std::array<SmartThreshold, kSmartEntryCount>
        Threshold{};  // Threshold[i] belongs to Attribute[i]
    uint32_t AttributeCount = 0;

    // Flags.
    bool SmartSupported = false;
    bool SmartDataValid = false;
    bool SmartThresholdValid = false;
    bool IsGeometryOutOfRange = false;
    bool IsIdentifySumError = false;
    bool IsSuspectSectorCount = false;
    bool IsFirmwareQuirk = false;
    bool IsSmartFeatureSupported = false;
    bool IsApmSupported = false;
    bool IsApmEnabled = false;
    bool IsAamSupported = false;
    bool IsAamEnabled = false;
    bool IsLba48Supported = false;
    bool IsNcqSupported = false;
    bool IsNvCacheSupported = false;
    bool IsTrimSupported = false;
    bool IsDeviceSleepSupported = false;
    bool IsSsd = false;
    bool IsMaxtorMinute = false;
    bool IsJMicron60xOrIndilinx = false;
    bool IsSandForce = false;

    // Location and route. The code types share their names with these fields, hence the
    // qualified spelling.
    DriveAddress Address;  // its target is the device select value every later command uses
    disk::CommandType CommandType = disk::CommandType::CMD_TYPE_UNKNOWN;
    std::wstring CommandTypeTag;
    disk::InterfaceType InterfaceType = disk::InterfaceType::INTERFACE_TYPE_UNKNOWN;
    std::wstring Interface;
    int32_t UsbVendorId = 0;
    int32_t UsbProductId = 0;
    std::wstring UsbDeviceName;
    std::wstring WmiModel;
    std::wstring DriveLetters;    // e.g. "C: D:"
    uint32_t DriveLetterMap = 0;  // bit n: letter 'A' + n lies on this disk

    // Identification strings.
    std::wstring SerialNumber;
    std::wstring SerialNumberReverse;
    std::wstring FirmwareRev;
    std::wstring FirmwareRevReverse;
    std::wstring Model;
    std::wstring ModelReverse;
    std::wstring ModelSerial;
    std::wstring MajorVersion;
    int32_t AtaMajorVersion = 0;
    std::wstring MinorVersion;
    std::wstring MaxTransferMode;
    std::wstring CurrentTransferMode;
    int32_t TransferMode = TRANSFER_MODE_SATA_UNKNOWN;
    std::wstring FormFactor;
    std::wstring SmartKeyName;
    std::wstring VendorCode;

    // Geometry and sizes; sizes in MiB.
    uint32_t Cylinder = 0;
    uint32_t Head = 0;
    uint32_t Sector = 0;
    uint32_t Sector28 = 0;
    uint64_t Sector48 = 0;
    uint64_t NumberOfSectors = 0;
    uint32_t DiskSizeChs = 0;
    uint32_t DiskSizeLba28 = 0;
    uint32_t DiskSizeLba48 = 0;
    uint32_t DiskSizeWmi = 0;
    double TotalDiskSize = 0.0;
    uint32_t BufferSize = 0;
    uint64_t NvCacheSize = 0;
    uint32_t NominalMediaRotationRate = 0;

    // Values derived from the SMART pages; -1 (and -1000 for the temperature) mean unknown.
    int32_t PowerOnRawValue = -1;
    int32_t PowerOnHours = -1;
    int32_t DetectedPowerOnHours = -1;
    int32_t Life = -1;
    int32_t HostWrites = -1;
    int32_t HostReads = -1;
    int32_t NandWrites = -1;
    int32_t GBytesErased = -1;
    int32_t WearLevelingCount = -1;
    int32_t Temperature = -1000;
    int32_t PowerOnCount = 0;
    double TemperatureMultiplier = 1.0;
    int32_t TimeUnitType = TIME_UNIT_UNKNOWN;
    int32_t DetectedTimeUnitType = TIME_UNIT_UNKNOWN;
    int32_t VendorId = 0;
    int32_t VendorVariant = 0;

    // Caution limits of the SMART page; 0 means no limit.
    uint16_t CautionLimit05 = 0;
    uint16_t CautionLimitC5 = 0;
    uint16_t CautionLimitC6 = 0;
    uint16_t LifeCautionLimit = 0;

    // Disk space, in MiB.
    double UnallocatedSize = 0.0;
    double UsedSize = 0.0;
    double FreeSize = 0.0;
    int32_t UsedPercent = 0;
    bool IsAligned4K = false;
    std::array<VolumeSpace, kMaxVolumes> Volumes{};  // in letter order from the first entry
};

// The engine's drives: a fixed number of slots, the first Count of them valid. A position in
// the list is the drive index the pages use.
class DriveList {
  public:
    static constexpr int32_t kCapacity = 40;

    // Empties the list and the spare slots beside it.
    void Clear();

    int32_t Count() const { return count_; }
    bool IsFull() const { return count_ >= kCapacity; }

    // Appends a copy of the record; false (and nothing changed) when the list is full.
    bool Append(const DriveRecord& record);
    // Removes the record at index, moving the later ones down by one; false when index is not
    // that of a valid record.
    bool RemoveAt(int32_t index);

    // The valid records, in list order.
    std::span<DriveRecord> Records() { return {records_.data(), static_cast<size_t>(count_)}; }
    std::span<const DriveRecord> Records() const {
        return {records_.data(), static_cast<size_t>(count_)};
    }
    // index must be below Count().
    DriveRecord& operator[](int32_t index) { return records_[static_cast<size_t>(index)]; }
    const DriveRecord& operator[](int32_t index) const {
        return records_[static_cast<size_t>(index)];
    }

  private:
    std::array<DriveRecord, kCapacity> records_;
    // A second set of slots kept beside the list and cleared with it; nothing else reads them.
    std::array<DriveRecord, kCapacity> spare_;
    int32_t count_ = 0;
};

}  // namespace disk
