// The worker on its own thread: one at a time, the running word set before the thread exists,
// a Cancel that only ever replaces a running word, and one that stops the copy half-way.
#include "migration/migration_worker.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <future>
#include <mutex>
#include <thread>

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

TEST_F(DriverTest, CancelDuringTheCopyEndsWithMinus11AndADeletedTable) {
    auto& hooked = LoadHooked(GptPair(), "cancel");
    const uint64_t source = Fingerprint(Image(0));
    std::promise<void> halfway, cancelled;
    auto cancelledSeen = cancelled.get_future().share();
    bool fired = false;
    // On the worker: once the copy has reached 5 %, hand over to this thread and wait until it
    // has pressed Cancel, so the worker meets the bit at its next chunk and nowhere else.
    hooked.beforeWrite = [&](platform::HANDLE, platform::DWORD) {
        if (fired || MigrationProgress.percentDone.load() < 5.0f) return;
        fired = true;
        halfway.set_value();
        cancelledSeen.wait();
    };
    const LogWatch log;
    std::thread worker([] { migrationThread({0, 1}); });
    halfway.get_future().wait();
    EXPECT_EQ(MigrationState.load(), kStateRunning);
    MigrationState = kStateCancelled;
    cancelled.set_value();
    worker.join();

    EXPECT_EQ(MigrationResult.load(), -11);
    EXPECT_EQ(MigrationState.load(), kStateCancelled);
    EXPECT_LT(MigrationProgress.percentDone.load(), 100.0f);
    const auto messages = log.Messages();
    EXPECT_TRUE(Logged(messages, "data migration err-end"));
    EXPECT_TRUE(Logged(messages, "dst disk del success, please re-plug disk and retry"));
    EXPECT_TRUE(TableDeleted(1));
    EXPECT_EQ(Fingerprint(Image(0)), source);
}

}  // namespace
