// The values the migration worker shares with the window and the command line without a lock:
// the state word, the last result and the copy's progress. This header is their one home; the
// migration owns them, and nobody keeps a copy.
//
// Who writes:
//   MigrationState     MigrationWorker::Start (the running word before the thread exists, or
//                      the failed one when no thread could be made), migrationThread (the
//                      running word, then the final one) and RequestMigrationCancel (a running
//                      word becomes the cancelled one).
//   MigrationResult    migrationThread, just before its final word; Start when no thread could
//                      be made.
//   MigrationProgress  the copy engine and the verification (percentDone, remainingSeconds,
//                      verifying); the migration page's one-second timer advances
//                      elapsedSeconds; ClearMigrationProgress sets them all back to zero
//                      (Start, and the page once it has told an outcome).
// Who reads: the migration page's timer and tramsik-cli's migrate command, and the copy engine
// and the verification (the cancelled bit of the state word, once per chunk).
//
// Relaxed atomics: each is read on its own, and a stale value only shows for one timer tick.
// MigrationResult is read once the state word has its ended bit, which is stored with release
// order after it.
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
    std::atomic<uint64_t> elapsedSeconds{0};   // advanced by the page's timer
    // Set when a verified run has finished the copy and reads it back; the percent and the
    // remaining time are then the verification's.
    std::atomic<bool> verifying{false};
};
inline MigrationProgressValues MigrationProgress;

// Sets the three progress values back to zero, for a run about to start or one that has ended.
inline void ClearMigrationProgress() {
    MigrationProgress.percentDone = 0.0f;
    MigrationProgress.remainingSeconds = 0;
    MigrationProgress.elapsedSeconds = 0;
    MigrationProgress.verifying = false;
}

}  // namespace migration
