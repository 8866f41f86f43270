#include "disk/wmi_disk.h"

#include <cwctype>
#include <string_view>

#include "base/log.h"
#include "disk/disk_identity_rules.h"
#include "disk/wmi_query.h"

namespace disk {

using enum InterfaceType;

namespace {

constexpr uint64_t kBytesPerMiB = 1024 * 1024;

std::wstring Lower(std::wstring text) {
    for (wchar_t& c : text)
        c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

std::wstring Upper(std::wstring text) {
    for (wchar_t& c : text)
        c = static_cast<wchar_t>(std::towupper(c));
    return text;
}

bool Contains(const std::wstring& text, std::wstring_view part) {
    return text.find(part) != std::wstring::npos;
}

// `part` somewhere after the first character.
bool ContainsAfterFirst(const std::wstring& text, std::wstring_view part) {
    const size_t at = text.find(part);
    return at != std::wstring::npos && at > 0;
}

// Disk sizes that the identification may have got wrong: none, or one between 1 and 10 GiB,
// which an old bridge reporting a clipped geometry gives.
bool SizeNeedsWmi(double totalDiskSize) {
    return totalDiskSize <= 0.0 || (totalDiskSize >= 1024.0 && totalDiskSize < 10240.0);
}

void ApplyWmiSize(const std::wstring& size, DriveRecord& record) {
    if (size.empty()) return;
    const long long bytes = std::wcstoll(size.c_str(), nullptr, 10);
    record.DiskSizeWmi = static_cast<uint32_t>(bytes);
    // The management view counts bytes; the record counts MiB.
    const uint64_t mib = bytes > 0 ? static_cast<uint64_t>(bytes) / kBytesPerMiB : 0;
    if (mib > 0 && SizeNeedsWmi(record.TotalDiskSize))
        record.TotalDiskSize = static_cast<double>(mib);
}

// "USB (Serial ATA)" and the like, for a disk on a bridge. False when the disk is on none.
bool DecorateInterface(const WmiDisk& disk, InterfaceType interfaceType, std::wstring& model,
                       DriveRecord& record) {
    InterfaceType decorated = INTERFACE_TYPE_UNKNOWN;
    const wchar_t* format = nullptr;
    if (interfaceType == INTERFACE_TYPE_UASP) {
        decorated = INTERFACE_TYPE_UASP;
        format = L"UASP (";
    } else if (RemoveAll(model, L" USB Device") || Contains(disk.interfaceType, L"USB")) {
        decorated = INTERFACE_TYPE_USB;
        format = L"USB (";
    } else if (RemoveAll(model, L" IEEE 1394 SBP2 Device") ||
               Contains(disk.interfaceType, L"1394")) {
        decorated = INTERFACE_TYPE_IEEE1394;
        format = L"IEEE 1394 (";
    } else {
        return false;
    }
    record.Interface = format + record.Interface + L")";
    record.InterfaceType = decorated;
    return true;
}

}  // namespace

WmiDisk ReadWmiDisk(const platform::WmiObject& object) {
    const auto text = [&](const wchar_t* name, const wchar_t* logFormat) {
        const auto value = WmiText(object, name);
        if (value && logFormat) WriteLog(logFormat, value->c_str());
        return value.value_or(L"");
    };
    const auto integer = [&](const wchar_t* name) {
        return static_cast<int32_t>(WmiInteger(object, name).value_or(-1));
    };
    WmiDisk disk;
    disk.size = text(L"Size", L"diskSize:%ls");
    disk.deviceId = text(L"DeviceID", L"deviceId:%ls");
    disk.model = text(L"Model", L"model:%ls");
    disk.firmware = text(L"FirmwareRevision", nullptr);
    disk.mediaType = Lower(text(L"MediaType", L"mediaType:%ls"));
    disk.interfaceType = text(L"InterfaceType", L"interfaceTypeWmi:%ls");
    disk.pnpDeviceId = Upper(text(L"PNPDeviceID", L"pnpDeviceId:%ls"));
    disk.scsiPort = integer(L"SCSIPort");
    disk.scsiTargetId = integer(L"SCSITargetId");
    disk.scsiBus = integer(L"SCSIBus");
    return disk;
}

InterfaceType WmiInterfaceOf(const WmiDisk& disk, bool uasp) {
    if (uasp) {
        WriteLog(L"INTERFACE_TYPE_UASP");
        return INTERFACE_TYPE_UASP;
    }
    if (Contains(disk.model, L"NVMe") || Contains(disk.pnpDeviceId, L"NVME")) {
        WriteLog(L"INTERFACE_TYPE_NVME");
        return INTERFACE_TYPE_NVME;
    }
    if (Contains(disk.interfaceType, L"1394") ||
        ContainsAfterFirst(disk.model, L" IEEE 1394 SBP2 Device")) {
        WriteLog(L"INTERFACE_TYPE_IEEE1394");
        return INTERFACE_TYPE_IEEE1394;
    }
    if (Contains(disk.interfaceType, L"USB") || ContainsAfterFirst(disk.model, L" USB Device")) {
        WriteLog(L"INTERFACE_TYPE_USB");
        return INTERFACE_TYPE_USB;
    }
    return INTERFACE_TYPE_UNKNOWN;
}

bool CompleteFromWmi(const WmiDisk& disk, InterfaceType interfaceType,
                     std::span<const UsbDevice> usbDevices, DriveRecord& record) {
    ApplyWmiSize(disk.size, record);
    record.WmiModel = disk.model;

    std::wstring model = WithoutBusWords(disk.model);
    const bool decorated = DecorateInterface(disk, interfaceType, model, record);
    if (decorated && record.InterfaceType != INTERFACE_TYPE_UASP && !record.WmiModel.empty()) {
        for (const UsbDevice& device : usbDevices) {
            if (!device.name.starts_with(record.WmiModel)) continue;
            record.UsbDeviceName = device.name;
            record.UsbVendorId = device.vendorId;
            record.UsbProductId = device.productId;
        }
    }

    if (record.Model.empty()) {
        WriteLog(L"WmiModel: %ls", model.c_str());
        WriteLog(L"SerialNumber: %ls", record.SerialNumber.c_str());
        WriteLog(L"vars.RemoveAt(index) - 1");
        return false;
    }
    // A management model that matches the stored strings instead of the swapped ones means the
    // identification read a bridge's already readable strings the wrong way round.
    if (!decorated && !model.empty() && !SameModelStart(model, record.Model)) {
        if (SameModelStart(model, record.ModelReverse)) {
            UseStoredStrings(record);
        } else if (record.InterfaceType != INTERFACE_TYPE_USB &&
                   record.InterfaceType != INTERFACE_TYPE_UASP) {
            WriteLog(L"WmiModel: %ls", model.c_str());
            WriteLog(L"Model: %ls", record.Model.c_str());
            WriteLog(L"SerialNumber: %ls", record.SerialNumber.c_str());
            WriteLog(L"DISABLED: vars.RemoveAt(index) - 2");
        }
    }
    WriteLog(L"OK:Check Model Name");
    return true;
}

}  // namespace disk
