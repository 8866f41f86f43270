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
        std::vector<std::string> has;
        size_t lines;     // when not 0, the output's number of lines
        std::string err;  // all of the error stream on success, a part of it on failure
    } cases[] = {
        {"list",
         0,
         "Drive  Model",
         {"\n    0  Orvel SSD S3 1GB", "\n    1  Orvel SSD S5 2GB"},
         0,
         ""},
        // The first drive until the system disk is known; one row per attribute.
        {"smart", 0, "Drive 0  Orvel SSD S3 1GB\nID  Description", {"0000000005FC  OK"}, 16, ""},
        {"smart --drive 1", 0, "Drive 1  Orvel SSD S5 2GB\n", {"00000000000C  OK"}, 11, ""},
        // The NVMe drive: composite temperature 310 K in the seven-byte raw form, no values.
        {"smart --drive 2",
         0,
         "Drive 2  Orvel NVMe P5 1.5GB\n",
         {"\n02  Vendor Specific      ---    ---        ---  00000000000136  OK\n", "\n0F  "},
         17,
         ""},
        {"smart --drive 9", 3, "", {}, 0, noDrive9},
        {"--lang zh smart", 0, "磁盘 0  Orvel SSD S3 1GB\n", {"良好"}, 0, ""},
        {"info",
         0,
         "Drive 0  Orvel SSD S3 1GB\n",
         {"\nDrive letter:  C\n", "\nInterface : Serial ATA\n", "\nAHCI:  Opeded\n",
          "\nSerial No. : ORV2026S3000..  (ORV2026S3000142)\n", "\nDisk capacity : 1.0 GB\n",
          "\nFirmware : S3FM02.1\n", "\nFree Space : 0.2 GB\n", "\nUsed Space : 0.3 GB\n",
          "\nUnallocated : 0.5 GB\n", "\n[###########---------]  58%\n", "\nC:  ", "NTFS"},
         0,
         ""},
        // A blank disk is all unallocated.
        {"info --drive 1",
         0,
         "Drive 1  Orvel SSD S5 2GB\n",
         {"\nDisk capacity : 2.0 GB\n", "\nUnallocated : 2.0 GB\n"},
         0,
         ""},
        {"info --drive 9", 3, "", {}, 0, noDrive9},
        {"--lang zh info", 0, "", {"\n序列号 : ORV2026S3000142\n", "\nAHCI:  已开启\n"}, 0, ""},
        {"", 2, "", {}, 0, ""},
        {"info --drive -1", 2, "", {}, 0, "--drive"},
        {"--help", 0, "", {"report"}, 0, ""},
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
        for (const std::string& part : c.has)
            EXPECT_TRUE(Has(run.out, part)) << part << "\n" << run.out;
        if (c.lines != 0) {
            EXPECT_EQ(Lines(run.out).size(), c.lines) << run.out;
        }
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
    EXPECT_EQ(report["format"], "tramsik-report/1");
    EXPECT_EQ(report["language"], "en");
    EXPECT_EQ(report["os"]["name"], "Windows 10 64");
    EXPECT_EQ(report["os"]["major"], 10);
    EXPECT_EQ(report["systemDisk"], json({{"physicalDrive", 0}, {"model", "Orvel SSD S3 1GB"}}));

    int sataDrives = 0;
    for (const json& drive : report["drives"]) {
        EXPECT_TRUE(drive["diskInfoPage"].contains("AHCI")) << drive["model"];
        if (drive["interfaceType"] != 2) continue;
        ++sataDrives;
        EXPECT_EQ(drive["commandTypeTag"], "pd1");
        EXPECT_TRUE(drive["flags"]["smartDataValid"].get<bool>()) << drive["model"];
        ASSERT_FALSE(drive["smartTable"].empty()) << drive["model"];
        EXPECT_EQ(drive["smartTable"].size(), drive["attributes"].size());
        EXPECT_EQ(drive["smartTable"][0][0], "01");
    }
    EXPECT_EQ(sataDrives, 2);
    ASSERT_GE(report["drives"].size(), 3u);
    const json& system = report["drives"][0];
    EXPECT_EQ(system["model"], "Orvel SSD S3 1GB");
    EXPECT_EQ(system["driveLetters"], "C:");
    EXPECT_EQ(system["totalDiskSize"], 1024.0) << "the measured size";
    EXPECT_EQ(system["space"]["unallocatedSize"], 512.0);
    EXPECT_EQ(system["space"]["volumes"][0]["freeSize"], 212.0);
    EXPECT_EQ(system["diskInfoPage"]["serial_no"], "Serial No. : ORV2026S3000..")
        << "the window's text, cut";
    // The NVMe drive's fields are the inventory's and its health log's.
    const json& nvme = report["drives"][2];
    EXPECT_EQ(nvme["physicalDrive"], 2);
    EXPECT_EQ(nvme["commandTypeTag"], "sq");
    EXPECT_EQ(nvme["temperature"], 37);
    EXPECT_EQ(nvme["attributes"].size(), 15u);
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
