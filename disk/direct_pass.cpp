// The passes that need no management instrumentation: every physical drive number in turn,
// and optionally every SCSI port and target. A drive the management pass already recorded is
// not probed again.
#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "base/log.h"
#include "disk/ata_smart.h"
#include "disk/disk_identity_rules.h"
#include "platform/ioctl.h"
#include "platform/platform.h"
#include "platform/win_constants.h"
#include "transport/physical_drive.h"

using namespace platform;

namespace disk {

namespace {

constexpr DWORD kDescriptorBufferSize = 4096;

// The storage driver's description of a drive: the product and revision it names, and its bus.
struct StorageDescriptor {
    std::wstring product, revision;
    DWORD busType = BusTypeUnknown;
};

// The zero-terminated ASCII string at `offset` of the reply; empty for offset 0 or one outside
// the bytes that came back.
std::wstring DescriptorString(const uint8_t* reply, DWORD length, DWORD offset) {
    std::wstring text;
    if (offset == 0) return text;
    for (DWORD at = offset; at < length && reply[at] != 0; ++at)
        text += static_cast<wchar_t>(reply[at]);
    return text;
}

std::optional<StorageDescriptor> QueryStorageDescriptor(HANDLE drive) {
    STORAGE_PROPERTY_QUERY query{StorageDeviceProperty, PropertyStandardQuery, {}};
    std::vector<uint8_t> reply(kDescriptorBufferSize, 0);
    DWORD returned = 0;
    if (!DeviceIoControl(drive, IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query, reply.data(),
                         kDescriptorBufferSize, &returned))
        return std::nullopt;
    returned = std::min(returned, kDescriptorBufferSize);
    // The reply was zeroed, so fields beyond a short answer read as 0.
    STORAGE_DEVICE_DESCRIPTOR header;
    std::memcpy(&header, reply.data(), sizeof header);
    return StorageDescriptor{DescriptorString(reply.data(), returned, header.ProductIdOffset),
                             DescriptorString(reply.data(), returned, header.ProductRevisionOffset),
                             header.BusType};
}

bool IsFixedDisk(HANDLE drive) {
    DISK_GEOMETRY geometry{};
    DWORD returned = 0;
    return DeviceIoControl(drive, IOCTL_DISK_GET_DRIVE_GEOMETRY, nullptr, 0, &geometry,
                           sizeof geometry, &returned) &&
           returned == sizeof geometry && geometry.MediaType == FixedMedia;
}

// Whether drive `n` is a fixed disk worth probing, and on which bus. The handle is closed on
// every way out.
std::optional<ProbeHints> ExamineDrive(int32_t n, bool excludeSamsungHd) {
    const HANDLE drive = transport::OpenPhysicalDrive(n);
    if (drive == INVALID_HANDLE_VALUE) return std::nullopt;
    std::optional<ProbeHints> probe;
    const std::optional<StorageDescriptor> descriptor =
        IsFixedDisk(drive) ? QueryStorageDescriptor(drive) : std::nullopt;
    if (descriptor &&
        !(excludeSamsungHd && IsUnsafeSamsungHd(descriptor->product, descriptor->revision))) {
        probe.emplace();
        WriteLog(L"USB-HDD Check");
        if (const auto bus = QueryStorageDescriptor(drive)) {
            WriteLog(L"Check Bus Type");
            if (bus->busType == BusTypeUsb) {
                WriteLog(L"Bus Type = USB");
                *probe = {.interfaceType = InterfaceType::INTERFACE_TYPE_USB,
                          .usbVendorId = USB_VENDOR_UNKNOWN};
            }
        }
    }
    CloseHandle(drive);
    return probe;
}

}  // namespace

void CAtaSmart::ScanPhysicalDrives() {
    for (int32_t n = 0; n <= kMaxPhysicalDrive; ++n) {
        if (IsRecorded(n)) continue;
        const std::optional<ProbeHints> probe = ExamineDrive(n, ExcludeSamsungHd);
        if (!probe) continue;
        WriteLog(L"DO:GetDiskInfo");
        if (!GetDiskInfo({.physicalDriveId = n}, *probe)) {
            UnansweredDrives.push_back(n);
            continue;
        }
        WriteLog(L"OK:GetDiskInfo");
        DriveRecord& record = vars[vars.Count() - 1];
        if (HasSwappedMakerName(record.Model)) {
            WriteLog(L"Reverse");
            UseStoredStrings(record);
        }
        if (probe->interfaceType == InterfaceType::INTERFACE_TYPE_USB)
            record.Interface = L"USB (" + record.Interface + L")";
    }
}

void CAtaSmart::ScanScsiPorts() {
    for (int32_t port = 0; port <= kMaxScsiPort; ++port) {
        for (int32_t target = 0; target <= kMaxScsiTarget; ++target) {
            if (!GetDiskInfo({.scsiPort = port, .scsiTargetId = target}, {})) continue;
            DriveRecord& record = vars[vars.Count() - 1];
            if (HasSwappedMakerName(record.Model)) UseStoredStrings(record);
        }
    }
    WriteLog(L"OK:GetDiskInfo - Scsi");
}

}  // namespace disk
