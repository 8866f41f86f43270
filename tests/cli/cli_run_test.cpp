// tramsik-cli run as a user runs it, on the demo machine and variants of it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "platform/ioctl.h"
#include "tests/cli/cli_run_fixture.h"
#include "tests/cli/schema_check.h"

namespace {

using nlohmann::json;

using CliRunTest = CliRunFixture;

std::vector<std::string> SchemaProblems(const json& report) {
    std::ifstream schema(TRAMSIK_SOURCE_DIR "/docs/report.schema.json");
    return CheckSchema(json::parse(schema), report);
}

TEST_F(CliRunTest, CommandsOnTheDemoMachine) {
    const std::string noDrive9 = "tramsik-cli: no drive with physical drive number 9\n";
    const struct {
        const char* args;  // split at blanks
        int status;
        std::string head;  // the output starts with it
        std::string has;   // and holds it
        size_t lines;      // when not 0, the output's number of lines
        std::string err;   // all of the error stream on success, a part of it on failure
    } cases[] = {
        {"list", 0, "Drive  Model", "\n    1  Orvel SSD S5 2GB     2.0 GB  Serial ATA", 0, ""},
        // The first drive until the system disk is known; one row per attribute.
        {"smart", 0, "Drive 0  Orvel SSD S3 1GB\nID  Description", "0000000005FC  OK", 16, ""},
        {"smart --drive 1", 0, "Drive 1  Orvel SSD S5 2GB\n", "00000000000C  OK", 11, ""},
        // The NVMe drive: composite temperature 310 K in the seven-byte raw form, no values.
        {"smart --drive 2", 0, "Drive 2  Orvel NVMe P5 1.5GB\n",
         "\n02  Vendor Specific      ---    ---        ---  00000000000136  OK\n", 17, ""},
        {"smart --drive 9", 3, "", "", 0, noDrive9},
        {"--lang zh smart", 0, "磁盘 0  Orvel SSD S3 1GB\n", "良好", 0, ""},
        {"info", 0, "Drive 0  Orvel SSD S3 1GB\nDrive letter:  C\n",
         "\nInterface : Serial ATA\nAHCI:  Opeded\n"
         "Serial No. : ORV2026S3000..  (ORV2026S3000142)\nDisk capacity : 1.0 GB\n"
         "Firmware : S3FM02.1\nFree Space : 0.2 GB\nUsed Space : 0.3 GB\n"
         "Unallocated : 0.5 GB\n[###########---------]  58%\n",
         0, ""},
        // A blank disk is all unallocated.
        {"info --drive 1", 0, "Drive 1  Orvel SSD S5 2GB\n", "\nUnallocated : 2.0 GB\n", 0, ""},
        {"info --drive 9", 3, "", "", 0, noDrive9},
        {"--lang zh info", 0, "", "\nAHCI:  已开启\n序列号 : ORV2026S3000142\n", 0, ""},
        {"", 2, "", "", 0, ""},
        {"info --drive -1", 2, "", "", 0, "--drive"},
        {"--help", 0, "", "report", 0, ""},
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
        EXPECT_TRUE(c.lines == 0 || Lines(run.out).size() == c.lines) << run.out;
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
    // The IDENTIFY pass-through request to the first drive, in the dump.
    const std::string size = std::to_string(platform::kAtaPassThroughDataOffset + 512);
    EXPECT_TRUE(Has(Log(), "DeviceIoControl 0x0004D02C in " + size + " out " + size + ": ok"));
}

TEST_F(CliRunTest, LanguageFromTheCodePageUnlessTheOptionSaysOtherwise) {
    const std::string chineseMachine = DemoVariant([](json& m) { m["os"]["codePage"] = 936; });
    CliRun run = Run(chineseMachine, {"smart"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(Has(run.out, "良好")) << "code page 936 means Chinese";
    EXPECT_FALSE(Has(run.out, "  OK"));
    run = Run(chineseMachine, {"--lang", "en", "smart"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(Has(run.out, "  OK")) << "--lang wins over the code page";
    EXPECT_FALSE(Has(run.out, "良好"));
}

// The figures themselves are the drive pass's, the space pass's and the page's; here they
// reach the report, which the text report and the list agree with.
TEST_F(CliRunTest, JsonReportFollowsTheSchemaAndHoldsEveryDrive) {
    const CliRun run = Demo({"report", "--json"});
    ASSERT_EQ(run.status, 0) << run.err;
    const json report = json::parse(run.out);
    EXPECT_EQ(SchemaProblems(report), std::vector<std::string>{});
    EXPECT_EQ(report["os"]["name"], "Windows 10 64");
    EXPECT_EQ(report["systemDisk"], json({{"physicalDrive", 0}, {"model", "Orvel SSD S3 1GB"}}));

    // Every SATA drive's table is the inventory's; the NVMe drive's fields are its health log's.
    for (const int sata : {0, 1}) {
        const json& drive = report["drives"][sata];
        EXPECT_EQ(drive["commandTypeTag"], "pd1");
        EXPECT_EQ(drive["smartTable"].size(), drive["attributes"].size());
        EXPECT_EQ(drive["smartTable"][0][0], "01") << drive["model"];
    }
    const json& nvme = report["drives"][2];
    EXPECT_EQ(nvme["commandTypeTag"], "sq");
    EXPECT_EQ(nvme["temperature"], 37);
    EXPECT_EQ(nvme["smartTable"].size(), 15u);

    const CliRun text = Demo({"report"});
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_TRUE(Has(text.out, "OS Version   : Windows 10 64")) << text.out;
    EXPECT_EQ(Lines(Demo({"list"}).out).size(), 1 + report["drives"].size());
    for (const json& drive : report["drives"]) {
        const std::string title = "Drive " + std::to_string(drive["physicalDrive"].get<int>()) +
                                  "  " + drive["model"].get<std::string>() + "\n";
        EXPECT_TRUE(Has(text.out, title)) << title;
    }
}

TEST_F(CliRunTest, SystemDiskFollowsTheSystemDirectory) {
    // The system on the second SSD's letter: info and smart default to that disk.
    const std::string moved = DemoVariant([](json& m) {
        m["os"]["systemDirectory"] = "D:\\Windows\\System32";
        m["volumes"][1]["extents"][0]["drive"] = 1;
        m["drives"][1]["layout"] = {
            {"style", "gpt"}, {"partitions", json::array({{{"type", "basic"}, {"size", "1GiB"}}})}};
    });
    for (const char* command : {"info", "smart"}) {
        const CliRun run = Run(moved, {command});
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_TRUE(run.out.starts_with("Drive 1  Orvel SSD S5 2GB\n")) << command;
    }
    EXPECT_TRUE(Has(Run(moved, {"report"}).out, "System disk  : 1  Orvel SSD S5 2GB\n"));

    // No drive carries the system's letter: nothing is determined, the first drive is shown.
    const std::string elsewhere =
        DemoVariant([](json& m) { m["os"]["systemDirectory"] = "S:\\Windows\\System32"; });
    CliRun run = Run(elsewhere, {"report", "--json"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(json::parse(run.out)["systemDisk"].is_null());
    run = Run(elsewhere, {"info"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(run.out.starts_with("Drive 0  Orvel SSD S3 1GB\n"));
}

TEST_F(CliRunTest, AMachineWithoutDrives) {
    const std::string empty = DemoVariant([](json& m) {
        m["drives"] = json::array();
        m["volumes"] = json::array();
    });
    CliRun run = Run(empty, {"list"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Lines(run.out).size(), 1u) << "the header alone";
    run = Run(empty, {"smart"});
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(run.err, "tramsik-cli: no drive found\n");
    run = Run(empty, {"report", "--json"});
    ASSERT_EQ(run.status, 0) << run.err;
    const json report = json::parse(run.out);
    EXPECT_TRUE(report["drives"].empty());
    EXPECT_EQ(SchemaProblems(report), std::vector<std::string>{});
}

TEST_F(CliRunTest, BadMachineFilesAreNamedWithThePlace) {
    const std::filesystem::path broken = folder_ / "broken.json";
    std::ofstream(broken)
        << R"({"format": "tramsik-machine/1", "os": {"major": 10}, "drives": []})";
    const std::filesystem::path missing = folder_ / "absent.json";
    const struct {
        std::filesystem::path file;
        std::vector<std::string> args, err;
    } cases[] = {
        {broken, {"list"}, {broken.string(), "$.os", "missing key \"minor\""}},
        {missing, {"report", "--json"}, {missing.string()}},
    };
    for (const auto& c : cases) {
        const CliRun run = Run(c.file.string(), c.args);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, "");
        for (const std::string& part : c.err)
            EXPECT_TRUE(Has(run.err, part)) << run.err;
    }
}

}  // namespace
