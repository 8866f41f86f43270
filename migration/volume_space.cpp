#include "migration/volume_space.h"

#include <cwchar>
#include <iterator>
#include <optional>

#include "base/log.h"
#include "disk/ata_smart.h"
#include "migration/disk_io.h"
#include "migration/drive_ops.h"
#include "migration/gpt.h"
#include "migration/mbr.h"
#include "platform/ioctl.h"
#include "platform/platform.h"
#include "platform/win_constants.h"

using disk::CAtaSmart;
using disk::DriveRecord;
using disk::VolumeSpace;

namespace migration {

using namespace platform;

namespace {

constexpr double kBytesPerMiB = 1024.0 * 1024.0;
// A partition starting on a multiple of 8 sectors starts on a 4 KiB boundary.
constexpr uint64_t kSectorsPer4K = 4096 / kSectorSize;
// Room the file system name query gets, as the volume list asks for it.
constexpr DWORD kFileSystemNameRoom = 260;

// Whether entry 0 of the disk's table starts on a 4 KiB boundary; false when the table
// cannot be read.
bool FirstPartitionAligned(HANDLE disk, DWORD style) {
    uint64_t start = 0;
    if (style == PARTITION_STYLE_GPT) {
        GptDiskContext table;
        if (openGTP(table, disk) != TableResult::kOk || table.EntryCount() == 0) return false;
        start = table.Entry(0).startingLba;
    } else {
        MbrDiskContext table;
        if (readMbr(table, disk) != TableResult::kOk) return false;
        start = table.mbr.partitions[0].startingLba;
    }
    return start % kSectorsPer4K == 0;
}

// Size of the disk in MiB from its geometry, and its alignment into `record`. Nothing when the
// disk cannot be opened or its layout read.
std::optional<double> MeasureDisk(DriveRecord& record) {
    const HANDLE disk = openPhysicalDrive(static_cast<uint32_t>(record.Address.physicalDriveId));
    if (disk == INVALID_HANDLE_VALUE) return std::nullopt;
    WriteLog(L"get driver %d size\n", record.Address.physicalDriveId);
    const double measured =
        static_cast<double>(getDiskSectorCount(disk)) * kSectorSize / kBytesPerMiB;
    const std::optional<DWORD> style = getDriveLayoutStyle(disk);
    if (!style) {
        WriteLog(L"GetDiskDriveLayout break\n");
        CloseHandle(disk);
        return std::nullopt;
    }
    record.IsAligned4K = FirstPartitionAligned(disk, *style);
    CloseHandle(disk);
    return measured;
}

VolumeSpace MeasureVolume(wchar_t letter) {
    VolumeSpace volume;
    volume.Letter = letter;
    const wchar_t root[] = {letter, L':', L'\\', L'\0'};
    ULONGLONG available = 0, total = 0, free = 0;
    if (!GetDiskFreeSpaceExW(root, &available, &total, &free)) total = free = 0;
    // A volume reporting more free space than it holds is read as full of free space.
    if (free > total) free = total;
    volume.TotalSize = static_cast<double>(total) / kBytesPerMiB;
    volume.FreeSize = static_cast<double>(free) / kBytesPerMiB;
    volume.UsedSize = static_cast<double>(total - free) / kBytesPerMiB;
    volume.UsedPercent =
        total == 0 ? 0 : static_cast<int32_t>(volume.UsedSize * 100.0 / volume.TotalSize);
    wchar_t fileSystem[kFileSystemNameRoom] = {};
    if (GetVolumeInformationW(root, nullptr, 0, nullptr, nullptr, nullptr, fileSystem,
                              kFileSystemNameRoom))
        volume.FileSystem.assign(fileSystem, wcsnlen(fileSystem, VolumeSpace::kFileSystemLength));
    return volume;
}

}  // namespace

void updateDiskSpace(DriveRecord& record, int32_t index) {
    if (record.Address.physicalDriveId >= 0) {
        const std::optional<double> measured = MeasureDisk(record);
        if (!measured) return;
        if (*measured != 0 && *measured != record.TotalDiskSize) record.TotalDiskSize = *measured;
    }

    record.Volumes = {};
    double total = 0, used = 0, free = 0;
    size_t entry = 0;
    for (int n = 0; n < 26; ++n) {
        if (!(record.DriveLetterMap & (1u << n))) continue;
        const VolumeSpace& volume = record.Volumes[entry++] =
            MeasureVolume(static_cast<wchar_t>(L'A' + n));
        total += volume.TotalSize;
        used += volume.UsedSize;
        free += volume.FreeSize;
    }
    record.UnallocatedSize = record.TotalDiskSize - total;
    record.UsedSize = used;
    record.FreeSize = free;
    record.UsedPercent = used + free == 0 ? 0 : static_cast<int32_t>(100.0 * used / (used + free));
    if (record.UnallocatedSize <= kUnallocatedFloorMiB) record.UnallocatedSize = 0;
    WriteLog(L"driver %d info: unlocationsize=%f \n unusedsize=%f \n usedsize=%f \n percent=%d \n ",
             index, record.UnallocatedSize, record.FreeSize, record.UsedSize, record.UsedPercent);
}

void AttachDiskSpace(CAtaSmart& engine) {
    engine.updateDiskSpace = [](CAtaSmart& owner, int32_t index) {
        updateDiskSpace(owner.vars[index], index);
    };
}

}  // namespace migration
