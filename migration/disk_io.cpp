#include "migration/disk_io.h"

#include <limits>

#include "base/log.h"
#include "platform/ioctl.h"
#include "platform/platform.h"
#include "platform/win_constants.h"

namespace migration {

using namespace platform;

DiskGeometry QueryDiskGeometry(HANDLE disk) {
    DISK_GEOMETRY_EX geometry{};
    DWORD returned = 0;
    DiskGeometry result;
    if (!DeviceIoControl(disk, IOCTL_DISK_GET_DRIVE_GEOMETRY_EX, nullptr, 0, &geometry,
                         sizeof geometry, &returned) ||
        returned < kDiskGeometryExMinimum)
        return result;
    // A negative size is not a disk we can write a table for.
    result.sectorCount =
        geometry.DiskSize > 0 ? static_cast<uint64_t>(geometry.DiskSize) / kSectorSize : 0;
    result.cylinders = static_cast<uint64_t>(geometry.Geometry.Cylinders);
    result.tracksPerCylinder = geometry.Geometry.TracksPerCylinder;
    result.sectorsPerTrack = geometry.Geometry.SectorsPerTrack;
    return result;
}

std::optional<int64_t> SectorOffset(uint64_t lba) {
    if (lba > static_cast<uint64_t>(std::numeric_limits<int64_t>::max()) / kSectorSize)
        return std::nullopt;
    return static_cast<int64_t>(lba * kSectorSize);
}

bool SeekSector(HANDLE disk, uint64_t lba) {
    const auto offset = SectorOffset(lba);
    if (!offset) {
        SetLastError(ERROR_NEGATIVE_SEEK);
        return false;
    }
    int64_t position = 0;
    return SetFilePointerEx(disk, *offset, &position, FILE_BEGIN) != 0;
}

bool FlushSectors(HANDLE disk) {
    if (FlushFileBuffers(disk)) return true;
    WriteLog(L"FlushFileBuffers Error: %ld\n", static_cast<long>(GetLastError()));
    return false;
}

namespace {

// A transfer that moved less than asked leaves part of the buffer stale; it is a failure.
bool Complete(BOOL ok, DWORD moved, DWORD asked) {
    if (!ok) return false;
    if (moved == asked) return true;
    SetLastError(ERROR_SECTOR_NOT_FOUND);
    return false;
}

}  // namespace

bool ReadSectors(HANDLE disk, uint64_t lba, void* buffer, uint32_t count) {
    if (!SeekSector(disk, lba)) return false;
    const DWORD size = count * kSectorSize;
    DWORD read = 0;
    const BOOL ok = ReadFile(disk, buffer, size, &read);
    return Complete(ok, read, size);
}

bool WriteSectors(HANDLE disk, uint64_t lba, const void* buffer, uint32_t count) {
    if (!SeekSector(disk, lba)) return false;
    const DWORD size = count * kSectorSize;
    DWORD written = 0;
    const BOOL ok = WriteFile(disk, buffer, size, &written);
    return Complete(ok, written, size);
}

}  // namespace migration
