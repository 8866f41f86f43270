// The migration worker on a thread of its own, as the window and the command line run it: one
// at a time, with the shared values set up before the thread exists and a way to wait for it.
#pragma once

#include <chrono>
#include <cstdint>
#include <future>

#include "migration/migration_driver.h"

namespace migration {

// MigrationResult when no thread could be made for the worker; the state word is then the
// failed one, so the run is reported like any other failure, with its own code.
inline constexpr int32_t kMigrationThreadNotStarted = -16;

// Cancel, as the page's button and the command line's Ctrl-C ask for it: only a running word
// becomes the cancelled one, so a run that has already published its outcome keeps it. Safe in
// a signal handler (one lock-free compare-and-swap).
void RequestMigrationCancel();

class MigrationWorker {
  public:
    MigrationWorker() = default;
    // Waits for the thread: nothing outlives the owner in the middle of a write.
    ~MigrationWorker();
    MigrationWorker(const MigrationWorker&) = delete;
    MigrationWorker& operator=(const MigrationWorker&) = delete;

    // Clears the progress values, sets the running word and runs migrationThread(args) on a
    // new thread. The running word is set here, before the thread exists, so a reader never
    // takes the previous run's final word for this one's. False, with nothing started, while
    // the last thread is still alive (two migrations never run at once); false with the failed
    // word and kMigrationThreadNotStarted when no thread could be made.
    bool Start(const MigrationThreadArgs& args);
    // True from Start until the thread has returned (after a Cancel it still deletes the
    // target's table, so this can outlast the final word).
    bool Running() const;
    // Waits up to `timeout` for the thread to return; true when it has, or none was started.
    bool WaitFor(std::chrono::milliseconds timeout) const;
    // Waits for the thread to return.
    void Wait() const;

  private:
    std::future<uint32_t> thread_;
};

}  // namespace migration
