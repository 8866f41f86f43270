// The source side of the copy: the chunks of sectors 0 to N − 1 read in order on a thread of
// their own, into a small ring of buffers ahead of the writer, so that the source reads while
// the target writes and the copy runs at the speed of the slower disk.
#pragma once

#include <array>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

#include "migration/aligned_buffer.h"
#include "platform/win_types.h"

namespace migration {

class ReadAhead {
  public:
    struct Chunk {
        uint64_t first = 0;
        uint32_t sectors = 0;
        AlignedBuffer data;
        bool readFailed = false;
        platform::DWORD error = 0;  // the system error of a failed read
        Chunk();
    };

    // Starts reading at sector 0 of `source`, which only this reader uses until it is
    // destroyed. When no thread can be made, the chunks are read by Next itself.
    ReadAhead(platform::HANDLE source, uint64_t sectorCount);
    // Stops reading and waits for the thread: no read outlives the copy.
    ~ReadAhead();
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // The next chunk in order, once it is read (or its read failed; nothing is read after a
    // failed chunk). Valid until Release; at most as many chunks as the range holds.
    const Chunk& Next();
    // The writer is done with the chunk Next gave: its buffer may take another.
    void Release();

  private:
    static constexpr size_t kSlots = 8;  // 512 KiB in flight
    // A side sleeps only when it has nothing to do (no chunk to write, no slot to fill) and is
    // woken once half the ring is its own: a hand-over per chunk would cost a sleep and a
    // wake-up per 64 KiB, more than copying it from the page cache. The end and a failed read
    // wake the writer at once.
    static constexpr size_t kBatch = kSlots / 2;

    // Reads the next chunk into its slot once one is free; false when there is nothing more
    // to read (the end, a failed read, or a stop).
    bool ReadOne();

    platform::HANDLE source_;
    uint64_t sectorCount_, chunks_;
    std::array<Chunk, kSlots> slots_;
    std::mutex mutex_;
    std::condition_variable space_, data_;
    uint64_t read_ = 0, released_ = 0;  // chunks, counted from the start
    bool stop_ = false;
    std::thread thread_;
};

}  // namespace migration
