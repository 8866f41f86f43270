// Reading a disk's GUID partition table and writing it, trimmed after the system partition
// and fitted to a target of another size, onto the migration target.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "migration/disk_io.h"
#include "platform/partition_table.h"
#include "platform/win_types.h"

namespace migration {

inline constexpr uint32_t kGptMinEntries = 4;
inline constexpr uint32_t kGptMaxEntries = 256;
inline constexpr uint32_t kGptMinEntrySize = 128;
inline constexpr uint32_t kGptMaxEntrySize = 4096;

// One disk's table as read: the header sector and the entry array, entries of the header's
// own entry size (so arrays of 256-byte entries round-trip unchanged).
struct GptDiskContext {
    platform::HANDLE handle = nullptr;  // the caller's; never closed here
    uint32_t sectorSize = kSectorSize;
    uint64_t sectorCount = 0;  // 0 when the geometry query failed
    platform::GptHeader header{};
    uint32_t lastEntryIndex = 0;    // highest non-empty entry that passed the LBA test
    uint32_t systemEntryIndex = 0;  // the system partition; 0 also when nothing matched
    // NumberOfPartitionEntries × SizeOfPartitionEntry bytes; entries with bad LBAs zeroed.
    std::vector<uint8_t> entries;

    uint32_t EntryCount() const { return header.numberOfPartitionEntries; }
    uint32_t EntrySize() const { return header.sizeOfPartitionEntry; }
    // The first 128 bytes of entry `index` (the standard fields); index < EntryCount().
    platform::GptEntry Entry(uint32_t index) const;
    uint8_t* EntryBytes(uint32_t index) { return entries.data() + size_t{index} * EntrySize(); }
};

// Sectors the entry array of `header` takes (its entries rounded up to whole sectors).
uint64_t GptArraySectors(const platform::GptHeader& header);

// 0 when `header` is a usable GPT header for `sectorSize`-byte sectors, else -1. A wrong
// HeaderCRC32 fails when `strict`; otherwise the computed value is stored in the header.
int checkGptHeader(platform::GptHeader& header, uint32_t sectorSize, bool strict);

// Re-initialises `context` and reads the GPT of `handle`: 0 or -1. The system partition is
// the entry whose extent equals `systemVolume`; when none does (or no extent is given), the
// first "Basic data partition" of the basic-data type. A damaged backup is only logged.
int openGTP(GptDiskContext& context, platform::HANDLE handle,
            const std::optional<VolumeExtent>& systemVolume = std::nullopt);

// Writes the source table in `source` (from a successful openGTP) onto `targetHandle`,
// keeping entries 0 to the system partition and placing the backup at the target's end.
// 0 when it was written and reads back, else -1.
int modifyGpt(platform::HANDLE targetHandle, const GptDiskContext& source);

}  // namespace migration
