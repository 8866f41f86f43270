// The worker on its own thread: one at a time, the running word set before the thread exists,
// and a Cancel that only ever replaces a running word.
#include "migration/migration_worker.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

#include "driver_fixture.h"

namespace {

using namespace migration;

TEST_F(DriverTest, OneWorkerAtATimeAndItsRunningWordComesFirst) {
    HookedPlatform& hooked = LoadHooked(GptPair(), "worker");
    // The worker waits before its first write until the test lets it go.
    std::mutex mutex;
    std::condition_variable changed;
    bool writing = false, go = false;
    hooked.beforeWrite = [&](platform::HANDLE, platform::DWORD) {
        std::unique_lock lock(mutex);
        writing = true;
        changed.notify_all();
        changed.wait(lock, [&] { return go; });
    };
    MigrationState = kStateSucceeded;  // a previous run's final word
    MigrationProgress.percentDone = 100.0f;
    MigrationProgress.elapsedSeconds = 7;

    MigrationWorker worker;
    EXPECT_TRUE(worker.WaitFor(std::chrono::milliseconds(0))) << "nothing started yet";
    ASSERT_TRUE(worker.Start({0, 1}));
    // Set before the thread could have run: no reader takes the old word for this run's.
    EXPECT_EQ(MigrationProgress.percentDone.load(), 0.0f);
    EXPECT_EQ(MigrationProgress.elapsedSeconds.load(), 0u);
    {
        std::unique_lock lock(mutex);
        ASSERT_TRUE(changed.wait_for(lock, std::chrono::seconds(30), [&] { return writing; }));
    }
    EXPECT_EQ(MigrationState.load(), kStateRunning);
    EXPECT_TRUE(worker.Running());
    EXPECT_FALSE(worker.Start({0, 2})) << "a second migration never runs beside the first";
    EXPECT_FALSE(worker.WaitFor(std::chrono::milliseconds(1)));

    RequestMigrationCancel();
    EXPECT_EQ(MigrationState.load(), kStateCancelled);
    {
        std::lock_guard lock(mutex);
        go = true;
    }
    changed.notify_all();
    worker.Wait();
    EXPECT_FALSE(worker.Running());
    EXPECT_EQ(MigrationResult.load(), kMigrationCancelled);
    EXPECT_TRUE(TableDeleted(1));

    // A Cancel after the end leaves the published word as it is; so does one with no run.
    for (const uint32_t word : {kStateCancelled, kStateSucceeded, kStateFailed, 0u}) {
        MigrationState = word;
        RequestMigrationCancel();
        EXPECT_EQ(MigrationState.load(), word);
    }
}

}  // namespace
