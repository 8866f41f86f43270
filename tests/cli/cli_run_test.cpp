// tramsik-cli run as a user runs it, on the demo machine and variants of it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "tests/cli/cli_run_fixture.h"
#include "tests/cli/schema_check.h"

namespace {

using nlohmann::json;

using CliRunTest = CliRunFixture;

TEST_F(CliRunTest, CommandsOnTheDemoMachine) {
    const struct {
        const char* args;  // split at blanks
        int status;
        std::string head;  // the output starts with it
        std::string has;   // and holds it
        std::string err;   // all of the error stream on success, a part of it on failure
    } cases[] = {
        {"list", 0, "Drive  Model", "\n    1  Orvel SSD S5 2GB     2.0 GB  Serial ATA", ""},
        // The first drive until the system disk is known.
        {"smart", 0, "Drive 0  Orvel SSD S3 1GB\nID  Description", "0000000005FC  OK", ""},
        // The NVMe drive: composite temperature 310 K in the seven-byte raw form, no values.
        {"smart --drive 2", 0, "Drive 2  Orvel NVMe P5 1.5GB\n",
         "\n02  Vendor Specific      ---    ---        ---  00000000000136  OK\n", ""},
        {"smart --drive 9", 3, "", "", "tramsik-cli: no drive with physical drive number 9\n"},
        {"info", 0, "Drive 0  Orvel SSD S3 1GB\nDrive letter:  C\n",
         "\nUnallocated : 0.5 GB\n[###########---------]  58%\n", ""},
        // A blank disk is all unallocated, without letters (and no blank after the label).
        {"info --drive 1", 0, "Drive 1  Orvel SSD S5 2GB\nDrive letter:\n",
         "\nUnallocated : 2.0 GB\n[--------------------]  0%\n", ""},
        {"info --drive -1", 2, "", "", "--drive"},
        {"--help", 0, "", "\n  migrate", ""},
        {"--version", 0, "tramsik-cli 1.3\n", "", ""},
        {"report", 0, "OS Version   : Windows 10 64", "\nDrive 2  Orvel NVMe P5 1.5GB\n", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        std::vector<std::string> args;
        std::istringstream words(c.args);
        for (std::string word; words >> word;)
            args.push_back(word);
        const CliRun run = Demo(args);
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_TRUE(run.out.starts_with(c.head)) << run.out;
        EXPECT_TRUE(Has(run.out, c.has)) << c.has << "\n" << run.out;
        if (c.status == 0) {
            EXPECT_EQ(run.err, c.err);
        } else {
            EXPECT_TRUE(Has(run.err, c.err) && !run.err.empty()) << run.err;
            EXPECT_EQ(run.out, "");
        }
    }
}

TEST_F(CliRunTest, LogFileAndTraceOfTheDeviceRequests) {
    ASSERT_EQ(Demo({"list"}).status, 0);
    EXPECT_TRUE(Has(Log(), "CAtaSmart::Init - Complete")) << "--log FILE holds the log";
    EXPECT_FALSE(Has(Log(), "DeviceIoControl 0x")) << "no dump unless asked for";

    ASSERT_EQ(Demo({"--trace", "list"}).status, 0);
    // The IDENTIFY pass-through request to the first drive, in the dump (its form is the log's).
    EXPECT_TRUE(Has(Log(), "DeviceIoControl 0x0004D02C in ")) << Log();
}

TEST_F(CliRunTest, LanguageFromTheCodePageUnlessTheOptionSaysOtherwise) {
    const std::string chineseMachine = DemoVariant([](json& m) { m["os"]["codePage"] = 936; });
    EXPECT_TRUE(Has(Run(chineseMachine, {"smart"}).out, "良好")) << "code page 936 means Chinese";
    EXPECT_TRUE(Has(Run(chineseMachine, {"--lang", "en", "smart"}).out, "  OK"))
        << "--lang wins over the code page";
}

// The figures themselves are the drive pass's, the space pass's and the page's; here they
// reach the report.
TEST_F(CliRunTest, JsonReportFollowsTheSchemaAndHoldsEveryDrive) {
    const CliRun run = Demo({"report", "--json"});
    ASSERT_EQ(run.status, 0) << run.err;
    const json report = json::parse(run.out);
    EXPECT_EQ(CheckSchema(ReportSchema(), report), std::vector<std::string>{});
    // The NVMe drive's fields are its health log's.
    EXPECT_EQ(report["drives"][2]["temperature"], 37);
    EXPECT_EQ(report["drives"][2]["smartTable"].size(), 15u);
}

TEST_F(CliRunTest, SystemDiskFollowsTheSystemDirectory) {
    // The system on the second SSD's letter: smart defaults to that disk.
    const std::string moved = DemoVariant([](json& m) {
        m["os"]["systemDirectory"] = "D:\\Windows\\System32";
        m["volumes"][1]["extents"][0]["drive"] = 1;
        m["drives"][1]["layout"] = {
            {"style", "gpt"}, {"partitions", json::array({{{"type", "basic"}, {"size", "1GiB"}}})}};
    });
    EXPECT_TRUE(Run(moved, {"smart"}).out.starts_with("Drive 1  Orvel SSD S5 2GB\n"));

    // No drive carries the system's letter: nothing is determined, the first drive is shown.
    const std::string elsewhere =
        DemoVariant([](json& m) { m["os"]["systemDirectory"] = "S:\\Windows\\System32"; });
    EXPECT_TRUE(Has(Run(elsewhere, {"report"}).out, "System disk  : not determined\n"));
    EXPECT_TRUE(Run(elsewhere, {"info"}).out.starts_with("Drive 0  Orvel SSD S3 1GB\n"));
}

TEST_F(CliRunTest, AMachineWithoutDrives) {
    const std::string empty = DemoVariant([](json& m) {
        m["drives"] = json::array();
        m["volumes"] = json::array();
    });
    CliRun run = Run(empty, {"list"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "Drive  Model  Size  Interface  Route\n") << "the header alone";
    run = Run(empty, {"smart"});
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(run.err, "tramsik-cli: no drive found\n");
}

// What is wrong with the file is the loader's to say; here it reaches the user, with status 2.
TEST_F(CliRunTest, BadMachineFilesAreNamedWithThePlace) {
    const std::filesystem::path broken = folder_ / "broken.json";
    std::ofstream(broken)
        << R"({"format": "tramsik-machine/1", "os": {"major": 10}, "drives": []})";
    const CliRun run = Run(broken.string(), {"report", "--json"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(Has(run.err, broken.string()) && Has(run.err, "$.os")) << run.err;
}

}  // namespace
