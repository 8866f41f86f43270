#include "migration/gpt.h"

#include <algorithm>
#include <cstring>
#include <span>
#include <string_view>

#include "base/log.h"
#include "platform/platform.h"

namespace migration {

using platform::GptEntry;
using platform::GptHeader;

namespace {

constexpr std::u16string_view kBasicDataName = u"Basic data partition";

std::span<const uint8_t> Bytes(const GptHeader& header, size_t size) {
    return {reinterpret_cast<const uint8_t*>(&header), size};
}

// Never reads past the image, whatever the header claims its size is.
uint32_t HeaderCrc(GptHeader header) {
    header.headerCrc32 = 0;
    return platform::Crc32(0, Bytes(header, std::min<size_t>(header.headerSize, sizeof header)));
}

bool IsEmpty(const GptEntry& entry) {
    return entry.startingLba == 0 && entry.endingLba == 0;
}

// The name is compared as the UTF-16 text it is, up to its terminator or its 36th unit.
bool IsBasicDataPartition(const GptEntry& entry) {
    static const auto basicType = platform::ParseGuid(
        std::find_if(std::begin(platform::kGptTypes), std::end(platform::kGptTypes),
                     [](const platform::GptTypeName& type) { return type.name == "basic"; })
            ->guid);
    char16_t name[36];
    std::memcpy(name, entry.name, sizeof name);
    const std::u16string_view text(name, std::find(name, name + 36, u'\0') - name);
    return text == kBasicDataName && entry.typeGuid == *basicType;
}

bool MatchesExtent(const GptEntry& entry, const VolumeExtent& extent) {
    const auto start = SectorOffset(entry.startingLba);
    const auto end = SectorOffset(entry.endingLba + 1);
    return start && end && entry.endingLba != UINT64_MAX &&
           static_cast<uint64_t>(*start) == extent.startingOffset &&
           static_cast<uint64_t>(*end - *start) == extent.length;
}

// The header passed checkGptHeader; these are the places a rewrite would write to, so the
// primary must put its array between itself and the first usable sector.
bool LayoutUsable(const GptHeader& header) {
    return header.myLba == 1 && header.partitionEntryLba >= 2 &&
           header.firstUsableLba > header.partitionEntryLba &&
           header.firstUsableLba - header.partitionEntryLba >= GptArraySectors(header) &&
           header.firstUsableLba <= header.lastUsableLba;
}

bool BackupAgrees(const GptHeader& primary, const GptHeader& backup) {
    return backup.myLba == primary.alternateLba && backup.alternateLba == 1 &&
           backup.firstUsableLba == primary.firstUsableLba &&
           backup.lastUsableLba == primary.lastUsableLba && backup.diskGuid == primary.diskGuid &&
           backup.numberOfPartitionEntries == primary.numberOfPartitionEntries &&
           backup.sizeOfPartitionEntry == primary.sizeOfPartitionEntry;
}

long LastError() {
    return static_cast<long>(platform::GetLastError());
}

// The backup is advisory: only a read error inside its entry array fails the open.
TableResult CheckBackup(const GptDiskContext& context) {
    const GptHeader& primary = context.header;
    if (primary.alternateLba < 3 || primary.alternateLba >= context.sectorCount)
        return TableResult::kOk;
    GptHeader backup{};
    if (!ReadSectors(context.handle, primary.alternateLba, &backup)) {
        WriteLog(L"openGTP ReadFile()-3 bad backup read\n");
        return TableResult::kOk;
    }
    // Only the backup's fields are compared below, so a wrong CRC alone is no fault here.
    const TableResult check = checkGptHeader(backup, context.sectorSize);
    if (check != TableResult::kOk && check != TableResult::kBadHeaderCrc)
        WriteLog(L"bad backup header\n");
    if (!BackupAgrees(primary, backup)) {
        WriteLog(L"W: bad backup gpt\n");
        return TableResult::kOk;
    }
    const uint64_t sectors = GptArraySectors(primary);
    std::vector<uint8_t> array(sectors * kSectorSize);
    for (uint32_t s = 0; s < sectors; ++s) {
        if (!ReadSectors(context.handle, backup.partitionEntryLba + s,
                         array.data() + size_t{s} * kSectorSize)) {
            WriteLog(L"openGTP ReadFile()-3 failed to read partition entry %u-%d\n", s,
                     static_cast<int>(platform::GetLastError()));
            return TableResult::kUnreadableSector;
        }
    }
    const size_t size = context.EntrySize();
    for (uint32_t i = 0; i < context.EntryCount(); ++i) {
        if (std::memcmp(array.data() + i * size, context.entries.data() + i * size, size) != 0) {
            WriteLog(L"mismatched backup partition entry %u\n", i);
            break;
        }
    }
    return TableResult::kOk;
}

// The entry array as whole sectors; the tail of the last sector beyond the entries is zero.
std::vector<uint8_t> ArraySectorsImage(const GptDiskContext& table) {
    std::vector<uint8_t> image(GptArraySectors(table.header) * kSectorSize, 0);
    std::copy(table.entries.begin(), table.entries.end(), image.begin());
    return image;
}

}  // namespace

GptEntry GptDiskContext::Entry(uint32_t index) const {
    GptEntry entry;
    std::memcpy(&entry, entries.data() + size_t{index} * EntrySize(), sizeof entry);
    return entry;
}

uint64_t GptArraySectors(const GptHeader& header) {
    const uint64_t bytes = uint64_t{header.numberOfPartitionEntries} * header.sizeOfPartitionEntry;
    return (bytes + kSectorSize - 1) / kSectorSize;
}

TableResult checkGptHeader(const GptHeader& header, uint32_t sectorSize) {
    if (std::memcmp(header.signature, platform::kGptSignature, sizeof header.signature) != 0)
        return TableResult::kBadSignature;
    // The image holds one 512-byte sector; a larger sector size cannot widen the CRC range.
    const uint32_t limit = std::min<uint32_t>(sectorSize, sizeof(GptHeader));
    const bool fieldsFit = header.headerSize >= platform::kGptHeaderSize &&
                           header.headerSize <= limit &&
                           header.revision == platform::kGptRevision &&
                           header.numberOfPartitionEntries >= kGptMinEntries &&
                           header.numberOfPartitionEntries <= kGptMaxEntries &&
                           header.sizeOfPartitionEntry >= kGptMinEntrySize &&
                           header.sizeOfPartitionEntry <= kGptMaxEntrySize;
    if (!fieldsFit) return TableResult::kBadHeader;
    return HeaderCrc(header) == header.headerCrc32 ? TableResult::kOk : TableResult::kBadHeaderCrc;
}

void SealGptHeader(GptHeader& header) {
    header.headerCrc32 = HeaderCrc(header);
}

TableResult openGTP(GptDiskContext& context, platform::HANDLE handle,
                    const std::optional<VolumeExtent>& systemVolume) {
    context = GptDiskContext{};
    context.handle = handle;
    context.sectorCount = QueryDiskGeometry(handle).sectorCount;

    if (!ReadSectors(handle, 1, &context.header)) {
        WriteLog(L"openGTP ReadFile()-1 Error: %ld\n", LastError());
        return TableResult::kUnreadableSector;
    }
    GptHeader& header = context.header;
    TableResult check = checkGptHeader(header, context.sectorSize);
    if (check == TableResult::kOk && !LayoutUsable(header)) check = TableResult::kBadHeader;
    if (check != TableResult::kOk) {
        WriteLog(L"bad gpt header\n");
        return check;
    }

    const uint64_t sectors = GptArraySectors(header);
    std::vector<uint8_t> array(sectors * kSectorSize);
    for (uint32_t s = 0; s < sectors; ++s) {
        if (!ReadSectors(handle, header.partitionEntryLba + s,
                         array.data() + size_t{s} * kSectorSize)) {
            WriteLog(L"openGTP ReadFile()-2 failed to read partition entry %u-%d\n", s,
                     static_cast<int>(platform::GetLastError()));
            return TableResult::kUnreadableSector;
        }
    }
    const size_t arrayBytes = size_t{context.EntryCount()} * context.EntrySize();
    context.entries.assign(array.begin(), array.begin() + arrayBytes);
    // The CRC covers the entries as they lie on disk, before bad ones are cleared below.
    const uint32_t crc = platform::Crc32(0, context.entries);

    std::optional<uint32_t> byExtent, byName;
    for (uint32_t i = 0; i < context.EntryCount(); ++i) {
        const GptEntry entry = context.Entry(i);
        if (IsEmpty(entry)) continue;
        if (entry.startingLba < header.firstUsableLba || entry.endingLba < entry.startingLba) {
            WriteLog(L"bad lba in partition entry %u\n", i);
            std::fill_n(context.EntryBytes(i), context.EntrySize(), 0);
            continue;
        }
        context.lastEntryIndex = i;
        if (!byExtent && systemVolume && MatchesExtent(entry, *systemVolume)) byExtent = i;
        if (!byName && IsBasicDataPartition(entry)) byName = i;
    }
    context.systemEntryIndex = byExtent.value_or(byName.value_or(0));

    if (crc != header.partitionEntryArrayCrc32) {
        WriteLog(L"W: bad ptbl crc\n");
        return TableResult::kBadEntryArrayCrc;
    }
    return CheckBackup(context);
}

// Order of writes on the target, each one stopping everything when it fails (the numbers are
// those of the log lines):
//   3. backup entry array right below the backup header,
//   4. backup header in the target's last sector, then a flush,
//   2. primary entry array at the source's PartitionEntryLBA,
//   1. primary header at LBA 1,
//   0. the protective MBR, when one is given, then a flush.
// Nothing is written before the space test passes. A failure leaves what was written so far;
// the migration deletes the target's table after a failed rewrite.
TableResult modifyGpt(platform::HANDLE targetHandle, const GptDiskContext& source,
                      const void* protectiveMbr, WrittenSectors* written) {
    GptDiskContext table = source;
    GptHeader& header = table.header;
    const uint64_t sectorCount = QueryDiskGeometry(targetHandle).sectorCount;
    const uint64_t arraySectors = GptArraySectors(header);
    const bool tableRead = table.entries.size() == size_t{table.EntryCount()} * table.EntrySize() &&
                           !table.entries.empty() && table.systemEntryIndex < table.EntryCount();
    if (!tableRead) {
        WriteLog(L"bad gpt header\n");
        return TableResult::kNoTableRead;
    }

    // Every kept partition has to end below the target's backup array, which takes the
    // array's sectors and the header at the very end.
    uint64_t highestEnd = 0;
    for (uint32_t i = 0; i <= table.systemEntryIndex; ++i)
        highestEnd = std::max(highestEnd, table.Entry(i).endingLba);
    const uint64_t backupSectors = arraySectors + 1;
    const bool fits = sectorCount > backupSectors + header.firstUsableLba &&
                      highestEnd <= sectorCount - backupSectors - 1;
    if (!fits) {
        WriteLog(L"no enough space for data migration\n");
        return TableResult::kTargetTooSmall;
    }

    // Partitions after the system partition are not copied, so they leave the table.
    const uint32_t keep = table.systemEntryIndex + 1;
    std::fill(table.entries.begin() + size_t{keep} * table.EntrySize(), table.entries.end(), 0);
    table.lastEntryIndex = table.systemEntryIndex;

    const GptEntry last = table.Entry(table.lastEntryIndex);
    WriteLog(L"begin to update GPT\n");
    WriteLog(L"gpt-first_lba=0x%08X, last_lba=0x%08X\n", static_cast<uint32_t>(last.startingLba),
             static_cast<uint32_t>(last.endingLba));

    // Disk and partition GUIDs stay: the target carries the source's identifiers.
    header.partitionEntryArrayCrc32 = platform::Crc32(0, table.entries);
    header.alternateLba = sectorCount - 1;
    header.lastUsableLba = sectorCount - backupSectors - 1;
    SealGptHeader(header);
    WriteLog(L"crc=0x%x\n", header.headerCrc32);

    const std::vector<uint8_t> array = ArraySectorsImage(table);
    const auto arrayCount = static_cast<uint32_t>(arraySectors);
    GptHeader backup = header;
    backup.myLba = sectorCount - 1;
    backup.alternateLba = 1;
    backup.partitionEntryLba = header.lastUsableLba + 1;
    SealGptHeader(backup);

    // The backup first and made durable, then the primary and the protective MBR: from the
    // moment the first header is complete, one valid header exists whatever is cut short.
    if (!SeekSector(targetHandle, backup.partitionEntryLba)) {
        WriteLog(L"SetFilePointerEx Error: %ld\n", LastError());
        return TableResult::kSeekFailed;
    }
    if (!WriteRecorded(targetHandle, backup.partitionEntryLba, array.data(), arrayCount, written)) {
        WriteLog(L"modifyGpt WriteFile()-3 Error: %ld\n", LastError());
        return TableResult::kWriteFailed;
    }
    if (!WriteRecorded(targetHandle, backup.myLba, &backup, 1, written)) {
        WriteLog(L"modifyGpt WriteFile()-4 Error: %ld\n", LastError());
        return TableResult::kWriteFailed;
    }
    if (!FlushSectors(targetHandle)) return TableResult::kWriteFailed;
    if (!WriteRecorded(targetHandle, header.partitionEntryLba, array.data(), arrayCount, written)) {
        WriteLog(L"modifyGpt WriteFile()-2 Error: %ld\n", LastError());
        return TableResult::kWriteFailed;
    }
    if (!WriteRecorded(targetHandle, header.myLba, &header, 1, written)) {
        WriteLog(L"modifyGpt WriteFile()-1 Error: %ld\n", LastError());
        return TableResult::kWriteFailed;
    }
    if (protectiveMbr != nullptr && !WriteRecorded(targetHandle, 0, protectiveMbr, 1, written)) {
        WriteLog(L"modifyGpt WriteFile()-0 Error: %ld\n", LastError());
        return TableResult::kWriteFailed;
    }
    if (!FlushSectors(targetHandle)) return TableResult::kWriteFailed;

    // A table that does not read back is not a rewritten table.
    GptDiskContext readBack;
    return openGTP(readBack, targetHandle) == TableResult::kOk ? TableResult::kOk
                                                               : TableResult::kNotReadBack;
}

}  // namespace migration
