// Sectors as a writer put them on a disk, kept so that reading them back can be compared with
// what was meant to be written rather than with the sectors they came from.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/win_types.h"

namespace migration {

struct SectorBlock {
    uint64_t first = 0;
    std::vector<uint8_t> bytes;  // whole sectors
    uint64_t End() const;        // one past the last sector
};
using WrittenSectors = std::vector<SectorBlock>;

// WriteSectors, and on success the block appended to `written` when one is given.
bool WriteRecorded(platform::HANDLE disk, uint64_t lba, const void* buffer, uint32_t count,
                   WrittenSectors* written);

}  // namespace migration
