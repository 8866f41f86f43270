#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "tests/cli/cli_process.h"

namespace {

using nlohmann::json;

// The demo machine's NVMe drive, physical drive 2, answers through the storage query.
TEST(CliNvmeRun, SmartTableAndReportOfTheDemoNvmeDrive) {
    const auto folder = std::filesystem::temp_directory_path() /
                        ("tramsik-cli-nvme-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(folder);
    const std::string log = (folder / "run.log").string();

    const CliRun smart =
        RunCli(folder, {"--machine", "demo", "--log", log, "smart", "--drive", "2"});
    ASSERT_EQ(smart.status, 0) << smart.err;
    std::vector<std::string> lines;
    std::istringstream text(smart.out);
    for (std::string line; std::getline(text, line);)
        lines.push_back(line);
    ASSERT_EQ(lines.size(), 2u + 15u) << smart.out;
    EXPECT_EQ(lines[0], "Drive 2  Orvel NVMe P5 1.5GB");
    // Composite temperature 310 K in the seven-byte raw form, no values, no threshold.
    EXPECT_NE(smart.out.find("02  Vendor Specific      ---    ---        ---  00000000000136  OK"),
              std::string::npos)
        << smart.out;
    EXPECT_EQ(lines.back().substr(0, 2), "0F");

    const CliRun report = RunCli(folder, {"--machine", "demo", "--log", log, "report", "--json"});
    ASSERT_EQ(report.status, 0) << report.err;
    const json parsed = json::parse(report.out);
    const json* nvme = nullptr;
    for (const json& drive : parsed["drives"])
        if (drive["physicalDrive"] == 2) nvme = &drive;
    ASSERT_NE(nvme, nullptr);
    EXPECT_EQ((*nvme)["interface"], "NVM Express");
    EXPECT_EQ((*nvme)["commandTypeTag"], "sq");
    EXPECT_EQ((*nvme)["majorVersion"], "NVM Express 1.4");
    EXPECT_EQ((*nvme)["maxTransferMode"], "PCIe 3.0 x4");
    EXPECT_EQ((*nvme)["currentTransferMode"], "PCIe 3.0 x4");
    EXPECT_EQ((*nvme)["smartKeyName"], "SmartNVMe");
    EXPECT_EQ((*nvme)["temperature"], 37);
    EXPECT_EQ((*nvme)["powerOnHours"], 842);
    EXPECT_EQ((*nvme)["attributes"].size(), 15u);
    EXPECT_EQ((*nvme)["smartTable"].size(), 15u);
    std::filesystem::remove_all(folder);
}

}  // namespace
