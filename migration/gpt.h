// Reading a disk's GUID partition table and writing it, trimmed after the system partition
// and fitted to a target of another size, onto the migration target.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "migration/disk_io.h"
#include "migration/table_result.h"
#include "migration/written_sectors.h"
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

// Whether `header` is a usable GPT header for `sectorSize`-byte sectors: kOk, kBadSignature,
// kBadHeader, or kBadHeaderCrc when a wrong HeaderCRC32 is its only fault. Changes nothing; a
// caller that accepts a header with a wrong CRC repairs it with SealGptHeader if it needs to.
TableResult checkGptHeader(const platform::GptHeader& header, uint32_t sectorSize);

// Stores the CRC of the header's present fields in its HeaderCRC32: after a change, or as the
// repair of a header whose only fault is its CRC.
void SealGptHeader(platform::GptHeader& header);

// Re-initialises `context` and reads the GPT of `handle`. The system partition is the entry
// whose extent equals `systemVolume`; when none does (or no extent is given), the first "Basic
// data partition" of the basic-data type. A damaged backup is only logged, but a backup entry
// array that cannot be read fails the open.
TableResult openGTP(GptDiskContext& context, platform::HANDLE handle,
                    const std::optional<VolumeExtent>& systemVolume = std::nullopt);

// Writes the source table in `source` (from a successful openGTP) onto `targetHandle`,
// keeping entries 0 to the system partition and placing the backup at the target's end.
// Writes the backup array and header, flushes, then the primary array and header and
// `protectiveMbr` (512 bytes for sector 0; none leaves sector 0 alone), and flushes again.
// kOk only when it was written, made durable and reads back. Each write done is appended to
// `written` when one is given.
TableResult modifyGpt(platform::HANDLE targetHandle, const GptDiskContext& source,
                      const void* protectiveMbr = nullptr, WrittenSectors* written = nullptr);

}  // namespace migration
