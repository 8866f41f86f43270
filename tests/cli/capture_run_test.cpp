#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "tests/cli/cli_run_fixture.h"
#include "tests/support/machine_files.h"

namespace {

using nlohmann::json;

class CaptureRunTest : public CliRunFixture {
  protected:
    json Report(const std::string& machine) {
        const CliRun run = Run(machine, {"report", "--json"});
        EXPECT_EQ(run.status, 0) << machine << ": " << run.err;
        return run.status == 0 ? json::parse(run.out) : json();
    }

    // Captures `machine` into a file of this test named after it.
    std::string Capture(const std::filesystem::path& machine, std::vector<std::string> options) {
        const auto out = (folder_ / (machine.stem().string() + "-" +
                                     std::to_string(options.size()) + "-captured.json"))
                             .string();
        options.insert(options.begin(), {"capture", "--out", out});
        const CliRun run = Run(machine.string(), options);
        EXPECT_EQ(run.status, 0) << machine << ": " << run.err;
        EXPECT_EQ(run.out, "") << machine;
        return out;
    }
};

// Every machine captured replays to its own report; captured anonymised, it holds no serial
// in plain text and still replays (where else a serial travels is the anonymiser's to find).
TEST_F(CaptureRunTest, EveryMachineCapturedReplaysToItsOwnReport) {
    for (const auto& file : AllMachineFiles()) {
        const json original = Report(file.string());
        EXPECT_EQ(Report(Capture(file, {})), original) << file;
        EXPECT_FALSE(original["drives"].empty()) << file;
        const std::string anonymised = Capture(file, {"--anonymize"});
        const std::string text = ReadWhole(anonymised);
        const json replayed = Report(anonymised);
        ASSERT_EQ(replayed["drives"].size(), original["drives"].size()) << file;
        for (size_t i = 0; i < original["drives"].size(); ++i) {
            const std::string serial = original["drives"][i]["serialNumber"];
            if (serial.size() < 4) continue;
            SCOPED_TRACE(file.string() + ": " + serial);
            EXPECT_EQ(text.find(serial), std::string::npos);
            EXPECT_NE(replayed["drives"][i]["serialNumber"], serial);
            EXPECT_EQ(replayed["drives"][i]["model"], original["drives"][i]["model"]);
        }
    }
}

TEST_F(CaptureRunTest, StandardOutputUnlessAFileIsNamedAndThenNothingHalfWritten) {
    const CliRun printed = Demo({"capture"});
    ASSERT_EQ(printed.status, 0) << printed.err;
    EXPECT_EQ(json::parse(printed.out)["format"], "tramsik-machine/1");
    EXPECT_EQ(printed.err, "") << "a quick capture reports no progress";

    const std::string nowhere = (folder_ / "no/such/folder.json").string();
    const CliRun refused = Demo({"capture", "--out", nowhere});
    EXPECT_EQ(refused.status, 4);
    EXPECT_TRUE(Has(refused.err, "cannot write " + nowhere)) << refused.err;
    EXPECT_FALSE(std::filesystem::exists(folder_ / "no"));
}

}  // namespace
