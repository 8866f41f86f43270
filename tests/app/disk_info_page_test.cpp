// The Disk information page of a drive as plain data: labels, the serial cut, drive letters,
// transfer modes, sizes, the AHCI colour and the volume buttons, in both languages.
#include "app/pages/disk_info_page.h"

#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>

#include "base/ui_text.h"
#include "disk/drive_codes.h"
#include "tests/support/language_scope.h"

namespace app {

using disk::DriveRecord;
using disk::InterfaceType;

namespace {

DriveRecord Drive() {
    DriveRecord record;
    record.Address.physicalDriveId = 0;
    record.SerialNumber = L"ORV2026S3";
    record.FirmwareRev = L"S3FM02.1";
    record.Interface = L"Serial ATA";
    record.CurrentTransferMode = L"SATA/300";
    record.MaxTransferMode = L"SATA/600";
    record.DriveLetters = L"C: D:";
    record.TotalDiskSize = 1536.0;
    record.FreeSize = 512.0;
    record.UsedSize = 256.0;
    record.UnallocatedSize = 768.0;
    record.UsedPercent = 33;
    record.Volumes[0] = {.Letter = L'C', .TotalSize = 512.0, .FileSystem = L"NTFS"};
    record.Volumes[1] = {.Letter = L'D', .TotalSize = 256.0, .FileSystem = L"NTFS"};
    return record;
}

std::wstring TextOf(const DiskInfoPage& page, const wchar_t* control) {
    const InfoLine* line = page.Line(control);
    return line ? line->text : L"<missing " + std::wstring(control) + L">";
}

// Every line in order, one per row: "control: text", its tooltip and colour after it when set.
std::wstring Rendered(const DiskInfoPage& page) {
    std::wostringstream out;
    for (const InfoLine& line : page.lines) {
        out << line.control << L": " << line.text;
        if (line.tooltip) out << L" [" << *line.tooltip << L"]";
        if (line.colour) out << L" #" << std::hex << *line.colour << std::dec;
        out << L"\n";
    }
    return out.str();
}

TEST(DiskInfoPage, EveryLineInOrderInBothLanguages) {
    {
        LanguageScope english(0);
        const DiskInfoPage page = BuildDiskInfoPage(Drive(), {L"77", L"1200"}, true);
        EXPECT_EQ(Rendered(page),
                  L"drive_map: Drive letter:  C\x3001 D \n"
                  L"set_mode: Transmission mode:  SATA2|SATA3 "
                  L"[Current Mode | Support Mode]\n"
                  L"power_up_count: Power-on Count:  77Times\n"
                  L"power_up_time: Power-on Time:  1200hour\n"
                  L"4K_align: Interface : Serial ATA\n"
                  L"AHCI: AHCI:  Opeded #515151\n"
                  L"serial_no: Serial No. : ORV2026S3\n"
                  L"capacityInfo: Disk capacity : 1.5 GB\n"
                  L"fireware: Firmware : S3FM02.1\n"
                  L"free_spacebase: Free Space : 0.5 GB\n"
                  L"used_spacebase: Used Space : 0.2 GB\n"
                  L"unallocated: Unallocated : 0.8 GB\n");
        EXPECT_EQ(page.usedPercent, 33);
        EXPECT_EQ(page.Line(L"no_such_control"), nullptr);
    }
    LanguageScope chinese(1);
    DriveRecord drive = Drive();
    drive.DriveLetters.clear();
    // In Chinese: no letters is said in words, and AHCI off is red.
    const DiskInfoPage zh = BuildDiskInfoPage(drive, {L"5", L"9"}, false);
    EXPECT_EQ(TextOf(zh, L"drive_map"), L"驱动器号:  无分区");
    EXPECT_EQ(TextOf(zh, L"AHCI"), L"AHCI:  未开启");
    EXPECT_EQ(zh.Line(L"AHCI")->colour, 0xDC143Cu);
}

TEST(DiskInfoPage, DriveLettersTransferModesAndSizes) {
    EXPECT_EQ(DriveMapText(L"C"), L"C ");
    EXPECT_EQ(DriveMapText(L""), L"");
    EXPECT_EQ(TransferModeName(L"UDMA/133"), L"UDMA/133");
    EXPECT_EQ(TransferModeName(L"150/600"), L"SATA1") << "150 is tested first";
    EXPECT_EQ(TransferModeName(L""), L"");
    EXPECT_EQ(GigabyteText(1024.0 * 1024 * 3), L"3072.0 GB");

    // Text 106 is empty in English; no modes, no counts, no volumes, no buttons.
    LanguageScope english(0);
    DriveRecord drive;
    drive.MaxTransferMode = L"PCIe 3.0 x4";
    drive.UsedPercent = 140;
    const DiskInfoPage page = BuildDiskInfoPage(drive, {}, true);
    EXPECT_EQ(TextOf(page, L"drive_map"), L"Drive letter:  ");
    EXPECT_EQ(TextOf(page, L"set_mode"), L"Transmission mode:  |PCIe 3.0 x4");
    EXPECT_EQ(TextOf(page, L"capacityInfo"), L"Disk capacity : 0.0 GB");
    EXPECT_EQ(TextOf(page, L"power_up_count"), L"Power-on Count:  Times");
    EXPECT_EQ(page.usedPercent, 100);
    EXPECT_TRUE(page.volumes.empty()) << "no volume, no button";
}

// The serial line takes 27 characters; a longer one is cut after 12 characters in English and
// after 19 in Chinese, with the whole serial as tooltip. U+1D7CE, a digit outside the BMP, is
// one character also where it takes two units, and no pair is split.
TEST(DiskInfoPage, LongSerialNumbersAreCutPerLanguage) {
    const std::wstring d = L"\U0001D7CE";
    const std::wstring fourteen = d + d + d + d + d + d + d + d + d + d + d + d + d + d;
    const struct {
        int language;
        std::wstring serial, shown;  // shown: after the label
        bool cut;
    } cases[] = {
        {0, L"ABCDEFGHIJKLMN", L"ABCDEFGHIJKLMN", false},
        {0, L"ABCDEFGHIJKLMNO", L"ABCDEFGHIJKL..", true},
        {1, L"ABCDEFGHIJKLMNOPQRST", L"ABCDEFGHIJKLMNOPQRST", false},
        {1, L"ABCDEFGHIJKLMNOPQRSTUV", L"ABCDEFGHIJKLMNOPQRS..", true},
        {0, fourteen, fourteen, false},
        {0, fourteen + d, fourteen.substr(0, 12 * d.size()) + L"..", true},
    };
    DriveRecord drive = Drive();
    for (const auto& c : cases) {
        LanguageScope language(c.language);
        drive.SerialNumber = c.serial;
        const DiskInfoPage page = BuildDiskInfoPage(drive, {}, false);
        const InfoLine* line = page.Line(L"serial_no");
        EXPECT_EQ(line->text, GetUiText(2) + L" " + c.shown);
        EXPECT_EQ(line->tooltip, c.cut ? std::optional(c.serial) : std::nullopt) << c.shown.size();
    }
}

// A SATA drive's power-on texts are its table's; on an NVMe drive rows 0B and 0C hold the power
// cycles and the power-on hours.
TEST(DiskInfoPage, PowerOnTextsOfSataAndNvmeDrives) {
    SmartTable table;
    table.PowerOnCountText = L"12";
    table.PowerOnTimeText = L"3400";
    table.Rows = {{L"0B", L"Power Cycles", L"", L"", L"", L"00000000002A", L""},
                  {L"0C", L"Power On Hours", L"", L"", L"", L"000000000100", L""}};
    const auto texts = [&](InterfaceType type, const SmartTable& from) {
        DriveRecord drive;
        drive.InterfaceType = type;
        const PowerOnTexts t = PowerOnTextsOf(drive, from);
        return t.count + L" " + t.hours;
    };
    EXPECT_EQ(texts(InterfaceType::INTERFACE_TYPE_SATA, table), L"12 3400");
    EXPECT_EQ(texts(InterfaceType::INTERFACE_TYPE_NVME, table), L"42 256");
    EXPECT_EQ(texts(InterfaceType::INTERFACE_TYPE_NVME, SmartTable{}), L" ");
}

}  // namespace

}  // namespace app
