// One system migration: the pre-check that a target can take the system disk, and the worker
// that takes the target from the system, copies sectors 0 to the end of the system partition,
// rewrites the target's partition table, reads the copy back when asked, and publishes the outcome
// in MigrationState and MigrationResult. The source is only ever read.
#pragma once

#include <cstdint>

#include "migration/migration_state.h"

namespace migration {

struct MigrationThreadArgs {
    uint32_t sourceNumber = 0;  // physical drive numbers; only the low 16 bits count
    uint32_t targetNumber = 0;
    bool verify = false;  // read the copy back after the table rewrite and compare it
};

// MigrationResult values.
inline constexpr int32_t kMigrationSucceeded = 0;
inline constexpr int32_t kMigrationLayoutUnreadable = -1;
inline constexpr int32_t kMigrationSameDisk = -2;
inline constexpr int32_t kMigrationSourceOpenFailed = -3;
inline constexpr int32_t kMigrationTargetOpenFailed = -4;
inline constexpr int32_t kMigrationLockFailed = -5;
inline constexpr int32_t kMigrationSourceGptUnreadable = -6;
inline constexpr int32_t kMigrationSourceMbrUnreadable = -7;
inline constexpr int32_t kMigrationSeekFailed = -8;
inline constexpr int32_t kMigrationWriteFailed = -9;
inline constexpr int32_t kMigrationReadFailed = -10;
inline constexpr int32_t kMigrationCancelled = -11;
inline constexpr int32_t kMigrationProbeFailed = -12;
inline constexpr int32_t kMigrationTargetTooSmall = -13;
inline constexpr int32_t kMigrationTargetNotWritable = -14;
inline constexpr int32_t kMigrationTableRewriteFailed = -15;
// -16 is the worker's own (migration_worker.h).
inline constexpr int32_t kMigrationVerifyFailed = -17;  // the copy read back differs

// Sectors a target needs beyond the range to copy before the pre-check offers it.
inline constexpr uint64_t kTargetSpareSectors = 100;

// The final MigrationState word that goes with a result.
uint32_t FinalStateFor(int32_t result);

// True when the migration from `sourceNumber` onto `targetNumber` may be offered: distinct
// disks, both open, the source's table readable and the target at least the range to copy
// plus 100 sectors. Runs on the caller's thread; every handle is closed again.
bool checkMigrationTarget(uint32_t sourceNumber, uint32_t targetNumber);

// The worker: runs the whole migration synchronously on the calling thread and returns 0; the
// outcome is in MigrationState and MigrationResult. Start it on a thread of its own to keep a
// window or a progress display alive; Cancel sets kStateCancelled meanwhile.
uint32_t migrationThread(const MigrationThreadArgs& args);

}  // namespace migration
