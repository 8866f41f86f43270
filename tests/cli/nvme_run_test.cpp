#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "tests/cli/cli_run_fixture.h"

namespace {

using nlohmann::json;

using CliNvmeRun = CliRunFixture;

// The demo machine's NVMe drive, physical drive 2, answers through the storage query; its
// record's fields are the inventory's, here they reach the table and the report.
TEST_F(CliNvmeRun, SmartTableAndReportOfTheDemoNvmeDrive) {
    const CliRun smart = Demo({"smart", "--drive", "2"});
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

    const CliRun report = Demo({"report", "--json"});
    ASSERT_EQ(report.status, 0) << report.err;
    const json parsed = json::parse(report.out);
    const json& nvme = parsed["drives"][2];
    EXPECT_EQ(nvme["physicalDrive"], 2);
    EXPECT_EQ(nvme["commandTypeTag"], "sq");
    EXPECT_EQ(nvme["temperature"], 37);
    EXPECT_EQ(nvme["attributes"].size(), 15u);
    EXPECT_EQ(nvme["smartTable"].size(), 15u);
}

}  // namespace
