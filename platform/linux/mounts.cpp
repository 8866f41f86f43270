#include "platform/linux/mounts.h"

#include <algorithm>
#include <sstream>

namespace platform::linux_backend {

namespace {

// Mount points escape space, tab, newline and backslash as three octal digits.
std::string Unescape(const std::string& field) {
    std::string text;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() &&
            std::all_of(field.begin() + static_cast<long>(i) + 1,
                        field.begin() + static_cast<long>(i) + 4,
                        [](char c) { return c >= '0' && c <= '7'; })) {
            text += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                      (field[i + 3] - '0'));
            i += 3;
        } else {
            text += field[i];
        }
    }
    return text;
}

}  // namespace

std::vector<MountEntry> ParseMountInfo(std::string_view text) {
    std::vector<MountEntry> mounts;
    std::istringstream lines{std::string(text)};
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::vector<std::string> parts;
        for (std::string field; fields >> field;)
            parts.push_back(field);
        // id, parent, major:minor, root, mount point, options, optional fields…, "-", type,
        // source, super options.
        const auto separator = std::find(parts.begin(), parts.end(), "-");
        if (parts.size() < 6 || separator - parts.begin() < 6 || parts.end() - separator < 3)
            continue;
        const auto device = ParseDeviceNumber(parts[2]);
        if (!device) continue;
        mounts.push_back({*device, Unescape(parts[3]), Unescape(parts[4]), *(separator + 1),
                          Unescape(*(separator + 2))});
    }
    return mounts;
}

std::vector<LetteredMount> AssignDriveLetters(const std::vector<MountEntry>& mounts,
                                              const std::set<DeviceNumber>& physical) {
    std::vector<LetteredMount> lettered;
    std::set<DeviceNumber> seen;
    // The root file system is C: whatever it is mounted from; the last mount on "/" is the one
    // this process sees.
    const auto root = std::find_if(mounts.rbegin(), mounts.rend(),
                                   [](const MountEntry& m) { return m.mountPoint == "/"; });
    if (root != mounts.rend()) {
        lettered.push_back({L'C', *root});
        seen.insert(root->device);
    }
    std::vector<const MountEntry*> others;
    for (const MountEntry& mount : mounts) {
        // A bind mount shows a directory inside a file system; only the whole one is a volume.
        if (mount.root != "/" || !physical.count(mount.device) || seen.count(mount.device))
            continue;
        seen.insert(mount.device);
        others.push_back(&mount);
    }
    std::sort(others.begin(), others.end(),
              [](const MountEntry* a, const MountEntry* b) { return a->device < b->device; });
    wchar_t next = L'D';
    for (const MountEntry* mount : others) {
        if (next > L'Z') break;
        lettered.push_back({next++, *mount});
    }
    return lettered;
}

}  // namespace platform::linux_backend
