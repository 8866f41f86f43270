// The worker on its own thread: one at a time, the running word set before the thread exists,
// a Cancel that only ever replaces a running word, and one that stops the copy half-way.
#include "migration/migration_worker.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "driver_fixture.h"

namespace {

using namespace migration;

TEST_F(DriverTest, OneWorkerAtATimeAndItsRunningWordComesFirst) {
    // The worker waits before its first write until the test lets it go.
    CopyGate gate;
    gate.Attach(LoadHooked(GptPair()));
    gate.Arm(0);
    MigrationState = kStateSucceeded;  // a previous run's final word
    MigrationProgress.percentDone = 100.0f;
    MigrationProgress.elapsedSeconds = 7;

    MigrationWorker worker;
    EXPECT_TRUE(worker.WaitFor(std::chrono::milliseconds(0))) << "nothing started yet";
    ASSERT_TRUE(worker.Start({0, 1}));
    // Set before the thread could have run: no reader takes the old word for this run's.
    EXPECT_EQ(MigrationProgress.percentDone.load(), 0.0f);
    EXPECT_EQ(MigrationProgress.elapsedSeconds.load(), 0u);
    ASSERT_TRUE(gate.Held());
    EXPECT_EQ(MigrationState.load(), kStateRunning);
    EXPECT_TRUE(worker.Running());
    EXPECT_FALSE(worker.Start({0, 2})) << "a second migration never runs beside the first";
    EXPECT_FALSE(worker.WaitFor(std::chrono::milliseconds(1)));

    RequestMigrationCancel();
    EXPECT_EQ(MigrationState.load(), kStateCancelled);
    gate.Release();
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
    // The worker is held once the copy has reached 5 %, so it meets the Cancel at its next chunk
    // and nowhere else.
    CopyGate gate;
    gate.Attach(LoadHooked(GptPair()));
    const uint64_t source = Fingerprint(Image(0));
    const LogWatch log;
    gate.Arm(5);
    std::thread worker([] { migrationThread({0, 1}); });
    ASSERT_TRUE(gate.Held());
    EXPECT_EQ(MigrationState.load(), kStateRunning);
    MigrationState = kStateCancelled;
    gate.Release();
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
