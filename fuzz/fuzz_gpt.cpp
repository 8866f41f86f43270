// Arbitrary bytes as the first sectors of a disk, read as a GPT and, when that succeeds,
// rewritten onto a blank target. A rewrite that reports success must read back.
// The first input byte is not disk data: its low bits ask for the primary header's CRCs (and
// the backup header's) to be made right, so mutations get past the CRC checks to the fields.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

#include "fuzz_sim_drive.h"
#include "migration/gpt.h"

namespace {

using platform::GptHeader;

void SealHeaderAt(std::vector<uint8_t>& image, uint64_t lba, bool sealArray) {
    if (lba >= image.size() / 512) return;
    GptHeader header;
    std::memcpy(&header, image.data() + lba * 512, sizeof header);
    if (sealArray) {
        const uint64_t bytes =
            uint64_t{header.numberOfPartitionEntries} * header.sizeOfPartitionEntry;
        const uint64_t start = header.partitionEntryLba * 512;
        if (header.partitionEntryLba < image.size() / 512 && bytes <= image.size() - start)
            header.partitionEntryArrayCrc32 =
                platform::Crc32(0, std::span(image.data() + start, bytes));
    }
    header.headerCrc32 = 0;
    header.headerCrc32 =
        platform::Crc32(0, std::span(reinterpret_cast<const uint8_t*>(&header),
                                     std::min<size_t>(header.headerSize, sizeof header)));
    std::memcpy(image.data() + lba * 512, &header, sizeof header);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const uint8_t flags = data[0];
    std::vector<uint8_t> image(FuzzDrives::kDiskBytes, 0);
    std::memcpy(image.data(), data + 1, std::min(size - 1, image.size()));
    if (flags & 1) SealHeaderAt(image, 1, true);
    if (flags & 2) {
        GptHeader primary;
        std::memcpy(&primary, image.data() + 512, sizeof primary);
        SealHeaderAt(image, primary.alternateLba, false);
    }

    FuzzDrives& drives = FuzzDrives::Instance();
    drives.Load(image.data(), image.size());
    migration::GptDiskContext source;
    if (migration::openGTP(source, drives.Source()) != migration::TableResult::kOk) return 0;
    if (source.systemEntryIndex >= source.EntryCount() ||
        source.lastEntryIndex >= source.EntryCount() ||
        source.entries.size() != size_t{source.EntryCount()} * source.EntrySize())
        __builtin_trap();
    if (migration::modifyGpt(drives.Target(), source) == migration::TableResult::kOk) {
        migration::GptDiskContext written;
        if (migration::openGTP(written, drives.Target()) != migration::TableResult::kOk)
            __builtin_trap();
    }
    return 0;
}
