#include "disk/disk_identity_rules.h"

#include <algorithm>
#include <string_view>

#include "disk/identify.h"

namespace disk {

namespace {

// Appended by the disk class to a model name; they say nothing about the drive itself.
constexpr std::wstring_view kBusWords[] = {
    L" SCSI Disk Device",
    L" SATA Disk Device",
    L" ATA Disk Device",
    L" SCSI Device",
    L" SATA Device",
    L" ATA Device",
    L"NVMe ",
};

constexpr std::wstring_view kUnsafeSamsungModels[] = {L"SAMSUNG HD155UI", L"SAMSUNG HD204UI"};
constexpr std::wstring_view kSafeSamsungFirmware = L"1AQ10003";

// WDC, Hitachi, Samsung, Maxtor, Toshiba and Fujitsu, each character pair exchanged.
constexpr std::wstring_view kSwappedMakerNames[] = {L"DW C", L"iHat", L"ASSM",
                                                    L"aMtx", L"OTHS", L"UFIJ"};

constexpr size_t kModelMatchLength = 8;

int DecimalValue(std::wstring_view digits) {
    int value = 0;
    for (wchar_t c : digits)
        value = value * 10 + (c - L'0');
    return value;
}

bool IsDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

std::wstring ModelStart(const std::wstring& model) {
    std::wstring start;
    for (wchar_t c : model)
        if (c != L' ' && start.size() < kModelMatchLength) start += c;
    return start;
}

}  // namespace

int32_t PhysicalDriveOfDeviceId(const std::wstring& deviceId) {
    // A DeviceID that does not end in a number names no drive; reading it as 0 would probe
    // physical drive 0 for a disk that is not there.
    if (deviceId.empty() || !IsDigit(deviceId.back())) return -1;
    if (deviceId.size() >= 2 && IsDigit(deviceId[deviceId.size() - 2])) {
        const int lastTwo = DecimalValue(std::wstring_view(deviceId).substr(deviceId.size() - 2));
        if (lastTwo >= 10) return lastTwo;
    }
    return deviceId.back() - L'0';
}

bool RemoveAll(std::wstring& text, std::wstring_view part) {
    if (part.empty()) return false;
    bool removed = false;
    for (size_t at; (at = text.find(part)) != std::wstring::npos; removed = true)
        text.erase(at, part.size());
    return removed;
}

std::wstring WithoutBusWords(std::wstring model) {
    for (std::wstring_view words : kBusWords)
        RemoveAll(model, words);
    return model;
}

bool SameModelStart(const std::wstring& a, const std::wstring& b) {
    return ModelStart(a) == ModelStart(b);
}

bool IsUnsafeSamsungHd(const std::wstring& model, const std::wstring& firmware) {
    return std::ranges::any_of(kUnsafeSamsungModels,
                               [&](std::wstring_view m) { return model.starts_with(m); }) &&
           !firmware.starts_with(kSafeSamsungFirmware);
}

bool HasSwappedMakerName(const std::wstring& model) {
    return std::ranges::any_of(kSwappedMakerNames,
                               [&](std::wstring_view name) { return model.starts_with(name); });
}

void UseStoredStrings(DriveRecord& record) {
    record.SerialNumber = record.SerialNumberReverse;
    record.FirmwareRev = record.FirmwareRevReverse;
    record.Model = record.ModelReverse;
    record.ModelSerial = MakeModelSerial(record.Model, record.SerialNumber);
}

}  // namespace disk
