#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cli/drive_metrics.h"
#include "cli/exposition.h"
#include "tests/cli/drive_fixture.h"

namespace cli {

using disk::DriveList;
using disk::DriveRecord;

namespace {

// How many lines of `text` start with `prefix`.
long Starting(const std::string& text, const std::string& prefix) {
    const std::string lines = "\n" + text, start = "\n" + prefix;
    long count = 0;
    for (size_t at = lines.find(start); at != std::string::npos; at = lines.find(start, at + 1))
        ++count;
    return count;
}

TEST(CliExposition, LabelValuesAndNumbersAreWrittenAsTheFormatReadsThem) {
    EXPECT_EQ(EscapeLabelValue("移动硬盘 SSD"), "移动硬盘 SSD");
    EXPECT_EQ(EscapeLabelValue("\\\"\n"), "\\\\\\\"\\n");
    // A count keeps all its digits; an exponent only where it is the shorter text.
    EXPECT_EQ(SampleValueText(505678848000), "505678848000");
    EXPECT_EQ(SampleValueText(1e20), "1e+20");
    EXPECT_EQ(SampleValueText(0.036084988), "0.036084988");
}

TEST(CliExposition, FamiliesKeepTheirSamplesTogetherAndEmptyOnesAreLeftOut) {
    const MetricFamily families[] = {
        {"a_total",
         "Help with a \"quote\", a \\ and a\nbreak.",
         MetricType::Counter,
         {{{{"drive", "0"}, {"name", "x\"y"}}, 1}, {{}, 2.5}}},
        {"empty", "Nothing to say.", MetricType::Gauge, {}},
        {"b", "B.", MetricType::Gauge, {{{{"drive", "1"}}, 3}}},
    };
    EXPECT_EQ(ExpositionText(families),
              "# HELP a_total Help with a \"quote\", a \\\\ and a\\nbreak.\n"
              "# TYPE a_total counter\n"
              "a_total{drive=\"0\",name=\"x\\\"y\"} 1\n"
              "a_total 2.5\n"
              "# HELP b B.\n"
              "# TYPE b gauge\n"
              "b{drive=\"1\"} 3\n");
}

// A SATA SSD at physical drive 0 whose power-on hours, cycles and temperature are read.
std::unique_ptr<DriveRecord> HealthyDrive() {
    auto drive = std::make_unique<DriveRecord>(SataDrive(0, L"Orvel SSD", 1024.0,
                                                         {{.id = 0x05, .current = 100},
                                                          {.id = 0x09, .raw = 1532},
                                                          {.id = 0x0C, .raw = 487},
                                                          {.id = 0xC2, .raw = 33}},
                                                         {{0x05, 10}}));
    drive->SmartSupported = true;
    drive->IsSsd = true;
    drive->TimeUnitType = disk::TIME_UNIT_HOURS;
    disk::FillSmartData(*drive);
    return drive;
}

TEST(CliDriveMetrics, EachDriveStateGivesItsSeries) {
    struct Case {
        const char* name;
        std::function<void(DriveRecord&)> edit;
        std::string present;  // lines, or line starts ending in "{" or ",", one a line
        std::string absent;   // line starts, one a line
    };
    const Case cases[] = {
        {"a healthy drive", [](DriveRecord&) {},
         "tramsik_scrape_success 1\ntramsik_drive_health_status{drive=\"0\"} 0\n"
         "tramsik_drive_capacity_bytes{drive=\"0\"} 1073741824\n"
         "tramsik_drive_temperature_celsius{drive=\"0\"} 33\n"
         "tramsik_drive_power_on_seconds_total{drive=\"0\"} 5515200\n"
         "tramsik_drive_power_cycles_total{drive=\"0\"} 487\n"
         "tramsik_smart_attribute_threshold{drive=\"0\",id=\"05\",",
         "tramsik_nvme_"},
        {"an attribute below its threshold makes the drive bad",
         [](DriveRecord& d) { d.Attribute[0].CurrentValue = 9; },
         "tramsik_drive_health_status{drive=\"0\"} 3", ""},
        {"health data that could not be read",
         [](DriveRecord& d) {
             d.SmartDataValid = false;
             d.Temperature = -1000;
             d.PowerOnHours = -1;
         },
         "tramsik_drive_scrape_success{drive=\"0\"} 0\ntramsik_scrape_success 0\n"
         "tramsik_drive_health_status{drive=\"0\"} 1\n"
         "tramsik_drive_info{drive=\"0\",model=\"Orvel SSD\",",
         "tramsik_drive_temperature_celsius\ntramsik_drive_power_on_seconds_total\n"
         "tramsik_drive_power_cycles_total"},
        {"a drive without S.M.A.R.T. was read all the same",
         [](DriveRecord& d) {
             d.SmartSupported = d.SmartDataValid = false;
             d.AttributeCount = 0;
         },
         "tramsik_drive_scrape_success{drive=\"0\"} 1\ntramsik_scrape_success 1\n"
         "tramsik_drive_health_status{drive=\"0\"} 1",
         "tramsik_smart_attribute_"},
        {"no power cycle counter", [](DriveRecord& d) { d.Attribute[2].Id = 0x0D; },
         "tramsik_drive_temperature_celsius{drive=\"0\"} 33", "tramsik_drive_power_cycles_total"},
        {"a drive reached without a number is named by its place",
         [](DriveRecord& d) { d.Address.physicalDriveId = -1; },
         "tramsik_drive_info{drive=\"index:0\",", "tramsik_drive_info{drive=\"-1\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto drives = std::make_unique<DriveList>();
        auto drive = HealthyDrive();
        c.edit(*drive);
        drives->Append(*drive);
        const std::string lines =
            ExpositionText(DriveMetricFamilies({.drives = drives.get(), .names = &Names()}));
        for (const auto& [expected, count] : {std::pair{&c.present, 1}, {&c.absent, 0}}) {
            std::istringstream parts(*expected);
            for (std::string line; std::getline(parts, line);)
                EXPECT_EQ(Starting(lines, line), count) << line;
        }
    }
}

TEST(CliDriveMetrics, RepeatedAttributeIdsGiveOneSeriesAndNoInventoryNoDrives) {
    auto drives = std::make_unique<DriveList>();
    drives->Append(
        SataDrive(3, L"Orvel SSD", 512.0, {{.id = 0x09, .raw = 10}, {.id = 0x09, .raw = 20}}, {}));
    const std::string lines =
        ExpositionText(DriveMetricFamilies({.drives = drives.get(), .names = &Names()}));
    const std::string series = "tramsik_smart_attribute_raw{drive=\"3\",id=\"09\",";
    EXPECT_EQ(Starting(lines, series), 1);
    EXPECT_EQ(Starting(lines, series + "name=\"Power-On Hours\"} 10\n"), 1) << "the first row wins";

    // Without an inventory only the run's own series remain, and they say it failed.
    EXPECT_EQ(ExpositionText(DriveMetricFamilies({.seconds = 0.5})),
              "# HELP tramsik_scrape_success 1 when every drive found was read, 0 otherwise.\n"
              "# TYPE tramsik_scrape_success gauge\n"
              "tramsik_scrape_success 0\n"
              "# HELP tramsik_scrape_duration_seconds Time the run took to read the drives.\n"
              "# TYPE tramsik_scrape_duration_seconds gauge\n"
              "tramsik_scrape_duration_seconds 0.5\n");
}

}  // namespace

}  // namespace cli
