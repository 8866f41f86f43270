#include <gtest/gtest.h>

#include "disk/drive_codes.h"
#include "disk/time_unit.h"

namespace disk {

namespace {

constexpr int32_t kUdma133 = TRANSFER_MODE_UDMA_133;
constexpr int32_t kSata300 = TRANSFER_MODE_SATA_300;

int32_t Unit(std::wstring_view model, std::wstring_view firmware = L"1.0", int32_t major = 8,
             int32_t mode = kUdma133) {
    return GetTimeUnitType(model, firmware, major, mode);
}

}  // namespace

// Models are compared upper-cased: the lower-case rows below stand for every rule.
TEST(TimeUnit, SecondsAndMinutesOfOlderMakers) {
    EXPECT_EQ(Unit(L"FUJITSU DISK A", L"0", 7), TIME_UNIT_SECONDS);
    EXPECT_EQ(Unit(L"FUJITSU DISK B", L"0", 8), TIME_UNIT_HOURS);
    EXPECT_EQ(Unit(L"HITACHI_DK0 TEST"), TIME_UNIT_MINUTES);
    // The maker must lead the model.
    EXPECT_EQ(Unit(L" FUJITSU", L"0", 7), TIME_UNIT_HOURS);
    EXPECT_EQ(Unit(L"HITACHI DISK"), TIME_UNIT_HOURS);
}

TEST(TimeUnit, MaxtorCountsMinutesExceptOnNewerLines) {
    EXPECT_EQ(Unit(L"Maxtor 6Y0 test", L"1", 6, TRANSFER_MODE_SATA_150), TIME_UNIT_MINUTES);
    EXPECT_EQ(Unit(L"MAXTOR 6Y0 TEST", L"1", 6, kSata300), TIME_UNIT_HOURS);
    EXPECT_EQ(Unit(L"Maxtor 7H500 test", L"1", 6, kUdma133), TIME_UNIT_HOURS);
    EXPECT_EQ(Unit(L"MAXTOR 7H2 TEST", L"1", 6, kUdma133), TIME_UNIT_MINUTES);
    // The SATA/150-unknown code 0 is below every SATA generation too.
    EXPECT_EQ(Unit(L"MAXTOR TEST", L"1", 8, TRANSFER_MODE_SATA_UNKNOWN), TIME_UNIT_MINUTES);
}

TEST(TimeUnit, SamsungByModeRevisionAndLine) {
    EXPECT_EQ(Unit(L"SAMSUNG HD204UI", L"1AQ10003", 8, kUdma133), TIME_UNIT_HOURS);
    // Revisions whose last three characters read as -39 to -23 count half-minutes.
    EXPECT_EQ(Unit(L"SAMSUNG HD TEST", L"QU100-23", 6, kUdma133), TIME_UNIT_HALF_MINUTES);
    EXPECT_EQ(Unit(L"SAMSUNG HD TEST", L"WU100-39", 6, kUdma133), TIME_UNIT_HALF_MINUTES);
    EXPECT_EQ(Unit(L"SAMSUNG HD TEST", L"WU100-40", 6, kUdma133), TIME_UNIT_HOURS);
    EXPECT_EQ(Unit(L"SAMSUNG HD TEST", L"WU100-22", 6, kUdma133), TIME_UNIT_HOURS);
    EXPECT_EQ(Unit(L"SAMSUNG HD TEST", L"-30", 6, kUdma133), TIME_UNIT_HALF_MINUTES);
    // A revision shorter than three characters is read whole.
    EXPECT_EQ(Unit(L"SAMSUNG HD TEST", L"-9", 6, kUdma133), TIME_UNIT_HOURS);
    EXPECT_EQ(Unit(L"SAMSUNG HD TEST", L"-30", 6, kSata300), TIME_UNIT_HOURS);
    EXPECT_EQ(Unit(L"Samsung HM test", L"1.0", 6, kUdma133), TIME_UNIT_HALF_MINUTES);
    EXPECT_EQ(Unit(L"SAMSUNG SP TEST", L"1.0", 6, kSata300), TIME_UNIT_HOURS);
    EXPECT_EQ(Unit(L"SAMSUNG SSD TEST", L"TEST01", 9, TRANSFER_MODE_SATA_150), TIME_UNIT_HOURS);
}

TEST(TimeUnit, TenMinuteUnitsOfEarlySsdFirmware) {
    EXPECT_EQ(Unit(L"CFD_CSSD-S6TM128NMPQ", L"VM21"), TIME_UNIT_TEN_MINUTES);
    EXPECT_EQ(Unit(L"CFD_CSSD-S6TM256NMPQ", L"VN21X"), TIME_UNIT_TEN_MINUTES);
    // The revision test is on the firmware as it is: case matters there.
    EXPECT_EQ(Unit(L"CFD_CSSD-S6TM128NMPQ", L"vm21"), TIME_UNIT_HOURS);
    EXPECT_EQ(Unit(L"CFD_CSSD-S6TM128NMPQ", L"VM22"), TIME_UNIT_HOURS);

    EXPECT_EQ(Unit(L"DRIVE PX-128M2P", L"1.05"), TIME_UNIT_TEN_MINUTES);
    EXPECT_EQ(Unit(L"DRIVE PX-128M2P", L"1.059"), TIME_UNIT_HOURS);
    // A revision that is no number reads as 0, which is below 1.059.
    EXPECT_EQ(Unit(L"x px-128m2p", L"ABC"), TIME_UNIT_TEN_MINUTES);

    EXPECT_EQ(Unit(L"Corsair Performance Pro", L"1.0"), TIME_UNIT_TEN_MINUTES);
    EXPECT_EQ(Unit(L"corsair performance pro", L"1.059"), TIME_UNIT_HOURS);
    EXPECT_EQ(Unit(L"Corsair Performance 3", L"1.0"), TIME_UNIT_HOURS);
}

TEST(TimeUnit, AdjustedHoursOfSomeIntelRevisions) {
    EXPECT_EQ(Unit(L"INTEL SSDSC2CW1", L"400i"), TIME_UNIT_HOURS);
    EXPECT_EQ(Unit(L"INTEL SSDSC2CW1", L"4A3"), TIME_UNIT_ADJUSTED_HOURS);
    EXPECT_EQ(Unit(L"Intel SSDSC2BW2", L"A3A3"), TIME_UNIT_ADJUSTED_HOURS);
    // "A3" must come after the first character, and in upper case.
    EXPECT_EQ(Unit(L"INTEL SSDSC2CT0", L"A300"), TIME_UNIT_HOURS);
    EXPECT_EQ(Unit(L"INTEL SSDSC2CT0", L"1a3"), TIME_UNIT_HOURS);
    EXPECT_EQ(Unit(L"INTEL SSDSA2CW1", L"4A3"), TIME_UNIT_HOURS);
}

TEST(TimeUnit, FirstDecidingRuleWins) {
    // A model matching no rule, or only the model half of a later rule, counts hours.
    EXPECT_EQ(Unit(L"GENERIC HDD", L"1.0"), TIME_UNIT_HOURS);
    EXPECT_EQ(Unit(L""), TIME_UNIT_HOURS);
    // The maker rules decide before the model-and-firmware ones.
    EXPECT_EQ(Unit(L"MAXTOR PX-128M2P", L"1.0", 6, kUdma133), TIME_UNIT_MINUTES);
    EXPECT_EQ(Unit(L"SAMSUNG PX-128M2P", L"1.0", 6, kSata300), TIME_UNIT_HOURS);
}

TEST(TimeUnit, UpperCasingTouchesOnlyAsciiLetters) {
    EXPECT_EQ(ToAsciiUpper(L"abz-09 \u00e9\u00ff"), L"ABZ-09 \u00e9\u00ff");
}

}  // namespace disk
