// The worker on its own thread: one at a time, the running word set before the thread exists,
// and a Cancel that only ever replaces a running word.
#include "migration/migration_worker.h"

#include <gtest/gtest.h>

#include <chrono>

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

    // A Cancel after the end leaves the published word as it is; so does one with no run.
    for (const uint32_t word : {kStateCancelled, kStateSucceeded, kStateFailed, 0u}) {
        MigrationState = word;
        RequestMigrationCancel();
        EXPECT_EQ(MigrationState.load(), word);
    }
}

}  // namespace
