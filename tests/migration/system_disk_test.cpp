// Which record is the system disk: the first whose letters hold the system directory's letter,
// remembered by its physical drive number.
#include "migration/system_disk.h"

#include <gtest/gtest.h>

#include "disk/ata_smart.h"
#include "tests/disk/inventory_fixture.h"

using disk::CAtaSmart;
using disk::DriveList;
using disk::DriveRecord;

namespace {

class SystemDiskTest : public InventoryTest {
  protected:
    // A machine with no drives whose system directory is `directory`.
    void SystemDirectory(const std::string& directory) {
        Load(MachineOf(Json::array(), Json::array(), Json::array(),
                       {{"major", 10}, {"minor", 0}, {"systemDirectory", directory}})
                 .dump());
    }

    static DriveRecord Record(int32_t physicalDrive, const std::wstring& letters,
                              const std::wstring& model) {
        DriveRecord record;
        record.Address.physicalDriveId = physicalDrive;
        record.DriveLetters = letters;
        record.Model = model;
        return record;
    }

    LogLines Find(const DriveList& drives, migration::SystemDisk& systemDisk) {
        LogWatch watch;
        migration::getSystemDisk(drives, systemDisk);
        return watch.Messages();
    }
};

TEST_F(SystemDiskTest, TheDemoMachineRunsFromItsFirstDisk) {
    LoadDemo();
    engine_ = std::make_unique<CAtaSmart>();
    Inventory();
    migration::SystemDisk systemDisk;
    const LogLines log = Find(Engine().vars, systemDisk);
    EXPECT_TRUE(systemDisk.Found());
    EXPECT_EQ(systemDisk.index, 0);
    EXPECT_EQ(systemDisk.physicalDriveId, 0);
    EXPECT_EQ(systemDisk.model, L"Orvel SSD S3 1GB");
    EXPECT_EQ(systemDisk.letter, L'C');
    EXPECT_TRUE(Has(log, "=====>GetSystemDiskPhysicalDrive = 0"));
}

TEST_F(SystemDiskTest, TheLetterOfTheSystemDirectoryDecides) {
    DriveList drives;
    drives.Append(Record(2, L"C:", L"First"));
    drives.Append(Record(5, L"D: E:", L"Second"));
    drives.Append(Record(7, L"F:", L"Third"));

    SystemDirectory("D:\\Windows\\System32");
    migration::SystemDisk systemDisk;
    EXPECT_TRUE(Has(Find(drives, systemDisk), "=====>GetSystemDiskPhysicalDrive = 1"));
    EXPECT_EQ(systemDisk.letter, L'D');
    EXPECT_EQ(systemDisk.index, 1);
    EXPECT_EQ(systemDisk.physicalDriveId, 5) << "the identity is the drive number, not the index";
    EXPECT_EQ(systemDisk.model, L"Second");

    // A directory written in lower case names the same volume.
    SystemDirectory("f:\\windows\\system32");
    Find(drives, systemDisk);
    EXPECT_EQ(systemDisk.letter, L'F');
    EXPECT_EQ(systemDisk.physicalDriveId, 7);
    EXPECT_EQ(systemDisk.index, 2);

    // Two disks claiming the letter cannot happen; if they do, the first wins.
    drives.Append(Record(9, L"C: F:", L"Fourth"));
    Find(drives, systemDisk);
    EXPECT_EQ(systemDisk.physicalDriveId, 7);
}

TEST_F(SystemDiskTest, NoMatchKeepsWhatWasKnown) {
    DriveList drives;
    drives.Append(Record(0, L"D:", L"Data"));
    SystemDirectory("C:\\Windows\\System32");

    migration::SystemDisk fresh;
    EXPECT_FALSE(Has(Find(drives, fresh), "=====>GetSystemDiskPhysicalDrive = 0"));
    EXPECT_FALSE(fresh.Found());
    EXPECT_EQ(fresh.index, 0);
    EXPECT_EQ(fresh.model, L"");
    EXPECT_EQ(fresh.letter, L'C');

    migration::SystemDisk known{.index = 3, .physicalDriveId = 4, .model = L"Old", .letter = 0};
    Find(drives, known);
    EXPECT_EQ(known.index, 3);
    EXPECT_EQ(known.physicalDriveId, 4);
    EXPECT_EQ(known.model, L"Old");

    // An empty list finds nothing either.
    migration::SystemDisk none;
    Find(DriveList{}, none);
    EXPECT_FALSE(none.Found());
    EXPECT_EQ(none.letter, L'C');
}

}  // namespace
