#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "platform/ioctl.h"
#include "tests/cli/cli_run_fixture.h"
#include "tests/cli/schema_check.h"

namespace {

using nlohmann::json;

using CliRunTest = CliRunFixture;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST_F(CliRunTest, ListHasOneAlignedLinePerDrive) {
    const CliRun run = Demo({"list"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const std::vector<std::string> lines = Lines(run.out);
    ASSERT_GE(lines.size(), 3u) << run.out;
    EXPECT_EQ(lines[0].rfind("Drive  Model", 0), 0u) << lines[0];
    // The two SATA SSDs of the demo machine on the physical-drive route.
    EXPECT_TRUE(Has(run.out, "    0  Orvel SSD S3 1GB")) << run.out;
    EXPECT_TRUE(Has(run.out, "    1  Orvel SSD S5 2GB")) << run.out;
    EXPECT_TRUE(Has(ReadWhole(log_), "CAtaSmart::Init - Complete")) << "--log FILE holds the log";
    EXPECT_FALSE(Has(ReadWhole(log_), "DeviceIoControl 0x")) << "no dump unless asked for";

    ASSERT_EQ(Demo({"--trace", "list"}).status, 0);
    // The IDENTIFY pass-through request to the first drive, in the dump.
    const std::string size = std::to_string(platform::kAtaPassThroughDataOffset + 512);
    EXPECT_TRUE(
        Has(ReadWhole(log_), "DeviceIoControl 0x0004D02C in " + size + " out " + size + ": ok"));
}

TEST_F(CliRunTest, SmartShowsTheTableOfTheChosenDrive) {
    CliRun run = Demo({"smart"});
    ASSERT_EQ(run.status, 0) << run.err;
    std::vector<std::string> lines = Lines(run.out);
    ASSERT_GE(lines.size(), 3u) << run.out;
    EXPECT_EQ(lines[0], "Drive 0  Orvel SSD S3 1GB") << "the first drive until the system disk";
    EXPECT_EQ(lines[1].rfind("ID  Description", 0), 0u) << lines[1];
    EXPECT_EQ(lines.size(), 2u + 14u) << "one row per attribute of the drive";
    EXPECT_TRUE(Has(run.out, "0000000005FC  OK")) << "power-on hours 1532 in hexadecimal";

    run = Demo({"smart", "--drive", "1"});
    ASSERT_EQ(run.status, 0) << run.err;
    lines = Lines(run.out);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0], "Drive 1  Orvel SSD S5 2GB");
    EXPECT_EQ(lines.size(), 2u + 9u);
    EXPECT_TRUE(Has(run.out, "00000000000C  OK")) << run.out;

    run = Demo({"smart", "--drive", "9"});
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "tramsik-cli: no drive with physical drive number 9\n");
}

TEST_F(CliRunTest, LanguageFromTheOptionOrTheCodePage) {
    CliRun run = Demo({"--lang", "zh", "smart"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(Has(run.out, "磁盘 0  Orvel SSD S3 1GB")) << run.out;
    EXPECT_TRUE(Has(run.out, "良好")) << run.out;
    EXPECT_FALSE(Has(run.out, "  OK")) << run.out;

    const std::string chineseMachine = DemoVariant([](json& m) { m["os"]["codePage"] = 936; });
    run = RunCli(folder_, {"--machine", chineseMachine, "--log", log_, "smart"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(Has(run.out, "良好")) << "code page 936 means Chinese";
    run = RunCli(folder_, {"--machine", chineseMachine, "--log", log_, "--lang", "en", "smart"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(Has(run.out, "  OK")) << "--lang wins over the code page";
    EXPECT_FALSE(Has(run.out, "良好"));
}

TEST_F(CliRunTest, JsonReportFollowsTheSchema) {
    const CliRun run = Demo({"report", "--json"});
    ASSERT_EQ(run.status, 0) << run.err;
    const json report = json::parse(run.out);
    std::ifstream schemaFile(TRAMSIK_SOURCE_DIR "/docs/report.schema.json");
    EXPECT_EQ(CheckSchema(json::parse(schemaFile), report), std::vector<std::string>{});
    EXPECT_EQ(report["format"], "tramsik-report/1");
    EXPECT_EQ(report["language"], "en");
    EXPECT_EQ(report["os"]["name"], "Windows 10 64");
    EXPECT_EQ(report["os"]["major"], 10);
    EXPECT_EQ(report["systemDisk"], json({{"physicalDrive", 0}, {"model", "Orvel SSD S3 1GB"}}));

    int sataDrives = 0;
    for (const json& drive : report["drives"]) {
        if (drive["interfaceType"] != 2) continue;
        ++sataDrives;
        EXPECT_EQ(drive["commandTypeTag"], "pd1");
        EXPECT_TRUE(drive["flags"]["smartDataValid"].get<bool>()) << drive["model"];
        ASSERT_FALSE(drive["smartTable"].empty()) << drive["model"];
        EXPECT_EQ(drive["smartTable"].size(), drive["attributes"].size());
        EXPECT_EQ(drive["smartTable"][0][0], "01");
    }
    EXPECT_EQ(sataDrives, 2);
    ASSERT_GE(report["drives"].size(), 2u);
    EXPECT_EQ(report["drives"][0]["model"], "Orvel SSD S3 1GB");
    EXPECT_EQ(report["drives"][0]["driveLetters"], "C:");

    // The text report and the list agree with it.
    const CliRun text = Demo({"report"});
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_TRUE(Has(text.out, "OS Version   : Windows 10 64")) << text.out;
    const CliRun list = Demo({"list"});
    EXPECT_EQ(Lines(list.out).size(), 1 + report["drives"].size());
    for (const json& drive : report["drives"]) {
        const std::string title = "Drive " + std::to_string(drive["physicalDrive"].get<int>()) +
                                  "  " + drive["model"].get<std::string>() + "\n";
        EXPECT_TRUE(Has(text.out, title)) << title;
    }
}

TEST_F(CliRunTest, AMachineWithoutDrives) {
    const std::string empty = DemoVariant([](json& m) {
        m["drives"] = json::array();
        m["volumes"] = json::array();
    });
    CliRun run = RunCli(folder_, {"--machine", empty, "--log", log_, "list"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Lines(run.out).size(), 1u) << "the header alone";
    run = RunCli(folder_, {"--machine", empty, "--log", log_, "smart"});
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(run.err, "tramsik-cli: no drive found\n");
    run = RunCli(folder_, {"--machine", empty, "--log", log_, "report", "--json"});
    ASSERT_EQ(run.status, 0) << run.err;
    const json report = json::parse(run.out);
    EXPECT_TRUE(report["drives"].empty());
    std::ifstream schemaFile(TRAMSIK_SOURCE_DIR "/docs/report.schema.json");
    EXPECT_EQ(CheckSchema(json::parse(schemaFile), report), std::vector<std::string>{});
}

TEST_F(CliRunTest, BadMachineFilesAreNamedWithThePlace) {
    const std::filesystem::path broken = folder_ / "broken.json";
    std::ofstream(broken)
        << R"({"format": "tramsik-machine/1", "os": {"major": 10}, "drives": []})";
    CliRun run = RunCli(folder_, {"--machine", broken.string(), "--log", log_, "list"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(Has(run.err, broken.string())) << run.err;
    EXPECT_TRUE(Has(run.err, "$.os")) << run.err;
    EXPECT_TRUE(Has(run.err, "missing key \"minor\"")) << run.err;

    const std::filesystem::path missing = folder_ / "absent.json";
    run = RunCli(folder_, {"--machine", missing.string(), "--log", log_, "report", "--json"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(Has(run.err, missing.string())) << run.err;
}

TEST_F(CliRunTest, UsageErrorsAndHelp) {
    CliRun run = RunCli(folder_, {});
    EXPECT_EQ(run.status, 2);
    EXPECT_FALSE(run.err.empty());
    run = Demo({"info", "--drive", "-1"});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(Has(run.err, "--drive")) << run.err;
    run = RunCli(folder_, {"--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(Has(run.out, "report")) << run.out;
}

}  // namespace
