#include <gtest/gtest.h>

#include "tests/disk/inventory_fixture.h"

namespace disk {

namespace {

// Five disks of three partitions each, and volumes on one, two, four and five of them.
Json SpannedMachine() {
    Json drives = Json::array();
    for (int n = 0; n < 5; ++n) {
        Json drive = AtaDrive(n, "Orvel SSD V" + std::to_string(n), "V" + std::to_string(n));
        drive["layout"] = {{"style", "mbr"},
                           {"partitions", Json::array({{{"type", "ntfs"}, {"size", "4MiB"}},
                                                       {{"type", "ntfs"}, {"size", "4MiB"}},
                                                       {{"type", "ntfs"}, {"size", "4MiB"}}})}};
        drives.push_back(drive);
    }
    return MachineOf(
        drives, Json::array(),
        Json::array(
            {Volume("A", Json::array({Extent(4, 2)}), "removable"),
             Volume("C", Json::array({Extent(0, 0)})),
             Volume("D", Json::array({Extent(0, 1), Extent(1, 0)})),
             Volume("E", Json::array({Extent(1, 1), Extent(2, 0), Extent(3, 0), Extent(4, 0)})),
             Volume("F", Json::array({Extent(0, 2), Extent(1, 2), Extent(2, 1), Extent(3, 1),
                                      Extent(4, 1)})),
             Volume("H", Json::array({Extent(2, 2)}), "removable"), Volume("Z", Json::array())}));
}

class InventoryLettersTest : public InventoryTest {};

TEST_F(InventoryLettersTest, VolumesMarkEveryDiskTheyLieOnUpToThreeDisksOrRemovableOnesAsked) {
    const LogLines lines = Inventory(SpannedMachine());
    ASSERT_EQ(Engine().vars.Count(), 5);
    EXPECT_EQ(Drive(0)->DriveLetters, L"C: D:");
    EXPECT_EQ(Drive(1)->DriveLetters, L"D:");
    // Four extents and more mark nothing; removable volumes do not count.
    EXPECT_EQ(Drive(2)->DriveLetters, L"");
    EXPECT_EQ(Drive(4)->DriveLetterMap, 0u);

    EXPECT_TRUE(Consecutive(
        lines, Split("Drive Letter Mapping - Start; A:\\; Drive Letter Mapping - != DRIVE_FIXED; "
                     "B:\\; Drive Letter Mapping - != DRIVE_FIXED; C:\\; \\\\.\\C:; "
                     "volumeDiskExtents.NumberOfDiskExtents = 1; "
                     "n = 0, pDiskExtent->DiskNumber = 0- driverMap= 4; D:\\; \\\\.\\D:; "
                     "volumeDiskExtents.NumberOfDiskExtents = 2; "
                     "n = 0, pDiskExtent->DiskNumber = 0- driverMap= 12; "
                     "n = 1, pDiskExtent->DiskNumber = 1- driverMap= 8; E:\\; \\\\.\\E:; "
                     "volumeDiskExtents.NumberOfDiskExtents = 4; F:\\; \\\\.\\F:; "
                     "Drive Letter Mapping - bResult == FALSE; G:\\; "
                     "Drive Letter Mapping - != DRIVE_FIXED")));
    EXPECT_TRUE(
        Consecutive(lines, {"Z:\\", "\\\\.\\Z:", "volumeDiskExtents.NumberOfDiskExtents = 0",
                            "Drive Letter Mapping - End", "CAtaSmart::Init - Complete"}));

    // Removable volumes count from C: on when asked.
    Machine(SpannedMachine()).IncludeRemovable = true;
    Inventory();
    EXPECT_EQ(Drive(2)->DriveLetters, L"H:");
    EXPECT_EQ(Drive(4)->DriveLetterMap, 0u);  // A: is a floppy drive whatever it holds
}

}  // namespace

}  // namespace disk
