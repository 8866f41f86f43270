// Whole-sector transfers and size queries on an open physical drive, the only ways the
// partition-table code touches a disk. Offsets are 64-bit byte positions (sector × 512).
#pragma once

#include <cstdint>
#include <optional>

#include "platform/win_types.h"

namespace migration {

inline constexpr uint32_t kSectorSize = 512;

// What the geometry query says of a disk; zeros when the query fails.
struct DiskGeometry {
    uint64_t sectorCount = 0;
    uint64_t cylinders = 0;
    uint32_t tracksPerCylinder = 0;
    uint32_t sectorsPerTrack = 0;
};
DiskGeometry QueryDiskGeometry(platform::HANDLE disk);

// Where the system volume lies on its disk, in bytes, as the volume's extent reports it.
struct VolumeExtent {
    uint64_t startingOffset = 0;
    uint64_t length = 0;
};

// Positions at `lba` × 512 and moves `count` whole sectors. False when positioning or the
// transfer fails or moves fewer bytes than asked; the system error is then in GetLastError
// (a short transfer reports ERROR_SECTOR_NOT_FOUND, a position beyond 64 bits
// ERROR_NEGATIVE_SEEK).
bool ReadSectors(platform::HANDLE disk, uint64_t lba, void* buffer, uint32_t count = 1);
bool WriteSectors(platform::HANDLE disk, uint64_t lba, const void* buffer, uint32_t count = 1);
// Positioning alone.
bool SeekSector(platform::HANDLE disk, uint64_t lba);
// Makes what was written durable (the drive's cache emptied onto the medium); false, logged,
// with the system error in GetLastError when that fails, which counts as a failed write.
bool FlushSectors(platform::HANDLE disk);

// Byte offset of `lba`, or nothing when it does not fit a signed 64-bit file position.
std::optional<int64_t> SectorOffset(uint64_t lba);

}  // namespace migration
