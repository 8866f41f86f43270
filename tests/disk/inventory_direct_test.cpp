#include <gtest/gtest.h>

#include "tests/disk/inventory_fixture.h"

namespace disk {

namespace {

class InventoryDirectTest : public InventoryTest {};

TEST_F(InventoryDirectTest, DiskSeenByManagementIsNotProbedAgain) {
    Json listed = WithWmi(AtaDrive(0, "Orvel SSD Listed", "L0"),
                          WmiView(0, "Orvel SSD Listed", "SCSI\\DISK&L0\\1"));
    const LogLines lines =
        Inventory(MachineOf(Json::array({listed, AtaDrive(1, "Orvel SSD Bare", "B1")})));
    ASSERT_EQ(Engine().vars.Count(), 2);
    EXPECT_EQ(CountOf(lines, "DoIdentifyDevicePd(0, 0xA0) - 1"), 1);
    EXPECT_EQ(CountOf(lines, "DoIdentifyDevicePd(1, 0xA0) - 1"), 1);
    // Only drive 1 goes through the direct pass, after the management pass.
    EXPECT_TRUE(
        Consecutive(lines, {"OK2:SELECT * FROM Win32_DiskDrive", "USB-HDD Check", "Check Bus Type",
                            "DO:GetDiskInfo", "GetDiskInfo", "DoIdentifyDevicePd(1, 0xA0) - 1"}));
    EXPECT_EQ(std::tuple(Drive(0)->WmiModel, Drive(1)->WmiModel, Drive(1)->Address.scsiPort),
              std::tuple(L"Orvel SSD Listed", L"", -1));

    // Asked again for a recorded drive, the probe refuses at once.
    LogWatch watch;
    EXPECT_FALSE(Engine().GetDiskInfo({.physicalDriveId = 1}, {}));
    EXPECT_EQ(watch.Messages(), (LogLines{"GetDiskInfo", "GetDiskInfo - FALSE1"}));
}

TEST_F(InventoryDirectTest, SecondDeviceAnswerIsRecordedAsFirst) {
    Json second = AtaDrive(0, "Orvel SSD Slave", "SLAVE0");
    second["ata"] = {{"target", "0xB0"}};
    const LogLines lines = Inventory(MachineOf(Json::array({second})));
    EXPECT_TRUE(InOrder(lines, {"DoIdentifyDevicePd(0, 0xB0) - 3", "AddDisk(0, -1, -1) - 6"}));
    ASSERT_NE(Drive(0), nullptr);
    EXPECT_EQ(std::tuple(Drive(0)->Address.target, Drive(0)->CommandTypeTag, Drive(0)->Model),
              std::tuple(TARGET_FIRST_DEVICE, L"pd1", L"Orvel SSD Slave"));
}

TEST_F(InventoryDirectTest, PairSwappedMakerNamesAreReadTheOtherWay) {
    // "WDC WD5000AAKX-00ERMA0" as a bridge hands it over already readable, which the
    // identification then swaps; a name of no such maker stays as read.
    Json wdc = AtaDrive(0, "DW CDW0500AAXK0-E0MR0A", "DWW-ACWY214365");
    const LogLines lines =
        Inventory(MachineOf(Json::array({wdc, AtaDrive(1, "Orvel SSD Plain", "PLAIN1")})));
    EXPECT_EQ(CountOf(lines, "Reverse"), 1);
    ASSERT_EQ(Engine().vars.Count(), 2);
    EXPECT_EQ(std::tuple(Drive(0)->Model, Drive(0)->SerialNumber, Drive(0)->FirmwareRev),
              std::tuple(L"WDC WD5000AAKX-00ERMA0", L"WD-WCAYW123456", L"WF10"));
    EXPECT_EQ(Drive(1)->Model, L"Orvel SSD Plain");
}

TEST_F(InventoryDirectTest, OnlyFixedDisksAreProbedAndUsbBusesGoToTheBridges) {
    Json removable = AtaDrive(0, "Orvel Card", "CARD0");
    removable["mediaType"] = "removable";
    Json usb = AtaDrive(1, "Orvel USB Disk", "USB1");
    usb["storage"] = {{"busType", "usb"}};
    // One behind a bridge that answers: its interface names the bus it came through.
    Json bridged = AtaDrive(2, "Orvel Bridged Disk", "USB2");
    bridged["storage"] = {{"busType", "usb"}};
    bridged["route"] = "sat";
    bridged["usb"] = {{"vid", 0x1234}, {"pid", 1}};
    const LogLines lines = Inventory(MachineOf(Json::array({removable, usb, bridged})));
    EXPECT_EQ(CountOf(lines, "DoIdentifyDevicePd(0, 0xA0) - 1"), 0);
    EXPECT_EQ(CountOf(lines, "DO:GetDiskInfo"), 2);
    // A USB disk is probed through the bridge routes only.
    EXPECT_TRUE(Consecutive(lines, {"USB-HDD Check", "Check Bus Type", "Bus Type = USB",
                                    "DO:GetDiskInfo", "GetDiskInfo", "else (USB-HDD)"}));
    EXPECT_TRUE(InOrder(lines, {"else (USB-HDD)", "OK:GetDiskInfo - PhysicalDrive"}));
    ASSERT_EQ(Engine().vars.Count(), 1);
    EXPECT_EQ(std::tuple(Drive(2)->Model, Drive(2)->CommandType, Drive(2)->Interface),
              std::tuple(L"Orvel Bridged Disk", CommandType::CMD_TYPE_SAT, L"USB (Serial ATA)"));
}

TEST_F(InventoryDirectTest, GeometryOutOfRangeIsRefusedUnlessScanningScsiPorts) {
    Json clamped = AtaDrive(0, "Orvel SSD Clamped", "CLAMP0");
    clamped["identify"]["words"] = {{"1", 16384}};
    Json machine = MachineOf(Json::array({clamped, AtaDrive(1, "Orvel SSD Fine", "FINE1")}));
    Inventory(machine);
    EXPECT_EQ(Drive(0), nullptr);
    EXPECT_NE(Drive(1), nullptr);

    Machine(machine).ScsiScan = true;
    const LogLines lines = Inventory();
    ASSERT_NE(Drive(0), nullptr);
    EXPECT_EQ(std::tuple(Drive(0)->IsGeometryOutOfRange, Drive(0)->Cylinder),
              std::tuple(true, 16383u));
    EXPECT_TRUE(InOrder(lines, {"OK:qsort", "DoIdentifyDeviceScsi(0, 0) - 7",
                                "OK:GetDiskInfo - Scsi", "Drive Letter Mapping - Start"}));
}

TEST_F(InventoryDirectTest, DisksFoundThatAnswerNoRouteAreNamed) {
    const auto listed = [](Json drive) {
        const int number = drive["physicalDrive"];
        return WithWmi(std::move(drive), WmiView(number, "Orvel SSD", "SCSI\\DISK&X\\1"));
    };
    Json silent = AtaDrive(1, "Orvel SSD Silent", "S1");
    silent["ata"] = {{"passThrough", false}, {"smartIoctl", false}};
    Json unplugged = AtaDrive(2, "Orvel SSD Gone", "G2");
    unplugged["faults"] = {{"gone", true}};
    struct Case {
        const char* name;
        Json drives;
        std::vector<int32_t> unanswered;
    };
    const Case cases[] = {
        {"every disk answers", Json::array({AtaDrive(0, "Orvel SSD", "A0")}), {}},
        {"the direct pass opens a disk that answers no command", Json::array({silent}), {1}},
        {"the management pass lists a disk that no longer answers",
         Json::array({listed(AtaDrive(0, "Orvel SSD", "A0")), listed(unplugged)}),
         {2}},
        // Without a listing the disk cannot even be opened: it is not there.
        {"an unplugged disk nobody lists", Json::array({unplugged}), {}},
        {"both passes fail on one disk, named once", Json::array({listed(silent)}), {1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Inventory(MachineOf(c.drives));
        EXPECT_EQ(Engine().UnansweredDrives, c.unanswered);
    }
}

}  // namespace

}  // namespace disk
