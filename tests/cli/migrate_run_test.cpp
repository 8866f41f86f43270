// tramsik-cli migrate as a user runs it: on the demo machine and variants of it, with the
// pre-check, the confirmation, the outcome texts, the exit statuses and Ctrl-C.
#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

#include "tests/cli/cli_run_fixture.h"

namespace {

using nlohmann::json;
using Options = std::vector<std::string>;

const std::string kTooSmall =
    "Target disk capacity is less than the capacity of the source disk system partition,"
    "exchange a bigger capacity SSD to finish the migration!\n";
const std::string kConfirm =
    "This step will migrate the current operating system to the target disk,and the target "
    "disk will be formatted, are you sure to continue? [y/N] ";

class MigrateRunTest : public CliRunFixture {
  protected:
    // tramsik-cli migrate in English onto `target`, with `options`.
    std::vector<std::string> Migrate(const std::string& machine, int target,
                                     Options options = {"--yes"}) {
        options.insert(options.begin(),
                       {"--lang", "en", "migrate", "--target", std::to_string(target)});
        return Args(machine, options);
    }
};

TEST_F(MigrateRunTest, DemoSystemDiskOntoTheSecondSsdWithYes) {
    for (const bool verify : {false, true}) {
        SCOPED_TRACE(verify ? "verified" : "unverified");
        const CliRun run = WaitCli(StartCli(
            folder_, Migrate("demo", 1, verify ? Options{"--yes", "--verify"} : Options{"--yes"})));
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out,
                  "System data migration is completed, please close the computer with the target "
                  "disk replace the source disk for computer startup.\n");
        EXPECT_TRUE(Has(run.err, "OS Drive : Orvel SSD S3 1GB\n")) << run.err;
        EXPECT_FALSE(Has(run.err, "[y/N]")) << "--yes asks nothing";
        // The copy's line ends at 100%; a verified run's reading back has a line of its own.
        EXPECT_TRUE(Has(run.err, "] 100%  Used Time :     00: 00: ")) << run.err;
        EXPECT_EQ(Has(run.err, "\n\rVerifying ["), verify) << run.err;
        EXPECT_EQ(Has(run.err, "Verifying [##############################] 100%"), verify);
    }
}

TEST_F(MigrateRunTest, RefusalsAndTheirStatuses) {
    const std::filesystem::path input = folder_ / "answer";
    const struct {
        const char* what;
        int target;
        const char* answer;  // on stdin, without --yes, when not null
        int status;
        std::string err;
    } cases[] = {
        // The USB disk is smaller than the system partition's end; so is the system disk.
        {"a small target", 3, nullptr, 20, kTooSmall},
        {"the system disk", 0, nullptr, 20, kTooSmall},
        {"no such drive", 9, nullptr, 3, "9"},
        // Anything but yes at the confirmation stops before a byte is written.
        {"answered no", 1, "n\n", 21, kConfirm},
        {"no answer at all", 1, "", 21, kConfirm},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.answer) std::ofstream(input) << c.answer;
        const CliRun run = WaitCli(
            StartCli(folder_, Migrate("demo", c.target, c.answer ? Options{} : Options{"--yes"}),
                     c.answer ? input : ""));
        EXPECT_EQ(run.status, c.status);
        EXPECT_TRUE(Has(run.err, c.err)) << run.err;
        EXPECT_EQ(run.out, "");
        EXPECT_FALSE(Has(Log(), "begin data migration"));
    }
}

TEST_F(MigrateRunTest, FailedMigrationExitsWithItsResult) {
    const struct {
        const char* what;
        const char* targetFault;  // at sector 300000
        Options options;
        int status;
    } cases[] = {
        {"a write fails", "writeErrorSector", {"--yes"}, 9},
        // The drive says it wrote the sector and did not: only reading back finds out.
        {"a sector stored wrong, verified", "corruptWriteSector", {"--yes", "--verify"}, 17},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string machine = DemoVariant([&](json& m) {
            m["drives"][1]["faults"] = {{c.targetFault, 300000}};
        });
        const CliRun run = WaitCli(StartCli(folder_, Migrate(machine, 1, c.options)));
        EXPECT_EQ(run.status, c.status);
        EXPECT_TRUE(Has(run.err, "System migration failed [-" + std::to_string(c.status) + "]\n"))
            << run.err;
        EXPECT_EQ(run.out, "");
    }
}

TEST_F(MigrateRunTest, CtrlCCancelsAndASecondOneDoesNotKill) {
    // Slow disks, so the copy is surely under way when the signals come.
    const std::string machine = DemoVariant([](json& m) {
        for (int drive : {0, 1})
            m["drives"][drive]["faults"] = {{"slowMsPerMiB", 20}};
    });
    const CliChild child = StartCli(folder_, Migrate(machine, 1));
    ASSERT_GT(child.pid, 0);
    // Wait for the copy's first percent in the log, however long the machine takes.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    while (!Has(Log(), "write -1--secNum=") && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_TRUE(Has(Log(), "write -1--secNum=")) << Log();
    kill(child.pid, SIGINT);
    kill(child.pid, SIGINT);
    const CliRun run = WaitCli(child);
    EXPECT_EQ(run.status, 11) << run.err;
    EXPECT_TRUE(Has(run.err, "You will terminate the system data migration.\n")) << run.err;
    const std::string log = Log();
    EXPECT_TRUE(Has(log, "data migration err-end"));
    EXPECT_TRUE(Has(log, "dst disk del success, please re-plug disk and retry"));
    EXPECT_FALSE(Has(log, "write -100--"));
}

}  // namespace
