#include "disk/ata_version.h"

#include <algorithm>
#include <array>
#include <cwchar>
#include <iterator>

namespace disk {

namespace {

struct MinorVersionName {
    uint16_t word;
    const wchar_t* name;
};

// Sorted by word, so a lookup can search it.
constexpr MinorVersionName kMinorVersions[] = {
    {0x0001, L"ATA (ATA-1) X3T9.2 781D prior to revision 4"},
    {0x0002, L"ATA-1 published, ANSI X3.221-1994"},
    {0x0003, L"ATA (ATA-1) X3T10 781D revision 4"},
    {0x0004, L"ATA-2 published, ANSI X3.279-1996"},
    {0x0005, L"ATA-2 X3T10 948D prior to revision 2k"},
    {0x0006, L"ATA-3 X3T10 2008D revision 1"},
    {0x0007, L"ATA-2 X3T10 948D revision 2k"},
    {0x0008, L"ATA-3 X3T10 2008D revision 0"},
    {0x0009, L"ATA-2 X3T10 948D revision 3"},
    {0x000A, L"ATA-3 published, ANSI X3.298-199x"},
    {0x000B, L"ATA-3 X3T10 2008D revision 6"},
    {0x000C, L"ATA-3 X3T13 2008D revision 7 and 7a"},
    {0x000D, L"ATA/ATAPI-4 X3T13 1153D version 6"},
    {0x000E, L"ATA/ATAPI-4 T13 1153D version 13"},
    {0x000F, L"ATA/ATAPI-4 X3T13 1153D version 7"},
    {0x0010, L"ATA/ATAPI-4 T13 1153D version 18"},
    {0x0011, L"ATA/ATAPI-4 T13 1153D version 15"},
    {0x0012, L"ATA/ATAPI-4 published, ANSI INCITS 317-1998"},
    {0x0013, L"ATA/ATAPI-5 T13 1321D version 3"},
    {0x0014, L"ATA/ATAPI-4 T13 1153D version 14"},
    {0x0015, L"ATA/ATAPI-5 T13 1321D version 1"},
    {0x0016, L"ATA/ATAPI-5 published, ANSI INCITS 340-2000"},
    {0x0017, L"ATA/ATAPI-4 T13 1153D version 17"},
    {0x0018, L"ATA/ATAPI-6 T13 1410D version 0"},
    {0x0019, L"ATA/ATAPI-6 T13 1410D version 3a"},
    {0x001A, L"ATA/ATAPI-7 T13 1532D version 1"},
    {0x001B, L"ATA/ATAPI-6 T13 1410D version 2"},
    {0x001C, L"ATA/ATAPI-6 T13 1410D version 1"},
    {0x001D, L"ATA/ATAPI-7 published ANSI INCITS 397-2005."},
    {0x001E, L"ATA/ATAPI-7 T13 1532D version 0"},
    {0x001F, L"ACS-3 Revision 3b"},
    {0x0021, L"ATA/ATAPI-7 T13 1532D version 4a"},
    {0x0022, L"ATA/ATAPI-6 published, ANSI INCITS 361-2002"},
    {0x0027, L"ATA8-ACS version 3c"},
    {0x0028, L"ATA8-ACS version 6"},
    {0x0029, L"ATA8-ACS version 4"},
    {0x0031, L"ACS-2 Revision 2"},
    {0x0033, L"ATA8-ACS version 3e"},
    {0x0039, L"ATA8-ACS version 4c"},
    {0x0042, L"ATA8-ACS version 3f"},
    {0x0052, L"ATA8-ACS version 3b"},
    {0x0082, L"ACS-2 published, ANSI INCITS 482-2012"},
    {0x0107, L"ATA8-ACS version 2d"},
    {0x0110, L"ACS-2 Revision 3"},
    {0x011B, L"ACS-3 Revision 4"},
};

constexpr bool IsSortedByWord() {
    for (size_t i = 1; i < std::size(kMinorVersions); ++i)
        if (kMinorVersions[i - 1].word >= kMinorVersions[i].word) return false;
    return true;
}
static_assert(IsSortedByWord());

// Names of the major versions from bit 8 up; lower bits are numbered ATA standards and bits
// above these have no name yet.
constexpr std::array<const wchar_t*, 4> kCommandSetNames = {L"ATA8-ACS", L"ACS-2", L"ACS-3",
                                                            L"ACS-4"};

constexpr int kFirstCommandSetBit = 8;
constexpr int kHighestVersionBit = 14;
constexpr uint16_t kNotReported = 0xFFFF;

std::wstring MajorVersionName(int bit) {
    if (bit >= kFirstCommandSetBit) {
        const size_t index = static_cast<size_t>(bit - kFirstCommandSetBit);
        return index < kCommandSetNames.size() ? kCommandSetNames[index] : L"";
    }
    wchar_t name[16];
    std::swprintf(name, std::size(name), bit >= 4 ? L"ATA/ATAPI-%d" : L"ATA-%d", bit);
    return name;
}

}  // namespace

AtaMajorVersion GetAtaMajorVersion(uint16_t word80) {
    AtaMajorVersion version;
    if (word80 == kNotReported) return version;
    for (int bit = kHighestVersionBit; bit >= 1; --bit) {
        if (word80 & (1u << bit)) {
            version.Number = bit;
            version.Name = MajorVersionName(bit);
            return version;
        }
    }
    version.Name = L"----";
    return version;
}

std::wstring GetAtaMinorVersion(uint16_t word81) {
    if (word81 == 0x0000 || word81 == kNotReported) return L"----";
    const auto found = std::lower_bound(
        std::begin(kMinorVersions), std::end(kMinorVersions), word81,
        [](const MinorVersionName& entry, uint16_t word) { return entry.word < word; });
    if (found != std::end(kMinorVersions) && found->word == word81) return found->name;
    wchar_t unknown[16];
    std::swprintf(unknown, std::size(unknown), L"---- [%04Xh]", static_cast<unsigned>(word81));
    return unknown;
}

}  // namespace disk
