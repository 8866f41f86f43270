#include "migration/copy_engine.h"

#include <algorithm>
#include <vector>

#include "base/log.h"
#include "migration/aligned_buffer.h"
#include "migration/disk_io.h"
#include "migration/log_values.h"
#include "migration/migration_state.h"
#include "migration/read_ahead.h"
#include "migration/stopwatch.h"
#include "platform/platform.h"

namespace migration {

namespace {

// Writes the transfer's sectors that lie outside the held ranges, each unbroken run in one
// request; a transfer that touches no held sector is one request, as it always was.
bool WriteUnheld(platform::HANDLE target, uint64_t first, const uint8_t* buffer, uint32_t sectors,
                 const HeldSectors& held) {
    const auto isHeld = [&held](uint64_t sector) {
        return std::any_of(held.begin(), held.end(),
                           [sector](const SectorRange& range) { return range.Contains(sector); });
    };
    uint32_t run = 0;
    while (run < sectors) {
        if (isHeld(first + run)) {
            ++run;
            continue;
        }
        uint32_t end = run + 1;
        while (end < sectors && !isHeld(first + end))
            ++end;
        if (!WriteSectors(target, first + run, buffer + size_t{run} * kSectorSize, end - run))
            return false;
        run = end;
    }
    return true;
}

}  // namespace

std::array<uint64_t, 12> sampleSpeedPositions(uint64_t sectorCount) {
    // Unsigned and wrapping on purpose: below 24 sectors the step underflows and every
    // position lands beyond the end, so nothing is sampled.
    const uint64_t step = ((sectorCount / 12) | 1) - 2;
    const uint64_t lead = ((step / 2) & ~uint64_t{1}) + 4;
    std::array<uint64_t, 12> positions;
    for (uint64_t j = 1; j <= positions.size(); ++j)
        positions[j - 1] = j * step - lead;
    std::sort(positions.begin(), positions.end());
    return positions;
}

float calcspeedsec_ssd(uint64_t sectorCount, platform::HANDLE sourceHandle,
                       platform::HANDLE targetHandle, const HeldSectors& held) {
    const AlignedBuffer buffer(kChunkBytes);
    const auto positions = sampleSpeedPositions(sectorCount);
    // The copy reads and writes at once, so a chunk costs the slower of the two transfers:
    // each direction is timed on its own.
    double readMs = 0.0, writeMs = 0.0;
    uint64_t transfers = 0;
    double resolutionMs = 1.0;
    bool failed = false;

    for (int j = 0; j < static_cast<int>(positions.size()) && !failed; ++j) {
        const uint64_t position = positions[j];
        if (position >= sectorCount) continue;
        // The probe stays inside the range to copy, so it never writes where the copy will not.
        const uint64_t end =
            std::min(sectorCount, position + uint64_t{kProbeTransfers} * kChunkSectors);
        const Stopwatch watch;
        resolutionMs = watch.ResolutionMs();
        for (uint64_t first = position; first < end; first += kChunkSectors) {
            const uint32_t sectors = TransferSectors(first, end);
            std::fill_n(buffer.data(), kChunkBytes, 0);
            const Stopwatch reading;
            if (!ReadSectors(sourceHandle, first, buffer.data(), sectors)) {
                WriteLog(L"calcspeedsec_ssd read_sect err -0x%x\n", LastError());
                failed = true;
                break;
            }
            readMs += reading.ElapsedMs();
            const Stopwatch writing;
            if (!WriteUnheld(targetHandle, first, buffer.data(), sectors, held)) {
                WriteLog(L"calcspeedsec_ssd write_sect err -0x%x\n", LastError());
                failed = true;
                break;
            }
            writeMs += writing.ElapsedMs();
            ++transfers;
        }
        if (failed) break;
        const double elapsedMs = watch.ElapsedMs();
        WriteLog(L"calcspeedsec_ssd time %d - %llu-%llu - %f ms", j, Ull(position), Ull(transfers),
                 elapsedMs);
    }

    float result = 0.0f;
    if (!failed && transfers > 0) {
        // A disk faster than the clock measures 0 ms; it is fast, not failed.
        const double slowerMs = std::max({readMs, writeMs, resolutionMs});
        result = static_cast<float>(slowerMs / static_cast<double>(transfers));
        WriteLog(L"calcspeedsec_ssd end %f", static_cast<double>(result));
    }
    SeekSector(sourceHandle, 0);
    SeekSector(targetHandle, 0);
    return result;
}

int copySectors(platform::HANDLE sourceHandle, platform::HANDLE targetHandle, uint64_t sectorCount,
                const HeldSectors& held) {
    uint8_t percent = 0;
    int result = kCopyDone;
    const float speed = calcspeedsec_ssd(sectorCount, sourceHandle, targetHandle, held);
    if (speed == 0.0f) {
        result = kCopyProbeFailed;
    } else {
        const uint64_t chunks = (sectorCount + kChunkSectors - 1) / kChunkSectors;
        const auto secondsFor = [speed](uint64_t chunksLeft) {
            return static_cast<int64_t>(static_cast<double>(chunksLeft) * speed / 1000.0);
        };
        MigrationProgress.remainingSeconds.store(secondsFor(chunks), std::memory_order_relaxed);
        ReadAhead source(sourceHandle, sectorCount);
        for (uint64_t i = 1; i <= chunks; ++i) {
            if (MigrationState.load(std::memory_order_relaxed) & kStateCancelledBit) {
                result = kCopyCancelled;
                break;
            }
            const ReadAhead::Chunk& chunk = source.Next();
            if (chunk.readFailed) {
                WriteLog(L"read_sect err -%llu -0x%x\n", Ull(chunk.first),
                         static_cast<unsigned>(chunk.error));
                result = kCopyReadFailed;
                break;
            }
            if (!WriteUnheld(targetHandle, chunk.first, chunk.data.data(), chunk.sectors, held)) {
                WriteLog(L"write_sect err -%llu -0x%x\n", Ull(chunk.first), LastError());
                result = kCopyWriteFailed;
                break;
            }
            const uint64_t first = chunk.first;
            source.Release();
            MigrationProgress.remainingSeconds.store(secondsFor(chunks - i),
                                                     std::memory_order_relaxed);
            const auto now = static_cast<uint8_t>(i * 100 / chunks);
            if (now != percent) {
                percent = now;
                MigrationProgress.percentDone.store(percent, std::memory_order_relaxed);
                WriteLog(L"write -%d--secNum=%llu\n", static_cast<int>(percent), Ull(first));
            }
        }
        if (result == kCopyDone)
            MigrationProgress.percentDone.store(100.0f, std::memory_order_relaxed);
    }
    WriteLog(L"write -%d--end\n", static_cast<int>(percent));
    return result;
}

}  // namespace migration
