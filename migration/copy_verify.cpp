#include "migration/copy_verify.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "base/log.h"
#include "migration/copy_engine.h"
#include "migration/disk_io.h"
#include "migration/log_values.h"
#include "migration/migration_state.h"
#include "migration/stopwatch.h"
#include "platform/platform.h"

namespace migration {

namespace {

// Puts the part of each written block that falls in [first, first + sectors) over `expected`.
void OverlayWritten(const WrittenSectors& table, uint64_t first, uint32_t sectors,
                    uint8_t* expected) {
    const uint64_t end = first + sectors;
    for (const SectorBlock& block : table) {
        const uint64_t from = std::max(first, block.first), to = std::min(end, block.End());
        if (from >= to) continue;
        // Offsets inside one chunk and one block: they fit any size_t.
        std::memcpy(expected + static_cast<size_t>(from - first) * kSectorSize,
                    block.bytes.data() + static_cast<size_t>(from - block.first) * kSectorSize,
                    static_cast<size_t>(to - from) * kSectorSize);
    }
}

// The first sector of the transfer at `first` where the two buffers differ.
uint64_t FirstDifference(const uint8_t* expected, const uint8_t* actual, uint64_t first,
                         uint32_t sectors) {
    uint32_t s = 0;
    while (s < sectors && std::memcmp(expected + size_t{s} * kSectorSize,
                                      actual + size_t{s} * kSectorSize, kSectorSize) == 0)
        ++s;
    return first + s;
}

// One pass of reads and comparisons, with the progress it publishes.
class Verifier {
  public:
    Verifier(platform::HANDLE source, platform::HANDLE target, uint64_t totalSectors)
        : source_(source), target_(target), total_(std::max<uint64_t>(totalSectors, 1)) {}

    // Compares [first, end): the source's sectors (or none: the expectation is `table` alone),
    // with `table` over them.
    int Compare(uint64_t first, uint64_t end, bool fromSource, const WrittenSectors& table) {
        for (uint64_t at = first; at < end; at += kChunkSectors) {
            if (MigrationState.load(std::memory_order_relaxed) & kStateCancelledBit)
                return kVerifyCancelled;
            const uint32_t sectors = TransferSectors(at, end);
            if (fromSource && !ReadSectors(source_, at, expected_.data(), sectors)) {
                WriteLog(L"verify read_sect err -%llu -0x%x\n", Ull(at), LastError());
                return kVerifySourceReadFailed;
            }
            OverlayWritten(table, at, sectors, expected_.data());
            if (!ReadSectors(target_, at, actual_.data(), sectors)) {
                WriteLog(L"verify target read_sect err -%llu -0x%x\n", Ull(at), LastError());
                return kVerifyTargetReadFailed;
            }
            if (std::memcmp(expected_.data(), actual_.data(), size_t{sectors} * kSectorSize)) {
                WriteLog(L"verify differs -%llu\n",
                         Ull(FirstDifference(expected_.data(), actual_.data(), at, sectors)));
                return kVerifyDiffers;
            }
            Advance(sectors);
        }
        return kVerifyDone;
    }

  private:
    void Advance(uint32_t sectors) {
        done_ += sectors;
        const double percent = 100.0 * static_cast<double>(done_) / static_cast<double>(total_);
        MigrationProgress.percentDone.store(static_cast<float>(std::min(percent, 100.0)),
                                            std::memory_order_relaxed);
        // The rate so far predicts the rest: reading back is steady, unlike the first writes.
        const double msPerSector = watch_.ElapsedMs() / static_cast<double>(done_);
        const double left = static_cast<double>(total_ - std::min(done_, total_));
        MigrationProgress.remainingSeconds.store(static_cast<int64_t>(left * msPerSector / 1000.0),
                                                 std::memory_order_relaxed);
    }

    platform::HANDLE source_, target_;
    uint64_t total_, done_ = 0;
    Stopwatch watch_;
    std::vector<uint8_t> expected_ = std::vector<uint8_t>(kChunkBytes);
    std::vector<uint8_t> actual_ = std::vector<uint8_t>(kChunkBytes);
};

}  // namespace

int verifyCopy(platform::HANDLE sourceHandle, platform::HANDLE targetHandle, uint64_t sectorCount,
               const WrittenSectors& table) {
    // What the table wrote beyond the copied range is compared on its own afterwards.
    WrittenSectors beyond;
    uint64_t total = sectorCount;
    for (const SectorBlock& block : table)
        if (block.End() > sectorCount) {
            const uint64_t first = std::max(block.first, sectorCount);
            const auto skip = static_cast<ptrdiff_t>((first - block.first) * kSectorSize);
            beyond.push_back(
                {first, std::vector<uint8_t>(block.bytes.begin() + skip, block.bytes.end())});
            total += beyond.back().End() - first;
        }
    MigrationProgress.percentDone.store(0.0f, std::memory_order_relaxed);
    MigrationProgress.remainingSeconds.store(0, std::memory_order_relaxed);
    MigrationProgress.verifying.store(true, std::memory_order_relaxed);
    WriteLog(L"verify begin -%llu\n", Ull(total));

    Verifier verifier(sourceHandle, targetHandle, total);
    int result = verifier.Compare(0, sectorCount, true, table);
    for (size_t i = 0; i < beyond.size() && result == kVerifyDone; ++i)
        result = verifier.Compare(beyond[i].first, beyond[i].End(), false, beyond);
    WriteLog(L"verify end %d\n", result);
    return result;
}

}  // namespace migration
