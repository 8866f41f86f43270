#include "platform/sim/layout_io.h"

#include <algorithm>
#include <cstring>

#include "platform/ioctl.h"

namespace platform::sim {

namespace {

constexpr uint32_t kEntryArrayBytes = kGptEntryCount * sizeof(GptEntry);

// LBA to the packed CHS bytes of an MBR entry, with 255 heads and 63 sectors per track;
// addresses past cylinder 1023 use the customary maximum.
void PutChs(uint8_t* chs, uint64_t lba) {
    const uint64_t cylinder = lba / (255 * 63);
    if (cylinder > 1023) {
        chs[0] = 0xFE;
        chs[1] = 0xFF;
        chs[2] = 0xFF;
        return;
    }
    const uint64_t head = (lba / 63) % 255;
    const uint64_t sector = lba % 63 + 1;
    chs[0] = static_cast<uint8_t>(head);
    chs[1] = static_cast<uint8_t>(sector | ((cylinder >> 2) & 0xC0));
    chs[2] = static_cast<uint8_t>(cylinder);
}

void PutMbrEntry(MbrPartitionEntry& entry, uint8_t status, uint8_t type, uint64_t start,
                 uint64_t count) {
    entry.status = status;
    entry.type = type;
    entry.startingLba = static_cast<uint32_t>(start);
    entry.sectorCount = static_cast<uint32_t>(count);
    PutChs(entry.firstChs, start);
    PutChs(entry.lastChs, start + count - 1);
}

bool WriteGpt(DiskImage& image, const LayoutSpec& layout) {
    const uint64_t sectors = image.Size() / kSectorSize;
    std::vector<GptEntry> entries(kGptEntryCount);
    std::memset(entries.data(), 0, kEntryArrayBytes);
    for (size_t i = 0; i < layout.partitions.size(); ++i) {
        const PartitionSpec& partition = layout.partitions[i];
        GptEntry& entry = entries[i];
        entry.typeGuid = partition.typeGuid;
        entry.uniqueGuid = partition.uniqueGuid;
        entry.startingLba = partition.startLba;
        entry.endingLba = partition.startLba + partition.sectorCount - 1;
        entry.attributes = partition.attributes;
        std::copy(partition.name.begin(), partition.name.end(), entry.name);
    }
    const auto* entryBytes = reinterpret_cast<const uint8_t*>(entries.data());

    GptHeader header{};
    std::memcpy(header.signature, kGptSignature, sizeof header.signature);
    header.revision = kGptRevision;
    header.headerSize = kGptHeaderSize;
    header.myLba = 1;
    header.alternateLba = sectors - 1;
    header.firstUsableLba = kGptReservedSectors + 1;
    header.lastUsableLba = sectors - kGptReservedSectors - 1;
    header.diskGuid = layout.diskGuid;
    header.partitionEntryLba = 2;
    header.numberOfPartitionEntries = kGptEntryCount;
    header.sizeOfPartitionEntry = sizeof(GptEntry);
    header.partitionEntryArrayCrc32 = Crc32(0, {entryBytes, kEntryArrayBytes});

    GptHeader backup = header;
    backup.myLba = sectors - 1;
    backup.alternateLba = 1;
    backup.partitionEntryLba = sectors - kGptReservedSectors;

    const auto seal = [](GptHeader& h) {
        h.headerCrc32 = 0;
        h.headerCrc32 = Crc32(0, {reinterpret_cast<const uint8_t*>(&h), kGptHeaderSize});
    };
    seal(header);
    seal(backup);

    MasterBootRecord mbr{};
    mbr.bootSignature = kMbrBootSignature;
    PutMbrEntry(mbr.partitions[0], 0x00, kMbrTypeProtectiveGpt, 1,
                std::min<uint64_t>(sectors - 1, UINT32_MAX));

    return image.Write(2 * kSectorSize, entryBytes, kEntryArrayBytes) &&
           image.Write(backup.partitionEntryLba * kSectorSize, entryBytes, kEntryArrayBytes) &&
           image.Write(kSectorSize, &header, sizeof header) &&
           image.Write(backup.myLba * kSectorSize, &backup, sizeof backup) &&
           image.Write(0, &mbr, sizeof mbr);
}

bool WriteMbr(DiskImage& image, const LayoutSpec& layout) {
    MasterBootRecord mbr{};
    mbr.diskSignature = layout.signature;
    mbr.bootSignature = kMbrBootSignature;
    for (size_t i = 0; i < layout.partitions.size(); ++i) {
        const PartitionSpec& partition = layout.partitions[i];
        PutMbrEntry(mbr.partitions[i], partition.bootable ? 0x80 : 0x00, partition.mbrType,
                    partition.startLba, partition.sectorCount);
    }
    return image.Write(0, &mbr, sizeof mbr);
}

bool ValidGptHeader(const GptHeader& header, uint64_t sectors) {
    if (std::memcmp(header.signature, kGptSignature, sizeof header.signature) != 0) return false;
    if (header.headerSize < kGptHeaderSize || header.headerSize > kSectorSize) return false;
    GptHeader copy = header;
    copy.headerCrc32 = 0;
    if (Crc32(0, {reinterpret_cast<const uint8_t*>(&copy), header.headerSize}) !=
        header.headerCrc32)
        return false;
    return header.sizeOfPartitionEntry == sizeof(GptEntry) && header.numberOfPartitionEntries > 0 &&
           header.numberOfPartitionEntries <= 1024 && header.partitionEntryLba < sectors;
}

std::optional<PartitionTable> ReadGpt(const DiskImage& image, uint64_t headerLba) {
    const uint64_t sectors = image.Size() / kSectorSize;
    GptHeader header;
    if (!image.Read(headerLba * kSectorSize, &header, sizeof header) ||
        !ValidGptHeader(header, sectors))
        return std::nullopt;
    std::vector<GptEntry> entries(header.numberOfPartitionEntries);
    const size_t bytes = entries.size() * sizeof(GptEntry);
    if (!image.Read(header.partitionEntryLba * kSectorSize, entries.data(), bytes) ||
        Crc32(0, {reinterpret_cast<const uint8_t*>(entries.data()), bytes}) !=
            header.partitionEntryArrayCrc32)
        return std::nullopt;
    PartitionTable table;
    table.style = LayoutStyle::Gpt;
    table.diskGuid = header.diskGuid;
    table.firstUsableLba = header.firstUsableLba;
    table.lastUsableLba = header.lastUsableLba;
    for (uint32_t i = 0; i < entries.size(); ++i) {
        const GptEntry& entry = entries[i];
        if (entry.typeGuid == GuidBytes{} || entry.endingLba < entry.startingLba) continue;
        TableEntry out;
        out.index = i;
        out.startLba = entry.startingLba;
        out.sectorCount = entry.endingLba - entry.startingLba + 1;
        out.typeGuid = entry.typeGuid;
        out.uniqueGuid = entry.uniqueGuid;
        out.attributes = entry.attributes;
        const auto nameEnd = std::find(std::begin(entry.name), std::end(entry.name), u'\0');
        out.name.assign(std::begin(entry.name), nameEnd);
        table.entries.push_back(out);
    }
    return table;
}

}  // namespace

const TableEntry* PartitionTable::Find(uint32_t index) const {
    const auto found = std::find_if(entries.begin(), entries.end(),
                                    [&](const TableEntry& entry) { return entry.index == index; });
    return found == entries.end() ? nullptr : &*found;
}

bool WriteLayout(DiskImage& image, const LayoutSpec& layout) {
    switch (layout.style) {
        case LayoutStyle::Gpt:
            return WriteGpt(image, layout);
        case LayoutStyle::Mbr:
            return WriteMbr(image, layout);
        case LayoutStyle::Raw:
            return true;
    }
    return false;
}

PartitionTable ReadPartitionTable(const DiskImage& image) {
    PartitionTable table;
    MasterBootRecord mbr;
    if (!image.Read(0, &mbr, sizeof mbr) || mbr.bootSignature != kMbrBootSignature) return table;
    const uint64_t sectors = image.Size() / kSectorSize;
    if (mbr.partitions[0].type == kMbrTypeProtectiveGpt) {
        if (auto gpt = ReadGpt(image, 1)) return *gpt;
        if (sectors > 1)
            if (auto gpt = ReadGpt(image, sectors - 1)) return *gpt;
    }
    table.style = LayoutStyle::Mbr;
    table.signature = mbr.diskSignature;
    table.firstUsableLba = 1;
    table.lastUsableLba = sectors ? sectors - 1 : 0;
    for (uint32_t i = 0; i < 4; ++i) {
        const MbrPartitionEntry& entry = mbr.partitions[i];
        if (entry.type == 0 || entry.sectorCount == 0) continue;
        TableEntry out;
        out.index = i;
        out.startLba = entry.startingLba;
        out.sectorCount = entry.sectorCount;
        out.mbrType = entry.type;
        out.bootable = entry.status == 0x80;
        table.entries.push_back(out);
    }
    return table;
}

bool DeleteLayout(DiskImage& image) {
    MasterBootRecord mbr;
    if (!image.Read(0, &mbr, sizeof mbr)) return false;
    std::memset(mbr.partitions, 0, sizeof mbr.partitions);
    mbr.bootSignature = 0;
    const uint8_t zeros[kSectorSize] = {};
    if (!image.Write(0, &mbr, sizeof mbr)) return false;
    // Only sectors that hold a GPT header are cleared; on an MBR disk they may hold data.
    for (const uint64_t lba : {uint64_t{1}, image.Size() / kSectorSize - 1}) {
        GptHeader header;
        if (!image.Read(lba * kSectorSize, &header, sizeof header)) return false;
        if (std::memcmp(header.signature, kGptSignature, sizeof header.signature) == 0 &&
            !image.Write(lba * kSectorSize, zeros, sizeof zeros))
            return false;
    }
    return true;
}

}  // namespace platform::sim
