// The space figures of a disk: its measured size, what its volumes use and leave free, what no
// volume covers, whether its first partition is 4 KiB aligned, and each volume's figures.
#pragma once

#include <cstdint>

#include "disk/drive_record.h"

namespace disk {
class CAtaSmart;
}  // namespace disk

namespace migration {

// Below this many MiB, space outside every volume is alignment slack, not unallocated space.
inline constexpr double kUnallocatedFloorMiB = 300.0;

// Measures `record` (the list's record `index`, which the log names). A disk that cannot be
// opened keeps its previous figures; a failed volume query gives that volume zeros; an
// unreadable partition table only clears IsAligned4K.
void updateDiskSpace(disk::DriveRecord& record, int32_t index);

// Makes every inventory of `engine` end with updateDiskSpace for each of its records.
void AttachDiskSpace(disk::CAtaSmart& engine);

}  // namespace migration
