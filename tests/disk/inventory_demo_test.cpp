#include <gtest/gtest.h>

#include "tests/disk/smart_flags.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "disk/attribute_names.h"
#include "disk/vendor.h"
#include "tests/disk/inventory_fixture.h"

namespace disk {

namespace {

const std::filesystem::path kGolden =
    std::filesystem::path(TRAMSIK_SOURCE_DIR "/tests/disk/inventory_demo.golden");

// Log lines as a golden file holds them: without the carriage returns of multi-line messages.
LogLines Normalised(LogLines lines) {
    for (std::string& line : lines)
        if (!line.empty() && line.back() == '\r') line.pop_back();
    return lines;
}

LogLines ReadLines(const std::filesystem::path& path) {
    std::ifstream in(path);
    LogLines lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

class InventoryDemoTest : public InventoryTest {};

// The log of one inventory of the demo machine, line by line, time stamps stripped. After a
// deliberate change, TRAMSIK_UPDATE_GOLDEN=1 rewrites the file for review.
TEST_F(InventoryDemoTest, LogOfOneInventoryMatchesTheGoldenFile) {
    LoadDemo();
    engine_ = std::make_unique<CAtaSmart>();
    const LogLines lines = Normalised(Inventory());
    if (std::getenv("TRAMSIK_UPDATE_GOLDEN") != nullptr) {
        std::ofstream out(kGolden);
        for (const std::string& line : lines)
            out << line << '\n';
    }
    const LogLines golden = ReadLines(kGolden);
    ASSERT_FALSE(golden.empty()) << kGolden;
    EXPECT_EQ(lines, golden);
}

TEST_F(InventoryDemoTest, DrivesAreRecordedWithTheirSmartReading) {
    LoadDemo();
    engine_ = std::make_unique<CAtaSmart>();
    // The volume-space pass ends the inventory, once per record in list order.
    std::vector<int32_t> measured;
    engine_->updateDiskSpace = [&](CAtaSmart& engine, int32_t index) {
        measured.push_back(engine.vars[index].Address.physicalDriveId);
    };
    Inventory();
    EXPECT_EQ(measured, (std::vector<int32_t>{0, 1, 2, 3}));
    const CAtaSmart& engine = Engine();
    EXPECT_TRUE(engine.WmiAvailable);
    EXPECT_TRUE(engine.AtaPassThroughAvailable);
    EXPECT_TRUE(engine.StorageQueryAvailable);
    EXPECT_EQ(engine.GetOsName(), L"Windows 10 64");
    EXPECT_EQ(engine.LastUpdateTick, platform::GetTickCount());
    EXPECT_TRUE(engine.Controllers.ahciMode);

    // The two SATA drives come first, then the NVMe drive and the USB disk.
    ASSERT_EQ(engine.vars.Count(), 4);
    const DriveRecord& system = engine.vars[0];
    const DriveRecord& second = engine.vars[1];
    EXPECT_EQ(system.Address.physicalDriveId, 0);
    EXPECT_EQ(system.Model, L"Orvel SSD S3 1GB");
    EXPECT_EQ(system.SerialNumber, L"ORV2026S3000142");
    EXPECT_EQ(system.FirmwareRev, L"S3FM02.1");
    EXPECT_EQ(system.WmiModel, L"Orvel SSD S3 1GB");
    EXPECT_EQ(system.Address.pnpDeviceId,
              L"SCSI\\DISK&VEN_&PROD_ORVEL_SSD_S3_1GB\\4&2A1D4E5C&0&000000");
    EXPECT_EQ(system.CommandType, CommandType::CMD_TYPE_PHYSICAL_DRIVE);
    EXPECT_EQ(system.CommandTypeTag, L"pd1");
    EXPECT_EQ(system.Interface, L"Serial ATA");
    EXPECT_EQ(system.DriveLetters, L"C:");
    // A disk this small keeps the size of its CHS geometry.
    EXPECT_EQ(system.TotalDiskSize, 1023.0);
    EXPECT_EQ(system.DiskSizeWmi, 1069286400u);
    // 2 GiB less 49 MiB lies where the management size takes over, in MiB.
    EXPECT_EQ(second.TotalDiskSize, static_cast<double>(2146798080u / (1024 * 1024)));
    EXPECT_EQ(second.DriveLetters, L"");

    for (const DriveRecord* record : {&system, &second}) {
        EXPECT_EQ(SmartFlags(*record), std::tuple(true, true, true));
        EXPECT_TRUE(record->IsSsd);
    }
    // The system disk's attribute ids are those of a SandForce controller.
    EXPECT_EQ(system.VendorId, VENDOR_SANDFORCE);
    EXPECT_EQ(system.SmartKeyName, L"SmartSandForce");
    // The second one's are of no known family: the generic table of solid-state drives.
    EXPECT_EQ(second.VendorId, VENDOR_NONE);
    EXPECT_EQ(second.SmartKeyName, L"SmartSsd");
    EXPECT_EQ(system.AttributeCount, 14u);
    EXPECT_EQ(second.AttributeCount, 9u);
    EXPECT_EQ(system.PowerOnHours, 1532);
    EXPECT_EQ(system.PowerOnCount, 487);
    EXPECT_EQ(system.Temperature, 0x21);
    EXPECT_EQ(second.Temperature, 30);
    EXPECT_EQ(system.Life, 98);
    EXPECT_EQ(system.HostWrites, 1834);
    EXPECT_EQ(system.HostReads, 2410);
    EXPECT_EQ(system.Threshold[11].ThresholdValue, 10) << "threshold of id E7";
    AttributeNameTables names;
    names.BuildAttributeNameTables();
    EXPECT_EQ(names.GetAttributeName(system.SmartKeyName, system.Attribute[11].Id),
              L"SSD Life Left");

    // The USB disk behind its bridge: how it got there is in the golden log.
    const DriveRecord& usb = engine.vars[3];
    EXPECT_EQ(usb.CommandTypeTag, L"jm1");
    EXPECT_EQ(usb.Model, L"Portable HDD PX-500");
    EXPECT_TRUE(usb.Interface.starts_with(L"USB (")) << ToUtf8(usb.Interface);
    EXPECT_EQ(usb.UsbVendorId, 0x152D);
    EXPECT_EQ(usb.UsbProductId, 0x0578);
    EXPECT_TRUE(usb.SmartDataValid && usb.SmartThresholdValid);
    EXPECT_EQ(usb.AttributeCount, 11u);
    EXPECT_EQ(usb.Temperature, 35);
}

}  // namespace

}  // namespace disk
