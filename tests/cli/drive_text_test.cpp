#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/drive_text.h"
#include "cli/info_command.h"
#include "cli/text_columns.h"
#include "tests/cli/drive_fixture.h"

namespace cli {

using disk::DriveList;
using disk::DriveRecord;

namespace {

TEST(CliTextColumns, WidthsPaddingAndAlignment) {
    EXPECT_EQ(DisplayWidth(L"ＡＢ"), 4u);  // fullwidth forms
    // U+1D7CE, a narrow digit outside the BMP: one cell, also where it takes two units.
    EXPECT_EQ(DisplayWidth(L"\U0001D7CE1"), 2u);
    EXPECT_EQ(PadRight(L"良", 4), L"良  ");
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
    EXPECT_EQ(TerminalSafe(L"a\x1b[2Jb\tz\n"), L"a\xFFFD[2Jb\xFFFDz\n");
    EXPECT_EQ(TerminalSafe(L"\x7F\x80\x9B\x9F\xA0\x1F"), L"\xFFFD\xFFFD\xFFFD\xFFFD\xA0\xFFFD");
    EXPECT_EQ(TerminalSafe(L"良好 OK"), L"良好 OK");

    // A drive whose model carries an escape sequence: every output shows it defused.
    DriveList drives;
    DriveRecord drive = SataDrive(0, L"EVIL\x1b]0;title\x07", 1.0, {{.id = 0x09}}, {});
    drive.SerialNumber = std::wstring(1, L'\x9B') + L"31m";
    drives.Append(drive);
    for (const std::wstring& text : {ListText(drives), SmartText(drive, Names()),
                                     ReportText(MachineFacts{}, drives, Names())}) {
        EXPECT_EQ(text.find_first_of(L"\x1b\x07\x9B"), std::wstring::npos) << text;
        EXPECT_NE(text.find(L"EVIL\xFFFD]0;title\xFFFD"), std::wstring::npos);
    }
}

// Sizes are in GB, rounded to one decimal (51.1 MiB is 0.0 GB, 52 MiB 0.1 GB).
TEST(CliDriveText, ListLinesUpEveryDriveFoundByItsNumber) {
    DriveList drives;
    drives.Append(SataDrive(0, L"Orvel SSD S3 1GB", 975.0, {}, {}));
    DriveRecord usb = SataDrive(12, L"Portable HDD PX-500", 476891.0, {}, {});
    usb.Interface = L"USB (Serial ATA)";
    usb.CommandTypeTag = L"jm1";
    drives.Append(usb);
    DriveRecord unnumbered = SataDrive(-1, L"RAID member", 51.1, {}, {});
    unnumbered.CommandTypeTag = L"cs";
    drives.Append(unnumbered);
    drives.Append(SataDrive(1, L"Small", 52.0, {}, {}));

    EXPECT_EQ(ListText(drives),
              L"Drive  Model                    Size  Interface         Route\n"
              L"    0  Orvel SSD S3 1GB       1.0 GB  Serial ATA        pd1\n"
              L"   12  Portable HDD PX-500  465.7 GB  USB (Serial ATA)  jm1\n"
              L"    -  RAID member            0.0 GB  Serial ATA        cs\n"
              L"    1  Small                  0.1 GB  Serial ATA        pd1\n");
    // A drive is found by its number, not its place.
    EXPECT_EQ(FindDrive(drives, 1), &drives[3]);
    EXPECT_EQ(FindDrive(drives, 2), nullptr);
}

TEST(CliDriveText, SmartTableLeavesEmptySlotsOut) {
    const DriveRecord drive =
        SataDrive(1, L"Orvel SSD S5 2GB", 1999.0,
                  {{.id = 0x05, .current = 100, .worst = 100, .raw = 0},
                   {.id = 0x09, .current = 99, .worst = 98, .raw = 0x0A0B0C0D0E0F},
                   {.id = 0x00},
                   {.id = 0xC4, .current = 5, .worst = 5, .raw = 7}},
                  {{0x05, 10}, {0x09, 0}, {0x00, 0}, {0xC4, 10}});

    EXPECT_EQ(SmartText(drive, Names()),
              L"Drive 1  Orvel SSD S5 2GB\n"
              L"ID  Description                Current  Worst  Threshold           Raw  Status\n"
              L"05  Reallocated Sectors Count      100    100         10  000000000000  OK\n"
              L"09  Power-On Hours                  99     98          0  0A0B0C0D0E0F  OK\n"
              L"C4  Reallocation Event Count         5      5         10  000000000007  Bad\n");
}

TEST(CliDriveText, ReportHasMachineFactsAndEveryDrive) {
    LanguageScope english(0);
    DriveList drives;
    DriveRecord usb = SataDrive(4, L"Second", 2047.0, {}, {});
    usb.UsbVendorId = 0x152D;
    usb.UsbProductId = 0x578;
    drives.Append(usb);
    drives.Append(SystemDrive());
    MachineFacts facts{L"Windows 7 64", 6, 1, true, {1, 0, drives[1].Model, L'C'}};

    const std::wstring text = ReportText(facts, drives, Names());
    EXPECT_TRUE(
        text.starts_with(L"OS Version   : Windows 7 64\n"
                         L"AHCI         : Opeded\n"
                         L"System disk  : 0  Orvel SSD S3 1GB\n"))
        << text;
    for (const wchar_t* expected :
         {L"\nDrive 0  Orvel SSD S3 1GB\n  Serial No.         : ORV2026S3000142\n",
          L"  Transmission mode  : SATA/600 | SATA/600\n  Drive letter       : C: D:\n",
          L"\nDrive 4  Second\n", L"No S.M.A.R.T. attributes\n", L"09  Power-On Hours",
          L"  USB ids            : 152D:0578\n", L"  Unallocated        : 0.4 GB\n",
          L"  C:            NTFS          0.5 GB      0.3 GB      0.2 GB  58\n"})
        EXPECT_NE(text.find(expected), std::wstring::npos) << expected;
    EXPECT_EQ(text.find(L"USB ids"), text.rfind(L"USB ids")) << "only the USB drive has ids";
    EXPECT_EQ(text.find(L" \n"), std::wstring::npos) << "no line ends in a blank";
    facts.SystemDisk = {};
    EXPECT_NE(ReportText(facts, drives, Names()).find(L"\nSystem disk  : not determined\n"),
              std::wstring::npos);
}

TEST(CliInfo, ThePageAsTheWindowShowsIt) {
    LanguageScope english(0);
    EXPECT_EQ(InfoText(SystemDrive(), Names(), true),
              L"Drive 0  Orvel SSD S3 1GB\n"
              L"Drive letter:  C\x3001 D\n"
              L"Transmission mode:  SATA3|SATA3  (Current Mode | Support Mode)\n"
              L"Power-on Count:  57Times\n"
              L"Power-on Time:  1432hour\n"
              L"Interface : Serial ATA\n"
              L"AHCI:  Opeded\n"
              L"Serial No. : ORV2026S3000..  (ORV2026S3000142)\n"
              L"Disk capacity : 1.0 GB\n"
              L"Firmware : S3FM02.1\n"
              L"Free Space : 0.3 GB\n"
              L"Used Space : 0.3 GB\n"
              L"Unallocated : 0.4 GB\n"
              L"[##########----------]  51%\n"
              L"\n"
              L"Drive letter         Disk capacity  Used Space  Free Space   %\n"
              L"C:            NTFS          0.5 GB      0.3 GB      0.2 GB  58\n"
              L"D:            exFAT         0.1 GB      0.0 GB      0.1 GB  25\n");
}

}  // namespace

}  // namespace cli
