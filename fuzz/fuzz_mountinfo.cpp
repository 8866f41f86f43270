// Arbitrary text as /proc/self/mountinfo, parsed and given drive letters, with every parsed
// device taken as a physical drive's. Letters are unique and follow one another from C: (only the
// root file system gets C:) up to Z:, one device gets at most one letter, and no field of a
// parsed line is longer than the text it came from.
#include <cstddef>
#include <cstdint>
#include <set>
#include <string_view>

#include "platform/linux/mounts.h"

using namespace platform::linux_backend;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto mounts = ParseMountInfo(text);
    std::set<DeviceNumber> physical;
    for (const MountEntry& mount : mounts) {
        if (mount.root.size() > size || mount.mountPoint.size() > size ||
            mount.fsType.size() > size || mount.source.size() > size)
            __builtin_trap();
        physical.insert(mount.device);
    }
    const auto lettered = AssignDriveLetters(mounts, physical);
    if (lettered.size() > 24) __builtin_trap();
    std::set<DeviceNumber> devices;
    wchar_t expected = L'C';
    for (const LetteredMount& each : lettered) {
        if (each.letter == L'C' && each.mount.mountPoint != "/") __builtin_trap();
        // Without a root mount the letters start at D:.
        if (expected == L'C' && each.letter == L'D') expected = L'D';
        if (each.letter != expected++) __builtin_trap();
        if (!devices.insert(each.mount.device).second) __builtin_trap();
    }
    return 0;
}
