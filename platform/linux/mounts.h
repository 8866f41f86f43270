// Mounted file systems and the drive letters they get: the root file system is C:, the other
// file systems mounted from a partition (or the whole disk) of a physical drive, or from a
// device stacked on one, follow from D: in the order of their device numbers. Pseudo file systems,
// bind mounts and second mounts of the same device get no letter.
#pragma once

#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/linux/block_devices.h"

namespace platform::linux_backend {

struct MountEntry {
    DeviceNumber device;
    std::string root;        // the part of the file system mounted ("/" for all of it)
    std::string mountPoint;  // with the \040-style escapes undone
    std::string fsType;
    std::string source;
};

// The lines of /proc/self/mountinfo; malformed lines are skipped.
std::vector<MountEntry> ParseMountInfo(std::string_view text);

struct LetteredMount {
    wchar_t letter = L'C';
    MountEntry mount;
};

// `physical` holds the device numbers of the physical drives, their partitions and the
// devices stacked on them.
std::vector<LetteredMount> AssignDriveLetters(const std::vector<MountEntry>& mounts,
                                              const std::set<DeviceNumber>& physical);

}  // namespace platform::linux_backend
