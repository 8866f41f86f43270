// The values the migration worker shares with the window without a lock: the state word, the
// last result and the copy's progress. Relaxed atomics: each is read on its own, and a stale
// value only shows for one timer tick.
#pragma once

#include <atomic>
#include <cstdint>

namespace migration {

// Bits of the state word.
inline constexpr uint32_t kStateRunningBit = 0x00000002;
inline constexpr uint32_t kStateEndedBit = 0x00000004;
inline constexpr uint32_t kStateCancelledBit = 0x00020000;  // the copy stops when it sees it

// The words stored.
inline constexpr uint32_t kStateRunning = 0x00010002;
inline constexpr uint32_t kStateSucceeded = 0x00010004;
inline constexpr uint32_t kStateCancelled = 0x00020004;
inline constexpr uint32_t kStateFailed = 0x00100004;
inline constexpr uint32_t kStateLockFailed = 0x00200004;
inline constexpr uint32_t kStateTooSmall = 0x00400004;
inline constexpr uint32_t kStateNotWritable = 0x00800004;

inline std::atomic<uint32_t> MigrationState{0};
inline std::atomic<int32_t> MigrationResult{0};

struct MigrationProgressValues {
    std::atomic<float> percentDone{0.0f};      // 0 to 100, written by the copy
    std::atomic<int64_t> remainingSeconds{0};  // 0: no estimate
    std::atomic<uint64_t> elapsedSeconds{0};   // advanced and reset by the page
};
inline MigrationProgressValues MigrationProgress;

}  // namespace migration
