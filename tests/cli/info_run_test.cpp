// tramsik-cli info and the report's system disk and space on the demo machine, run as a user
// would run them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <random>
#include <string>
#include <vector>

#include "tests/cli/cli_run_fixture.h"

namespace {

using nlohmann::json;

using CliInfoRunTest = CliRunFixture;

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST_F(CliInfoRunTest, InfoShowsTheSystemDiskUnlessAskedForAnother) {
    CliRun run = Demo({"info"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.substr(0, run.out.find('\n')), "Drive 0  Orvel SSD S3 1GB");
    for (const char* line :
         {"\nDrive letter:  C\n", "\nInterface : Serial ATA\n", "\nAHCI:  Opeded\n",
          "\nSerial No. : ORV2026S3000..  (ORV2026S3000142)\n", "\nDisk capacity : 1.0 GB\n",
          "\nFirmware : S3FM02.1\n", "\nFree Space : 0.2 GB\n", "\nUsed Space : 0.3 GB\n",
          "\nUnallocated : 0.5 GB\n", "\n[###########---------]  58%\n"})
        EXPECT_TRUE(Has(run.out, line)) << line << "\n" << run.out;
    EXPECT_TRUE(Has(run.out, "\nC:  ")) << "the volume table";
    EXPECT_TRUE(Has(run.out, "NTFS")) << run.out;
    EXPECT_EQ(run.err, "");

    run = Demo({"info", "--drive", "1"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.substr(0, run.out.find('\n')), "Drive 1  Orvel SSD S5 2GB");
    EXPECT_TRUE(Has(run.out, "\nDisk capacity : 2.0 GB\n")) << run.out;
    EXPECT_TRUE(Has(run.out, "\nUnallocated : 2.0 GB\n")) << "a blank disk is all unallocated";

    run = Demo({"info", "--drive", "9"});
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "tramsik-cli: no drive with physical drive number 9\n");

    run = Demo({"--lang", "zh", "info"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(Has(run.out, "\n序列号 : ORV2026S3000142\n")) << run.out;
    EXPECT_TRUE(Has(run.out, "\nAHCI:  已开启\n")) << run.out;
}

TEST_F(CliInfoRunTest, SystemDiskFollowsTheSystemDirectory) {
    // The system on the second SSD's letter: info and smart default to that disk.
    const std::string moved = DemoVariant([](json& m) {
        m["os"]["systemDirectory"] = "D:\\Windows\\System32";
        m["volumes"][1]["extents"][0]["drive"] = 1;
        m["drives"][1]["layout"] = {
            {"style", "gpt"}, {"partitions", json::array({{{"type", "basic"}, {"size", "1GiB"}}})}};
    });
    CliRun run = Run(moved, {"info"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.substr(0, run.out.find('\n')), "Drive 1  Orvel SSD S5 2GB");
    run = Run(moved, {"smart"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.substr(0, run.out.find('\n')), "Drive 1  Orvel SSD S5 2GB");
    run = Run(moved, {"report"});
    EXPECT_TRUE(Has(run.out, "System disk  : 1  Orvel SSD S5 2GB\n")) << run.out;

    // No drive carries the system's letter: nothing is determined, the first drive is shown.
    const std::string elsewhere =
        DemoVariant([](json& m) { m["os"]["systemDirectory"] = "S:\\Windows\\System32"; });
    run = Run(elsewhere, {"report", "--json"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(json::parse(run.out)["systemDisk"].is_null());
    run = Run(elsewhere, {"info"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.substr(0, run.out.find('\n')), "Drive 0  Orvel SSD S3 1GB");
}

// The figures themselves are the space pass's and the page's; here they reach the report.
TEST_F(CliInfoRunTest, JsonReportHasSpaceAndPageOfEveryDrive) {
    const CliRun run = Demo({"report", "--json"});
    ASSERT_EQ(run.status, 0) << run.err;
    const json report = json::parse(run.out);
    const json& system = report["drives"][0];
    EXPECT_EQ(system["totalDiskSize"], 1024.0) << "the measured size";
    EXPECT_EQ(system["space"]["unallocatedSize"], 512.0);
    EXPECT_EQ(system["space"]["volumes"][0]["freeSize"], 212.0);
    EXPECT_EQ(system["diskInfoPage"]["serial_no"], "Serial No. : ORV2026S3000..")
        << "the window's text, cut";
    for (const json& drive : report["drives"])
        EXPECT_TRUE(drive["diskInfoPage"].contains("AHCI")) << drive["model"];
}

}  // namespace
