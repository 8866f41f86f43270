#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/drive_text.h"
#include "cli/text_columns.h"
#include "tests/cli/drive_fixture.h"

namespace cli {

using disk::DriveList;
using disk::DriveRecord;

namespace {

std::vector<std::wstring> Lines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    std::wistringstream in(text);
    for (std::wstring line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

TEST(CliTextColumns, WidthsPaddingAndAlignment) {
    EXPECT_EQ(DisplayWidth(L"OK"), 2u);
    EXPECT_EQ(DisplayWidth(L"良好"), 4u);
    EXPECT_EQ(DisplayWidth(L"S.M.A.R.T 属性"), 14u);
    EXPECT_EQ(DisplayWidth(L"ＡＢ"), 4u);  // fullwidth forms
    // U+1D7CE, a narrow digit outside the BMP: one cell, also where it takes two units.
    EXPECT_EQ(DisplayWidth(L"\U0001D7CE1"), 2u);
    EXPECT_EQ(PadRight(L"良", 4), L"良  ");
    EXPECT_EQ(PadRight(L"\U0001D7CE", 3), L"\U0001D7CE  ");
    EXPECT_EQ(PadRight(L"toolong", 3), L"toolong");

    const Align aligns[] = {Align::Right, Align::Left};
    const std::wstring text =
        FormatColumns({{L"1", L"良好", L"x"}, {L"100", L"OK", L"yy"}}, aligns);
    // Chinese text takes two cells a character, so both second cells end in the same column.
    EXPECT_EQ(text, L"  1  良好  x\n100  OK    yy\n");
    // A row shorter than the others and a last column that is empty leave no trailing blanks.
    EXPECT_EQ(FormatColumns({{L"a", L"b"}, {L"ccc", L""}, {L"d"}}), L"a    b\nccc\nd\n");
    EXPECT_EQ(FormatColumns({}), L"");
}

TEST(CliTextColumns, ControlCharactersNeverReachTheTerminal) {
    EXPECT_EQ(TerminalSafe(L"a\x1b[2Jb\tc\n"),
              L"a\xFFFD[2Jb\xFFFD"
              L"c\n");
    EXPECT_EQ(TerminalSafe(L"\x7F\x80\x9B\x9F\xA0\x1F"), L"\xFFFD\xFFFD\xFFFD\xFFFD\xA0\xFFFD");
    EXPECT_EQ(TerminalSafe(L"良好 OK"), L"良好 OK");

    // A drive whose model carries an escape sequence: every output shows it defused.
    DriveList drives;
    DriveRecord drive = SataDrive(0, L"EVIL\x1b]0;title\x07", 1.0, {{.id = 0x09}}, {});
    drive.SerialNumber =
        L"\x9B"
        L"31m";
    drives.Append(drive);
    for (const std::wstring& text : {ListText(drives), SmartText(drive, Names()),
                                     ReportText(MachineFacts{}, drives, Names())}) {
        EXPECT_EQ(text.find_first_of(L"\x1b\x07\x9B"), std::wstring::npos) << text;
        EXPECT_NE(text.find(L"EVIL\xFFFD]0;title\xFFFD"), std::wstring::npos);
    }
}

TEST(CliDriveText, SizesRoundToOneDecimal) {
    EXPECT_EQ(SizeText(0.0), L"0.0 GB");
    EXPECT_EQ(SizeText(975.0), L"1.0 GB");
    EXPECT_EQ(SizeText(2047.0), L"2.0 GB");
    EXPECT_EQ(SizeText(476891.0), L"465.7 GB");
    EXPECT_EQ(SizeText(51.1), L"0.0 GB");
    EXPECT_EQ(SizeText(52.0), L"0.1 GB");
}

TEST(CliDriveText, ListLinesUpEveryDrive) {
    DriveList drives;
    drives.Append(SataDrive(0, L"Orvel SSD S3 1GB", 975.0, {}, {}));
    DriveRecord usb = SataDrive(12, L"Portable HDD PX-500", 476891.0, {}, {});
    usb.Interface = L"USB (Serial ATA)";
    usb.CommandTypeTag = L"jm1";
    drives.Append(usb);
    DriveRecord unnumbered = SataDrive(-1, L"RAID member", 0.0, {}, {});
    unnumbered.CommandTypeTag = L"cs";
    drives.Append(unnumbered);

    const std::vector<std::wstring> lines = Lines(ListText(drives));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], L"Drive  Model                    Size  Interface         Route");
    EXPECT_EQ(lines[1], L"    0  Orvel SSD S3 1GB       1.0 GB  Serial ATA        pd1");
    EXPECT_EQ(lines[2], L"   12  Portable HDD PX-500  465.7 GB  USB (Serial ATA)  jm1");
    EXPECT_EQ(lines[3], L"    -  RAID member            0.0 GB  Serial ATA        cs");

    LanguageScope chinese(1);
    EXPECT_EQ(Lines(ListText(DriveList{}))[0], L"磁盘  型号  容量  接口  通道");
}

TEST(CliDriveText, FindDriveByPhysicalNumberNotPosition) {
    DriveList drives;
    drives.Append(SataDrive(3, L"A", 1.0, {}, {}));
    drives.Append(SataDrive(0, L"B", 1.0, {}, {}));
    ASSERT_NE(FindDrive(drives, 0), nullptr);
    EXPECT_EQ(FindDrive(drives, 0)->Model, L"B");
    EXPECT_EQ(FindDrive(drives, 3)->Model, L"A");
    EXPECT_EQ(FindDrive(drives, 1), nullptr);
    EXPECT_EQ(FindDrive(drives, -1), nullptr);
}

TEST(CliDriveText, SmartTableInBothLanguages) {
    const DriveRecord drive =
        SataDrive(1, L"Orvel SSD S5 2GB", 1999.0,
                  {{.id = 0x05, .current = 100, .worst = 100, .raw = 0},
                   {.id = 0x09, .current = 99, .worst = 98, .raw = 0x0A0B0C0D0E0F},
                   {.id = 0x00},
                   {.id = 0xC4, .current = 5, .worst = 5, .raw = 7}},
                  {{0x05, 10}, {0x09, 0}, {0x00, 0}, {0xC4, 10}});

    std::vector<std::wstring> lines = Lines(SmartText(drive, Names()));
    ASSERT_EQ(lines.size(), 5u) << "title, header and three rows; the empty slot is left out";
    EXPECT_EQ(lines[0], L"Drive 1  Orvel SSD S5 2GB");
    EXPECT_EQ(lines[1],
              L"ID  Description                Current  Worst  Threshold           Raw  Status");
    EXPECT_EQ(lines[2],
              L"05  Reallocated Sectors Count      100    100         10  000000000000  OK");
    EXPECT_EQ(lines[3],
              L"09  Power-On Hours                  99     98          0  0A0B0C0D0E0F  OK");
    EXPECT_EQ(lines[4],
              L"C4  Reallocation Event Count         5      5         10  000000000007  Bad");

    LanguageScope chinese(1);
    lines = Lines(SmartText(drive, Names()));
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], L"磁盘 1  Orvel SSD S5 2GB");
    EXPECT_NE(lines[1].find(L"属性名称"), std::wstring::npos);
    EXPECT_NE(lines[2].find(L"良好"), std::wstring::npos);
    EXPECT_NE(lines[4].find(L"损坏"), std::wstring::npos);
    // Columns stay aligned with names two cells a character wide.
    EXPECT_EQ(DisplayWidth(lines[2].substr(0, lines[2].find(L"良好"))),
              DisplayWidth(lines[4].substr(0, lines[4].find(L"损坏"))));
}

TEST(CliDriveText, SmartWithoutAttributesSaysSo) {
    DriveRecord drive = SataDrive(0, L"Quiet", 1.0, {}, {});
    EXPECT_EQ(SmartText(drive, Names()), L"Drive 0  Quiet\nNo S.M.A.R.T. attributes\n");
}

TEST(CliDriveText, ReportHasMachineFactsAndEveryDrive) {
    DriveList drives;
    DriveRecord first = SataDrive(0, L"First", 975.0, {{.id = 0x09, .raw = 1532}}, {});
    first.FirmwareRev = L"FW1";
    first.CurrentTransferMode = L"SATA/300";
    first.MaxTransferMode = L"SATA/600";
    first.DriveLetters = L"C: D:";
    drives.Append(first);
    DriveRecord second = SataDrive(4, L"Second", 2047.0, {}, {});
    second.UsbVendorId = 0x152D;
    second.UsbProductId = 0x578;
    drives.Append(second);
    const MachineFacts facts{
        .OsName = L"Windows 7 64", .OsMajor = 6, .OsMinor = 1, .AhciMode = true, .SystemDisk = {}};

    const std::wstring text = ReportText(facts, drives, Names());
    const std::vector<std::wstring> lines = Lines(text);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], L"OS Version   : Windows 7 64");
    EXPECT_EQ(lines[1], L"AHCI         : Opeded");
    EXPECT_EQ(lines[2], L"System disk  : not determined");
    for (const wchar_t* expected :
         {L"\nDrive 0  First\n", L"  Serial No.         : SN0\n", L"  Firmware           : FW1\n",
          L"  Disk capacity      : 1.0 GB\n", L"  Transmission mode  : SATA/300 | SATA/600\n",
          L"  Drive letter       : C: D:\n", L"\nDrive 4  Second\n", L"No S.M.A.R.T. attributes\n",
          L"09  Power-On Hours", L"  USB ids            : 152D:0578\n"})
        EXPECT_NE(text.find(expected), std::wstring::npos) << expected;
    EXPECT_EQ(text.find(L"USB ids"), text.rfind(L"USB ids")) << "only the USB drive has ids";
    EXPECT_EQ(text.find(L" \n"), std::wstring::npos) << "no line ends in a blank";

    LanguageScope chinese(1);
    const std::wstring chineseText = ReportText(MachineFacts{}, drives, Names());
    EXPECT_NE(chineseText.find(L"未开启"), std::wstring::npos);
    EXPECT_NE(chineseText.find(L"  序列号"), std::wstring::npos);
}

}  // namespace

}  // namespace cli
