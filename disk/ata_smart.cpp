#include "disk/ata_smart.h"

#include <algorithm>

#include "base/log.h"
#include "disk/drive_letters.h"
#include "disk/drive_order.h"
#include "disk/os_version.h"
#include "disk/wmi_connection.h"
#include "platform/ioctl.h"
#include "platform/platform.h"
#include "platform/win_constants.h"
#include "transport/physical_drive.h"

using namespace platform;

namespace disk {

CAtaSmart::CAtaSmart() {
    ReadSystemFacts();
    UsbSatEnabled.fill(true);
}

void CAtaSmart::ReadSystemFacts() {
    ReadOsVersion(&OsVersion);
    AtaPassThroughAvailable = AtaPassThroughAvailableFor(OsVersion);
    StorageQueryAvailable = StorageQueryAvailableFor(OsVersion);
}

SystemRoutes CAtaSmart::Routes() const {
    return {.ataPassThrough = AtaPassThroughAvailable,
            .storageQuery = StorageQueryAvailable,
            .osMajorVersion = OsVersion.dwMajorVersion,
            .osMinorVersion = OsVersion.dwMinorVersion,
            .csmiMode = CsmiEnabled};
}

std::wstring CAtaSmart::GetOsName() const {
    return disk::GetOsName(OsVersion);
}

bool CAtaSmart::IsRecorded(int32_t physicalDriveId) const {
    return std::ranges::any_of(vars.Records(), [&](const DriveRecord& record) {
        return record.Address.physicalDriveId == physicalDriveId;
    });
}

void CAtaSmart::SettleUnansweredDrives() {
    std::ranges::sort(UnansweredDrives);
    const auto [first, last] = std::ranges::unique(UnansweredDrives);
    UnansweredDrives.erase(first, last);
    std::erase_if(UnansweredDrives, [&](int32_t drive) { return IsRecorded(drive); });
}

void CAtaSmart::Init() {
    ReadSystemFacts();
    vars.Clear();
    UnansweredDrives.clear();
    WmiAvailable = false;
    NvidiaControllerFound = false;
    MarvellControllerFound = false;
    Controllers = ControllerMap{};
    removableLettersCount_ = false;
    WriteLog(L"CAtaSmart::Init WMI on - Start");

    if (const auto services = ConnectInventoryWmi(OsVersion)) {
        WmiAvailable = true;
        Controllers = BuildControllerMap(*services, ScsiScan);
        NvidiaControllerFound = Controllers.nvidiaControllerFound;
        MarvellControllerFound = Controllers.marvellControllerFound;
        WakeUpFixedDisks();
        ScanCsmiPorts();
        ScanWmiDisks(*services);
    }

    // Also without management instrumentation every fixed disk that answers is found here.
    ScanPhysicalDrives();
    WriteLog(L"OK:GetDiskInfo - PhysicalDrive");
    SortDriveList(vars);
    WriteLog(L"OK:qsort");

    if (ScsiScan) ScanScsiPorts();
    SettleUnansweredDrives();

    ApplyDriveLetters(MapDriveLetters(IncludeRemovable || removableLettersCount_), vars);

    LastUpdateTick = GetTickCount();
    WriteLog(L"CAtaSmart::Init - Complete");
    WriteLog(L"device num %d", vars.Count());
    if (updateDiskSpace)
        for (int32_t index = 0; index < vars.Count(); ++index)
            updateDiskSpace(*this, index);
}

void CAtaSmart::WakeUpFixedDisks() {
    for (int32_t drive = 0; drive <= kMaxPhysicalDrive; ++drive) {
        const HANDLE handle = transport::OpenPhysicalDrive(drive);
        if (handle == INVALID_HANDLE_VALUE) continue;
        DISK_GEOMETRY geometry{};
        DWORD returned = 0;
        if (DeviceIoControl(handle, IOCTL_DISK_GET_DRIVE_GEOMETRY, nullptr, 0, &geometry,
                            sizeof geometry, &returned) &&
            geometry.MediaType == FixedMedia) {
            WriteLog(L"WakeUp(%d)", drive);
            WakeUp(drive);
        }
        CloseHandle(handle);
    }
}

void CAtaSmart::ScanCsmiPorts() {
    const auto scan = RouteOf(CommandType::CMD_TYPE_CSMI).scanPort;
    if (scan == nullptr || CsmiEnabled == 0) return;
    for (int32_t port = 0; port <= kMaxScsiPort; ++port) {
        scan(port, Routes(), [&](const AtaPage& identify, const CsmiPortData& portData) {
            AddDisk(CommandType::CMD_TYPE_CSMI,
                    {.scsiPort = port, .target = TARGET_FIRST_DEVICE, .csmiPortData = portData},
                    identify);
        });
    }
}

void CAtaSmart::WakeUp(int32_t physicalDriveId) {
    if (physicalDriveId < 0) return;
    const std::wstring path = L"\\\\.\\PhysicalDrive" + std::to_wstring(physicalDriveId);
    const HANDLE drive = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, 0);
    if (drive == INVALID_HANDLE_VALUE) return;
    // Only the access matters: it makes a sleeping drive spin up before it is asked.
    uint8_t sector[kSectorSize];
    DWORD read = 0;
    SetFilePointerEx(drive, 0, nullptr, FILE_BEGIN);
    ReadFile(drive, sector, sizeof sector, &read);
    CloseHandle(drive);
}

}  // namespace disk
