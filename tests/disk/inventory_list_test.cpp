#include <gtest/gtest.h>

#include "disk/drive_order.h"
#include "platform/sim/machine_loader.h"
#include "tests/disk/inventory_fixture.h"
#include "transport/physical_drive.h"

namespace disk {

using enum CommandType;

namespace {

class InventoryListTest : public InventoryTest {
  protected:
    // The IDENTIFY page drive n of the loaded machine answers with.
    static AtaPage IdentifyOf(int n) {
        AtaPage page{};
        transport::PhysicalDriveRoute route(n, TARGET_FIRST_DEVICE, true);
        EXPECT_TRUE(route.IdentifyDevice(page));
        return page;
    }
};

TEST_F(InventoryListTest, FullListRefusesTheFortyFirstDrive) {
    std::string error;
    auto machine = platform::sim::LoadMachineFile(
        std::filesystem::path(TRAMSIK_SOURCE_DIR) / "machines" / "forty-drives.json", &error);
    ASSERT_TRUE(machine) << error;
    ASSERT_GT(machine->drives.size(), 40u);
    Install(std::move(*machine));
    engine_ = std::make_unique<CAtaSmart>();
    const LogLines lines = Inventory();

    ASSERT_EQ(Engine().vars.Count(), DriveList::kCapacity);
    for (int32_t i = 0; i < DriveList::kCapacity; ++i)
        EXPECT_EQ(Engine().vars[i].Address.physicalDriveId, i);
    // Drives 40 and 41 meet the full list in both passes.
    EXPECT_EQ(CountOf(lines, "GetDiskInfo - FALSE0"), 4);
    EXPECT_TRUE(
        Consecutive(lines, {"DO:GetDiskInfo pd=40, sp=5, st=0, mt=fixed hard disk media",
                            "flagTarget && GetDiskInfo", "GetDiskInfo", "GetDiskInfo - FALSE0"}));
    EXPECT_EQ(lines[lines.size() - 1], "device num 40");

    // Nothing is overwritten: a further drive is refused at once.
    EXPECT_FALSE(Engine().AddDisk(CMD_TYPE_PHYSICAL_DRIVE,
                                  {.physicalDriveId = 41, .target = TARGET_FIRST_DEVICE},
                                  IdentifyOf(41)));
    EXPECT_EQ(Engine().vars.Count(), DriveList::kCapacity);
    EXPECT_EQ(Engine().vars[39].Address.physicalDriveId, 39);
}

TEST_F(InventoryListTest, SameModelAndSerialTwice) {
    // Two drives that report the same identity: the direct pass keeps the later one when its
    // reading is confirmed; a record the management pass completed is never replaced.
    const Json twins = MachineOf(Json::array(
        {AtaDrive(0, "Orvel SSD Twin", "TWIN"), AtaDrive(1, "Orvel SSD Twin", "TWIN")}));
    Inventory(twins);
    ASSERT_EQ(Engine().vars.Count(), 1);
    EXPECT_EQ(Engine().vars[0].Address.physicalDriveId, 1);

    Json listed = twins;
    listed["drives"][0]["wmi"] = WmiView(0, "Orvel SSD Twin", "SCSI\\DISK&TWIN\\0");
    const LogLines lines = Inventory(listed);
    ASSERT_EQ(Engine().vars.Count(), 1);
    EXPECT_EQ(Engine().vars[0].Address.physicalDriveId, 0);
    EXPECT_TRUE(InOrder(lines, {"AddDisk(1, -1, -1) - 6", "OK:GetDiskInfo - PhysicalDrive"}));
    EXPECT_FALSE(Has(lines, "OK:GetDiskInfo"));

    // A later drive without a confirmed reading does not replace the earlier one.
    Json unconfirmed = twins;
    unconfirmed["drives"][1].erase("smart");
    Inventory(unconfirmed);
    ASSERT_EQ(Engine().vars.Count(), 1);
    EXPECT_EQ(Engine().vars[0].Address.physicalDriveId, 0);
}

TEST_F(InventoryListTest, RaidDriveFoundAgainByNumberIsMerged) {
    Json confirmed = AtaDrive(0, "Orvel SSD Raid", "RAID0");
    Json raid = confirmed;
    raid["identify"]["smart"] = false;
    const auto recordBehindPort = [&](const Json& drive) {
        Machine(MachineOf(Json::array({drive})));
        CsmiPortData port{};
        port[kCsmiSortByte] = 3;
        // The RAID route is not built, so the first sighting comes without SMART support,
        // which needs no route to be recorded.
        AtaPage page = IdentifyOf(0);
        page[2 * 82] &= 0xFE;
        EXPECT_TRUE(Engine().AddDisk(
            CMD_TYPE_CSMI, {.scsiPort = 0, .target = TARGET_FIRST_DEVICE, .csmiPortData = port},
            page));
        EXPECT_EQ(Engine().vars[0].CommandTypeTag, L"cs");
    };

    // Found again with a confirmed reading: the new record takes the earlier one's place.
    recordBehindPort(confirmed);
    LogWatch watch;
    EXPECT_TRUE(Engine().GetDiskInfo({.physicalDriveId = 0}, {}));
    EXPECT_TRUE(Has(watch.Messages(), "vars[i].CommandType = CMD_TYPE_CSMI_PHYSICAL_DRIVE"));
    ASSERT_EQ(Engine().vars.Count(), 1);
    EXPECT_EQ(std::tuple(Engine().vars[0].Address.physicalDriveId, Engine().vars[0].CommandType,
                         Engine().vars[0].SmartDataValid),
              std::tuple(0, CMD_TYPE_PHYSICAL_DRIVE, true));

    // Without one the earlier record stays, now with the drive number and both routes.
    recordBehindPort(raid);
    EXPECT_FALSE(Engine().GetDiskInfo({.physicalDriveId = 0}, {}));
    ASSERT_EQ(Engine().vars.Count(), 1);
    EXPECT_EQ(std::tuple(Engine().vars[0].Address.physicalDriveId, Engine().vars[0].CommandType,
                         Engine().vars[0].CommandTypeTag),
              std::tuple(0, CMD_TYPE_CSMI_PHYSICAL_DRIVE, L"cp"));

    // With RAID drives limited to set members the number is taken but no merge happens.
    recordBehindPort(confirmed);
    Engine().CsmiEnabled = 2;
    EXPECT_FALSE(Engine().GetDiskInfo({.physicalDriveId = 0}, {}));
    ASSERT_EQ(Engine().vars.Count(), 1);
    EXPECT_EQ(std::tuple(Engine().vars[0].Address.physicalDriveId, Engine().vars[0].CommandType),
              std::tuple(0, CMD_TYPE_CSMI));
}

}  // namespace

}  // namespace disk
