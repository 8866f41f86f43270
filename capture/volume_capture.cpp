// The "volumes" section: every fixed or removable drive letter with its file system, label,
// space and the partitions its extents are.
#include <cstring>
#include <iterator>

#include "capture/capture_parts.h"
#include "platform/ioctl.h"
#include "platform/platform.h"
#include "platform/win_constants.h"

namespace capture {

namespace {

using namespace platform;
using platform::sim::DriveSpec;
using platform::sim::ExtentSpec;
using platform::sim::VolumeSpec;

constexpr DWORD kMaxExtents = 8;

std::vector<DISK_EXTENT> VolumeExtents(wchar_t letter) {
    const wchar_t path[] = {L'\\', L'\\', L'.', L'\\', letter, L':', L'\0'};
    const HANDLE volume =
        CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, 0);
    if (volume == INVALID_HANDLE_VALUE) return {};
    uint8_t buffer[kVolumeExtentsHeaderSize + kMaxExtents * sizeof(DISK_EXTENT)] = {};
    DWORD returned = 0;
    const BOOL ok = DeviceIoControl(volume, IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, nullptr, 0,
                                    buffer, sizeof buffer, &returned);
    CloseHandle(volume);
    if (!ok || returned < kVolumeExtentsHeaderSize) return {};
    DWORD count = 0;
    std::memcpy(&count, buffer, sizeof count);
    std::vector<DISK_EXTENT> extents;
    for (DWORD i = 0; i < count && i < kMaxExtents &&
                      kVolumeExtentsHeaderSize + (i + 1) * sizeof(DISK_EXTENT) <= returned;
         ++i) {
        DISK_EXTENT extent;
        std::memcpy(&extent, buffer + kVolumeExtentsHeaderSize + i * sizeof extent, sizeof extent);
        extents.push_back(extent);
    }
    return extents;
}

// The partition of `drives` that starts where the extent does.
std::optional<ExtentSpec> PartitionOf(const DISK_EXTENT& extent,
                                      const std::vector<DriveSpec>& drives) {
    for (const DriveSpec& drive : drives) {
        if (drive.physicalDrive != extent.DiskNumber || !drive.layout) continue;
        const auto& partitions = drive.layout->partitions;
        for (size_t i = 0; i < partitions.size(); ++i)
            if (static_cast<int64_t>(partitions[i].startLba * kSectorSize) == extent.StartingOffset)
                return ExtentSpec{extent.DiskNumber, static_cast<uint32_t>(i)};
    }
    return std::nullopt;
}

}  // namespace

std::vector<VolumeSpec> CaptureVolumes(const std::vector<DriveSpec>& drives) {
    std::vector<VolumeSpec> volumes;
    for (wchar_t letter = L'A'; letter <= L'Z'; ++letter) {
        const wchar_t root[] = {letter, L':', L'\\', L'\0'};
        const UINT type = GetDriveTypeW(root);
        if (type != DRIVE_FIXED && type != DRIVE_REMOVABLE) continue;
        wchar_t label[261] = {}, fileSystem[261] = {};
        DWORD serial = 0, maxComponent = 0, flags = 0;
        if (!GetVolumeInformationW(root, label, std::size(label), &serial, &maxComponent, &flags,
                                   fileSystem, std::size(fileSystem)))
            continue;
        ULONGLONG available = 0, total = 0, free = 0;
        if (!GetDiskFreeSpaceExW(root, &available, &total, &free)) continue;
        VolumeSpec volume;
        volume.letter = letter;
        volume.driveType = type;
        volume.fileSystem = fileSystem;
        volume.label = label;
        volume.serialNumber = serial;
        volume.totalBytes = total;
        volume.freeBytes = std::min(free, total);
        for (const DISK_EXTENT& extent : VolumeExtents(letter))
            if (const auto partition = PartitionOf(extent, drives))
                volume.extents.push_back(*partition);
        volumes.push_back(volume);
    }
    return volumes;
}

}  // namespace capture
