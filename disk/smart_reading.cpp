#include "disk/smart_reading.h"

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>

#include "base/log.h"
#include "disk/smart_data.h"
#include "disk/vendor.h"

namespace disk {

const SmartReadProfile kPhysicalDriveSmartRead = {
    .lines = {.firstRead = L"GetSmartAttributePd(%d) - 1",
              .retryRead = L"GetSmartAttributePd(%d) - 2"},
    .rejectDataEqualToThresholds = true,
};
const SmartReadProfile kScsiMiniportSmartRead{};
const SmartReadProfile kUsbBridgeSmartRead = {
    .lines = {.firstRead = L"GetSmartAttributeSat(%d) - 1 [%ls]",
              .firstCheck = L"GetSmartAttributeSat - 1A",
              .retryRead = L"GetSmartAttributeSat - 2",
              .retryCheck = L"GetSmartAttributeSat - 2A"},
};
const SmartReadProfile kSiliconImageSmartRead = {
    .lines = {.firstRead = L"GetSmartAttributeSi(physicalDriveId, &asi)",
              .firstCheck = L"GetSmartAttributeSi(physicalDriveId, &asiCheck)"},
    .sequence = SmartSequence::SiliconImage,
};
const SmartReadProfile kCsmiSmartRead{};
const SmartReadProfile kCsmiPhysicalDriveSmartRead = {
    .lines = {.firstRead = L"GetSmartAttributePd(%d) - 1 CSMI",
              .routeRead = L"GetSmartAttributeCsmi - 1 CSMI"},
    .sequence = SmartSequence::PhysicalDriveFirst,
};
const SmartReadProfile kWmiSmartRead = {.lines = {}, .sequence = SmartSequence::Single};

namespace {

void LogLine(const wchar_t* format, const DriveRecord& record) {
    if (format == nullptr) return;
    const std::wstring code = CommandTypeCode(record.CommandType);
    WriteLog(format, record.Address.physicalDriveId, code.c_str());
}

bool ReadData(transport::AtaRoute& route, DriveRecord& record) {
    return route.ReadSmartData(record.SmartReadData) && FillSmartData(record);
}

// One read-classify-check-thresholds pass; nothing more when the first data read fails.
void ReadOnce(transport::AtaRoute& route, const wchar_t* checkLine, DriveRecord& record) {
    if (!ReadData(route, record)) return;
    ClassifyVendor(record);

    // A fresh record for every check, so that a failed check read cannot agree with the
    // table an earlier one left behind.
    auto check = std::make_unique<DriveRecord>();
    LogLine(checkLine, record);
    ReadData(route, *check);
    if (record.AttributeCount != check->AttributeCount)
        WriteLog(L"asi1->AttributeCount != asi2->AttributeCount");
    else if (CheckSmartAttributeCorrect(record, *check))
        record.SmartDataValid = true;

    if (route.ReadSmartThresholds(record.SmartReadThreshold) && FillSmartThreshold(record))
        record.SmartThresholdValid = true;
    record.SmartSupported = true;
}

// The Silicon Image reading: its own read is checked by a second one, and a reading that
// agrees is checked once more through the physical-drive route, which then also gives the
// thresholds.
void ReadSiliconImage(transport::AtaRoute& route, transport::AtaRoute* physicalDrive,
                      const SmartReadLines& lines, DriveRecord& record) {
    LogLine(lines.firstRead, record);
    if (!ReadData(route, record)) return;
    record.SmartSupported = true;
    ClassifyVendor(record);
    auto check = std::make_unique<DriveRecord>();
    LogLine(lines.firstCheck, record);
    ReadData(route, *check);
    WriteLog(L"CheckSmartAttributeCorrect(&asi, &asiCheck) - 1");
    if (!CheckSmartAttributeCorrect(record, *check) || physicalDrive == nullptr) return;
    record.SmartDataValid = true;

    check = std::make_unique<DriveRecord>();
    ReadData(*physicalDrive, *check);
    WriteLog(L"CheckSmartAttributeCorrect(&asi, &asiCheck) - 2");
    if (!CheckSmartAttributeCorrect(record, *check)) return;
    WriteLog(L"GetSmartThresholdPd");
    if (physicalDrive->ReadSmartThresholds(record.SmartReadThreshold) && FillSmartThreshold(record))
        record.SmartThresholdValid = true;
}

// A route with nothing to compare: the data read decides SmartDataValid on its own.
void ReadSingle(transport::AtaRoute& route, DriveRecord& record) {
    record.SmartDataValid = ReadData(route, record);
    if (record.SmartDataValid) {
        ClassifyVendor(record);
        record.SmartSupported = true;
    }
    record.SmartThresholdValid =
        route.ReadSmartThresholds(record.SmartReadThreshold) && FillSmartThreshold(record);
}

bool FullyRead(const DriveRecord& record) {
    return record.SmartSupported && record.SmartDataValid && record.SmartThresholdValid;
}

struct FirmwareQuirk {
    bool sandForceOnly;
    std::wstring_view modelPrefix;
    std::wstring_view firmwarePrefix;
};

// Firmware whose SMART values are known to be wrong; its statuses are shown as unknown.
constexpr FirmwareQuirk kFirmwareQuirks[] = {
    {true, L"OCZ-VERTEX3", L"2.02"},
    {true, L"OCZ-VERTEX2", L"1.27"},
    {false, L"SSD G2 Series", L"3.6.5"},
};

bool HasFirmwareQuirk(const DriveRecord& record) {
    return std::ranges::any_of(kFirmwareQuirks, [&](const FirmwareQuirk& q) {
        return (!q.sandForceOnly || record.VendorId == VENDOR_SANDFORCE) &&
               record.Model.starts_with(q.modelPrefix) &&
               record.FirmwareRev.starts_with(q.firmwarePrefix);
    });
}

}  // namespace

void ReadAndConfirmSmart(transport::AtaRoute& route, const SmartReadProfile& profile,
                         DriveRecord& record) {
    LogLine(profile.lines.firstRead, record);
    ReadOnce(route, profile.lines.firstCheck, record);

    if (!record.SmartDataValid && route.EnableSmartOperations()) {
        LogLine(profile.lines.retryRead, record);
        ReadOnce(route, profile.lines.retryCheck, record);
    }

    if (profile.rejectDataEqualToThresholds && record.SmartReadData == record.SmartReadThreshold &&
        record.VendorId != VENDOR_INDILINX) {
        WriteLog(L"asi.SmartReadData == asi.SmartReadThreshold");
        record.SmartDataValid = false;
        record.SmartThresholdValid = false;
        record.SmartSupported = false;
    }
}

void ReadSmartSequence(transport::AtaRoute& route, transport::AtaRoute* physicalDrive,
                       const SmartReadProfile& profile, DriveRecord& record) {
    switch (profile.sequence) {
        case SmartSequence::ReadAndConfirm:
            ReadAndConfirmSmart(route, profile, record);
            return;
        case SmartSequence::SiliconImage:
            ReadSiliconImage(route, physicalDrive, profile.lines, record);
            return;
        case SmartSequence::PhysicalDriveFirst:
            if (physicalDrive != nullptr) {
                ReadAndConfirmSmart(*physicalDrive,
                                    {.lines = {.firstRead = profile.lines.firstRead}}, record);
                if (FullyRead(record)) return;
            }
            ReadAndConfirmSmart(route, {.lines = {.firstRead = profile.lines.routeRead}}, record);
            return;
        case SmartSequence::Single:
            ReadSingle(route, record);
            return;
    }
}

void FinishSmartReading(DriveRecord& record) {
    if (!record.SmartDataValid) {
        record.PowerOnHours = -1;
        record.DetectedPowerOnHours = -1;
        record.PowerOnRawValue = -1;
        record.PowerOnCount = 0;
        record.Temperature = -1000;
    }
    if (HasFirmwareQuirk(record)) record.IsFirmwareQuirk = true;
    if (record.Model.starts_with(L"Intel") && record.DetectedPowerOnHours > kPowerOnHoursOffset) {
        record.PowerOnRawValue -= kPowerOnHoursOffset;
        record.PowerOnHours -= kPowerOnHoursOffset;
        record.DetectedPowerOnHours -= kPowerOnHoursOffset;
    }
}

void ReadSmartPhysicalDrive(transport::AtaRoute& route, DriveRecord& record) {
    ReadAndConfirmSmart(route, kPhysicalDriveSmartRead, record);
    FinishSmartReading(record);
}

}  // namespace disk
