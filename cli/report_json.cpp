#include "cli/report_json.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <iterator>
#include <span>
#include <string>
#include <type_traits>
#include <variant>

#include "app/pages/smart_rows.h"
#include "base/ui_text.h"
#include "base/utf8.h"
#include "cli/info_command.h"

namespace cli {

using app::BuildSmartTable;
using app::DiskInfoPage;
using app::InfoLine;
using app::SmartRowTexts;
using app::VolumeButton;

using disk::AttributeNameTables;
using disk::CommandType;
using disk::DriveAddress;
using disk::DriveList;
using disk::DriveRecord;
using disk::InterfaceType;
using disk::kSmartEntryCount;
using disk::SmartAttribute;
using disk::VolumeSpace;

namespace {

using Json = nlohmann::ordered_json;

// A field of the record or of its address that the report copies as it is; codes go out as
// their numbers.
using Member =
    std::variant<std::wstring DriveRecord::*, int32_t DriveRecord::*, uint32_t DriveRecord::*,
                 uint64_t DriveRecord::*, uint16_t DriveRecord::*, double DriveRecord::*,
                 CommandType DriveRecord::*, InterfaceType DriveRecord::*,
                 std::wstring DriveAddress::*, int32_t DriveAddress::*, uint8_t DriveAddress::*>;
struct Field {
    const char* name;
    Member member;
};

// Identity, route, geometry and sizes: everything before "flags".
const Field kIdentityFields[] = {
    {"physicalDrive", &DriveAddress::physicalDriveId},
    {"model", &DriveRecord::Model},
    {"serialNumber", &DriveRecord::SerialNumber},
    {"firmwareRev", &DriveRecord::FirmwareRev},
    {"modelReverse", &DriveRecord::ModelReverse},
    {"serialNumberReverse", &DriveRecord::SerialNumberReverse},
    {"firmwareRevReverse", &DriveRecord::FirmwareRevReverse},
    {"modelSerial", &DriveRecord::ModelSerial},
    {"interface", &DriveRecord::Interface},
    {"interfaceType", &DriveRecord::InterfaceType},
    {"commandType", &DriveRecord::CommandType},
    {"commandTypeTag", &DriveRecord::CommandTypeTag},
    {"target", &DriveAddress::target},
    {"scsiPort", &DriveAddress::scsiPort},
    {"scsiTargetId", &DriveAddress::scsiTargetId},
    {"scsiBus", &DriveAddress::scsiBus},
    {"siliconImageType", &DriveAddress::siliconImageType},
    {"pnpDeviceId", &DriveAddress::pnpDeviceId},
    {"wmiModel", &DriveRecord::WmiModel},
    {"usbVendorId", &DriveRecord::UsbVendorId},
    {"usbProductId", &DriveRecord::UsbProductId},
    {"usbDeviceName", &DriveRecord::UsbDeviceName},
    {"majorVersion", &DriveRecord::MajorVersion},
    {"ataMajorVersion", &DriveRecord::AtaMajorVersion},
    {"minorVersion", &DriveRecord::MinorVersion},
    {"maxTransferMode", &DriveRecord::MaxTransferMode},
    {"currentTransferMode", &DriveRecord::CurrentTransferMode},
    {"transferMode", &DriveRecord::TransferMode},
    {"cylinder", &DriveRecord::Cylinder},
    {"head", &DriveRecord::Head},
    {"sector", &DriveRecord::Sector},
    {"sector28", &DriveRecord::Sector28},
    {"sector48", &DriveRecord::Sector48},
    {"numberOfSectors", &DriveRecord::NumberOfSectors},
    {"diskSizeChs", &DriveRecord::DiskSizeChs},
    {"diskSizeLba28", &DriveRecord::DiskSizeLba28},
    {"diskSizeLba48", &DriveRecord::DiskSizeLba48},
    {"diskSizeWmi", &DriveRecord::DiskSizeWmi},
    {"totalDiskSize", &DriveRecord::TotalDiskSize},
    {"bufferSize", &DriveRecord::BufferSize},
    {"nvCacheSize", &DriveRecord::NvCacheSize},
    {"nominalMediaRotationRate", &DriveRecord::NominalMediaRotationRate},
    {"formFactor", &DriveRecord::FormFactor},
    {"timeUnitType", &DriveRecord::TimeUnitType},
    {"detectedTimeUnitType", &DriveRecord::DetectedTimeUnitType},
};

// Letters, vendor and the values read from the SMART pages: everything after "flags".
const Field kHealthFields[] = {
    {"driveLetters", &DriveRecord::DriveLetters},
    {"driveLetterMap", &DriveRecord::DriveLetterMap},
    {"vendorId", &DriveRecord::VendorId},
    {"vendorCode", &DriveRecord::VendorCode},
    {"smartKeyName", &DriveRecord::SmartKeyName},
    {"vendorVariant", &DriveRecord::VendorVariant},
    {"temperature", &DriveRecord::Temperature},
    {"temperatureMultiplier", &DriveRecord::TemperatureMultiplier},
    {"powerOnRawValue", &DriveRecord::PowerOnRawValue},
    {"powerOnHours", &DriveRecord::PowerOnHours},
    {"detectedPowerOnHours", &DriveRecord::DetectedPowerOnHours},
    {"powerOnCount", &DriveRecord::PowerOnCount},
    {"life", &DriveRecord::Life},
    {"hostWrites", &DriveRecord::HostWrites},
    {"hostReads", &DriveRecord::HostReads},
    {"nandWrites", &DriveRecord::NandWrites},
    {"gBytesErased", &DriveRecord::GBytesErased},
    {"wearLevelingCount", &DriveRecord::WearLevelingCount},
    {"cautionLimit05", &DriveRecord::CautionLimit05},
    {"cautionLimitC5", &DriveRecord::CautionLimitC5},
    {"cautionLimitC6", &DriveRecord::CautionLimitC6},
    {"lifeCautionLimit", &DriveRecord::LifeCautionLimit},
};

// Every 0/1 flag of the record except the space pass's IsAligned4K, which joins "space".
struct Flag {
    const char* name;
    bool DriveRecord::*member;
};
constexpr Flag kFlags[] = {
    {"smartSupported", &DriveRecord::SmartSupported},
    {"smartDataValid", &DriveRecord::SmartDataValid},
    {"smartThresholdValid", &DriveRecord::SmartThresholdValid},
    {"isGeometryOutOfRange", &DriveRecord::IsGeometryOutOfRange},
    {"isIdentifySumError", &DriveRecord::IsIdentifySumError},
    {"isSuspectSectorCount", &DriveRecord::IsSuspectSectorCount},
    {"isFirmwareQuirk", &DriveRecord::IsFirmwareQuirk},
    {"isSmartFeatureSupported", &DriveRecord::IsSmartFeatureSupported},
    {"isApmSupported", &DriveRecord::IsApmSupported},
    {"isApmEnabled", &DriveRecord::IsApmEnabled},
    {"isAamSupported", &DriveRecord::IsAamSupported},
    {"isAamEnabled", &DriveRecord::IsAamEnabled},
    {"isLba48Supported", &DriveRecord::IsLba48Supported},
    {"isNcqSupported", &DriveRecord::IsNcqSupported},
    {"isNvCacheSupported", &DriveRecord::IsNvCacheSupported},
    {"isTrimSupported", &DriveRecord::IsTrimSupported},
    {"isDeviceSleepSupported", &DriveRecord::IsDeviceSleepSupported},
    {"isSsd", &DriveRecord::IsSsd},
    {"isMaxtorMinute", &DriveRecord::IsMaxtorMinute},
    {"isJMicron60xOrIndilinx", &DriveRecord::IsJMicron60xOrIndilinx},
    {"isSandForce", &DriveRecord::IsSandForce},
};

Json ValueOf(const std::wstring& text) {
    return ToUtf8(text);
}
template <typename Number>
Json ValueOf(Number number) {
    if constexpr (std::is_enum_v<Number>)
        return ToUnderlying(number);
    else
        return number;
}

// The record itself, or its address for the fields the address holds.
template <typename Value>
const DriveRecord& OwnerOf(const DriveRecord& drive, Value DriveRecord::*) {
    return drive;
}
template <typename Value>
const DriveAddress& OwnerOf(const DriveRecord& drive, Value DriveAddress::*) {
    return drive.Address;
}

void CopyFields(const DriveRecord& drive, std::span<const Field> fields, Json& out) {
    for (const Field& field : fields)
        std::visit([&](auto member) { out[field.name] = ValueOf(OwnerOf(drive, member).*member); },
                   field.member);
}

// The six raw bytes, most significant first.
std::string RawHex(const SmartAttribute& attribute) {
    std::string hex;
    for (size_t b = std::size(attribute.RawValue); b-- > 0;) {
        char digits[3];
        std::snprintf(digits, sizeof digits, "%02X", attribute.RawValue[b]);
        hex += digits;
    }
    return hex;
}

Json AttributesJson(const DriveRecord& drive) {
    Json list = Json::array();
    const size_t count = std::min<size_t>(drive.AttributeCount, kSmartEntryCount);
    for (size_t j = 0; j < count; ++j) {
        const SmartAttribute& a = drive.Attribute[j];
        // The flags word is little-endian on the wire whatever the host's byte order.
        const auto* flagBytes =
            reinterpret_cast<const uint8_t*>(&a) + offsetof(SmartAttribute, StatusFlags);
        list.push_back(Json{{"id", a.Id},
                            {"statusFlags", flagBytes[0] | flagBytes[1] << 8},
                            {"current", a.CurrentValue},
                            {"worst", a.WorstValue},
                            {"raw", RawHex(a)},
                            {"reserved", a.Reserved},
                            {"threshold", drive.Threshold[j].ThresholdValue}});
    }
    return list;
}

Json SmartTableJson(const DriveRecord& drive, const AttributeNameTables& names) {
    Json rows = Json::array();
    for (const SmartRowTexts& texts : BuildSmartTable(drive, names).Rows) {
        Json row = Json::array();
        for (const std::wstring& text : texts)
            row.push_back(ToUtf8(text));
        rows.push_back(std::move(row));
    }
    return rows;
}

// Control name to the text it shows; the usage bar shows its percentage, each volume button
// its letter.
Json DiskInfoPageJson(const DriveRecord& drive, const AttributeNameTables& names, bool ahciMode) {
    const DiskInfoPage page = DiskInfoPageOf(drive, names, ahciMode);
    Json controls = Json::object();
    for (const InfoLine& line : page.lines)
        controls[ToUtf8(line.control)] = ToUtf8(line.text);
    controls["progress1"] = std::to_string(page.usedPercent);
    for (const VolumeButton& button : page.volumes)
        controls[ToUtf8(std::wstring(L"Disk ") + button.letter)] =
            ToUtf8(std::wstring(1, button.letter));
    return controls;
}

Json SpaceJson(const DriveRecord& drive) {
    Json volumes = Json::array();
    for (const VolumeSpace& volume : drive.Volumes) {
        if (volume.Letter == 0) continue;
        volumes.push_back(Json{{"letter", ToUtf8(std::wstring(1, volume.Letter))},
                               {"totalSize", volume.TotalSize},
                               {"usedSize", volume.UsedSize},
                               {"freeSize", volume.FreeSize},
                               {"usedPercent", volume.UsedPercent},
                               {"fileSystem", ToUtf8(volume.FileSystem)}});
    }
    return Json{{"unallocatedSize", drive.UnallocatedSize},
                {"usedSize", drive.UsedSize},
                {"freeSize", drive.FreeSize},
                {"usedPercent", drive.UsedPercent},
                {"isAligned4K", drive.IsAligned4K},
                {"volumes", std::move(volumes)}};
}

Json SystemDiskJson(const migration::SystemDisk& systemDisk) {
    if (!systemDisk.Found()) return nullptr;
    return Json{{"physicalDrive", systemDisk.physicalDriveId}, {"model", ToUtf8(systemDisk.model)}};
}

}  // namespace

Json DriveJson(const DriveRecord& drive, int32_t index, const AttributeNameTables& names,
               bool ahciMode) {
    Json out{{"index", index}};
    CopyFields(drive, kIdentityFields, out);
    Json& flags = out["flags"] = Json::object();
    for (const Flag& flag : kFlags)
        flags[flag.name] = drive.*flag.member;
    CopyFields(drive, kHealthFields, out);
    out["attributes"] = AttributesJson(drive);
    out["smartTable"] = SmartTableJson(drive, names);
    out["diskInfoPage"] = DiskInfoPageJson(drive, names, ahciMode);
    out["space"] = SpaceJson(drive);
    return out;
}

Json ReportJson(const MachineFacts& facts, const DriveList& drives,
                const AttributeNameTables& names) {
    Json drivesJson = Json::array();
    for (int32_t index = 0; index < drives.Count(); ++index)
        drivesJson.push_back(DriveJson(drives[index], index, names, facts.AhciMode));
    return Json{
        {"format", kReportFormat},
        {"language", LanguageFlag == 1 ? "zh" : "en"},
        {"os",
         Json{{"name", ToUtf8(facts.OsName)}, {"major", facts.OsMajor}, {"minor", facts.OsMinor}}},
        {"ahciMode", facts.AhciMode},
        {"systemDisk", SystemDiskJson(facts.SystemDisk)},
        {"drives", std::move(drivesJson)},
    };
}

std::string ReportJsonText(const Json& report) {
    return report.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

}  // namespace cli
