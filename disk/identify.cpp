#include "disk/identify.h"

#include <algorithm>
#include <array>
#include <numeric>

#include "base/log.h"
#include "disk/ata_string.h"
#include "disk/ata_version.h"
#include "disk/identify_page.h"
#include "disk/leading_number.h"
#include "disk/time_unit.h"
#include "disk/transfer_mode.h"

namespace disk {

namespace {

// IDENTIFY DEVICE words read here.
constexpr size_t kWordCylinders = 1;
constexpr size_t kWordHeads = 3;
constexpr size_t kWordSectorsPerTrack = 6;
constexpr size_t kWordBufferSize = 21;
constexpr size_t kWordLba28Sectors = 60;  // and 61
constexpr size_t kWordMultiwordDma = 63;
constexpr size_t kWordSataCapabilities = 76;
constexpr size_t kWordSataCurrentSpeed = 77;
constexpr size_t kWordMajorVersion = 80;
constexpr size_t kWordMinorVersion = 81;
constexpr size_t kWordUltraDma = 88;
constexpr size_t kWordLba48Sectors = 100;  // to 102; word 103 is not used
constexpr size_t kWordFormFactor = 168;
constexpr size_t kWordNvCacheSize = 215;  // and 216
constexpr size_t kWordRotationRate = 217;
// The highest words read; every other one lies below them.
static_assert(kWordRotationRate < kIdentifyWordCount && kWordNvCacheSize + 1 < kIdentifyWordCount);

// A flag that a bit of the page sets once the drive claims a recent enough standard; some
// only count when an earlier flag of the table is set too.
struct FeatureBit {
    bool DriveRecord::*flag;
    int32_t minimumMajorVersion;
    size_t word;
    unsigned bit;
    bool DriveRecord::*alsoNeeds;
};

constexpr FeatureBit kFeatureBits[] = {
    {&DriveRecord::IsSmartFeatureSupported, 3, 82, 0, nullptr},
    {&DriveRecord::IsApmSupported, 3, 83, 3, nullptr},
    {&DriveRecord::IsApmEnabled, 3, 86, 3, &DriveRecord::IsApmSupported},
    {&DriveRecord::IsAamSupported, 5, 83, 9, nullptr},
    {&DriveRecord::IsAamEnabled, 5, 86, 9, &DriveRecord::IsAamSupported},
    {&DriveRecord::IsLba48Supported, 5, 83, 10, nullptr},
    {&DriveRecord::IsNcqSupported, 6, 76, 8, nullptr},
    {&DriveRecord::IsNvCacheSupported, 7, 214, 0, nullptr},
    {&DriveRecord::IsTrimSupported, 7, 169, 0, nullptr},
    {&DriveRecord::IsDeviceSleepSupported, 7, 78, 8, nullptr},
};

constexpr bool FeatureWordsLieInPage() {
    for (const FeatureBit& feature : kFeatureBits)
        if (feature.word >= kIdentifyWordCount || feature.bit > 15) return false;
    return true;
}
static_assert(FeatureWordsLieInPage());

// Rotation rate, form factor and the SSD mark are read from the ACS generation on.
constexpr int32_t kMediaFactsMajorVersion = 7;

constexpr std::array<const wchar_t*, 5> kFormFactors = {L"5.25 inch", L"3.5 inch", L"2.5 inch",
                                                        L"1.8 inch", L"< 1.8 inch"};

// The largest geometry CHS addressing can express.
struct GeometryWord {
    size_t word;
    uint16_t limit;
    uint32_t DriveRecord::*field;
};
constexpr GeometryWord kGeometry[] = {
    {kWordCylinders, 16383, &DriveRecord::Cylinder},
    {kWordHeads, 16, &DriveRecord::Head},
    {kWordSectorsPerTrack, 63, &DriveRecord::Sector},
};

constexpr uint32_t kLba28Mask = 0x0FFFFFFF;
// A value of words 60-61 seen on drives whose IDENTIFY data cannot be taken at face value;
// their SMART data is read even when no feature bit offers it.
constexpr uint32_t kSuspectSectorCount = 0x01100003;

// Sizes are shown as capacities a little below the raw byte count.
constexpr uint64_t kSizeDeductionMiB = 49;
constexpr uint64_t kSectorSize = 512;
constexpr uint64_t kMiB = 1 << 20;

uint64_t SectorsToMiB(uint64_t sectors) {
    return sectors * kSectorSize / kMiB;
}

constexpr AtaTextField kTextFields[] = {kSerialNumberField, kFirmwareRevField, kModelField};

// Repairs the text fields of the working copy in place; false when one is garbage.
bool RepairTextFields(AtaPage& page) {
    for (const AtaTextField& field : kTextFields)
        if (!RepairAtaText(FieldBytes(page, field))) return false;
    return true;
}

std::wstring FieldText(const AtaPage& page, AtaTextField field) {
    return AtaTextToString(FieldBytes(page, field));
}

void ReadStrings(AtaPage& page, DriveRecord& record) {
    record.SerialNumberReverse = FieldText(page, kSerialNumberField);
    record.FirmwareRevReverse = FieldText(page, kFirmwareRevField);
    record.ModelReverse = FieldText(page, kModelField);
    for (const AtaTextField& field : kTextFields)
        SwapAtaTextBytes(FieldBytes(page, field));
    record.SerialNumber = FieldText(page, kSerialNumberField);
    record.FirmwareRev = FieldText(page, kFirmwareRevField);
    record.Model = FieldText(page, kModelField);
}

// Some drives report temperature in half degrees; they are known by model and firmware.
bool ReportsHalfDegrees(const DriveRecord& record) {
    if (!record.Model.starts_with(L"ADATA SSD")) return false;
    std::wstring digits = record.FirmwareRev;
    std::erase(digits, L'.');
    return LeadingInteger(digits) == 346;
}

}  // namespace

std::wstring MakeModelSerial(std::wstring_view model, std::wstring_view serial) {
    std::wstring joined = std::wstring(model) + std::wstring(serial);
    std::erase_if(joined, [](wchar_t c) {
        return std::wstring_view(L"\\/:*?\"<>|").find(c) != std::wstring_view::npos;
    });
    return joined;
}

IdentifyOutcome StartIdentification(const AtaPage& identify, CommandType commandType,
                                    uint8_t target, DriveRecord& record) {
    record = DriveRecord{};
    record.CommandType = commandType;
    record.CommandTypeTag = FormatCommandTypeTag(commandType, target);
    record.IdentifyDevice = identify;
    record.Address.target = target;

    const unsigned sum = std::accumulate(identify.begin(), identify.end(), 0u);
    record.IsIdentifySumError = sum % 256 != 0;

    AtaPage working = identify;
    if (!RepairTextFields(working)) {
        WriteLog(L"CheckAsciiStringError");
        record.IsGeometryOutOfRange = true;
        return IdentifyOutcome::BadTextByte;
    }
    ReadStrings(working, record);
    if (record.Model.empty() || record.FirmwareRev.empty()) {
        WriteLog(L"asi.Model.IsEmpty() || asi.FirmwareRev.IsEmpty()");
        record.IsGeometryOutOfRange = true;
        return IdentifyOutcome::EmptyModelOrFirmware;
    }
    return IdentifyOutcome::Usable;
}

void ApplyFeatureFlags(DriveRecord& record) {
    const AtaPage& page = record.IdentifyDevice;
    for (const FeatureBit& feature : kFeatureBits) {
        record.*feature.flag = record.AtaMajorVersion >= feature.minimumMajorVersion &&
                               (IdentifyWord(page, feature.word) >> feature.bit & 1u) &&
                               (feature.alsoNeeds == nullptr || record.*feature.alsoNeeds);
    }
    if (record.AtaMajorVersion < kMediaFactsMajorVersion) return;

    const uint16_t rotation = IdentifyWord(page, kWordRotationRate);
    if (rotation == 1) {
        // 1 means non-rotating media.
        record.IsSsd = true;
        record.NominalMediaRotationRate = 1;
    } else if (rotation >= 0x0401 && rotation <= 0xFFFE) {
        record.NominalMediaRotationRate = rotation;
    }
    const unsigned formFactor = IdentifyWord(page, kWordFormFactor) & 0x000Fu;
    if (formFactor >= 1 && formFactor <= kFormFactors.size())
        record.FormFactor = kFormFactors[formFactor - 1];
}

bool ApplyGeometry(DriveRecord& record) {
    const AtaPage& page = record.IdentifyDevice;
    bool hasZero = false;
    for (const GeometryWord& geometry : kGeometry) {
        uint16_t value = IdentifyWord(page, geometry.word);
        if (value > geometry.limit) {
            value = geometry.limit;
            record.IsGeometryOutOfRange = true;
        }
        record.*geometry.field = value;
        hasZero = hasZero || value == 0;
    }
    const uint32_t lba28 = IdentifyDoubleWord(page, kWordLba28Sectors);
    record.Sector28 = lba28 & kLba28Mask;
    record.Sector48 = IdentifyDoubleWord(page, kWordLba48Sectors) |
                      uint64_t{IdentifyWord(page, kWordLba48Sectors + 2)} << 32;
    record.IsSuspectSectorCount = lba28 == kSuspectSectorCount;
    return !hasZero;
}

void ApplySizes(DriveRecord& record) {
    const AtaPage& page = record.IdentifyDevice;

    record.NumberOfSectors = uint64_t{record.Cylinder} * record.Head * record.Sector;
    const uint64_t chsMiB = SectorsToMiB(record.NumberOfSectors);
    // Like the LBA sizes, a CHS size past 1 GiB is shown 49 MiB short of the raw capacity.
    record.DiskSizeChs = static_cast<uint32_t>(
        chsMiB * kMiB > (uint64_t{1} << 30) ? chsMiB - kSizeDeductionMiB : chsMiB);
    record.DiskSizeLba28 = 0;
    if (record.Sector28 != 0) {
        const uint64_t lba28MiB = SectorsToMiB(record.Sector28);
        if (lba28MiB > kSizeDeductionMiB) {
            record.DiskSizeLba28 = static_cast<uint32_t>(lba28MiB - kSizeDeductionMiB);
            record.NumberOfSectors = record.Sector28;
        }
    }
    record.DiskSizeLba48 = 0;
    if (record.IsLba48Supported) {
        const uint64_t lba48MiB = SectorsToMiB(record.Sector48);
        if (lba48MiB > kSizeDeductionMiB) {
            record.DiskSizeLba48 = static_cast<uint32_t>(lba48MiB - kSizeDeductionMiB);
            record.NumberOfSectors = record.Sector48;
        }
    }
    record.BufferSize = uint32_t{IdentifyWord(page, kWordBufferSize)} * 512;
    if (record.IsNvCacheSupported)
        record.NvCacheSize = uint64_t{IdentifyDoubleWord(page, kWordNvCacheSize)} * 512;

    const uint32_t lba28 = IdentifyDoubleWord(page, kWordLba28Sectors);
    if (lba28 > kLba28Mask || record.DiskSizeChs == 0) {
        record.TotalDiskSize = 0.0;
    } else if (record.DiskSizeLba48 > record.DiskSizeLba28) {
        record.TotalDiskSize = record.DiskSizeLba48;
    } else if (record.DiskSizeLba28 > record.DiskSizeChs) {
        record.TotalDiskSize = record.DiskSizeLba28;
    } else {
        record.TotalDiskSize = record.DiskSizeChs;
    }
    // A 48-bit count that disagrees with a 28-bit one the drive did not max out is not
    // trusted; the total above keeps what it chose.
    if (record.IsLba48Supported && lba28 < kLba28Mask &&
        record.DiskSizeLba28 != record.DiskSizeLba48)
        record.DiskSizeLba48 = 0;
}

IdentifyOutcome FinishIdentification(DriveRecord& record) {
    const AtaPage& page = record.IdentifyDevice;
    if (ReportsHalfDegrees(record)) record.TemperatureMultiplier = 0.5;
    record.ModelSerial = MakeModelSerial(record.Model, record.SerialNumber);

    if (const uint16_t major = IdentifyWord(page, kWordMajorVersion); major != 0) {
        AtaMajorVersion version = GetAtaMajorVersion(major);
        record.AtaMajorVersion = version.Number;
        record.MajorVersion = std::move(version.Name);
    }
    record.MinorVersion = GetAtaMinorVersion(IdentifyWord(page, kWordMinorVersion));

    TransferModeInfo mode = GetTransferMode(
        IdentifyWord(page, kWordMultiwordDma), IdentifyWord(page, kWordSataCapabilities),
        IdentifyWord(page, kWordSataCurrentSpeed), IdentifyWord(page, kWordUltraDma));
    record.TransferMode = mode.Code;
    record.MaxTransferMode = std::move(mode.MaxTransferMode);
    record.CurrentTransferMode = std::move(mode.CurrentTransferMode);
    record.Interface = std::move(mode.Interface);
    record.InterfaceType = mode.InterfaceType;

    record.TimeUnitType = GetTimeUnitType(record.Model, record.FirmwareRev, record.AtaMajorVersion,
                                          record.TransferMode);
    // The units told apart by firmware revision are kept apart as well: SMART reading
    // converts with them a second time for the detected power-on hours.
    if (record.TimeUnitType == TIME_UNIT_TEN_MINUTES ||
        record.TimeUnitType == TIME_UNIT_ADJUSTED_HOURS)
        record.DetectedTimeUnitType = record.TimeUnitType;

    ApplyFeatureFlags(record);
    record.IsMaxtorMinute = ToAsciiUpper(record.Model).starts_with(L"MAXTOR") &&
                            record.TimeUnitType == TIME_UNIT_MINUTES;

    if (!ApplyGeometry(record)) return IdentifyOutcome::ZeroGeometry;
    ApplySizes(record);
    return IdentifyOutcome::Usable;
}

IdentifyOutcome IdentifyDrive(const AtaPage& identify, CommandType commandType, uint8_t target,
                              DriveRecord& record) {
    const IdentifyOutcome outcome = StartIdentification(identify, commandType, target, record);
    return outcome == IdentifyOutcome::Usable ? FinishIdentification(record) : outcome;
}

}  // namespace disk
