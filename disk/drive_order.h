// The order of the drive list the pages show: by physical drive number, and drives found only
// behind a RAID port (number -1) by their port description.
#pragma once

#include "disk/drive_record.h"

namespace disk {

// Byte of the CSMI port data that orders the drives found behind RAID ports.
inline constexpr size_t kCsmiSortByte = 28;

// Sorts the valid records by physical drive number; two records without one by kCsmiSortByte
// of their CSMI port data. Records that compare equal keep their order.
void SortDriveList(DriveList& drives);

}  // namespace disk
