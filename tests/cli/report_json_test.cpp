#include <gtest/gtest.h>

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

TEST(CliReportJson, DriveFieldsKeepTheirValuesTypesAndOrder) {
    const std::string text = ReportJsonText(DriveJson(DemoLikeDrive(), 5, Names()));
    const json drive = json::parse(text);
    size_t last = 0;
    for (const char* key : {"\"index\"", "\"physicalDrive\"", "\"model\"", "\"totalDiskSize\"",
                            "\"flags\"", "\"driveLetters\"", "\"wearLevelingCount\"",
                            "\"attributes\"", "\"smartTable\"", "\"diskInfoPage\"", "\"space\""}) {
        const size_t at = text.find(key);
        ASSERT_NE(at, std::string::npos) << key;
        EXPECT_GT(at, last) << key;
        last = at;
    }
    // A byte is a number, not a character; the temperature is attribute C2's; raw values are
    // written most significant byte first; sizes past 32 bits and the letter map's top bit
    // stay whole.
    const json expected = json::parse(R"({
        "index": 5, "physicalDrive": 2, "model": "Orvel SSD S3 1GB", "firmwareRev": "S3FM02.1",
        "target": 160, "scsiPort": -1, "temperature": 33, "life": -1,
        "numberOfSectors": 4294967297, "sector48": 4294967297, "driveLetterMap": 2147483652,
        "totalDiskSize": 975.0, "usbDeviceName": "移动硬盘", "commandTypeTag": "pd1",
        "attributes": [{"id": 9, "statusFlags": 4660, "current": 99, "worst": 98,
                        "raw": "A1B2C3D4E5F6", "reserved": 90, "threshold": 0},
                       {"id": 194, "statusFlags": 50, "current": 67, "worst": 51,
                        "raw": "003100150021", "reserved": 0, "threshold": 0}],
        "smartTable": [["09", "Power-On Hours", "99", "98", "0", "A1B2C3D4E5F6", "OK"],
                       ["C2", "Temperature", "67", "51", "0", "003100150021", "OK"]]})");
    for (const auto& [key, value] : expected.items())
        EXPECT_EQ(drive[key], value) << key;
    EXPECT_TRUE(drive["totalDiskSize"].is_number_float());
    EXPECT_EQ(drive["flags"]["isSsd"], true);
    EXPECT_EQ(drive["flags"]["isLba48Supported"], false);

    // Broken text is replaced, not refused.
    DriveRecord broken = DemoLikeDrive();
    broken.Model = std::wstring(L"bad") + static_cast<wchar_t>(0xD800);  // a lone surrogate
    EXPECT_EQ(Reparsed(DriveJson(broken, 0, Names()))["model"], "bad\xEF\xBF\xBD");
}

// A report of a system disk with its page and space and a blank disk whose health data could
// not be read, in both languages; and the schema check's own findings on it.
TEST(CliReportJson, ReportFollowsTheSchemaAndCarriesPageSpaceAndSystemDisk) {
    LanguageScope english(0);
    DriveList drives;
    drives.Append(SystemDrive());
    DriveRecord blank = SataDrive(1, L"Blank", 0.0, {}, {});
    blank.SmartDataValid = blank.SmartThresholdValid = false;
    drives.Append(blank);
    const MachineFacts facts{L"Windows 10 64", 10, 0, false, {0, 0, drives[0].Model, L'C'}};

    const json report = Reparsed(ReportJson(facts, drives, Names()));
    EXPECT_EQ(CheckSchema(ReportSchema(), report), std::vector<std::string>{});
    EXPECT_EQ(report["language"], "en");
    EXPECT_EQ(report["os"], json({{"name", "Windows 10 64"}, {"major", 10}, {"minor", 0}}));
    EXPECT_EQ(report["ahciMode"], false);
    EXPECT_EQ(report["systemDisk"], json({{"physicalDrive", 0}, {"model", "Orvel SSD S3 1GB"}}));
    ASSERT_EQ(report["drives"].size(), 2u);
    EXPECT_EQ(report["drives"][1]["index"], 1);
    EXPECT_TRUE(report["drives"][1]["attributes"].empty());
    // Twelve lines (their texts are the page's), the usage bar and two volume buttons.
    const json& page = report["drives"][0]["diskInfoPage"];
    EXPECT_EQ(page.size(), 15u);
    EXPECT_EQ(page["drive_map"], "Drive letter:  C\u3001 D ");
    EXPECT_EQ(page["Disk D"], "D");
    EXPECT_EQ(report["drives"][0]["space"], json::parse(R"({
        "unallocatedSize": 384.0, "usedSize": 332.0, "freeSize": 308.0, "usedPercent": 51,
        "isAligned4K": true, "volumes": [
          {"letter": "C", "totalSize": 512.0, "usedSize": 300.0, "freeSize": 212.0,
           "usedPercent": 58, "fileSystem": "NTFS"},
          {"letter": "D", "totalSize": 128.0, "usedSize": 32.0, "freeSize": 96.0,
           "usedPercent": 25, "fileSystem": "exFAT"}]})"));
    EXPECT_TRUE(report["drives"][1]["space"]["volumes"].empty());

    LanguageScope chinese(1);
    EXPECT_EQ(Reparsed(ReportJson({}, drives, Names()))["language"], "zh");

    // The check finds what is wrong. Each row: a JSON patch of the good report and the one
    // problem it makes.
    const json schema = ReportSchema();
    const std::pair<const char*, const char*> cases[] = {
        {R"({"op": "remove", "path": "/drives"})", "$: missing key \"drives\""},
        {R"({"op": "replace", "path": "/format", "value": "tramsik-report/2"})",
         "$.format: is not \"tramsik-report/1\""},
        {R"({"op": "replace", "path": "/language", "value": "fr"})",
         "$.language: is not one of [\"en\",\"zh\"]"},
        {R"({"op": "replace", "path": "/drives/0/physicalDrive", "value": 1.5})",
         "$.drives[0].physicalDrive: is not of type \"integer\""},
        {R"({"op": "replace", "path": "/drives/0/attributes/0/raw", "value": "a1b2c3d4e5f6"})",
         "$.drives[0].attributes[0].raw: does not match \"^[0-9A-F]{12}$\""},
        {R"({"op": "replace", "path": "/drives/0/attributes/0/worst", "value": 256})",
         "$.drives[0].attributes[0].worst: is above 255"},
        {R"({"op": "remove", "path": "/drives/0/smartTable/0/6"})",
         "$.drives[0].smartTable[0]: has fewer than 7 items"},
        {R"({"op": "add", "path": "/drives/0/flags/isNew", "value": 1})",
         "$.drives[0].flags.isNew: is not of type \"boolean\""},
    };
    for (const auto& [patch, problem] : cases)
        EXPECT_EQ(CheckSchema(schema, report.patch(json::array({json::parse(patch)}))),
                  std::vector<std::string>{problem});
    // A schema keyword the checker does not know fails instead of passing silently.
    json unknownKeyword = schema;
    unknownKeyword["properties"]["format"]["maxLength"] = 3;
    EXPECT_EQ(CheckSchema(unknownKeyword, report),
              std::vector<std::string>{"$.format: schema keyword \"maxLength\" is not supported"});
}

}  // namespace

}  // namespace cli
