#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "disk/smart_data.h"
#include "disk/smart_reading.h"
#include "disk/vendor.h"
#include "tests/disk/smart_page_builder.h"
#include "tests/support/log_watch.h"

namespace disk {

namespace {

// A route that answers with scripted pages: each data read takes the next entry of its
// script, and an empty entry (or an exhausted script) is a failed read.
class ScriptedRoute : public transport::AtaRoute {
  public:
    std::deque<std::optional<AtaPage>> dataPages;
    std::optional<AtaPage> thresholdPage;
    bool enableAnswers = false;

    int identifyCalls = 0, dataCalls = 0, thresholdCalls = 0, enableCalls = 0;

    bool IdentifyDevice(transport::AtaBuffer) override {
        ++identifyCalls;
        return false;
    }
    bool ReadSmartData(transport::AtaBuffer page) override {
        ++dataCalls;
        if (dataPages.empty()) return false;
        const std::optional<AtaPage> next = dataPages.front();
        dataPages.pop_front();
        if (!next) return false;
        std::ranges::copy(*next, page.begin());
        return true;
    }
    bool ReadSmartThresholds(transport::AtaBuffer page) override {
        ++thresholdCalls;
        if (!thresholdPage) return false;
        std::ranges::copy(*thresholdPage, page.begin());
        return true;
    }
    bool EnableSmartOperations() override {
        ++enableCalls;
        return enableAnswers;
    }
};

const AtaPage kSamsungData = DataPage({{.id = 0x09, .raw = 1000},
                                       {.id = 0x0C, .raw = 42},
                                       {.id = 0xB2},
                                       {.id = 0xB3, .current = 99},
                                       {.id = 0xB4, .current = 98},
                                       {.id = 0xC2, .raw = 35}});
const AtaPage kSamsungShuffled = DataPage({{.id = 0x0C, .raw = 42},
                                           {.id = 0x09, .raw = 1000},
                                           {.id = 0xB2},
                                           {.id = 0xB3, .current = 99},
                                           {.id = 0xB4, .current = 98},
                                           {.id = 0xC2, .raw = 35}});
const AtaPage kSamsungThresholds = ThresholdPage({{0xB3, 10}, {0xB4, 10}, {0xC2, 0}});

using Lines = std::vector<std::string>;

// The route's identify, data, threshold and enable calls.
std::tuple<int, int, int, int> Calls(const ScriptedRoute& route) {
    return {route.identifyCalls, route.dataCalls, route.thresholdCalls, route.enableCalls};
}
// Life, power-on hours, power-on count and temperature.
std::tuple<int32_t, int32_t, int32_t, int32_t> Derived(const DriveRecord& record) {
    return {record.Life, record.PowerOnHours, record.PowerOnCount, record.Temperature};
}

// A route answering data reads with `pages` in turn, thresholds with `thresholds`, and the enable
// command as `enable` says; the reading of drive `number` through it, and the lines it logged.
struct Reading {
    ScriptedRoute route;
    DriveRecord record;
    Lines log;
};
Reading Read(std::deque<std::optional<AtaPage>> pages, bool enable, int32_t number = 0,
             std::optional<AtaPage> thresholds = kSamsungThresholds,
             const wchar_t* model = L"SAMSUNG SSD 840") {
    Reading reading{.route = {}, .record = {}, .log = {}};
    reading.record.Address.physicalDriveId = number;
    reading.record.CommandType = CommandType::CMD_TYPE_PHYSICAL_DRIVE;
    reading.record.Model = model;
    reading.record.TimeUnitType = TIME_UNIT_HOURS;
    reading.route.dataPages = std::move(pages);
    reading.route.thresholdPage = std::move(thresholds);
    reading.route.enableAnswers = enable;
    LogWatch watch;
    ReadSmartPhysicalDrive(reading.route, reading.record);
    reading.log = watch.Messages();
    return reading;
}

TEST(SmartReading, ConfirmedOnTheFirstPass) {
    const Reading r = Read({kSamsungData, kSamsungData}, false, 3);
    EXPECT_EQ(r.log, Lines{"GetSmartAttributePd(3) - 1"});
    EXPECT_EQ(Calls(r.route), std::tuple(0, 2, 1, 0));
    EXPECT_EQ(SmartFlags(r.record), std::tuple(true, true, true));
    EXPECT_EQ(r.record.SmartReadThreshold, kSamsungThresholds);
    EXPECT_EQ(std::tuple(r.record.AttributeCount, r.record.Threshold[3].ThresholdValue),
              std::tuple(6u, 10));
    EXPECT_EQ(Derived(r.record), std::tuple(98, 1000, 42, 35));
}

TEST(SmartReading, DisagreeingReadsEnableAndRetry) {
    // Another order on the check read: unconfirmed, so SMART is enabled and read again.
    Reading r = Read({kSamsungData, kSamsungShuffled, kSamsungData, kSamsungData}, true, 1);
    EXPECT_EQ(r.log,
              (Lines{"GetSmartAttributePd(1) - 1", "asi1->Attribute[i].Id != asi2->Attribute[i].Id",
                     "GetSmartAttributePd(1) - 2"}));
    EXPECT_EQ(Calls(r.route), std::tuple(0, 4, 2, 1));
    EXPECT_EQ(SmartFlags(r.record), std::tuple(true, true, true));

    // The drive refuses the enable: the first table stays, unconfirmed, and the values only a
    // confirmed reading gives are unknown.
    r = Read({kSamsungData, kSamsungShuffled}, false, 1);
    EXPECT_EQ(Calls(r.route), std::tuple(0, 2, 1, 1));
    EXPECT_EQ(SmartFlags(r.record), std::tuple(true, false, true));
    EXPECT_EQ(std::tuple(r.record.AttributeCount, r.record.Attribute[0].Id), std::tuple(6u, 0x09));
    EXPECT_EQ(Derived(r.record), std::tuple(98, -1, 0, -1000));

    // A check read with fewer entries, then a failing one: each retry gets a fresh check,
    // so nothing is confirmed.
    r = Read({kSamsungData, IdPage({0x09}), kSamsungData, std::nullopt}, true, 2);
    EXPECT_EQ(
        r.log,
        (Lines{"GetSmartAttributePd(2) - 1", "asi1->AttributeCount != asi2->AttributeCount",
               "GetSmartAttributePd(2) - 2", "asi1->AttributeCount != asi2->AttributeCount"}));
    EXPECT_EQ(SmartFlags(r.record), std::tuple(true, false, true));
}

TEST(SmartReading, FailedFirstReads) {
    // No answer at first; enabled, the drive answers.
    Reading r = Read({std::nullopt, kSamsungData, kSamsungData}, true);
    EXPECT_EQ(r.log, (Lines{"GetSmartAttributePd(0) - 1", "GetSmartAttributePd(0) - 2"}));
    EXPECT_EQ(r.route.dataCalls, 3);
    EXPECT_EQ(SmartFlags(r.record), std::tuple(true, true, true));

    // A page whose ids are all zero counts as a failed read, and so does the retry.
    r = Read({AtaPage{}, AtaPage{}}, true);
    EXPECT_EQ(Calls(r.route), std::tuple(0, 2, 0, 1));  // no check read after a failed one
    EXPECT_EQ(SmartFlags(r.record), std::tuple(false, false, false));

    // Nothing answers, not even the enable.
    r = Read({}, false, 0, std::nullopt);
    EXPECT_EQ(Calls(r.route), std::tuple(0, 1, 0, 1));
    EXPECT_FALSE(r.record.SmartSupported);
}

TEST(SmartReading, DataEqualToThresholdsIsNoSmart) {
    // A driver that answers every SMART read with one page.
    const AtaPage same = DataPage({{.id = 0x01, .current = 100}, {.id = 0x05, .current = 100}});
    Reading r = Read({same, same}, false, 4, same, L"X");
    EXPECT_EQ(r.log,
              (Lines{"GetSmartAttributePd(4) - 1", "asi.SmartReadData == asi.SmartReadThreshold"}));
    EXPECT_EQ(SmartFlags(r.record), std::tuple(false, false, false));

    // Indilinx drives do send such pages.
    const AtaPage indilinx = IdPage({0x01, 0x09, 0x0C, 0xB8, 0xC3, 0xC4});
    r = Read({indilinx, indilinx}, false, 4, indilinx, L"X");
    EXPECT_EQ(r.record.VendorId, VENDOR_INDILINX);
    EXPECT_EQ(SmartFlags(r.record), std::tuple(true, true, true));
}

TEST(SmartReading, FinishFlagsQuirksAndAdjustsIntelHours) {
    struct Quirk {
        const wchar_t* model;
        const wchar_t* firmware;
        int32_t vendor;
        bool quirk;
    };
    const Quirk quirks[] = {
        {L"OCZ-VERTEX3", L"2.02", VENDOR_SANDFORCE, true},
        {L"OCZ-VERTEX3", L"2.02", VENDOR_OCZ_VECTOR, false},
        {L"OCZ-VERTEX3", L"2.15", VENDOR_SANDFORCE, false},
        {L"SSD G2 Series 64GB", L"3.6.5b", VENDOR_SAMSUNG, true},
        {L"SSD G2 Series", L"3.6.4", VENDOR_NONE, false},
    };
    for (const Quirk& q : quirks) {
        DriveRecord record;
        record.Model = q.model;
        record.FirmwareRev = q.firmware;
        record.VendorId = q.vendor;
        FinishSmartReading(record);
        EXPECT_EQ(record.IsFirmwareQuirk, q.quirk) << q.model << " " << q.firmware;
    }

    const auto finished = [](const wchar_t* model, int32_t detected) {
        DriveRecord record;
        record.Model = model;
        record.SmartDataValid = true;
        record.PowerOnRawValue = detected;
        record.PowerOnHours = detected / 60;
        record.DetectedPowerOnHours = detected;
        FinishSmartReading(record);
        return record;
    };
    DriveRecord intel = finished(L"Intel SSD", kPowerOnHoursOffset + 25);
    EXPECT_EQ(intel.PowerOnRawValue, 25);
    EXPECT_EQ(intel.DetectedPowerOnHours, 25);
    EXPECT_EQ(intel.PowerOnHours, (kPowerOnHoursOffset + 25) / 60 - kPowerOnHoursOffset);
    EXPECT_EQ(finished(L"Intel SSD", kPowerOnHoursOffset).DetectedPowerOnHours,
              kPowerOnHoursOffset);
    EXPECT_EQ(finished(L"INTEL SSD", kPowerOnHoursOffset + 25).DetectedPowerOnHours,
              kPowerOnHoursOffset + 25);
}

}  // namespace

}  // namespace disk
