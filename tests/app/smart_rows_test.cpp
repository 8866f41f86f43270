#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>

#include "app/pages/smart_rows.h"
#include "base/ui_text.h"
#include "disk/smart_data.h"
#include "disk/vendor.h"
#include "tests/disk/smart_page_builder.h"

namespace app {

using disk::AttributeNameTables;
using disk::DriveRecord;
using disk::InterfaceType;

namespace {

const AttributeNameTables& Names() {
    static const AttributeNameTables names = [] {
        AttributeNameTables built;
        built.BuildAttributeNameTables();
        return built;
    }();
    return names;
}

// A confirmed reading of the attributes with the thresholds, for a drive of the vendor.
DriveRecord Drive(int32_t vendor, bool ssd, std::initializer_list<AttributeSpec> attributes,
                  std::initializer_list<std::pair<uint8_t, uint8_t>> thresholds = {}) {
    DriveRecord record;
    record.VendorId = vendor;
    record.IsSsd = ssd;
    record.SmartKeyName = ssd ? L"SmartSsd" : L"Smart";
    record.SmartReadData = DataPage(attributes);
    FillSmartData(record);
    record.SmartReadThreshold = ThresholdPage(thresholds);
    FillSmartThreshold(record);
    record.SmartDataValid = true;
    record.SmartThresholdValid = true;
    return record;
}

std::wstring Status(const DriveRecord& record, size_t row = 0) {
    return GetUiText(SmartStatusOf(record, row));
}

TEST(SmartRows, ColumnsOfAnOrdinaryDrive) {
    DriveRecord hdd =
        Drive(disk::VENDOR_NONE, false,
              {{.id = 0x05, .current = 100, .worst = 99, .raw = 0x0A0B0C0D0E0F, .reserved = 0x77},
               {.id = 0xC2, .current = 36, .worst = 55, .raw = 0x24}},
              {{0x05, 36}});
    const SmartTable table = BuildSmartTable(hdd, Names());
    ASSERT_EQ(table.Rows.size(), 2u);
    EXPECT_EQ(table.Rows[0], (SmartRowTexts{L"05", L"Reallocated Sectors Count", L"100", L"99",
                                            L"36", L"0A0B0C0D0E0F", L"OK"}));
    EXPECT_EQ(table.Rows[1],
              (SmartRowTexts{L"C2", L"Temperature", L"36", L"55", L"0", L"000000000024", L"OK"}));

    // Without thresholds the column is hidden and nothing can be judged.
    hdd.SmartThresholdValid = false;
    const SmartTable unread = BuildSmartTable(hdd, Names());
    EXPECT_EQ(unread.Rows[0][4], L"---");
    EXPECT_EQ(unread.Rows[0][6], L"Unknow");

    // Nothing parsed: no rows.
    EXPECT_TRUE(BuildSmartTable(DriveRecord{}, Names()).Rows.empty());
}

TEST(SmartRows, ColumnsByKindOfDrive) {
    const AttributeSpec attribute{
        .id = 0x01, .current = 0x64, .worst = 0x5A, .raw = 0x112233445566, .reserved = 0xAB};
    const struct {
        int32_t vendor;
        bool jmicron60xOrIndilinx, nvme, thresholdsRead;
        const wchar_t* columns;  // current, worst, threshold and raw
    } cases[] = {
        {disk::VENDOR_SANDFORCE, false, false, true, L"100 90 6 AB112233445566"},
        {disk::VENDOR_JMICRON, true, false, true, L"100 --- --- AB1122334455665A"},
        // The 61x controllers show their values like any drive.
        {disk::VENDOR_JMICRON, false, false, true, L"100 90 6 112233445566"},
        {disk::VENDOR_INDILINX, true, false, true, L"--- --- --- 1122334455665A64"},
        {disk::VENDOR_NVME, false, true, true, L"--- --- --- AB112233445566"},
    };
    for (const auto& c : cases) {
        DriveRecord drive = Drive(c.vendor, true, {attribute}, {{0x01, 6}});
        drive.IsJMicron60xOrIndilinx = c.jmicron60xOrIndilinx;
        if (c.nvme) drive.InterfaceType = InterfaceType::INTERFACE_TYPE_NVME;
        drive.SmartThresholdValid = c.thresholdsRead;
        const SmartRowTexts row = BuildSmartTable(drive, Names()).Rows[0];
        EXPECT_EQ(row[2] + L" " + row[3] + L" " + row[4] + L" " + row[5], c.columns) << c.vendor;
    }

    // Rows of id 0 and 0xFF are there but empty.
    DriveRecord gaps = Drive(disk::VENDOR_NONE, false, {{.id = 0xFF}, {.id = 0x09, .raw = 5}});
    gaps.Attribute[2].Id = 0;
    gaps.AttributeCount = 3;
    const SmartTable table = BuildSmartTable(gaps, Names());
    ASSERT_EQ(table.Rows.size(), 3u);
    EXPECT_EQ(table.Rows[0], SmartRowTexts{});
    EXPECT_EQ(table.Rows[1][0], L"09");
    EXPECT_EQ(table.Rows[2], SmartRowTexts{});
}

TEST(SmartRows, StatusRules) {
    using namespace disk;
    // A caution limit applies to the counters 05, C5 and C6 of a hard disk and to the life
    // attribute of a family; JMicron 60x marks the controllers that read neither.
    const struct {
        int32_t vendor;
        bool ssd;
        uint8_t id, current;
        uint64_t raw;
        uint8_t threshold;
        uint16_t limit;
        bool jmicron60x;
        const wchar_t* status;
    } cases[] = {
        {VENDOR_NONE, false, 0x05, 100, 0xFF, 36, 0, false, L"OK"},
        {VENDOR_NONE, false, 0x05, 100, 0xFF, 36, 1, false, L"CAUTION"},
        {VENDOR_NONE, false, 0x05, 100, 0xFF, 36, 0x100, false, L"OK"},
        {VENDOR_NONE, false, 0x05, 35, 0xFF, 36, 0x100, false, L"Bad"},
        {VENDOR_NONE, false, 0xC5, 100, 0x0102, 0, 0x0102, false, L"CAUTION"},
        {VENDOR_NONE, false, 0xC6, 100, 0, 0, 1, false, L"OK"},
        // On an SSD the same counter goes by its threshold only.
        {VENDOR_NONE, true, 0x05, 100, 0xFF, 10, 1, false, L"OK"},
        // Temperature and 0xB8 are never judged.
        {VENDOR_NONE, true, 0xC2, 1, 0, 50, 0, false, L"OK"},
        {VENDOR_NONE, true, 0xB8, 1, 0, 50, 0, false, L"OK"},
        // The family's life attribute; another family reads the same id by its threshold.
        {VENDOR_SAMSUNG, true, 0xB3, 5, 0, 10, 0, false, L"Bad"},
        {VENDOR_SAMSUNG, true, 0xB3, 5, 0, 0, 10, false, L"CAUTION"},
        {VENDOR_SAMSUNG, true, 0xB3, 5, 0, 0, 4, false, L"OK"},
        {VENDOR_SAMSUNG, true, 0xB3, 0, 0, 0, 4, false, L"Bad"},
        {VENDOR_JMICRON, true, 0xAA, 0, 0, 0, 0, false, L"Bad"},
        {VENDOR_JMICRON, true, 0xAA, 0, 0, 0, 0, true, L"OK"},
        // SandForce's error rate reads all zeros while unused.
        {VENDOR_SANDFORCE, true, 0x01, 0, 0, 6, 0, false, L"OK"},
        {VENDOR_SANDFORCE, true, 0x01, 0, 0x100, 6, 0, false, L"Bad"},
        {VENDOR_SANDFORCE, true, 0x01, 6, 0x100, 6, 0, false, L"OK"},
        // Vendor counters of a hard disk or a JMicron 60x are not judged; standard ones are.
        {VENDOR_NONE, false, 0xB5, 1, 0, 50, 0, false, L"OK"},
        {VENDOR_NONE, false, 0x0D, 1, 0, 50, 0, false, L"Bad"},
        {VENDOR_NONE, false, 0x0E, 1, 0, 50, 0, false, L"OK"},
        {VENDOR_JMICRON, true, 0xE5, 1, 0, 50, 0, true, L"OK"},
        // An SSD's vendor attribute goes by its threshold.
        {VENDOR_NONE, true, 0xF5, 100, 0, 0, 0, false, L"OK"},
        {VENDOR_NONE, true, 0xF5, 5, 0, 10, 0, false, L"Bad"},
        {VENDOR_NONE, true, 0xF5, 10, 0, 10, 0, false, L"OK"},
    };
    for (const auto& c : cases) {
        DriveRecord drive =
            Drive(c.vendor, c.ssd, {{.id = c.id, .current = c.current, .raw = c.raw}},
                  {{c.id, c.threshold}});
        drive.CautionLimit05 = drive.CautionLimitC5 = drive.CautionLimitC6 = c.limit;
        drive.LifeCautionLimit = c.limit;
        drive.IsJMicron60xOrIndilinx = c.jmicron60x;
        EXPECT_EQ(Status(drive), c.status)
            << c.vendor << " " << int{c.id} << " at " << int{c.current};
    }

    // An unconfirmed reading or a known firmware fault is never judged.
    DriveRecord failing = Drive(VENDOR_NONE, true, {{.id = 0xF5, .current = 5}}, {{0xF5, 10}});
    failing.SmartDataValid = false;
    EXPECT_EQ(Status(failing), L"Unknow");
    failing.SmartDataValid = true;
    failing.IsFirmwareQuirk = true;
    EXPECT_EQ(Status(failing), L"Unknow");
}

TEST(SmartRows, PowerOnTextsFromTheRawColumns) {
    DriveRecord drive = Drive(disk::VENDOR_NONE, false,
                              {{.id = 0x09, .raw = 0x04D2}, {.id = 0x0C, .raw = 0x0100000000FF}});
    SmartTable table = BuildSmartTable(drive, Names());
    EXPECT_EQ(table.PowerOnTimeText, L"1234");
    EXPECT_EQ(table.PowerOnCountText, L"1099511628031");

    // The raw column as shown is what is read back, vendor bytes included.
    DriveRecord indilinx =
        Drive(disk::VENDOR_INDILINX, true,
              {{.id = 0x09, .current = 0xFF, .worst = 0xFF, .raw = 0xFFFFFFFFFFFF}});
    table = BuildSmartTable(indilinx, Names());
    EXPECT_EQ(table.Rows[0][5], L"FFFFFFFFFFFFFFFF");
    EXPECT_EQ(table.PowerOnTimeText, L"18446744073709551615");
    EXPECT_EQ(table.PowerOnCountText, L"") << "no attribute 0C";
}

}  // namespace

}  // namespace app
