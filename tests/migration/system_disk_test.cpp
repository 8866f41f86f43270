// Which record is the system disk: the first whose letters hold the system directory's letter,
// remembered by its physical drive number.
#include "migration/system_disk.h"

#include <gtest/gtest.h>

#include "base/utf8.h"
#include "tests/disk/inventory_fixture.h"

using disk::DriveList;
using disk::DriveRecord;

namespace {

// "index physicalDrive model letter", the letter "-" while unknown.
std::string Summary(const migration::SystemDisk& disk) {
    return std::to_string(disk.index) + " " + std::to_string(disk.physicalDriveId) + " " +
           ToUtf8(disk.model) + " " + (disk.letter ? std::string(1, char(disk.letter)) : "-");
}

class SystemDiskTest : public InventoryTest {
  protected:
    // Looks for the system disk of `drives` on a machine whose system directory is `directory`.
    LogLines Find(const std::string& directory, const DriveList& drives,
                  migration::SystemDisk& systemDisk) {
        Load(MachineOf(Json::array(), Json::array(), Json::array(),
                       {{"major", 10}, {"minor", 0}, {"systemDirectory", directory}})
                 .dump());
        LogWatch watch;
        migration::getSystemDisk(drives, systemDisk);
        return watch.Messages();
    }
};

DriveList Drives(std::initializer_list<std::pair<int32_t, const wchar_t*>> numbersAndLetters) {
    DriveList drives;
    for (const auto& [number, letters] : numbersAndLetters) {
        DriveRecord record;
        record.Address.physicalDriveId = number;
        record.DriveLetters = letters;
        record.Model = L"Disk " + std::to_wstring(number);
        drives.Append(record);
    }
    return drives;
}

// The identity is the drive number, not the index; a directory written in lower case names the
// same volume; of two disks claiming the letter (which cannot happen) the first wins. No match
// keeps what was known but the letter.
TEST_F(SystemDiskTest, TheLetterOfTheSystemDirectoryDecides) {
    const DriveList drives = Drives({{2, L"C:"}, {5, L"D: E:"}, {7, L"F:"}, {9, L"C: F:"}});
    migration::SystemDisk systemDisk;
    EXPECT_TRUE(Has(Find("D:\\Windows\\System32", drives, systemDisk),
                    "=====>GetSystemDiskPhysicalDrive = 1"));
    EXPECT_EQ(Summary(systemDisk), "1 5 Disk 5 D");
    Find("f:\\windows\\system32", drives, systemDisk);
    EXPECT_EQ(Summary(systemDisk), "2 7 Disk 7 F");

    Find("G:\\Windows\\System32", drives, systemDisk);
    EXPECT_EQ(Summary(systemDisk), "2 7 Disk 7 G");
    migration::SystemDisk fresh;
    EXPECT_FALSE(
        Has(Find("G:\\Windows\\System32", drives, fresh), "=====>GetSystemDiskPhysicalDrive = 0"));
    EXPECT_EQ(Summary(fresh), "0 -1  G");
}

}  // namespace
