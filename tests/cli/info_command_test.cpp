// `info` as text, the report's system disk and space lines, and the JSON report's page and
// space fields, on records built here.
#include "cli/info_command.h"

#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

#include "cli/drive_text.h"
#include "cli/options.h"
#include "cli/report_json.h"
#include "tests/cli/drive_fixture.h"
#include "tests/cli/schema_check.h"

namespace cli {

using disk::DriveList;
using disk::DriveRecord;
using disk::VolumeSpace;

namespace {

using nlohmann::json;

VolumeSpace Volume(wchar_t letter, double total, double used, const std::wstring& fileSystem) {
    VolumeSpace volume;
    volume.Letter = letter;
    volume.TotalSize = total;
    volume.UsedSize = used;
    volume.FreeSize = total - used;
    volume.UsedPercent = static_cast<int32_t>(used * 100 / total);
    volume.FileSystem = fileSystem;
    return volume;
}

// A system disk of 1 GiB with C: (512 MiB, 300 used) and D: (128 MiB, 32 used).
DriveRecord SystemDrive() {
    DriveRecord drive = SataDrive(0, L"Orvel SSD S3 1GB", 1024.0,
                                  {{.id = 0x09, .raw = 1432}, {.id = 0x0C, .raw = 57}}, {});
    drive.SerialNumber = L"ORV2026S3000142";
    drive.FirmwareRev = L"S3FM02.1";
    drive.CurrentTransferMode = L"SATA/600";
    drive.MaxTransferMode = L"SATA/600";
    drive.DriveLetters = L"C: D:";
    drive.DriveLetterMap = 0x0C;
    drive.Volumes[0] = Volume(L'C', 512.0, 300.0, L"NTFS");
    drive.Volumes[1] = Volume(L'D', 128.0, 32.0, L"exFAT");
    drive.UsedSize = 332.0;
    drive.FreeSize = 308.0;
    drive.UsedPercent = 51;
    drive.UnallocatedSize = 384.0;
    drive.IsAligned4K = true;
    return drive;
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

TEST(CliInfo, CutSerialsEmptyDrivesAndChinese) {
    DriveRecord bare = SataDrive(3, L"Bare", 0.0, {}, {});
    bare.SerialNumber = L"ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    {
        LanguageScope english(0);
        const std::wstring text = InfoText(bare, Names(), false);
        EXPECT_NE(text.find(L"\nSerial No. : ABCDEFGHIJKL..  (ABCDEFGHIJKLMNOPQRSTUVWXYZ)\n"),
                  std::wstring::npos)
            << text;
        EXPECT_NE(text.find(L"\nDrive letter:\n"), std::wstring::npos) << "no blank at line end";
        EXPECT_NE(text.find(L"\nAHCI:  Unopened\n"), std::wstring::npos);
        EXPECT_NE(text.find(L"\n[--------------------]  0%\n"), std::wstring::npos);
        EXPECT_EQ(text.find(L"File"), std::wstring::npos);
        EXPECT_TRUE(VolumesText(bare, L"").empty()) << "no volume, no table";
        EXPECT_EQ(text.back(), L'\n');
    }
    LanguageScope chinese(1);
    const std::wstring text = InfoText(SystemDrive(), Names(), true);
    for (const wchar_t* line :
         {L"\n驱动器号:  C\x3001 D\n", L"\n通电次数:  57次\n", L"\n通电时间:  1432小时\n",
          L"\nAHCI:  已开启\n", L"\n序列号 : ORV2026S3000142\n", L"\n未分配 : 0.4 GB\n"})
        EXPECT_NE(text.find(line), std::wstring::npos) << line;
    EXPECT_NE(InfoText(bare, Names(), false).find(L"\n驱动器号:  无分区\n"), std::wstring::npos);
}

TEST(CliInfo, ReportNamesTheSystemDiskAndTheSpace) {
    LanguageScope english(0);
    DriveList drives;
    drives.Append(SataDrive(2, L"Other", 2048.0, {}, {}));
    drives.Append(SystemDrive());
    MachineFacts facts{
        .OsName = L"Windows 10 64",
        .OsMajor = 10,
        .OsMinor = 0,
        .AhciMode = true,
        .SystemDisk = {
            .index = 1, .physicalDriveId = 0, .model = L"Orvel SSD S3 1GB", .letter = L'C'}};

    const std::wstring text = ReportText(facts, drives, Names());
    for (const wchar_t* expected :
         {L"System disk  : 0  Orvel SSD S3 1GB\n", L"  Free Space         : 0.3 GB\n",
          L"  Used Space         : 0.3 GB\n", L"  Unallocated        : 0.4 GB\n",
          L"  C:            NTFS          0.5 GB      0.3 GB      0.2 GB  58\n"})
        EXPECT_NE(text.find(expected), std::wstring::npos) << expected << "\n" << text;
    EXPECT_EQ(text.find(L" \n"), std::wstring::npos) << "no line ends in a blank";

    facts.SystemDisk = {};
    EXPECT_NE(ReportText(facts, drives, Names()).find(L"System disk  : not determined\n"),
              std::wstring::npos);
}

TEST(CliInfo, JsonReportCarriesPageSpaceAndSystemDisk) {
    LanguageScope english(0);
    DriveList drives;
    drives.Append(SystemDrive());
    drives.Append(SataDrive(1, L"Blank", 0.0, {}, {}));
    MachineFacts facts{
        .OsName = L"Windows 10 64",
        .OsMajor = 10,
        .OsMinor = 0,
        .AhciMode = false,
        .SystemDisk = {
            .index = 0, .physicalDriveId = 0, .model = L"Orvel SSD S3 1GB", .letter = L'C'}};

    const json report = json::parse(ReportJsonText(ReportJson(facts, drives, Names())));
    std::ifstream schema(TRAMSIK_SOURCE_DIR "/docs/report.schema.json");
    EXPECT_EQ(CheckSchema(json::parse(schema), report), std::vector<std::string>{});
    EXPECT_EQ(report["systemDisk"], json({{"physicalDrive", 0}, {"model", "Orvel SSD S3 1GB"}}));

    const json& page = report["drives"][0]["diskInfoPage"];
    EXPECT_EQ(page["drive_map"], "Drive letter:  C\u3001 D ");
    EXPECT_EQ(page["set_mode"], "Transmission mode:  SATA3|SATA3");
    EXPECT_EQ(page["power_up_count"], "Power-on Count:  57Times");
    EXPECT_EQ(page["AHCI"], "AHCI:  Unopened");
    EXPECT_EQ(page["unallocated"], "Unallocated : 0.4 GB");
    EXPECT_EQ(page["progress1"], "51");
    EXPECT_EQ(page["Disk C"], "C");
    EXPECT_EQ(page["Disk D"], "D");
    EXPECT_EQ(page.size(), 15u) << "twelve lines, the usage bar and two volume buttons";

    const json& space = report["drives"][0]["space"];
    EXPECT_EQ(space["unallocatedSize"], 384.0);
    EXPECT_EQ(space["usedSize"], 332.0);
    EXPECT_EQ(space["freeSize"], 308.0);
    EXPECT_EQ(space["usedPercent"], 51);
    EXPECT_EQ(space["isAligned4K"], true);
    EXPECT_EQ(space["volumes"],
              json::parse(R"([{"letter":"C","totalSize":512.0,"usedSize":300.0,"freeSize":212.0,
                                "usedPercent":58,"fileSystem":"NTFS"},
                               {"letter":"D","totalSize":128.0,"usedSize":32.0,"freeSize":96.0,
                                "usedPercent":25,"fileSystem":"exFAT"}])"));
    EXPECT_TRUE(report["drives"][1]["space"]["volumes"].empty());
    EXPECT_EQ(report["drives"][1]["diskInfoPage"]["capacityInfo"], "Disk capacity : 0.0 GB");

    // The page and the space follow the smart table, as the contract lists them.
    const std::string text = ReportJsonText(ReportJson(facts, drives, Names()));
    EXPECT_LT(text.find("\"smartTable\""), text.find("\"diskInfoPage\""));
    EXPECT_LT(text.find("\"diskInfoPage\""), text.find("\"space\""));
}

TEST(CliInfo, InfoTakesADriveNumber) {
    const auto parse = [](std::vector<const char*> args, CliOptions& options) {
        args.insert(args.begin(), "tramsik-cli");
        std::ostringstream out, err;
        return ParseCommandLine(static_cast<int>(args.size()), args.data(), &options, out, err);
    };
    CliOptions options;
    ASSERT_TRUE(parse({"info", "--drive", "2"}, options).Run);
    EXPECT_EQ(options.Command, CliCommand::Info);
    EXPECT_EQ(options.Drive, 2);
    CliOptions defaults;
    ASSERT_TRUE(parse({"info"}, defaults).Run);
    EXPECT_EQ(defaults.Command, CliCommand::Info);
    EXPECT_FALSE(defaults.Drive) << "the system disk is chosen later";
}

}  // namespace

}  // namespace cli
