#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "tests/cli/cli_run_fixture.h"

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

using CliMetricsRunTest = CliRunFixture;

TEST_F(CliMetricsRunTest, MachinesGiveTheirSeries) {
    struct Case {
        const char* name;
        std::function<void(json&)> edit;
        std::vector<std::string> present;
        std::vector<std::string> absent;
    };
    const Case cases[] = {
        {"the demo machine",
         [](json&) {},
         {"tramsik_scrape_success 1\n", "\ntramsik_drive_scrape_success{drive=\"3\"} 1\n",
          "\ntramsik_drive_info{drive=\"0\",model=\"Orvel SSD S3 1GB\",serial=\"ORV2026S3000142\","
          "firmware=\"S3FM02.1\",interface=\"Serial ATA\",route=\"pd1\"} 1\n",
          "\ntramsik_smart_attribute_raw{drive=\"0\",id=\"09\",name=\"Power-on Hours\"} 1532\n",
          "\ntramsik_nvme_temperature_celsius{drive=\"2\"} 37\n",
          "\ntramsik_nvme_available_spare_threshold_ratio{drive=\"2\"} 0.1\n",
          "\ntramsik_nvme_data_written_bytes_total{drive=\"2\"} 505678848000\n",
          "\ntramsik_nvme_power_on_seconds_total{drive=\"2\"} 3031200\n"},
         {"tramsik_smart_attribute_raw{drive=\"2\"", "tramsik_nvme_critical_warning{drive=\"0\""}},
        {"a drive that no longer answers",
         [](json& m) {
             m["drives"][1]["faults"] = {{"gone", true}};
         },
         {"tramsik_scrape_success 0\n", "\ntramsik_drive_scrape_success{drive=\"1\"} 0\n",
          "\ntramsik_drive_scrape_success{drive=\"0\"} 1\n"},
         {"tramsik_drive_info{drive=\"1\"", "tramsik_drive_temperature_celsius{drive=\"1\""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CliRun run = Run(DemoVariant(c.edit), {"metrics"});
        ASSERT_EQ(run.status, 0) << run.err;
        for (const std::string& line : c.present)
            EXPECT_TRUE(Has(run.out, line)) << line << "\n" << run.out;
        for (const std::string& line : c.absent)
            EXPECT_FALSE(Has(run.out, line)) << line;
    }
}

// A collector reading the file at any moment sees the old file or the new one, whole.
TEST_F(CliMetricsRunTest, OutReplacesTheFileInOneStep) {
    const fs::path folder = folder_ / "textfile";
    fs::create_directories(folder);
    const fs::path file = folder / "tramsik.prom";
    std::ofstream(file) << "old\n";
    // A reader that opened the old file keeps it: the new text goes to another file.
    fs::create_hard_link(file, folder_ / "opened-by-a-reader");

    CliRun run = Demo({"metrics", "--out", file.string()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(ReadWhole(folder_ / "opened-by-a-reader"), "old\n");
    const std::string written = ReadWhole(file);
    EXPECT_TRUE(written.starts_with("# HELP tramsik_scrape_success ")) << written;
    EXPECT_TRUE(Has(written, "\ntramsik_drive_temperature_celsius{drive=\"0\"} 33\n"));
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                  fs::perms::others_read)
        << "the exporter runs as another user";
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1)
        << "no temporary file is left";

    // A machine that cannot be read still replaces the file, with a failed run.
    run = Run((folder_ / "missing.json").string(), {"metrics", "--out", file.string()});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(Has(ReadWhole(file), "\ntramsik_scrape_success 0\n")) << ReadWhole(file);

    // A folder that does not exist takes nothing; the error names the file.
    const std::string nowhere = (folder_ / "none" / "tramsik.prom").string();
    run = Demo({"metrics", "--out", nowhere});
    EXPECT_EQ(run.status, 4);
    EXPECT_TRUE(Has(run.err, "cannot write " + nowhere)) << run.err;

    // A link to the file stays a link, to the new file; a device is written into, never
    // replaced by a file.
    const fs::path link = folder_ / "current.prom";
    fs::create_symlink(file, link);
    run = Demo({"metrics", "--out", link.string()});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_TRUE(Has(ReadWhole(file), "\ntramsik_scrape_success 1\n")) << ReadWhole(file);
    run = Demo({"metrics", "--out", "/dev/null"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
}

}  // namespace
