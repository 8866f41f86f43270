// The disk pass through management instrumentation: every Win32_DiskDrive object is placed on
// its controller, given an interface and USB ids, probed, and its record completed with what
// only the management view knows.
#include <algorithm>
#include <cstdint>
#include <string_view>

#include "base/log.h"
#include "disk/ata_smart.h"
#include "disk/disk_identity_rules.h"
#include "disk/wmi_disk.h"
#include "disk/wmi_query.h"

namespace disk {

namespace {

// Removable drives that are still worth probing and whose letters count.
constexpr std::wstring_view kRemovableTargets[] = {L"SanDisk Extreme", L"Kingston DT Ultimate"};

// An entry of a device list matches a disk whose PNP device id holds it.
bool Holds(const std::wstring& pnpDeviceId, const std::wstring& entry) {
    return !entry.empty() && pnpDeviceId.find(entry) != std::wstring::npos;
}

}  // namespace

void CAtaSmart::ScanWmiDisks(platform::WmiServices& services) {
    WriteLog(L"DO:SELECT * FROM Win32_DiskDrive");
    std::unique_ptr<platform::WmiEnumerator> disks;
    if (!platform::Succeeded(
            services.ExecQuery(L"WQL", L"SELECT * FROM Win32_DiskDrive", kWqlFlags, &disks))) {
        WriteLog(L"EX:SELECT * FROM Win32_DiskDrive");
        return;
    }
    WriteLog(L"OK1:SELECT * FROM Win32_DiskDrive");
    if (!disks) {
        WriteLog(L"pEnumCOMDevs == NULL");
        return;
    }
    const WmiWalkEnd end = WalkWmiObjects(*disks, SIZE_MAX, [&](const platform::WmiObject& disk) {
        WriteLog(L"while(pEnumCOMDevs ...");
        AddWmiDisk(ReadWmiDisk(disk));
    });
    if (end == WmiWalkEnd::NoMoreObjects) WriteLog(L"uReturned != 1");
    WriteLog(L"OK2:SELECT * FROM Win32_DiskDrive");
}

void CAtaSmart::AddWmiDisk(const WmiDisk& disk) {
    const int32_t physicalDriveId = PhysicalDriveOfDeviceId(disk.deviceId);

    bool target;
    const bool removableTarget = std::ranges::any_of(
        kRemovableTargets, [&](std::wstring_view model) { return disk.model.starts_with(model); });
    if (removableTarget || IncludeRemovable) {
        target = true;
        removableLettersCount_ = true;
    } else {
        target = !disk.mediaType.empty() && disk.mediaType.find(L"removable") == std::wstring::npos;
    }

    bool uasp = false, blackListed = false;
    int32_t siliconImageType = 0;
    for (const std::wstring& entry : Controllers.uaspDevices) {
        if (!Holds(disk.pnpDeviceId, entry)) continue;
        WriteLog(L"UASPController:%ls", disk.pnpDeviceId.c_str());
        uasp = true;
    }
    for (const SiliconImageDevice& entry : Controllers.siliconImageDevices) {
        if (!Holds(disk.pnpDeviceId, entry.pnpDeviceId)) continue;
        WriteLog(L"SiliconImageController:%ls", disk.pnpDeviceId.c_str());
        siliconImageType = entry.type;
    }
    for (const std::wstring& entry : Controllers.blackListedDevices) {
        if (!Holds(disk.pnpDeviceId, entry)) continue;
        WriteLog(L"BlackScsiController:%ls", disk.pnpDeviceId.c_str());
        blackListed = true;
    }
    if (blackListed) return;
    WriteLog(L"DO:GetDiskInfo pd=%d, sp=%d, st=%d, mt=%ls", physicalDriveId, disk.scsiPort,
             disk.scsiTargetId, disk.mediaType.c_str());

    ProbeHints hints{.interfaceType = WmiInterfaceOf(disk, uasp),
                     .nvidiaControllerFound = NvidiaControllerFound,
                     .marvellControllerFound = MarvellControllerFound};
    // A disk on no bridge is an ATA disk: probed whatever its media type says.
    if (hints.interfaceType == InterfaceType::INTERFACE_TYPE_UNKNOWN) target = true;

    for (const UsbDevice& device : Controllers.usbDevices) {
        if (device.name.empty() || !disk.model.starts_with(device.name)) continue;
        hints.usbVendorId = device.vendorId;
        hints.usbProductId = device.productId;
        WriteLog(L"usbVendorId=%04X, usbProductId=%04X", static_cast<unsigned>(device.vendorId),
                 static_cast<unsigned>(device.productId));
    }
    if (ScsiScan && disk.mediaType.empty()) target = true;
    if (ExcludeSamsungHd && IsUnsafeSamsungHd(disk.model, disk.firmware)) target = false;

    WriteLog(L"flagTarget && GetDiskInfo");
    const DriveAddress address{.physicalDriveId = physicalDriveId,
                               .scsiPort = disk.scsiPort,
                               .scsiTargetId = disk.scsiTargetId,
                               .scsiBus = disk.scsiBus,
                               .siliconImageType = siliconImageType,
                               .pnpDeviceId = disk.pnpDeviceId};
    if (!target) return;
    if (!GetDiskInfo(address, hints)) {
        if (physicalDriveId >= 0) UnansweredDrives.push_back(physicalDriveId);
        return;
    }

    WriteLog(L"int index = (int)vars.GetCount() - 1;");
    const int32_t index = vars.Count() - 1;
    if (!CompleteFromWmi(disk, hints.interfaceType, Controllers.usbDevices, vars[index]))
        vars.RemoveAt(index);
}

}  // namespace disk
