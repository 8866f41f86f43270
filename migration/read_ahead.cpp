#include "migration/read_ahead.h"

#include <system_error>

#include "migration/copy_engine.h"
#include "migration/disk_io.h"
#include "platform/platform.h"

namespace migration {

ReadAhead::Chunk::Chunk() : data(kChunkBytes) {}

ReadAhead::ReadAhead(platform::HANDLE source, uint64_t sectorCount)
    : source_(source),
      sectorCount_(sectorCount),
      chunks_((sectorCount + kChunkSectors - 1) / kChunkSectors) {
    try {
        thread_ = std::thread([this] {
            while (ReadOne()) {
            }
        });
    } catch (const std::system_error&) {
        // Without a thread of its own the copy still works, one read then one write.
    }
}

ReadAhead::~ReadAhead() {
    {
        const std::lock_guard lock(mutex_);
        stop_ = true;
    }
    space_.notify_all();
    if (thread_.joinable()) thread_.join();
}

bool ReadAhead::ReadOne() {
    uint64_t index = 0;
    {
        std::unique_lock lock(mutex_);
        space_.wait(lock,
                    [this] { return stop_ || read_ == chunks_ || read_ - released_ < kSlots; });
        if (stop_ || read_ == chunks_) return false;
        index = read_;
    }
    // The slot is the reader's alone until the count below hands it over.
    Chunk& chunk = slots_[index % kSlots];
    chunk.first = index * kChunkSectors;
    chunk.sectors = TransferSectors(chunk.first, sectorCount_);
    chunk.readFailed = !ReadSectors(source_, chunk.first, chunk.data.data(), chunk.sectors);
    chunk.error = chunk.readFailed ? platform::GetLastError() : 0;
    bool wake = false;
    {
        const std::lock_guard lock(mutex_);
        ++read_;
        wake = read_ - released_ == kBatch || read_ == chunks_ || chunk.readFailed;
    }
    if (wake) data_.notify_one();
    return !chunk.readFailed;
}

const ReadAhead::Chunk& ReadAhead::Next() {
    if (thread_.joinable()) {
        std::unique_lock lock(mutex_);
        data_.wait(lock, [this] { return read_ > released_; });
    } else {
        ReadOne();
    }
    return slots_[released_ % kSlots];
}

void ReadAhead::Release() {
    bool wake = false;
    {
        const std::lock_guard lock(mutex_);
        ++released_;
        wake = kSlots - (read_ - released_) == kBatch;
    }
    if (wake) space_.notify_one();
}

}  // namespace migration
