#include "migration/written_sectors.h"

#include "migration/disk_io.h"

namespace migration {

uint64_t SectorBlock::End() const {
    return first + bytes.size() / kSectorSize;
}

bool WriteRecorded(platform::HANDLE disk, uint64_t lba, const void* buffer, uint32_t count,
                   WrittenSectors* written) {
    if (!WriteSectors(disk, lba, buffer, count)) return false;
    if (written) {
        const auto* bytes = static_cast<const uint8_t*>(buffer);
        written->push_back({lba, std::vector<uint8_t>(bytes, bytes + size_t{count} * kSectorSize)});
    }
    return true;
}

}  // namespace migration
