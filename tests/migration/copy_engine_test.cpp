// The sector copy and its speed probe on two simulated disks: chunk boundaries, the probe's
// limits, cancellation, and the first failing transfer ending the copy.
#include <gtest/gtest.h>

#include <string>

#include "driver_fixture.h"
#include "migration/copy_engine.h"
#include "migration/migration_state.h"

namespace {

using namespace migration;

std::string CopyMachine(const std::string& sourceFaults = "{}",
                        const std::string& targetFaults = "{}") {
    return SimMachine(SimDrive(0, "Source", "64MiB", sourceFaults) + ", " +
                      SimDrive(1, "Target", "64MiB", targetFaults));
}

class CopyTest : public DriverTest {
  protected:
    // Every sector of the source names itself, so a misplaced copy shows.
    void FillSource(uint64_t sectors) {
        std::vector<uint64_t> words(sectors * 64);
        for (size_t i = 0; i < words.size(); ++i)
            words[i] = 0x5EC7000000000000ull | i;
        WriteImage(0, 0, words.data(), words.size() * 8);
    }
    bool Copied(uint64_t lba) const { return ImageSector(1, lba) == ImageSector(0, lba); }
    bool Blank(uint64_t lba) const { return ImageSector(1, lba) == Sector{}; }
};

TEST(SamplePositions, MiddleOfEachTwelfthAndWrapBelowTwentyFour) {
    const auto positions = sampleSpeedPositions(1200000);
    // step 99999, lead 50002
    EXPECT_EQ(positions.front(), 49997u);
    EXPECT_EQ(positions.back(), 12 * 99999u - 50002u);
    EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end()));

    for (uint64_t n = 0; n < 24; ++n)
        for (uint64_t p : sampleSpeedPositions(n))
            EXPECT_GE(p, n) << "n=" << n;
    const auto small = sampleSpeedPositions(24);
    EXPECT_EQ(std::count_if(small.begin(), small.end(), [](uint64_t p) { return p < 24; }), 9);

    // A target beyond 2 TiB is sampled across its whole range.
    const uint64_t huge = uint64_t{6} << 31;
    EXPECT_GT(sampleSpeedPositions(huge).back(), huge / 12 * 11);
    EXPECT_LT(sampleSpeedPositions(huge).back(), huge);
}

// The copy reads and writes at once, so a chunk costs the slower direction's time. 16 ms per
// MiB is 1 ms per 64 KiB.
TEST_F(CopyTest, ProbeMeasuresTheSlowerDirectionPerChunk) {
    const struct {
        const char *source, *target;
        float msPerChunk;
    } cases[] = {
        {R"({ "readMsPerMiB": 32 })", R"({ "writeMsPerMiB": 16 })", 2.0f},
        {R"({ "readMsPerMiB": 16 })", R"({ "writeMsPerMiB": 48 })", 3.0f},
        // A source slow to write and a target slow to read do not slow this copy.
        {R"({ "writeMsPerMiB": 160 })", R"({ "readMsPerMiB": 160, "writeMsPerMiB": 16 })", 1.0f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.source) + " " + c.target);
        LoadDrives(CopyMachine(c.source, c.target), 2);
        EXPECT_NEAR(calcspeedsec_ssd(100000, Drive(0), Drive(1)), c.msPerChunk, 1e-3);
    }
}

// The copy ends after the last chunk, even one sector long, at the first failing transfer, or
// before it starts; what lies after the last copied sector stays blank.
TEST_F(CopyTest, HowTheCopyEnds) {
    const struct {
        const char* what;
        std::string sourceFaults, targetFaults;
        uint64_t sectors;
        int result;
        const char* line;
        uint64_t firstBlank;  // the sectors before it are copied
    } cases[] = {
        {"fewer than 24 sectors", "{}", "{}", 23, kCopyProbeFailed, "write -0--end", 0},
        {"24 sectors", "{}", "{}", 24, kCopyDone, "write -100--end", 24},
        {"a chunk and a sector", "{}", "{}", 129, kCopyDone, "write -100--secNum=128", 129},
        // The first sampled range of 100000 sectors is 4163..5186.
        {"the probe's write fails", "{}", R"({ "writeErrorSector": 4163, "errorCode": 19 })",
         100000, kCopyProbeFailed, "calcspeedsec_ssd write_sect err -0x13", 0},
        {"cancelled before the first chunk", "{}", "{}", 4096, kCopyCancelled, "", 0},
        {"a read fails", R"({ "readErrorSector": 256 })", "{}", 100000, kCopyReadFailed,
         "read_sect err -256 -0x45d", 256},
        {"a write fails", "{}", R"({ "writeErrorSector": 300 })", 100000, kCopyWriteFailed,
         "write_sect err -256 -0x45d", 256},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        LoadDrives(CopyMachine(c.sourceFaults, c.targetFaults), 2);
        FillSource(512);
        MigrationState = c.result == kCopyCancelled ? kStateCancelled : 0;
        ClearMigrationProgress();
        LogWatch log;
        EXPECT_EQ(copySectors(Drive(0), Drive(1), c.sectors), c.result);
        EXPECT_TRUE(!*c.line || Logged(log.Messages(), c.line)) << c.line;
        if (c.result == kCopyCancelled) {
            EXPECT_EQ(CountStartingWith(log.Messages(), "write -"), 1u) << "the end line only";
            EXPECT_EQ(MigrationProgress.percentDone.load(), 0.0f);
        }
        if (c.result == kCopyDone) {
            EXPECT_EQ(MigrationProgress.percentDone.load(), 100.0f);
            EXPECT_EQ(MigrationProgress.remainingSeconds.load(), 0);
        }
        EXPECT_TRUE(c.firstBlank == 0 || Copied(c.firstBlank - 1));
        EXPECT_TRUE(Blank(c.firstBlank));
        EXPECT_TRUE(Blank(c.firstBlank + 128)) << "nothing after the failed chunk";
    }
}

}  // namespace
