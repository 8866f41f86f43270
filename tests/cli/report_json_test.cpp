#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <string>

#include "cli/report_json.h"
#include "tests/cli/drive_fixture.h"
#include "tests/cli/schema_check.h"

namespace cli {

using disk::DriveList;
using disk::DriveRecord;

namespace {

using nlohmann::json;

json Schema() {
    std::ifstream in(TRAMSIK_SOURCE_DIR "/docs/report.schema.json");
    return json::parse(in);
}

// The report as a reader of the text sees it.
json Reparsed(const nlohmann::ordered_json& report) {
    return json::parse(ReportJsonText(report));
}

DriveRecord DemoLikeDrive() {
    DriveRecord drive = SataDrive(2, L"Orvel SSD S3 1GB", 975.0,
                                  {{.id = 0x09,
                                    .current = 99,
                                    .worst = 98,
                                    .raw = 0xA1B2C3D4E5F6,
                                    .reserved = 0x5A,
                                    .statusFlags = 0x1234},
                                   {.id = 0xC2, .current = 67, .worst = 51, .raw = 0x003100150021}},
                                  {{0x09, 0}, {0xC2, 0}});
    drive.IsSsd = true;
    drive.IsTrimSupported = true;
    drive.FirmwareRev = L"S3FM02.1";
    drive.NumberOfSectors = 0x1'0000'0001ull;  // past 32 bits
    drive.Sector48 = 0x1'0000'0001ull;
    drive.DriveLetterMap = 0x80000004u;  // the top bit must not turn negative
    drive.DriveLetters = L"C:";
    drive.UsbDeviceName = L"移动硬盘";
    return drive;
}

TEST(CliReportJson, DriveFieldsKeepTheirValuesAndTypes) {
    const json drive = Reparsed(DriveJson(DemoLikeDrive(), 5, Names()));
    EXPECT_EQ(drive["index"], 5);
    EXPECT_EQ(drive["physicalDrive"], 2);
    EXPECT_EQ(drive["model"], "Orvel SSD S3 1GB");
    EXPECT_EQ(drive["firmwareRev"], "S3FM02.1");
    EXPECT_EQ(drive["target"], 160) << "a byte is a number, not a character";
    EXPECT_EQ(drive["scsiPort"], -1);
    EXPECT_EQ(drive["temperature"], 0x21) << "from attribute C2";
    EXPECT_EQ(drive["life"], -1);
    EXPECT_EQ(drive["numberOfSectors"], 0x1'0000'0001ull);
    EXPECT_EQ(drive["sector48"], 0x1'0000'0001ull);
    EXPECT_EQ(drive["driveLetterMap"], 0x80000004u);
    EXPECT_TRUE(drive["totalDiskSize"].is_number_float());
    EXPECT_EQ(drive["totalDiskSize"], 975.0);
    EXPECT_EQ(drive["usbDeviceName"], "移动硬盘");
    EXPECT_EQ(drive["commandTypeTag"], "pd1");

    EXPECT_EQ(drive["flags"].size(), 21u);
    EXPECT_EQ(drive["flags"]["isSsd"], true);
    EXPECT_EQ(drive["flags"]["isTrimSupported"], true);
    EXPECT_EQ(drive["flags"]["isLba48Supported"], false);
    EXPECT_EQ(drive["flags"]["smartDataValid"], true);

    ASSERT_EQ(drive["attributes"].size(), 2u);
    const json& first = drive["attributes"][0];
    EXPECT_EQ(first["id"], 9);
    EXPECT_EQ(first["statusFlags"], 0x1234);
    EXPECT_EQ(first["current"], 99);
    EXPECT_EQ(first["worst"], 98);
    EXPECT_EQ(first["raw"], "A1B2C3D4E5F6") << "most significant byte first";
    EXPECT_EQ(first["reserved"], 0x5A);
    EXPECT_EQ(first["threshold"], 0);
    EXPECT_EQ(drive["attributes"][1]["raw"], "003100150021");

    ASSERT_EQ(drive["smartTable"].size(), 2u);
    EXPECT_EQ(drive["smartTable"][0],
              json({"09", "Power-On Hours", "99", "98", "0", "A1B2C3D4E5F6", "OK"}));
}

TEST(CliReportJson, KeysComeInTheContractOrder) {
    const std::string text = ReportJsonText(DriveJson(DemoLikeDrive(), 0, Names()));
    size_t last = 0;
    for (const char* key :
         {"\"index\"", "\"physicalDrive\"", "\"model\"", "\"totalDiskSize\"", "\"flags\"",
          "\"driveLetters\"", "\"wearLevelingCount\"", "\"attributes\"", "\"smartTable\""}) {
        const size_t at = text.find(key);
        ASSERT_NE(at, std::string::npos) << key;
        EXPECT_GT(at, last) << key;
        last = at;
    }
}

TEST(CliReportJson, ReportFollowsTheSchemaInBothLanguages) {
    DriveList drives;
    drives.Append(DemoLikeDrive());
    DriveRecord unread = SataDrive(0, L"No SMART", 0.0, {}, {});
    unread.SmartDataValid = unread.SmartThresholdValid = false;
    drives.Append(unread);
    const MachineFacts facts{.OsName = L"Windows 10 64",
                             .OsMajor = 10,
                             .OsMinor = 0,
                             .AhciMode = true,
                             .SystemDisk = {}};

    const json report = Reparsed(ReportJson(facts, drives, Names()));
    EXPECT_EQ(report["format"], "tramsik-report/1");
    EXPECT_EQ(report["language"], "en");
    EXPECT_EQ(report["os"], json({{"name", "Windows 10 64"}, {"major", 10}, {"minor", 0}}));
    EXPECT_EQ(report["ahciMode"], true);
    EXPECT_TRUE(report["systemDisk"].is_null());
    ASSERT_EQ(report["drives"].size(), 2u);
    EXPECT_EQ(report["drives"][1]["index"], 1);
    EXPECT_TRUE(report["drives"][1]["attributes"].empty());
    EXPECT_EQ(CheckSchema(Schema(), report), std::vector<std::string>{});

    LanguageScope chinese(1);
    const json chineseReport = Reparsed(ReportJson(facts, drives, Names()));
    EXPECT_EQ(chineseReport["language"], "zh");
    EXPECT_EQ(chineseReport["drives"][0]["smartTable"][0][6], "良好");
    EXPECT_EQ(CheckSchema(Schema(), chineseReport), std::vector<std::string>{});
}

TEST(CliReportJson, BrokenTextIsReplacedNotRefused) {
    DriveRecord drive = DemoLikeDrive();
    drive.Model = std::wstring(L"bad") + static_cast<wchar_t>(0xD800);  // a lone surrogate
    const json parsed = Reparsed(DriveJson(drive, 0, Names()));
    EXPECT_EQ(parsed["model"], "bad\xEF\xBF\xBD");
}

TEST(CliSchemaCheck, FindsEveryKindOfMismatch) {
    const json schema = Schema();
    DriveList drives;
    drives.Append(DemoLikeDrive());
    const json good = Reparsed(ReportJson({}, drives, Names()));
    ASSERT_TRUE(CheckSchema(schema, good).empty());

    const auto problemsAfter = [&](auto&& change) {
        json bad = good;
        change(bad);
        return CheckSchema(schema, bad);
    };
    using Problems = std::vector<std::string>;
    EXPECT_EQ(problemsAfter([](json& r) { r.erase("drives"); }),
              Problems{"$: missing key \"drives\""});
    EXPECT_EQ(problemsAfter([](json& r) { r["format"] = "tramsik-report/2"; }),
              Problems{"$.format: is not \"tramsik-report/1\""});
    EXPECT_EQ(problemsAfter([](json& r) { r["language"] = "fr"; }),
              Problems{"$.language: is not one of [\"en\",\"zh\"]"});
    EXPECT_EQ(problemsAfter([](json& r) { r["drives"][0]["model"] = 7; }),
              Problems{"$.drives[0].model: is not of type \"string\""});
    EXPECT_EQ(problemsAfter([](json& r) { r["drives"][0]["totalDiskSize"] = "1 GB"; }),
              Problems{"$.drives[0].totalDiskSize: is not of type \"number\""});
    EXPECT_EQ(problemsAfter([](json& r) { r["drives"][0]["physicalDrive"] = 1.5; }),
              Problems{"$.drives[0].physicalDrive: is not of type \"integer\""});
    EXPECT_EQ(
        problemsAfter([](json& r) { r["drives"][0]["attributes"][0]["raw"] = "a1b2c3d4e5f6"; }),
        Problems{"$.drives[0].attributes[0].raw: does not match \"^[0-9A-F]{12}$\""});
    EXPECT_EQ(problemsAfter([](json& r) { r["drives"][0]["attributes"][0]["worst"] = 256; }),
              Problems{"$.drives[0].attributes[0].worst: is above 255"});
    EXPECT_EQ(problemsAfter([](json& r) { r["drives"][0]["smartTable"][0].erase(6); }),
              Problems{"$.drives[0].smartTable[0]: has fewer than 7 items"});
    EXPECT_EQ(problemsAfter([](json& r) { r["drives"][0]["flags"]["isNew"] = 1; }),
              Problems{"$.drives[0].flags.isNew: is not of type \"boolean\""});
    EXPECT_EQ(problemsAfter([](json& r) {
                  r["systemDisk"] = {{"physicalDrive", 0}};
              }),
              Problems{"$.systemDisk: missing key \"model\""});
    // A schema keyword the checker does not know fails instead of passing silently.
    json unknownKeyword = schema;
    unknownKeyword["properties"]["format"]["maxLength"] = 3;
    EXPECT_EQ(CheckSchema(unknownKeyword, good),
              Problems{"$.format: schema keyword \"maxLength\" is not supported"});
}

}  // namespace

}  // namespace cli
