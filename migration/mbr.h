// Reading a disk's master boot record, finding the system partition in it, and writing it,
// trimmed after the system partition, onto the migration target.
#pragma once

#include <cstdint>
#include <optional>

#include "migration/disk_io.h"
#include "migration/table_result.h"
#include "migration/written_sectors.h"
#include "platform/partition_table.h"
#include "platform/win_types.h"

namespace migration {

struct MbrDiskContext {
    platform::HANDLE handle = nullptr;  // the caller's; never closed here
    uint32_t sectorSize = kSectorSize;
    uint64_t sectorCount = 0;       // 0 when the geometry query failed
    uint32_t partitionCount = 0;    // entries with a known status byte
    uint32_t systemEntryIndex = 0;  // 0..3
    // Geometry, kept for the log only.
    uint32_t sectorsPerTrack = 0;
    uint32_t tracksPerCylinder = 0;
    uint32_t cylinders = 0;
    platform::MasterBootRecord mbr{};
};

// Re-initialises `context`, reads sector 0 of `handle` and finds the system partition: kOk,
// kUnreadableSector or kBadSignature.
TableResult readMbr(MbrDiskContext& context, platform::HANDLE handle,
                    const std::optional<VolumeExtent>& systemVolume = std::nullopt);

// Makes the entry that holds the system volume the system entry: the one whose start and
// length equal `systemVolume` when it is given, else the first whose length equals the length
// of the system directory's volume. Keeps the status scan's choice when none matches.
void findSystemPartitionMbr(MbrDiskContext& context,
                            const std::optional<VolumeExtent>& systemVolume);

// Writes the source's sector 0, with the entries after the system entry cleared, to sector 0
// of `targetHandle`: kOk, kTargetTooSmall or kWriteFailed. Boot code, disk signature and the
// kept entries go over unchanged. The sector is flushed to the medium before kOk. The write
// done is appended to `written` when one is given.
TableResult modifyMbr(const MbrDiskContext& source, platform::HANDLE targetHandle,
                      WrittenSectors* written = nullptr);

}  // namespace migration
