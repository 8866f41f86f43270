// The migration worker's result codes, final state words and log lines, one machine fault or
// setup for each; what every failure leaves behind (the source unchanged, the target without a
// partition table once it was opened); and whole migrations judged by independent partitioning
// tools.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <vector>

#include "driver_fixture.h"
#include "migration/copy_engine.h"
#include "migration/drive_ops.h"
#include "migration/migration_worker.h"
#include "platform/demo_machine.h"

namespace {

using namespace migration;

const std::string kNbsp = "\u00A0";

struct FailureCase {
    const char* what;
    std::string machine;
    MigrationThreadArgs args;
    int32_t result;
    uint32_t state;
    std::vector<std::string> lines;  // logged, among others
    bool targetOpened;               // so its table must be gone afterwards
};
FailureCase Fails(const char* what, std::string machine, int32_t result, uint32_t state,
                  std::vector<std::string> lines, bool targetOpened = true,
                  MigrationThreadArgs args = {0, 1}) {
    return {what, std::move(machine), args, result, state, std::move(lines), targetOpened};
}

TEST_F(DriverTest, EveryFailureEndsWithItsCodeStateLinesAndADeletedTargetTable) {
    const uint64_t sampled = sampleSpeedPositions(kGptPairRange)[0];
    const std::vector<FailureCase> cases = {
        Fails("layout query fails", GptPair(R"({ "layoutError": 1117 })"), -1, kStateFailed,
              {"GetDiskDriveLayout break"}),
        Fails("same disk", GptPair(), -2, kStateFailed, {"src==dst err-1", "select disk err"},
              false, {1, 1}),
        Fails("same disk by the low 16 bits", GptPair(), -2, kStateFailed, {"select disk err"},
              false, {0, 0x10000}),
        Fails("source unplugged", GptPair(R"({ "gone": true })"), -3, kStateFailed,
              {"begin data migration --0-to-1", "src disk createfile err(0)"}, false),
        Fails("target unplugged", GptPair("{}", R"({ "gone": true })"), -4, kStateFailed,
              {"dst disk createfile err(1)", "dst disk createfile err(1)-(0x2)"}, false),
        Fails("lock refused", GptPair("{}", R"({ "lockFails": true })"), -5, kStateLockFailed,
              {"Locking" + kNbsp + "volume" + kNbsp + "failed"}),
        // The deletion after this failure is refused as well: nothing on the disk changes.
        Fails("target write-protected", GptPair("{}", R"({ "writeProtected": true })"), -14,
              kStateNotWritable, {"offline" + kNbsp + "failed"}, false),
        Fails("GPT header unreadable", GptPair(R"({ "readErrorSector": 1 })"), -6, kStateFailed,
              {"openGTP ReadFile()-1 Error: 1117", "read src disk info err"}),
        Fails("MBR unreadable", MbrPair(R"({ "readErrorSector": 0 })"), -7, kStateFailed,
              {"src driver isGpt=0", "ReadFile() Error: 1117", "read src disk info err"}),
        // A blank source is taken as MBR, which it does not have.
        Fails("blank source",
              SimMachine(SimDrive(0, "Blank", "1MiB") + ", " + SimDrive(1, "Target", "2MiB")), -7,
              kStateFailed,
              {"src driver isGpt=0", " No valid bootsector found on device", "bad mbr header"}),
        Fails("source cannot be positioned at 0", GptPair(R"({ "seekErrorSector": 0 })"), -8,
              kStateFailed, {"begin to data migration, system partiton : 2"}),
        Fails("target cannot be positioned at 0", GptPair("{}", R"({ "seekErrorSector": 0 })"), -8,
              kStateFailed, {}),
        Fails("write fails in the copy", GptPair("{}", R"({ "writeErrorSector": 10000 })"), -9,
              kStateFailed, {"write_sect err -9984 -0x45d", "data migration err-end"}),
        Fails("read fails in the copy", GptPair(R"({ "readErrorSector": 10000 })"), -10,
              kStateFailed, {"read_sect err -9984 -0x45d", "data migration err-end"}),
        Fails("probe read fails",
              GptPair(R"({ "readErrorSector": )" + std::to_string(sampled) + " }"), -12,
              kStateFailed, {"calcspeedsec_ssd read_sect err -0x45d", "data migration err-end"}),
        Fails("target smaller than the range", GptPair("{}", "{}", "8MiB"), -13, kStateTooSmall,
              {"dst driver is too small, no support migration"}),
        Fails("test write fails", GptPair("{}", R"({ "writeErrorSector": 100, "errorCode": 21 })"),
              -14, kStateNotWritable,
              {"calcspeedsec_ssd write_sect err -0x15",
               "target device not ready" + kNbsp + "failed"}),
        Fails("backup header write fails", GptPair("{}", R"({ "writeErrorSector": 65535 })"), -15,
              kStateFailed,
              {"data migration end-recovery gpt", "modifyGpt WriteFile()-4 Error: 1117"}),
        // A cache that cannot be emptied has not written the data: a failed write.
        Fails("flushing the copy fails", GptPair("{}", R"({ "flushError": 1117 })"), -9,
              kStateFailed, {"FlushFileBuffers Error: 1117", "data migration err-end"}),
        // Sectors the drive stored otherwise than it was told, found only by reading back: in
        // the data, in the backup GPT header beyond the copied range, in an MBR.
        Fails("a data sector stored wrong", GptPair("{}", R"({ "corruptWriteSector": 10000 })"),
              -17, kStateFailed, {"verify differs -10000"}, true, {0, 1, true}),
        Fails("the backup GPT header stored wrong",
              GptPair("{}", R"({ "corruptWriteSector": 65535 })"), -17, kStateFailed,
              {"verify differs -65535"}, true, {0, 1, true}),
        Fails("an MBR stored wrong", MbrPair("{}", R"({ "corruptWriteSector": 0 })"), -17,
              kStateFailed, {"verify differs -0"}, true, {0, 1, true}),
        Fails("the copy cannot be read back", GptPair("{}", R"({ "readErrorSector": 10000 })"), -17,
              kStateFailed, {"verify target read_sect err -9984 -0x45d"}, true, {0, 1, true}),
    };
    // The pre-check refuses what fails before the target is locked, and nothing later; it only
    // asks, so a disk it refuses stays as it was.
    const std::set<int32_t> refusedByPreCheck = {-1, -2, -3, -4, -6, -7, -13};
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.what);
        LoadHooked(c.machine);
        const uint64_t source = Fingerprint(Image(0)), target = Fingerprint(Image(1));
        const LogWatch log;
        EXPECT_EQ(checkMigrationTarget(c.args.sourceNumber, c.args.targetNumber),
                  !refusedByPreCheck.contains(c.result));
        EXPECT_EQ(Migrate(c.args), c.result);
        EXPECT_EQ(MigrationState.load(), c.state);
        const auto messages = log.Messages();
        for (const std::string& line : c.lines)
            EXPECT_TRUE(Logged(messages, line)) << line;
        EXPECT_TRUE(Logged(messages, "unlock disk"));
        EXPECT_TRUE(Logged(messages, "system migration err, del partitons and restart"));
        EXPECT_FALSE(Logged(messages, "system migration success"));
        EXPECT_EQ(Logged(messages, "dst disk del success, please re-plug disk and retry"),
                  c.targetOpened);
        EXPECT_EQ(Fingerprint(Image(0)), source);
        if (c.targetOpened) {
            EXPECT_TRUE(TableDeleted(1));
        } else {
            EXPECT_EQ(Fingerprint(Image(1)), target);
            EXPECT_EQ(CountStartingWith(messages, "Locking") +
                          CountStartingWith(messages, "calcspeedsec_ssd"),
                      0u);
        }
    }
}

// Reading back covers the copied range and the GPT backup at the target's end, publishes its
// own progress and stops at a Cancel; what it finds wrong is the failure table's.
TEST_F(DriverTest, AVerifiedRunReadsTheWholeCopyBack) {
    for (const bool cancel : {false, true}) {
        SCOPED_TRACE(cancel ? "cancelled while verifying" : "verified");
        auto& hooked = LoadHooked(GptPair());
        int flushes = 0;
        // The last flush of a GPT rewrite comes right before the reading back.
        hooked.beforeFlush = [&](platform::HANDLE) {
            if (++flushes == 3 && cancel) RequestMigrationCancel();
        };
        const LogWatch log;
        EXPECT_EQ(Migrate({0, 1, true}), cancel ? -11 : 0);
        EXPECT_TRUE(Logged(log.Messages(), "verify begin -22561"));
        EXPECT_TRUE(Logged(log.Messages(), cancel ? "verify end -4" : "verify end 0"));
        EXPECT_TRUE(MigrationProgress.verifying.load());
        EXPECT_EQ(MigrationProgress.percentDone.load() == 100.0f, !cancel);
        EXPECT_EQ(TableDeleted(1), cancel);
    }
}

// The demo's system SSD onto its second SSD, which answers the deletion of its layout with an
// error of its own (that does not matter): the sectors past the table up to the end of the
// system partition (entry 2) are the source's, under a table sgdisk finds nothing wrong with.
TEST_F(DriverTest, DemoSystemSsdOntoTheSecondSsd) {
    // The demo's disks are slow on purpose, so a person can watch; the test need not wait.
    auto demo = nlohmann::json::parse(platform::DemoMachineJson());
    for (auto& drive : demo["drives"])
        drive.erase("faults");
    demo["drives"][1]["faults"] = {{"deleteLayoutError", 5}};
    LoadHooked(demo.dump());
    const double start = sim_->VirtualMilliseconds();
    const LogWatch log;
    EXPECT_EQ(Migrate({0, 1}), 0);
    EXPECT_EQ(MigrationState.load(), kStateSucceeded);
    EXPECT_TRUE(Logged(log.Messages(), "system migration success"));
    // The one-second wait before the outcome is virtual time, not real time.
    EXPECT_GE(sim_->VirtualMilliseconds() - start, 1000.0);
    EXPECT_TRUE(
        SameSectors(0, 1, PrimaryHeader(1).firstUsableLba, PrimaryEntries(0)[2].endingLba + 1));
    EXPECT_EQ(SgdiskProblems(Image(1)), "");
}

// The system partition ends at sector 999: the pre-check wants 1,100 sectors, and the copy
// moves exactly sectors 0 to 999.
std::string SmallSystem(uint64_t targetSectors) {
    return SimMachine(SimDrive(0, "Source", "1MiB", "{}",
                               R"({ "style": "gpt", "partitions": [
          { "type": "basic", "startLba": 40, "size": )" +
                                   std::to_string(960 * 512) + " } ] }") +
                          ", " + SimDrive(1, "Target", std::to_string(targetSectors * 512)),
                      VolumeC(0, 0, "0"));
}

TEST_F(DriverTest, SystemPartitionEndingAt999NeedsATargetOf1100Sectors) {
    LoadHooked(SmallSystem(1099));
    EXPECT_FALSE(checkMigrationTarget(0, 1));
    LoadHooked(SmallSystem(1100));
    EXPECT_TRUE(checkMigrationTarget(0, 1));
    EXPECT_EQ(Migrate({0, 1}), 0);
    EXPECT_TRUE(SameSectors(0, 1, 34, 1000));
    EXPECT_EQ(ImageSector(1, 1000), Sector{});
}

// 40 entries do not fit the first 3,840-byte answer; the style is still read.
TEST_F(DriverTest, LayoutStyleOfADiskWithManyPartitions) {
    std::string partitions;
    for (int i = 0; i < 40; ++i)
        partitions += std::string(i ? ", " : "") + R"({ "type": "basic", "size": "64KiB" })";
    LoadDrives(SimMachine(SimDrive(0, "Many", "48MiB", "{}",
                                   R"({ "style": "gpt", "partitions": [ )" + partitions + " ] }")),
               1);
    EXPECT_EQ(getDriveLayoutStyle(Drive(0)), platform::PARTITION_STYLE_GPT);
    EXPECT_EQ(getDiskSectorCount(Drive(0)), 98304u);
}

}  // namespace
