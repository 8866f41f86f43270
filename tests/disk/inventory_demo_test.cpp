#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "tests/disk/inventory_fixture.h"

namespace disk {

namespace {

const std::filesystem::path kGolden =
    std::filesystem::path(TRAMSIK_SOURCE_DIR "/tests/disk/inventory_demo.golden");

class InventoryDemoTest : public InventoryTest {};

// The log of one inventory of the demo machine, line by line, time stamps stripped, and the
// records it made. After a deliberate change, TRAMSIK_UPDATE_GOLDEN=1 rewrites the file for
// review.
TEST_F(InventoryDemoTest, LogMatchesTheGoldenFileAndDrivesAreRecorded) {
    LoadDemo();
    engine_ = std::make_unique<CAtaSmart>();
    // The volume-space pass ends the inventory, once per record in list order.
    std::vector<int32_t> measured;
    engine_->updateDiskSpace = [&](CAtaSmart& engine, int32_t index) {
        measured.push_back(engine.vars[index].Address.physicalDriveId);
    };
    // The golden file holds multi-line messages without their carriage returns.
    LogLines lines = Inventory();
    for (std::string& line : lines)
        if (line.ends_with('\r')) line.pop_back();
    if (std::getenv("TRAMSIK_UPDATE_GOLDEN") != nullptr) {
        std::ofstream out(kGolden);
        for (const std::string& line : lines)
            out << line << '\n';
    }
    std::ifstream in(kGolden);
    LogLines golden;
    for (std::string line; std::getline(in, line);)
        golden.push_back(line);
    ASSERT_FALSE(golden.empty()) << kGolden;
    EXPECT_EQ(lines, golden);

    EXPECT_EQ(measured, (std::vector<int32_t>{0, 1, 2, 3}));
    const CAtaSmart& engine = Engine();
    EXPECT_EQ(
        std::tuple(engine.WmiAvailable, engine.AtaPassThroughAvailable,
                   engine.StorageQueryAvailable, engine.Controllers.ahciMode, engine.GetOsName()),
        std::tuple(true, true, true, true, L"Windows 10 64"));
    EXPECT_EQ(engine.LastUpdateTick, platform::GetTickCount());

    // The two SATA drives come first, then the NVMe drive and the USB disk.
    ASSERT_EQ(engine.vars.Count(), 4);
    const DriveRecord &system = engine.vars[0], &second = engine.vars[1], &usb = engine.vars[3];
    EXPECT_EQ(
        std::tuple(system.Address.physicalDriveId, system.Model, system.SerialNumber,
                   system.FirmwareRev, system.WmiModel, system.CommandType, system.CommandTypeTag,
                   system.Interface, system.DriveLetters),
        std::tuple(0, L"Orvel SSD S3 1GB", L"ORV2026S3000142", L"S3FM02.1", L"Orvel SSD S3 1GB",
                   CommandType::CMD_TYPE_PHYSICAL_DRIVE, L"pd1", L"Serial ATA", L"C:"));
    // A disk this small keeps the size of its CHS geometry; 2 GiB less 49 MiB lies where the
    // management size takes over, in MiB.
    EXPECT_EQ(
        std::tuple(system.TotalDiskSize, system.DiskSizeWmi, second.TotalDiskSize,
                   second.DriveLetters),
        std::tuple(1023.0, 1069286400u, static_cast<double>(2146798080u / (1024 * 1024)), L""));
    EXPECT_EQ(std::tuple(system.PowerOnHours, system.PowerOnCount, system.Temperature, system.Life,
                         system.HostWrites, system.HostReads, system.Threshold[11].ThresholdValue),
              std::tuple(1532, 487, 0x21, 98, 1834, 2410, 10));

    // The USB disk behind its bridge: how it got there is in the golden log.
    EXPECT_EQ(std::tuple(usb.CommandTypeTag, usb.Model, usb.UsbVendorId, usb.UsbProductId,
                         usb.SmartDataValid && usb.SmartThresholdValid, usb.AttributeCount,
                         usb.Temperature),
              std::tuple(L"jm1", L"Portable HDD PX-500", 0x152D, 0x0578, true, 11u, 35));
    EXPECT_TRUE(usb.Interface.starts_with(L"USB ("));
}

}  // namespace

}  // namespace disk
