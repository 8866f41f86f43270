#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "disk/smart_data.h"
#include "disk/vendor.h"
#include "tests/disk/smart_page_builder.h"
#include "tests/support/log_watch.h"

namespace disk {

namespace {

DriveRecord Parsed(const AtaPage& page, int32_t vendor = VENDOR_NONE, int32_t variant = 0,
                   bool jmicron60x = false) {
    DriveRecord record;
    record.VendorId = vendor;
    record.VendorVariant = variant;
    record.IsJMicron60xOrIndilinx = jmicron60x;
    record.TimeUnitType = TIME_UNIT_HOURS;
    record.SmartReadData = page;
    FillSmartData(record);
    return record;
}

TEST(FillSmartData, SqueezesEmptySlotsAndKeepsEveryByte) {
    AtaPage page = DataPage({{.id = 0x01,
                              .current = 120,
                              .worst = 99,
                              .raw = 0x060504030201,
                              .reserved = 0x7E,
                              .statusFlags = 0x1234},
                             {.id = 0x00},
                             {.id = 0x05, .current = 7, .worst = 8, .raw = 0xAB}});
    DriveRecord record;
    record.SmartReadData = page;
    // An earlier, longer table must not survive behind the new count.
    record.Attribute[5].Id = 0xC2;
    ASSERT_TRUE(FillSmartData(record));
    ASSERT_EQ(record.AttributeCount, 2u);
    EXPECT_EQ(std::memcmp(&record.Attribute[0], page.data() + 2, 12), 0);
    EXPECT_EQ(std::memcmp(&record.Attribute[1], page.data() + 2 + 24, 12), 0);
    const SmartAttribute &first = record.Attribute[0], &second = record.Attribute[1];
    EXPECT_EQ(std::tuple(second.Id, second.CurrentValue, second.WorstValue, first.Reserved,
                         uint16_t{first.StatusFlags}, RawValue32(first), RawValue48(first)),
              std::tuple(0x05, 7, 8, 0x7E, 0x1234, 0x04030201u, 0x060504030201u));
    for (size_t i = 2; i < kSmartEntryCount; ++i)
        EXPECT_EQ(record.Attribute[i].Id, 0) << i;

    // Only the 30 entries count: the last slot is read, the bytes after it are not.
    AtaPage edges{};
    PutAttribute(edges, 29, {.id = 0xC2});
    edges[2 + 30 * 12] = 0x09;
    record.SmartReadData = edges;
    ASSERT_TRUE(FillSmartData(record));
    EXPECT_EQ(record.AttributeCount, 1u);
    EXPECT_EQ(record.Attribute[0].Id, 0xC2);

    // A page whose ids are all zero holds no attributes, whatever else is in it.
    AtaPage empty{};
    std::memset(empty.data() + 2, 0x55, 360);
    for (size_t slot = 0; slot < kSmartEntryCount; ++slot)
        empty[2 + slot * 12] = 0;
    record.SmartReadData = empty;
    EXPECT_FALSE(FillSmartData(record));
    EXPECT_EQ(record.AttributeCount, 0u);
}

TEST(FillSmartData, PowerOnTimeInEveryUnit) {
    // 7200 counts of each unit.
    const std::pair<int32_t, int32_t> cases[] = {{TIME_UNIT_UNKNOWN, 0},
                                                 {TIME_UNIT_HOURS, 7200},
                                                 {TIME_UNIT_MINUTES, 120},
                                                 {TIME_UNIT_HALF_MINUTES, 60},
                                                 {TIME_UNIT_SECONDS, 2},
                                                 {TIME_UNIT_TEN_MINUTES, 1200},
                                                 {TIME_UNIT_ADJUSTED_HOURS, 7200},
                                                 {7, 7200},
                                                 {-1, 7200}};
    for (const auto& [unit, hours] : cases)
        EXPECT_EQ(ConvertPowerOnTime(7200, unit), hours) << unit;
    // Seconds divide twice by 60, which truncates like one division by 3600.
    EXPECT_EQ(ConvertPowerOnTime(3599, TIME_UNIT_SECONDS), 0);
    EXPECT_EQ(ConvertPowerOnTime(7199, TIME_UNIT_SECONDS), 1);
}

TEST(FillSmartData, AdjustedHoursCounters) {
    const auto read = [](int32_t unit, uint64_t raw, const wchar_t* model) {
        DriveRecord record;
        record.TimeUnitType = unit;
        record.Model = model;
        record.SmartReadData = DataPage({{.id = 0x09, .raw = raw}});
        FillSmartData(record);
        return std::tuple(record.DetectedTimeUnitType, record.PowerOnRawValue, record.PowerOnHours,
                          record.DetectedPowerOnHours);
    };
    // Counters that start at 0xDA753: only the low three bytes count.
    EXPECT_EQ(read(TIME_UNIT_ADJUSTED_HOURS, 0x010DA753 + 100, L"INTEL SSDSC2CW120A3"),
              std::tuple(TIME_UNIT_ADJUSTED_HOURS, 100, 100, 100));
    // Below the start the drive has not counted yet.
    EXPECT_EQ(read(TIME_UNIT_ADJUSTED_HOURS, 0x1000, L"X"),
              std::tuple(TIME_UNIT_ADJUSTED_HOURS, 0, 0, 0));
    // An hours counter at the start is such a counter too; one below it is not.
    EXPECT_EQ(read(TIME_UNIT_HOURS, 0xDA000, L"X"), std::tuple(TIME_UNIT_ADJUSTED_HOURS, 0, 0, 0));
    EXPECT_EQ(read(TIME_UNIT_HOURS, 0xD9FFF, L"X"),
              std::tuple(TIME_UNIT_UNKNOWN, 0xD9FFF, 0xD9FFF, 0));
    // "Intel" models whatever their unit; the test is case-sensitive.
    EXPECT_EQ(read(TIME_UNIT_MINUTES, 0xDA753 + 600, L"Intel Raid 0 Volume"),
              std::tuple(TIME_UNIT_ADJUSTED_HOURS, 600, 10, 600));
    EXPECT_EQ(std::get<1>(read(TIME_UNIT_MINUTES, 0xDA753 + 600, L"INTEL SSDSA2M080G2GC")),
              0xDA753 + 600);
    EXPECT_EQ(std::get<1>(read(TIME_UNIT_MINUTES, 600, L"Intel Raid 0 Volume")), 600) << "below";
}

TEST(FillSmartData, IndilinxCountsInCurrentAndWorst) {
    DriveRecord record;
    record.VendorId = VENDOR_INDILINX;
    record.TimeUnitType = TIME_UNIT_ADJUSTED_HOURS;  // not applied to this counter
    record.SmartReadData = DataPage({{.id = 0x09, .current = 0x34, .worst = 0x12, .raw = 99},
                                     {.id = 0x0C, .current = 0x02, .worst = 0x01, .raw = 77}});
    ASSERT_TRUE(FillSmartData(record));
    EXPECT_EQ(std::tuple(record.PowerOnRawValue, record.PowerOnHours, record.DetectedTimeUnitType,
                         record.PowerOnCount),
              std::tuple(0x1234, 0x1234, TIME_UNIT_UNKNOWN, 0x0102));

    EXPECT_EQ(Parsed(DataPage({{.id = 0x0C, .raw = 0x0100000123}})).PowerOnCount, 0x123);
}

TEST(FillSmartData, Temperatures) {
    const auto temperature = [](std::initializer_list<AttributeSpec> attributes,
                                const wchar_t* model = L"X", double multiplier = 1.0) {
        DriveRecord record;
        record.Model = model;
        record.TemperatureMultiplier = multiplier;
        record.SmartReadData = DataPage(attributes);
        FillSmartData(record);
        return record.Temperature;
    };
    EXPECT_EQ(temperature({{.id = 0xC2, .raw = 0x0000140023}}), 0x23);
    EXPECT_EQ(temperature({{.id = 0xC2, .raw = 0x0000140000}}), -1000);  // byte 0 is 0: unchanged
    EXPECT_EQ(temperature({{.id = 0xC2, .raw = 99}}), 99);
    EXPECT_EQ(temperature({{.id = 0xC2, .raw = 100}}), -1000);
    // Airflow temperature counts from 1 to 99 only; a later 0xC2 wins.
    EXPECT_EQ(temperature({{.id = 0xBE, .raw = 41}}), 41);
    EXPECT_EQ(temperature({{.id = 0xBE, .raw = 100}}), -1000);
    EXPECT_EQ(temperature({{.id = 0xBE, .raw = 0}}), -1000);
    EXPECT_EQ(temperature({{.id = 0xBE, .raw = 41}, {.id = 0xC2, .raw = 38}}), 38);
    EXPECT_EQ(temperature({{.id = 0xBE, .raw = 41}, {.id = 0xC2, .raw = 0}}), 41);
    EXPECT_EQ(temperature({{.id = 0xC2, .raw = 38}, {.id = 0xBE, .raw = 41}}), 41);
    // Tenths of a degree, except a plain value of 70 or less.
    EXPECT_EQ(temperature({{.id = 0xC2, .raw = 0x012C}}, L"SAMSUNG SV0802N"), 30);
    EXPECT_EQ(temperature({{.id = 0xC2, .raw = 70}}, L"SAMSUNG SV0802N"), 70);
    EXPECT_EQ(temperature({{.id = 0xC2, .raw = 71}}, L"SAMSUNG SV0802N"), 7);
    EXPECT_EQ(temperature({{.id = 0xC2, .raw = 0x03E8}}, L"SAMSUNG SV0802N"), -1000);
    EXPECT_EQ(temperature({{.id = 0xC2, .raw = 0x012C}}, L"SAMSUNG SP0802N"), 0x2C);
    // A multiplier below one scales and truncates; one or more is ignored.
    EXPECT_EQ(temperature({{.id = 0xC2, .raw = 61}}, L"X", 0.5), 30);
    EXPECT_EQ(temperature({{.id = 0xC2, .raw = 61}}, L"X", 2.0), 61);
}

// One vendor reading: which field a drive of the vendor fills from the attribute.
struct ReadingCase {
    const char* name;
    int32_t vendor;
    int32_t variant;
    AttributeSpec attribute;
    int32_t DriveRecord::*field;
    int32_t expected;
    bool jmicron60x = false;
};

// One row per kind of reading, field and condition of the vendor table; the other rows are
// lookups of the same kind.
TEST(FillSmartData, VendorReadings) {
    using R = DriveRecord;
    constexpr uint64_t kGib = uint64_t{1} << 21, kRaw48Max = 0xFFFFFFFFFFFF;  // kGib in sectors
    const ReadingCase cases[] = {
        {"64 sf", VENDOR_SANDFORCE, 0, {.id = 0x64, .raw = 1234}, &R::GBytesErased, 1234},
        {"AA jm", VENDOR_JMICRON, 0, {.id = 0xAA, .current = 88}, &R::Life, 88},
        {"AA jm60x", VENDOR_JMICRON, 0, {.id = 0xAA, .current = 88}, &R::Life, -1, true},
        {"AD mi", VENDOR_MICRON, 0, {.id = 0xAD, .raw = 55}, &R::WearLevelingCount, 55},
        {"C6 oz", VENDOR_OCZ_VECTOR, 0, {.id = 0xC6, .raw = 700}, &R::HostReads, 700},
        {"E1 il", VENDOR_INTEL, 0, {.id = 0xE1, .raw = 3200}, &R::HostWrites, 100},
        {"E1 il signed", VENDOR_INTEL, 0, {.id = 0xE1, .raw = 0xFFFFFFC1}, &R::HostWrites, -1},
        {"E7 ki", VENDOR_KINGSTON, 3, {.id = 0xE7, .current = 83}, &R::Life, 83},
        {"E8 oz", VENDOR_OCZ, 0, {.id = 0xE8, .raw = 5 * kGib + 7}, &R::HostWrites, 5},
        {"E9 sd gb", VENDOR_SANDISK, 3, {.id = 0xE9, .raw = 900}, &R::NandWrites, 900},
        {"E9 sd", VENDOR_SANDISK, 0, {.id = 0xE9, .raw = 900}, &R::NandWrites, -1},
        {"F2 mi no reads", VENDOR_MICRON, 0, {.id = 0xF2, .raw = 5}, &R::HostReads, -1},
        {"F5 mi", VENDOR_MICRON, 0, {.id = 0xF5, .raw = 3 << 17}, &R::NandWrites, 3},
        {"F5 m2", VENDOR_MICRON_MU02, 0, {.id = 0xF5, .raw = 1024}, &R::NandWrites, 32},
        {"F9 ozv", VENDOR_OCZ_VECTOR, 0, {.id = 0xF9, .raw = 9 << 16}, &R::NandWrites, 9},
        {"F9 wide", VENDOR_OCZ_VECTOR, 0, {.id = 0xF9, .raw = kRaw48Max}, &R::NandWrites, INT_MAX},
        {"life over 100", VENDOR_SAMSUNG, 0, {.id = 0xB3, .current = 101}, &R::Life, -1},
        {"life 100", VENDOR_SAMSUNG, 0, {.id = 0xB3, .current = 100}, &R::Life, 100},
    };
    for (const ReadingCase& c : cases) {
        const DriveRecord record =
            Parsed(DataPage({c.attribute}), c.vendor, c.variant, c.jmicron60x);
        EXPECT_EQ(record.*c.field, c.expected) << c.name;
        // Another family reads nothing from the same attribute.
        EXPECT_EQ(Parsed(DataPage({c.attribute}), VENDOR_ST).*c.field, -1) << c.name;
    }
}

TEST(FillSmartData, HostTrafficSplitsByVendor) {
    constexpr uint64_t kRaw = (uint64_t{3} << 40) | 6400;  // 48-bit: 3 x 2^40 + 6400 sectors
    struct Case {
        int32_t vendor;
        int32_t variant;
        int32_t expected;
    };
    const Case cases[] = {
        {VENDOR_INTEL, 0, 200},    {VENDOR_SANDFORCE, 0, 6400}, {VENDOR_SAMSUNG, 0, 3 << 19},
        {VENDOR_SAMSUNG, 3, 6400}, {VENDOR_WDC, 0, 3 << 19},    {VENDOR_PLEXTOR, 0, 200},
        {VENDOR_NONE, 0, -1},      {VENDOR_MICRON, 0, -1},
    };
    const AtaPage page = DataPage(
        {{.id = 0xF1, .current = 50, .raw = kRaw}, {.id = 0xF2, .current = 101, .raw = kRaw}});
    for (const Case& c : cases) {
        const DriveRecord record = Parsed(page, c.vendor, c.variant);
        EXPECT_EQ(record.HostWrites, c.expected) << c.vendor << "/" << c.variant;
        EXPECT_EQ(record.HostReads, c.expected) << c.vendor << "/" << c.variant;
        EXPECT_EQ(record.Life, -1) << c.vendor;
    }
}

TEST(FillSmartThreshold, MatchesByIdAndPosition) {
    DriveRecord record = Parsed(DataPage({{.id = 0x01}, {.id = 0x05}, {.id = 0xC2}, {.id = 0x05}}));
    record.Threshold[3].ThresholdValue = 77;  // left from an earlier reading
    record.SmartReadThreshold = ThresholdPage({{0x05, 36}, {0x00, 9}, {0x01, 6}, {0xBB, 1}});
    record.SmartReadThreshold[2 + 5] = 0xEE;  // reserved bytes travel with the entry
    ASSERT_TRUE(FillSmartThreshold(record));
    const auto& t = record.Threshold;
    EXPECT_EQ(std::tuple(t[0].Id, t[0].ThresholdValue, t[1].ThresholdValue, t[1].Reserved[3],
                         t[2].Id, t[2].ThresholdValue, t[3].ThresholdValue),
              std::tuple(0x01, 6, 36, 0xEE, 0, 0, 36));

    // Nothing matches: no thresholds.
    record.SmartReadThreshold = ThresholdPage({{0xBB, 1}});
    EXPECT_FALSE(FillSmartThreshold(record));
    EXPECT_EQ(record.Threshold[1].ThresholdValue, 0);
}

TEST(FillSmartThreshold, MicronTakesThresholdsFromTheVendorByte) {
    const AtaPage data = DataPage(
        {{.id = 0x01, .reserved = 50}, {.id = 0x05, .reserved = 0}, {.id = 0xCA, .reserved = 10}});
    DriveRecord micron = Parsed(data, VENDOR_MICRON);
    micron.SmartReadThreshold = ThresholdPage({});
    ASSERT_TRUE(FillSmartThreshold(micron));
    const auto& t = micron.Threshold;
    EXPECT_EQ(std::tuple(t[0].Id, t[0].ThresholdValue, t[1].Id, t[2].Id, t[2].ThresholdValue),
              std::tuple(0x01, 50, 0, 0xCA, 10));

    // A page that matches wins over the vendor bytes.
    micron.SmartReadThreshold = ThresholdPage({{0x05, 3}});
    ASSERT_TRUE(FillSmartThreshold(micron));
    EXPECT_EQ(std::tuple(t[0].ThresholdValue, t[1].ThresholdValue), std::tuple(0, 3));

    // Only Micron does this.
    DriveRecord other = Parsed(data, VENDOR_MICRON_MU02);
    other.SmartReadThreshold = ThresholdPage({});
    EXPECT_FALSE(FillSmartThreshold(other));
}

TEST(CheckSmartAttributeCorrect, ComparesIdsUpToTheFirstCount) {
    const DriveRecord first = Parsed(IdPage({0x01, 0x05, 0x09}));
    EXPECT_TRUE(CheckSmartAttributeCorrect(first, Parsed(IdPage({0x01, 0x05, 0x09}))));
    EXPECT_TRUE(CheckSmartAttributeCorrect(first, Parsed(IdPage({0x01, 0x05, 0x09, 0xC2}))));
    LogWatch log;
    EXPECT_FALSE(CheckSmartAttributeCorrect(first, Parsed(IdPage({0x01, 0x09, 0x05}))));
    EXPECT_EQ(log.Messages(),
              std::vector<std::string>{"asi1->Attribute[i].Id != asi2->Attribute[i].Id"});
}

}  // namespace

}  // namespace disk
