// Which drive letters lie on which disk: every volume is asked for the disk extents it lies on,
// and its letter is marked on each of those disks.
#pragma once

#include <array>
#include <cstdint>

#include "disk/drive_record.h"

namespace disk {

// One word per physical drive number; bit n set when letter 'A' + n lies on that disk.
using DriveLetterMap = std::array<uint32_t, 256>;

// Asks every letter's volume for its extents. Fixed volumes count; removable ones from C: on
// only when `includeRemovable` is set. A volume on four or more extents marks no disk.
DriveLetterMap MapDriveLetters(bool includeRemovable);

// Gives every record with a physical drive number its map word and its letters ("C: D:").
void ApplyDriveLetters(const DriveLetterMap& map, DriveList& drives);

}  // namespace disk
