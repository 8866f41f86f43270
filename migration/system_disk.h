// Which detected disk holds the running system: the record whose drive letters include the
// letter of the system directory. The disk is the migration source and the one disk never
// offered as a target; everything that passes it on uses its physical drive number.
#pragma once

#include <cstdint>
#include <string>

#include "disk/drive_record.h"

namespace migration {

struct SystemDisk {
    // Position of the record in the list when it was found; for display and logs only, since
    // a later inventory may order the list differently.
    int32_t index = 0;
    // The identity every caller compares and passes on; -1 until a disk was found.
    int32_t physicalDriveId = -1;
    std::wstring model;
    // The system directory's drive letter ('C' for "C:\Windows\System32"); 0 when unknown.
    wchar_t letter = 0;

    bool Found() const { return physicalDriveId >= 0; }
};

// The drive letter of the system directory, upper case; 0 when the directory is unknown.
wchar_t SystemDriveLetter();

// Looks for the first record whose DriveLetters hold the system drive letter and records it
// in `systemDisk`. When no record does, `systemDisk` keeps what it held (only its letter is
// refreshed), as after an inventory that could not reach the system disk.
void getSystemDisk(const disk::DriveList& drives, SystemDisk& systemDisk);

}  // namespace migration
