#include "disk/smart_reading.h"

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>

#include "app/log/log.h"
#include "disk/smart_data.h"
#include "disk/vendor.h"

const SmartReadProfile kPhysicalDriveSmartRead = {
    .lines = {.firstRead = L"GetSmartAttributePd(%d) - 1",
              .retryRead = L"GetSmartAttributePd(%d) - 2"},
    .rejectDataEqualToThresholds = true,
};

namespace {

void LogLine(const wchar_t* format, const DriveRecord& record) {
    if (format == nullptr) return;
    const std::wstring code = CommandTypeCode(record.CommandType);
    WriteLog(format, record.PhysicalDriveId, code.c_str());
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
