// Copying the first sectors of the source disk to the same places on the target, in 64 KiB
// chunks read ahead while earlier ones are written, with a speed probe first so the page can
// show a remaining time.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "migration/disk_io.h"
#include "platform/win_types.h"

namespace migration {

inline constexpr uint32_t kChunkSectors = 128;  // 64 KiB
inline constexpr uint32_t kProbeTransfers = 8;  // chunks per sampled position
inline constexpr size_t kChunkBytes = size_t{kChunkSectors} * kSectorSize;

// Sectors of the transfer that starts at `first`, never past `end`.
inline uint32_t TransferSectors(uint64_t first, uint64_t end) {
    return static_cast<uint32_t>(end - first < kChunkSectors ? end - first : kChunkSectors);
}

// copySectors results.
inline constexpr int kCopyDone = 0;
inline constexpr int kCopyReadFailed = -1;
inline constexpr int kCopyCancelled = -2;
inline constexpr int kCopyProbeFailed = -3;
inline constexpr int kCopyWriteFailed = -4;

// Sectors the copy reads but does not write: the target's partition table, which is written
// only once the data is complete and durable, so that a copy cut short shows no table.
struct SectorRange {
    uint64_t first = 0;
    uint64_t count = 0;
    bool Contains(uint64_t sector) const { return sector >= first && sector - first < count; }
};
using HeldSectors = std::vector<SectorRange>;

// Twelve sector numbers, ascending, a little before the middle of each twelfth of
// `sectorCount`. Below 24 sectors the arithmetic wraps and every position lies beyond the end.
std::array<uint64_t, 12> sampleSpeedPositions(uint64_t sectorCount);

// Milliseconds per 64 KiB chunk of the copy, which reads and writes at once: the slower of the
// source's read time and the target's write time, each measured at the sampled positions
// (never past `sectorCount`, never the `held` sectors). 0.0 only after a read or write error or
// when no position lies inside the range; a disk faster than the clock still gets a positive
// value. Leaves both handles at byte 0.
float calcspeedsec_ssd(uint64_t sectorCount, platform::HANDLE sourceHandle,
                       platform::HANDLE targetHandle, const HeldSectors& held = {});

// Copies sectors 0 to sectorCount − 1 from the source to the target, except the `held` sectors,
// chunk by chunk in order; the source is read ahead on a thread of its own (ReadAhead), so a
// failed read ends the copy once every chunk before it is written. Publishes MigrationProgress,
// polls the cancel bit of MigrationState before each chunk's write.
int copySectors(platform::HANDLE sourceHandle, platform::HANDLE targetHandle, uint64_t sectorCount,
                const HeldSectors& held = {});

}  // namespace migration
