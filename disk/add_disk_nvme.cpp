// Recording an NVMe drive that answered Identify Controller through one of the NVMe routes.
#include "disk/add_disk_nvme.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>

#include "disk/ata_smart.h"
#include "disk/ata_string.h"
#include "disk/identify.h"
#include "disk/pcie_link.h"
#include "disk/vendor.h"

namespace disk {

namespace {

// Identify Controller fields (byte offsets in the 512 bytes kept).
struct ByteField {
    size_t offset;
    size_t length;
};
constexpr ByteField kSerialNumber{4, 20};
constexpr ByteField kModelNumber{24, 40};
constexpr ByteField kFirmwareRevision{64, 8};
constexpr size_t kVersionMinor = 81;  // one byte
constexpr size_t kVersionMajor = 82;  // 16 bits

// Health log fields the record's values come from (little-endian).
constexpr size_t kTemperatureKelvin = 1;  // 16 bits
constexpr size_t kAvailableSpare = 3;
constexpr ByteField kDataUnitsRead{32, 7};
constexpr ByteField kDataUnitsWritten{48, 7};
constexpr ByteField kPowerCycles{112, 4};
constexpr ByteField kPowerOnHours{128, 4};
constexpr int32_t kZeroCelsiusKelvin = 273;
// A data unit is 1000 sectors of 512 bytes; the host counters count by 2048 of them (about
// one GB), a shift of 11.
constexpr unsigned kDataUnitsShift = 11;

// The fifteen rows: ids 1 to 15 in order, each with the log bytes its raw value holds.
constexpr ByteField kRowFields[] = {
    {0, 1},    // critical warning
    {1, 2},    // composite temperature, kelvin
    {3, 1},    // available spare
    {4, 1},    // available spare threshold
    {5, 1},    // percentage used
    {32, 6},   // data units read
    {48, 6},   // data units written
    {64, 6},   // host read commands
    {80, 6},   // host write commands
    {96, 6},   // controller busy time
    {112, 6},  // power cycles
    {128, 6},  // power-on hours
    {144, 6},  // unsafe shutdowns
    {160, 6},  // media and data integrity errors
    {176, 6},  // error information log entries
};
static_assert(std::size(kRowFields) <= kSmartEntryCount);
static_assert(std::ranges::all_of(kRowFields, [](ByteField field) {
    return field.length <= sizeof(SmartAttribute::RawValue) &&
           field.offset + field.length <= kAtaPageSize;
}));

uint64_t LittleEndian(const AtaPage& page, ByteField field) {
    uint64_t value = 0;
    for (size_t i = field.length; i-- > 0;)
        value = value << 8 | page[field.offset + i];
    return value;
}

// The record's counters are 32-bit; a larger count shows as the largest, never as a negative
// value that would read as "unknown".
int32_t Saturated(uint64_t value) {
    return static_cast<int32_t>(std::min<uint64_t>(value, std::numeric_limits<int32_t>::max()));
}

std::wstring IdentifyText(const AtaPage& identify, ByteField field) {
    return AtaTextToString(std::span(identify).subspan(field.offset, field.length));
}

}  // namespace

std::wstring NvmeVersionText(const AtaPage& identify) {
    const unsigned major = identify[kVersionMajor] | identify[kVersionMajor + 1] << 8;
    if (major == 0) return L"NVM Express 1.0/1.1";
    return L"NVM Express " + std::to_wstring(major) + L"." +
           std::to_wstring(identify[kVersionMinor]);
}

void StartNvmeRecord(const AtaPage& identify, DriveRecord& record) {
    record.IdentifyDevice = identify;
    record.SmartSupported = true;
    record.SmartDataValid = true;
    record.SmartThresholdValid = true;
    record.IsSsd = true;
    record.VendorVariant = 1;
    record.InterfaceType = InterfaceType::INTERFACE_TYPE_NVME;
    record.TemperatureMultiplier = 1.0;
    record.Temperature = -1000;
    record.PowerOnHours = record.DetectedPowerOnHours = record.PowerOnRawValue = -1;
    record.AttributeCount = 0;
    record.SerialNumber = IdentifyText(identify, kSerialNumber);
    record.Model = IdentifyText(identify, kModelNumber);
    record.FirmwareRev = IdentifyText(identify, kFirmwareRevision);
    record.ModelSerial = MakeModelSerial(record.Model, record.SerialNumber);
    // The interface is known from the route, whether or not the health log can be read.
    record.Interface = L"NVM Express";
    record.MajorVersion = NvmeVersionText(identify);
}

void ApplyNvmeHealthLog(DriveRecord& record) {
    const AtaPage& log = record.SmartReadData;
    record.Temperature =
        (log[kTemperatureKelvin] | log[kTemperatureKelvin + 1] << 8) - kZeroCelsiusKelvin;
    record.Life = log[kAvailableSpare];
    record.HostReads = Saturated(LittleEndian(log, kDataUnitsRead) >> kDataUnitsShift);
    record.HostWrites = Saturated(LittleEndian(log, kDataUnitsWritten) >> kDataUnitsShift);
    record.PowerOnCount = Saturated(LittleEndian(log, kPowerCycles));
    record.PowerOnHours = record.DetectedPowerOnHours = Saturated(LittleEndian(log, kPowerOnHours));

    record.Attribute = {};
    record.Threshold = {};
    for (size_t i = 0; i < std::size(kRowFields); ++i) {
        SmartAttribute& row = record.Attribute[i];
        row.Id = static_cast<uint8_t>(i + 1);
        std::copy_n(log.begin() + static_cast<std::ptrdiff_t>(kRowFields[i].offset),
                    kRowFields[i].length, row.RawValue);
    }
    record.AttributeCount = std::size(kRowFields);

    record.SmartKeyName = L"SmartNVMe";
    record.VendorId = VENDOR_NVME;
    record.VendorCode = VendorCodeOf(VENDOR_NVME);
}

bool CAtaSmart::AddDiskNVMe(CommandType commandType, NvmeRoute& route, const DriveAddress& address,
                            const AtaPage& identify) {
    if (vars.IsFull()) return false;
    // A record is too large for the stack of every caller.
    const auto record = std::make_unique<DriveRecord>();
    record->Address = address;
    record->CommandType = commandType;
    record->CommandTypeTag = FormatCommandTypeTag(commandType, address.target);
    StartNvmeRecord(identify, *record);

    const platform::PcieLink link = GetPcieLink(address.physicalDriveId);
    record->MaxTransferMode = FormatPcieLink(link.maxSpeed, link.maxWidth);
    record->CurrentTransferMode = FormatPcieLink(link.speed, link.width);

    if (route.ReadHealthLog(record->SmartReadData)) {
        ApplyNvmeHealthLog(*record);
    } else {
        // Listed all the same, without SMART values: nothing was read, so nothing is confirmed.
        record->SmartReadData.fill(0);
        record->SmartDataValid = false;
        record->SmartThresholdValid = false;
    }
    return vars.Append(*record);
}

}  // namespace disk
