#include "migration/drive_ops.h"

#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "base/log.h"
#include "platform/ioctl.h"
#include "platform/platform.h"

namespace migration {

using namespace platform;

namespace {

// The buffer the layout query is asked with first, and the one that holds the largest table
// a GPT can have when the first is too small for a disk with many partitions.
constexpr DWORD kLayoutBufferSize = 3840;
constexpr DWORD kLargestLayoutSize =
    kDriveLayoutHeaderSize + 256 * sizeof(PARTITION_INFORMATION_EX);

constexpr uint64_t kProbeSector = 100;

// A request without buffers whose only answer is success or failure.
bool Control(HANDLE disk, DWORD code) {
    DWORD returned = 0;
    return DeviceIoControl(disk, code, nullptr, 0, nullptr, 0, &returned) != 0;
}

}  // namespace

HANDLE openPhysicalDrive(uint32_t number, DWORD access) {
    const std::wstring name = L"\\\\.\\PhysicalDrive" + std::to_wstring(number);
    return CreateFileW(name.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, 0);
}

uint64_t getDiskSectorCount(HANDLE disk) {
    return QueryDiskGeometry(disk).sectorCount;
}

std::optional<DWORD> getDriveLayoutStyle(HANDLE disk) {
    for (const DWORD size : {kLayoutBufferSize, kLargestLayoutSize}) {
        // Cleared first, so a failed request never reads as a style.
        std::vector<uint8_t> buffer(size, 0);
        DWORD returned = 0;
        if (DeviceIoControl(disk, IOCTL_DISK_GET_DRIVE_LAYOUT_EX, nullptr, 0, buffer.data(), size,
                            &returned) &&
            returned >= sizeof(DWORD)) {
            DWORD style = 0;
            std::memcpy(&style, buffer.data(), sizeof style);
            return style;
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) break;
    }
    return std::nullopt;
}

LayoutWipe wipeDriveLayout(HANDLE disk) {
    if (!Control(disk, IOCTL_DISK_DELETE_DRIVE_LAYOUT))
        return GetLastError() == ERROR_WRITE_PROTECT ? LayoutWipe::kWriteProtected
                                                     : LayoutWipe::kDeleteFailed;
    return Control(disk, IOCTL_DISK_UPDATE_PROPERTIES) ? LayoutWipe::kDone
                                                       : LayoutWipe::kRereadFailed;
}

bool lockDisk(HANDLE disk) {
    return Control(disk, FSCTL_LOCK_VOLUME);
}

bool probeTargetWrite(HANDLE disk) {
    const uint8_t zeros[kSectorSize] = {};
    if (WriteSectors(disk, kProbeSector, zeros)) return true;
    WriteLog(L"calcspeedsec_ssd write_sect err -0x%x\n", static_cast<unsigned>(GetLastError()));
    return false;
}

void releaseDisk(HANDLE disk) {
    Control(disk, FSCTL_DISMOUNT_VOLUME);
    Control(disk, FSCTL_UNLOCK_VOLUME);
}

std::optional<VolumeExtent> getSystemVolumeExtent(uint32_t diskNumber) {
    constexpr UINT kPathLength = 260;
    wchar_t folder[kPathLength] = {};
    const UINT length = GetSystemDirectoryW(folder, kPathLength);
    if (length == 0 || length >= kPathLength) return std::nullopt;
    const wchar_t path[] = {L'\\', L'\\', L'.', L'\\', folder[0], L':', L'\0'};
    // Asking where a volume lies needs no write access to the running system's volume.
    const HANDLE volume =
        CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, 0);
    if (volume == INVALID_HANDLE_VALUE) return std::nullopt;
    // Room for a volume spread over a few disks; one on more is no system volume to migrate.
    constexpr DWORD kExtents = 4;
    uint8_t buffer[kVolumeExtentsHeaderSize + kExtents * sizeof(DISK_EXTENT)] = {};
    DWORD returned = 0;
    const BOOL ok = DeviceIoControl(volume, IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, nullptr, 0,
                                    buffer, sizeof buffer, &returned);
    CloseHandle(volume);
    if (!ok || returned < kVolumeExtentsHeaderSize) return std::nullopt;
    DWORD count = 0;
    std::memcpy(&count, buffer, sizeof count);
    const DWORD available = (returned - kVolumeExtentsHeaderSize) / sizeof(DISK_EXTENT);
    for (DWORD i = 0; i < count && i < available && i < kExtents; ++i) {
        DISK_EXTENT extent;
        std::memcpy(&extent, buffer + kVolumeExtentsHeaderSize + i * sizeof extent, sizeof extent);
        if (extent.DiskNumber == diskNumber && extent.StartingOffset >= 0 &&
            extent.ExtentLength > 0)
            return VolumeExtent{static_cast<uint64_t>(extent.StartingOffset),
                                static_cast<uint64_t>(extent.ExtentLength)};
    }
    return std::nullopt;
}

}  // namespace migration
