// What a report says about the machine besides its drives.
#pragma once

#include <string>

#include "migration/system_disk.h"

namespace cli {

struct MachineFacts {
    std::wstring OsName;  // as the window shows it, e.g. "Windows 10 64"
    unsigned OsMajor = 0;
    unsigned OsMinor = 0;
    bool AhciMode = false;
    migration::SystemDisk SystemDisk;  // not Found() while undetermined
};

}  // namespace cli
