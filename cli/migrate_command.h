// `tramsik-cli migrate`: the migration page from a terminal. The pre-check, a confirmation
// (skipped with --yes), the worker on its own thread with a progress line once a second (and a
// second one while --verify reads the copy back), Ctrl-C as the page's Cancel, and the page's
// outcome text.
#pragma once

#include <cstdint>
#include <cstdio>

#include "disk/drive_record.h"
#include "migration/system_disk.h"

namespace cli {

// Exit statuses of a migration beyond the common ones: the pre-check refused; the user did not
// confirm. A migration that started and failed exits with -MigrationResult (1 to 17).
inline constexpr int kExitPrecheckRefused = 20;
inline constexpr int kExitNotConfirmed = 21;

struct MigrateRequest {
    int32_t target = 0;   // physical drive number
    bool yes = false;     // no confirmation
    bool verify = false;  // read the copy back and compare it with the source
};

// Migrates the system disk of `drives` onto the request's target. The confirmation is read
// from `in`; the progress line and the messages go to `err`, the outcome text to `out`.
int RunMigrate(const MigrateRequest& request, const disk::DriveList& drives,
               const migration::SystemDisk& systemDisk, std::FILE* in, std::FILE* out,
               std::FILE* err);

}  // namespace cli
