// SMART of simulated drives read end to end: the physical-drive route sends the commands, the
// simulator answers like the drive and its driver would, and the engine parses and confirms.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "../platform/sim_fixture.h"
#include "base/ui_text.h"
#include "disk/attribute_names.h"
#include "disk/identify.h"
#include "disk/smart_reading.h"
#include "disk/vendor.h"
#include "transport/physical_drive.h"

namespace disk {

namespace {

class SmartEndToEnd : public SimTest {
  protected:
    // IDENTIFY and SMART of one drive through the physical-drive route, as discovery does.
    DriveRecord Read(int physicalDrive, bool passThrough) {
        transport::PhysicalDriveRoute route(physicalDrive, 0xA0, passThrough);
        AtaPage identify{};
        EXPECT_TRUE(route.IdentifyDevice(identify));
        DriveRecord record;
        EXPECT_EQ(IdentifyDrive(identify, CommandType::CMD_TYPE_PHYSICAL_DRIVE, 0xA0, record),
                  IdentifyOutcome::Usable);
        record.Address.physicalDriveId = physicalDrive;
        ReadSmartPhysicalDrive(route, record);
        return record;
    }
};

TEST_F(SmartEndToEnd, DemoSystemDriveIsConfirmedClassifiedAndNamed) {
    LoadDemo();
    for (bool passThrough : {true, false}) {
        const DriveRecord record = Read(0, passThrough);
        EXPECT_EQ(record.Model, L"Orvel SSD S3 1GB");
        EXPECT_EQ(record.CommandTypeTag, L"pd1");
        EXPECT_TRUE(record.SmartSupported);
        EXPECT_TRUE(record.SmartDataValid);
        EXPECT_TRUE(record.SmartThresholdValid);
        ASSERT_EQ(record.AttributeCount, 14u);
        // Ids 01 05 09 0C AB AC lead the table: the controller family is known by them.
        EXPECT_EQ(record.VendorId, VENDOR_SANDFORCE);
        EXPECT_EQ(record.SmartKeyName, L"SmartSandForce");
        EXPECT_TRUE(record.IsSsd);
        EXPECT_EQ(record.Temperature, 33);
        EXPECT_EQ(record.PowerOnHours, 1532);
        EXPECT_EQ(record.PowerOnCount, 487);
        EXPECT_EQ(record.Life, 98);
        EXPECT_EQ(record.HostWrites, 1834);
        EXPECT_EQ(record.HostReads, 2410);
        EXPECT_EQ(record.Threshold[11].ThresholdValue, 10) << "threshold of id E7";

        AttributeNameTables names;
        names.BuildAttributeNameTables();
        EXPECT_EQ(names.GetAttributeName(record.SmartKeyName, record.Attribute[11].Id),
                  L"SSD Life Left");
        EXPECT_EQ(names.GetAttributeName(record.SmartKeyName, 0xC2), L"Temperature");
    }
}

TEST_F(SmartEndToEnd, SmartThatAnswersOnlyOnceEnabledIsEnabledAndRead) {
    std::ifstream file(TRAMSIK_SOURCE_DIR "/tests/platform/machines/ata_variants.json");
    std::stringstream json;
    json << file.rdbuf();
    Load(json.str());
    transport::PhysicalDriveRoute route(0, 0xB0, true);
    AtaPage identify{};
    ASSERT_TRUE(route.IdentifyDevice(identify));
    DriveRecord record;
    ASSERT_EQ(IdentifyDrive(identify, CommandType::CMD_TYPE_PHYSICAL_DRIVE, 0xB0, record),
              IdentifyOutcome::Usable);
    record.Address.physicalDriveId = 0;
    ReadSmartPhysicalDrive(route, record);
    EXPECT_TRUE(record.SmartDataValid);
    EXPECT_TRUE(record.SmartThresholdValid);
    EXPECT_EQ(record.AttributeCount, 2u);
    EXPECT_EQ(record.PowerOnHours, 120);
}

}  // namespace

}  // namespace disk
