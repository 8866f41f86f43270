// The Disk information page of a drive as plain data: labels, the serial cut, drive letters,
// transfer modes, sizes, the AHCI colour and the volume buttons, in both languages.
#include "app/pages/disk_info_page.h"

#include <gtest/gtest.h>

#include <cwctype>
#include <string>

#include "base/ui_text.h"
#include "disk/drive_codes.h"
#include "tests/support/language_scope.h"

namespace app {

using disk::DriveRecord;
using disk::InterfaceType;
using disk::VolumeSpace;

namespace {

VolumeSpace Volume(wchar_t letter, double totalSize) {
    VolumeSpace volume;
    volume.Letter = letter;
    volume.TotalSize = totalSize;
    return volume;
}

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
    record.Volumes[0] = Volume(L'C', 512.0);
    record.Volumes[1] = Volume(L'D', 256.0);
    return record;
}

std::wstring TextOf(const DiskInfoPage& page, const wchar_t* control) {
    const InfoLine* line = page.Line(control);
    return line ? line->text : L"<missing " + std::wstring(control) + L">";
}

TEST(DiskInfoPage, EveryLineInOrderInEnglish) {
    LanguageScope english(0);
    const DiskInfoPage page = BuildDiskInfoPage(Drive(), {L"77", L"1200"}, true);
    std::vector<std::wstring> controls;
    for (const InfoLine& line : page.lines)
        controls.push_back(line.control);
    EXPECT_EQ(controls, (std::vector<std::wstring>{
                            L"drive_map", L"set_mode", L"power_up_count", L"power_up_time",
                            L"4K_align", L"AHCI", L"serial_no", L"capacityInfo", L"fireware",
                            L"free_spacebase", L"used_spacebase", L"unallocated"}));

    EXPECT_EQ(TextOf(page, L"drive_map"), L"Drive letter:  C\x3001 D ");
    EXPECT_EQ(TextOf(page, L"set_mode"), L"Transmission mode:  SATA2|SATA3");
    EXPECT_EQ(page.Line(L"set_mode")->tooltip, L"Current Mode | Support Mode");
    EXPECT_EQ(TextOf(page, L"power_up_count"), L"Power-on Count:  77Times");
    EXPECT_EQ(TextOf(page, L"power_up_time"), L"Power-on Time:  1200hour");
    EXPECT_EQ(TextOf(page, L"4K_align"), L"Interface : Serial ATA");
    EXPECT_EQ(TextOf(page, L"AHCI"), L"AHCI:  Opeded");
    EXPECT_EQ(page.Line(L"AHCI")->colour, kAhciOnColour);
    EXPECT_EQ(TextOf(page, L"serial_no"), L"Serial No. : ORV2026S3");
    EXPECT_FALSE(page.Line(L"serial_no")->tooltip) << "a whole serial needs no tooltip";
    EXPECT_EQ(TextOf(page, L"capacityInfo"), L"Disk capacity : 1.5 GB");
    EXPECT_EQ(TextOf(page, L"fireware"), L"Firmware : S3FM02.1");
    EXPECT_EQ(TextOf(page, L"free_spacebase"), L"Free Space : 0.5 GB");
    EXPECT_EQ(TextOf(page, L"used_spacebase"), L"Used Space : 0.2 GB");
    EXPECT_EQ(TextOf(page, L"unallocated"), L"Unallocated : 0.8 GB");
    EXPECT_EQ(page.usedPercent, 33);
    EXPECT_EQ(page.Line(L"no_such_control"), nullptr);
}

TEST(DiskInfoPage, EveryLineInChinese) {
    LanguageScope chinese(1);
    DriveRecord drive = Drive();
    drive.DriveLetters.clear();
    const DiskInfoPage page = BuildDiskInfoPage(drive, {L"5", L"9"}, false);
    EXPECT_EQ(TextOf(page, L"drive_map"), L"驱动器号:  无分区");
    EXPECT_EQ(page.Line(L"set_mode")->tooltip, L"当前模式 | 支持模式");
    EXPECT_EQ(TextOf(page, L"power_up_count"), L"通电次数:  5次");
    EXPECT_EQ(TextOf(page, L"power_up_time"), L"通电时间:  9小时");
    EXPECT_EQ(TextOf(page, L"4K_align"), L"接口 : Serial ATA");
    EXPECT_EQ(TextOf(page, L"AHCI"), L"AHCI:  未开启");
    EXPECT_EQ(page.Line(L"AHCI")->colour, kAhciOffColour);
    EXPECT_EQ(TextOf(page, L"capacityInfo"), L"磁盘容量 : 1.5 GB");
    EXPECT_EQ(TextOf(page, L"unallocated"), L"未分配 : 0.8 GB");
}

TEST(DiskInfoPage, DriveLettersWithTheIdeographicComma) {
    EXPECT_EQ(DriveMapText(L"C"), L"C ");
    EXPECT_EQ(DriveMapText(L"CDE"), L"C\x3001 D\x3001 E ");
    EXPECT_EQ(DriveMapText(L"C: D: E:"), L"C\x3001 D\x3001 E ") << "the record's own form";
    EXPECT_EQ(DriveMapText(L""), L"");

    LanguageScope english(0);
    DriveRecord drive = Drive();
    drive.DriveLetters.clear();
    EXPECT_EQ(TextOf(BuildDiskInfoPage(drive, {}, false), L"drive_map"), L"Drive letter:  ")
        << "text 106 is empty in English";
}

TEST(DiskInfoPage, TransferModesMapToTheirGeneration) {
    EXPECT_EQ(TransferModeName(L"SATA/150"), L"SATA1");
    EXPECT_EQ(TransferModeName(L"SATA/300"), L"SATA2");
    EXPECT_EQ(TransferModeName(L"SATA/600"), L"SATA3");
    EXPECT_EQ(TransferModeName(L"UDMA/133"), L"UDMA/133");
    EXPECT_EQ(TransferModeName(L"150/600"), L"SATA1") << "150 is tested first";
    EXPECT_EQ(TransferModeName(L"300 600"), L"SATA2");
    EXPECT_EQ(TransferModeName(L""), L"");

    LanguageScope english(0);
    DriveRecord drive = Drive();
    drive.CurrentTransferMode.clear();
    drive.MaxTransferMode = L"PCIe 3.0 x4";
    EXPECT_EQ(TextOf(BuildDiskInfoPage(drive, {}, false), L"set_mode"),
              L"Transmission mode:  |PCIe 3.0 x4");
}

TEST(DiskInfoPage, LongSerialNumbersAreCutPerLanguage) {
    DriveRecord drive = Drive();
    drive.SerialNumber = L"ABCDEFGHIJKLMNOPQRST";  // 20 characters
    {
        LanguageScope english(0);
        const DiskInfoPage page = BuildDiskInfoPage(drive, {}, false);
        const InfoLine* line = page.Line(L"serial_no");
        EXPECT_EQ(line->text, L"Serial No. : ABCDEFGHIJKL..");
        EXPECT_EQ(line->tooltip, L"ABCDEFGHIJKLMNOPQRST");
    }
    {
        // "序列号 : " and 20 characters make 26, within the 27 a line may take.
        LanguageScope chinese(1);
        DiskInfoPage page = BuildDiskInfoPage(drive, {}, false);
        const InfoLine* line = page.Line(L"serial_no");
        EXPECT_EQ(line->text, L"序列号 : ABCDEFGHIJKLMNOPQRST");
        EXPECT_FALSE(line->tooltip);

        drive.SerialNumber = L"ABCDEFGHIJKLMNOPQRSTUV";  // 22: the line would take 28
        page = BuildDiskInfoPage(drive, {}, false);
        line = page.Line(L"serial_no");
        EXPECT_EQ(line->text, L"序列号 : ABCDEFGHIJKLMNOPQRS..");
        EXPECT_EQ(line->tooltip, L"ABCDEFGHIJKLMNOPQRSTUV");
    }
    {
        // 14 characters fill the English line to exactly 27: shown whole.
        LanguageScope english(0);
        drive.SerialNumber = L"ABCDEFGHIJKLMN";
        EXPECT_EQ(TextOf(BuildDiskInfoPage(drive, {}, false), L"serial_no"),
                  L"Serial No. : ABCDEFGHIJKLMN");
        drive.SerialNumber = L"ABCDEFGHIJKLMNO";
        EXPECT_EQ(TextOf(BuildDiskInfoPage(drive, {}, false), L"serial_no"),
                  L"Serial No. : ABCDEFGHIJKL..");
    }
    {
        // U+1D7CE, a digit outside the BMP, is one character also where it takes two units: 14
        // fill the line, 15 are cut after 12, and no pair is split.
        LanguageScope english(0);
        const std::wstring digit = L"\U0001D7CE";
        std::wstring fourteen;
        for (int i = 0; i < 14; ++i)
            fourteen += digit;
        drive.SerialNumber = fourteen;
        EXPECT_EQ(TextOf(BuildDiskInfoPage(drive, {}, false), L"serial_no"),
                  L"Serial No. : " + fourteen);
        drive.SerialNumber = fourteen + digit;
        EXPECT_EQ(TextOf(BuildDiskInfoPage(drive, {}, false), L"serial_no"),
                  L"Serial No. : " + fourteen.substr(0, 12 * digit.size()) + L"..");
    }
}

TEST(DiskInfoPage, SizesInGigabytesWithOneDecimal) {
    EXPECT_EQ(GigabyteText(0.0), L"0.0 GB");
    EXPECT_EQ(GigabyteText(1536.0), L"1.5 GB");
    EXPECT_EQ(GigabyteText(51200.0), L"50.0 GB");
    EXPECT_EQ(GigabyteText(1024.0 * 1024 * 3), L"3072.0 GB");

    LanguageScope english(0);
    DriveRecord empty;
    const DiskInfoPage page = BuildDiskInfoPage(empty, {}, true);
    EXPECT_EQ(TextOf(page, L"capacityInfo"), L"Disk capacity : 0.0 GB");
    EXPECT_EQ(TextOf(page, L"power_up_count"), L"Power-on Count:  Times");
    EXPECT_EQ(page.usedPercent, 0);
    EXPECT_TRUE(page.volumes.empty()) << "no volume, no button";

    // The AHCI line is the machine's, whatever drive is shown.
    EXPECT_EQ(TextOf(page, L"AHCI"), TextOf(BuildDiskInfoPage(Drive(), {}, true), L"AHCI"));
}

TEST(DiskInfoPage, VolumeButtonsAndTheHighlightedOne) {
    DriveRecord drive = Drive();
    drive.Volumes[2] = Volume(L'F', 0.0);
    const auto lit = [&](wchar_t selected) {
        std::wstring letters;
        for (const VolumeButton& button : BuildDiskInfoPage(drive, {}, false, selected).volumes)
            letters +=
                button.highlighted ? button.letter : static_cast<wchar_t>(towlower(button.letter));
        return letters;
    };
    EXPECT_EQ(lit(L'A'), L"Cdf") << "none chosen yet: the first volume";
    EXPECT_EQ(lit(L'D'), L"cDf");
    EXPECT_EQ(lit(L'F'), L"cdF");
    EXPECT_EQ(lit(L'Q'), L"Cdf") << "a letter of another drive: the first volume";
}

TEST(DiskInfoPage, VolumeButtonsScaleWithTheWindow) {
    const auto place = [](int32_t position, int32_t width, int32_t height) {
        const ButtonPlace p = VolumeButtonPlace(position, width, height);
        return std::vector<int32_t>{p.x, p.y, p.width, p.height};
    };
    EXPECT_EQ(place(0, 1024, 728), (std::vector<int32_t>{787, 125, 40, 25}));
    EXPECT_EQ(place(2, 1024, 728), (std::vector<int32_t>{687, 125, 40, 25}));
    EXPECT_EQ(place(0, 2048, 1456), (std::vector<int32_t>{1574, 250, 80, 50}));
    // Divisions truncate: 1000 x 700 gives 768.55, 120.19, 39.06 and 24.04.
    EXPECT_EQ(place(1, 1000, 700), (std::vector<int32_t>{718, 120, 39, 24}));
    EXPECT_EQ(place(0, 0, 0), (std::vector<int32_t>{0, 0, 0, 0}));
}

TEST(DiskInfoPage, PowerOnTextsOfSataAndNvmeDrives) {
    SmartTable table;
    table.PowerOnCountText = L"12";
    table.PowerOnTimeText = L"3400";
    SmartRowTexts cycles{L"0B", L"Power Cycles", L"", L"", L"", L"00000000002A", L""};
    SmartRowTexts hours{L"0C", L"Power On Hours", L"", L"", L"", L"000000000100", L""};
    table.Rows = {cycles, hours};

    DriveRecord sata;
    sata.InterfaceType = InterfaceType::INTERFACE_TYPE_SATA;
    PowerOnTexts texts = PowerOnTextsOf(sata, table);
    EXPECT_EQ(texts.count, L"12");
    EXPECT_EQ(texts.hours, L"3400");

    // On an NVMe drive rows 11 and 12 hold the power cycles and the power-on hours.
    DriveRecord nvme;
    nvme.InterfaceType = InterfaceType::INTERFACE_TYPE_NVME;
    texts = PowerOnTextsOf(nvme, table);
    EXPECT_EQ(texts.count, L"42");
    EXPECT_EQ(texts.hours, L"256");
    EXPECT_EQ(PowerOnTextsOf(nvme, SmartTable{}).hours, L"");
}

}  // namespace

}  // namespace app
