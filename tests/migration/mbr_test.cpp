// Reading an MBR, finding the system partition in it, and writing it trimmed onto a target,
// judged by sfdisk's dump as an independent reader.
#include <gtest/gtest.h>

#include <string>

#include "driver_fixture.h"
#include "migration/mbr.h"

namespace {

using namespace migration;
using platform::MasterBootRecord;

// Entries: 2048+2048, 4096+16384 (bootable), 20480+4096, 24576+6144.
constexpr uint64_t kEntry1End = 4096 + 16384;

std::string MbrMachine(const std::string& targetSize, const std::string& volumes = "[]",
                       const std::string& targetFaults = "{}",
                       const std::string& targetLayout = "") {
    const std::string layout = R"({ "style": "mbr", "signature": "0x1234ABCD", "partitions": [
          { "type": "ntfs", "size": "1MiB" }, { "type": "ntfs", "size": "8MiB", "bootable": true },
          { "type": "fat32", "size": "2MiB" }, { "type": "linux", "size": "3MiB" } ] })";
    return SimMachine(SimDrive(0, "Source", "64MiB", "{}", layout) + ", " +
                          SimDrive(1, "Target", targetSize, targetFaults, targetLayout),
                      volumes, R"({ "major": 6, "minor": 1 })");
}

class MbrTest : public DriverTest {
  protected:
    void SetStatuses(std::array<uint8_t, 4> statuses) {
        auto mbr = ImageAs<MasterBootRecord>(0, 0);
        for (int i = 0; i < 4; ++i)
            mbr.partitions[i].status = statuses[i];
        SetImageAs(0, 0, mbr);
    }
};

TEST_F(MbrTest, StatusScanTakesTheLastActiveAndAnExtentDecidesAmongEqualSizes) {
    LoadDrives(MbrMachine("64MiB"), 2);
    MbrDiskContext context;
    LogWatch log;
    ASSERT_EQ(readMbr(context, Drive(0)), TableResult::kOk);
    EXPECT_EQ(context.partitionCount, 4u);
    EXPECT_EQ(context.systemEntryIndex, 1u);
    // No system volume on this machine: nothing to match, nothing logged.
    EXPECT_EQ(CountStartingWith(log.Messages(), "sys driver:"), 0u);

    SetStatuses({0x80, 0x81, 0x01, 0x80});
    ASSERT_EQ(readMbr(context, Drive(0)), TableResult::kOk);
    EXPECT_EQ(context.systemEntryIndex, 3u);

    SetStatuses({0x00, 0x81, 0x01, 0x7F});
    LogWatch mixed;
    ASSERT_EQ(readMbr(context, Drive(0)), TableResult::kOk);
    EXPECT_EQ(context.partitionCount, 3u);
    EXPECT_EQ(context.systemEntryIndex, 0u);
    const auto lines = mixed.Messages();
    EXPECT_TRUE(Logged(lines, " bootable lba"));
    EXPECT_TRUE(Logged(lines, " invalid partition status"));

    // With no entry active, an extent tells equal-sized partitions apart.
    auto mbr = ImageAs<MasterBootRecord>(0, 0);
    mbr.partitions[3].sectorCount = mbr.partitions[2].sectorCount;
    SetImageAs(0, 0, mbr);
    SetStatuses({0, 0, 0, 0});
    const auto& last = mbr.partitions[3];
    const VolumeExtent extent{uint64_t{last.startingLba} * 512, uint64_t{last.sectorCount} * 512};
    ASSERT_EQ(readMbr(context, Drive(0), extent), TableResult::kOk);
    EXPECT_EQ(context.systemEntryIndex, 3u);
}

TEST_F(MbrTest, SystemVolumeDecidesOverTheActiveFlag) {
    // C: lies on entry 2, which is not the active one.
    LoadDrives(MbrMachine("64MiB", VolumeC(0, 2)), 2);
    MbrDiskContext context;
    LogWatch log;
    ASSERT_EQ(readMbr(context, Drive(0)), TableResult::kOk);
    EXPECT_EQ(context.systemEntryIndex, 2u);
    EXPECT_TRUE(Logged(log.Messages(), "sys driver:C, secsize=4096, part(2(0base~))"));

    // All entries non-bootable, and the volume's length matches none of them: C: is 1000
    // sectors, on drive 1.
    LoadDrives(
        MbrMachine("64MiB", VolumeC(1, 0), "{}",
                   R"({ "style": "mbr", "partitions": [ { "type": "ntfs", "size": 512000 } ] })"),
        2);
    SetStatuses({0, 0, 0, 0});
    auto target = ImageAs<MasterBootRecord>(1, 0);
    target.partitions[1] = {0, {}, 0x07, {}, 4096, 0};  // typed, but no sectors: no partition
    SetImageAs(1, 0, target);
    LogWatch none;
    ASSERT_EQ(readMbr(context, Drive(0)), TableResult::kOk);
    EXPECT_EQ(context.systemEntryIndex, 0u);
    EXPECT_TRUE(Logged(none.Messages(), "sys driver:C, secsize=1000, part(0(0base~))"));
}

TEST_F(MbrTest, RewriteClearsEntriesAfterTheSystemPartitionOnlyOrFails) {
    for (const uint64_t sectors : {kEntry1End, kEntry1End - 1, uint64_t{3} << 31}) {
        LoadDrives(MbrMachine(std::to_string(sectors * 512)), 2);
        MbrDiskContext context;
        ASSERT_EQ(readMbr(context, Drive(0)), TableResult::kOk);
        ASSERT_EQ(context.systemEntryIndex, 1u);
        LogWatch log;
        const TableResult result = modifyMbr(context, Drive(1));
        if (sectors == kEntry1End - 1) {
            EXPECT_EQ(result, TableResult::kTargetTooSmall);
            EXPECT_TRUE(Logged(log.Messages(), "no enough space for data migration"));
            EXPECT_EQ(ImageSector(1, 0), Sector{});
        } else {
            ASSERT_EQ(result, TableResult::kOk) << sectors;
            // Boot code, signature, entries 0 and 1 and the boot mark unchanged; 2 and 3 zero.
            Sector expected = ImageSector(0, 0);
            std::fill(expected.begin() + 446 + 32, expected.begin() + 510, 0);
            EXPECT_EQ(ImageSector(1, 0), expected);

            const std::string sfdisk = FindTool("sfdisk");
            if (sfdisk.empty()) continue;
            const std::string dump = RunTool(sfdisk, "-d", Image(1)).output;
            EXPECT_EQ(ToolRows(dump, "start=.*"),
                      (std::vector<std::string>{"start=        2048, size=        2048, type=7",
                                                "start=        4096, size=       16384, type=7, "
                                                "bootable"}))
                << dump;
            EXPECT_NE(dump.find("label-id: 0x1234abcd"), std::string::npos) << dump;
        }
    }

    // A target that refuses the write.
    LoadDrives(MbrMachine("64MiB", "[]", R"({ "writeProtected": true })"), 2);
    MbrDiskContext context;
    ASSERT_EQ(readMbr(context, Drive(0)), TableResult::kOk);
    LogWatch log;
    EXPECT_EQ(modifyMbr(context, Drive(1)), TableResult::kWriteFailed);
    EXPECT_TRUE(Logged(log.Messages(), "modifyMbr WriteFile()-1 Error: 19"));
}

}  // namespace
