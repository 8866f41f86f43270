#include <gtest/gtest.h>

#include "disk/identify.h"
#include "disk/identify_page.h"
#include "identify_builder.h"
#include "tests/support/log_watch.h"

namespace disk {

using enum CommandType;
using enum InterfaceType;

namespace {

// Major version words: the highest set bit is the standard.
constexpr uint16_t kAta6 = 0x007E;
constexpr uint16_t kAtaAtapi7 = 0x00FE;
constexpr uint16_t kAcs3 = 0x07F0;
// Word 83 bits: APM, AAM, 48-bit addressing.
constexpr uint16_t kApm = 1 << 3, kAam = 1 << 9, kLba48 = 1 << 10;

struct Identified {
    IdentifyOutcome outcome;
    DriveRecord record;
};

Identified Identify(const IdentifyBuilder& builder,
                    CommandType commandType = CMD_TYPE_PHYSICAL_DRIVE,
                    uint8_t target = TARGET_FIRST_DEVICE) {
    Identified result{IdentifyOutcome::Usable, DriveRecord{}};
    result.outcome = IdentifyDrive(builder.Page(), commandType, target, result.record);
    return result;
}

// A drive with the sizes of the worked examples: a full CHS geometry, 48-bit addressing.
IdentifyBuilder SizedDrive(uint32_t lba28, uint64_t lba48) {
    IdentifyBuilder builder = IdentifyBuilder::Minimal();
    builder.Word(80, kAcs3)
        .Word(83, kLba48)
        .DoubleWord(60, lba28)
        .DoubleWord(100, static_cast<uint32_t>(lba48))
        .Word(102, static_cast<uint16_t>(lba48 >> 32));
    return builder;
}

// The three texts, each as read and pair-swapped.
auto Texts(const DriveRecord& r) {
    return std::tuple(r.Model, r.ModelReverse, r.SerialNumber, r.SerialNumberReverse, r.FirmwareRev,
                      r.FirmwareRevReverse);
}

}  // namespace

TEST(Identify, StringsInAtaOrderAndAsStored) {
    IdentifyBuilder builder = IdentifyBuilder::Minimal();
    builder.AtaText(kModelField, "  TEST SSD 240GB").AtaText(kSerialNumberField, "SN123");
    const Identified ata = Identify(builder);
    ASSERT_EQ(ata.outcome, IdentifyOutcome::Usable);
    EXPECT_EQ(Texts(ata.record), std::tuple(L"TEST SSD 240GB", L"ETTSS DS2 04BG", L"SN123",
                                            L"NS21 3", L"1.0", L".1 0"));
    EXPECT_EQ(ata.record.ModelSerial, L"TEST SSD 240GBSN123");

    // A bridge that already put the pairs in reading order gives the opposite.
    builder.StoredText(kModelField, "TEST SSD").StoredText(kFirmwareRevField, "FW01");
    const Identified stored = Identify(builder);
    ASSERT_EQ(stored.outcome, IdentifyOutcome::Usable);
    EXPECT_EQ(Texts(stored.record),
              std::tuple(L"ETTSS DS", L"TEST SSD", L"SN123", L"NS21 3", L"WF10", L"FW01"));
    EXPECT_EQ(stored.record.IdentifyDevice, builder.Page());
}

TEST(Identify, ControlBytesBecomeOneBlank) {
    // 0x0D at byte 60 and 0x0A at byte 61 of the model field: only the first is repaired.
    IdentifyBuilder builder = IdentifyBuilder::Minimal();
    builder.AtaText(kModelField, "ABCDEFGHIJKLMNOP").Byte(60, 0x0D).Byte(61, 0x0A);
    const Identified result = Identify(builder);
    ASSERT_EQ(result.outcome, IdentifyOutcome::Usable);
    // Bytes 54-59 hold BA DC FE; 60-61 the pair that reads "\n " once swapped.
    EXPECT_EQ(std::tuple(result.record.ModelReverse, result.record.Model,
                         result.record.IdentifyDevice[60], result.record.IsGeometryOutOfRange),
              std::tuple(L"BADCFE \nJILKNMPO", L"ABCDEF\n IJKLMNOP", 0x0D, false));
}

TEST(Identify, DelByteInAnyTextFieldRefusesWithItsLogLine) {
    for (const size_t offset :
         {size_t{20}, size_t{39}, size_t{46}, size_t{53}, size_t{54}, size_t{93}}) {
        IdentifyBuilder builder = IdentifyBuilder::Minimal();
        builder.Byte(offset, 0x7F);
        LogWatch log;
        const Identified result = Identify(builder);
        EXPECT_EQ(result.outcome, IdentifyOutcome::BadTextByte) << offset;
        EXPECT_TRUE(result.record.IsGeometryOutOfRange);
        EXPECT_EQ(log.Messages(), std::vector<std::string>{"CheckAsciiStringError"}) << offset;
    }
    // Outside the text fields the byte is just data.
    IdentifyBuilder builder = IdentifyBuilder::Minimal();
    builder.Byte(19, 0x7F).Byte(94, 0x7F).Byte(44, 0x7F);
    EXPECT_EQ(Identify(builder).outcome, IdentifyOutcome::Usable);
}

TEST(Identify, EmptyModelOrFirmwareRefusesWithItsLogLine) {
    IdentifyBuilder blankModel = IdentifyBuilder::Minimal();
    blankModel.AtaText(kModelField, std::string(40, ' '));
    IdentifyBuilder noFirmware = IdentifyBuilder::Minimal();
    noFirmware.AtaText(kFirmwareRevField, "").Byte(46, 0).Byte(47, 0);
    for (const IdentifyBuilder* builder : {&blankModel, &noFirmware}) {
        LogWatch log;
        const Identified result = Identify(*builder);
        EXPECT_EQ(result.outcome, IdentifyOutcome::EmptyModelOrFirmware);
        EXPECT_TRUE(result.record.IsGeometryOutOfRange);
        EXPECT_EQ(log.Messages(),
                  std::vector<std::string>{"asi.Model.IsEmpty() || asi.FirmwareRev.IsEmpty()"});
    }
    // A serial number may be missing.
    IdentifyBuilder noSerial = IdentifyBuilder::Minimal();
    noSerial.AtaText(kSerialNumberField, "");
    const Identified result = Identify(noSerial);
    EXPECT_EQ(result.outcome, IdentifyOutcome::Usable);
    EXPECT_EQ(result.record.ModelSerial, L"TEST DRIVE 100");
}

TEST(Identify, RouteTagTargetAndChecksum) {
    IdentifyBuilder builder = IdentifyBuilder::Minimal();
    builder.Checksum();
    const DriveRecord first = Identify(builder, CMD_TYPE_SAT, TARGET_SECOND_DEVICE).record;
    EXPECT_EQ(std::tuple(first.CommandType, first.CommandTypeTag, first.Address.target,
                         first.IsIdentifySumError),
              std::tuple(CMD_TYPE_SAT, L"sa2", TARGET_SECOND_DEVICE, false));
    builder.Byte(300, 1);
    const Identified second = Identify(builder, CMD_TYPE_CSMI, TARGET_FIRST_DEVICE);
    EXPECT_EQ(
        std::tuple(second.record.CommandTypeTag, second.record.IsIdentifySumError, second.outcome),
        std::tuple(L"cs", true, IdentifyOutcome::Usable));
}

// The decoders of these words have tests of their own; the record takes what they give.
TEST(Identify, StandardVersionAndTransferMode) {
    IdentifyBuilder builder = IdentifyBuilder::Minimal();
    builder.Word(80, 0x01F0).Word(81, 0x0020).Word(76, 0x0106).Word(77, 0x0004);
    const DriveRecord r = Identify(builder).record;
    EXPECT_EQ(std::tuple(r.AtaMajorVersion, r.MajorVersion, r.MinorVersion, r.TransferMode,
                         r.CurrentTransferMode, r.InterfaceType),
              std::tuple(8, L"ATA8-ACS", L"---- [0020h]", TRANSFER_MODE_SATA_300, L"SATA/300",
                         INTERFACE_TYPE_SATA));
    // A word 80 of 0 names no standard at all, not even an unknown one.
    const DriveRecord none = Identify(builder.Word(80, 0)).record;
    EXPECT_EQ(std::tuple(none.AtaMajorVersion, none.MajorVersion), std::tuple(0, L""));
}

TEST(Identify, FeatureFlagsNeedTheirStandard) {
    IdentifyBuilder builder = IdentifyBuilder::Minimal();
    builder.Word(82, 0x0001)
        .Word(83, kApm | kAam | kLba48)
        .Word(86, kApm | kAam)
        .Word(76, 0x0100)
        .Word(78, 0x0100)
        .Word(169, 0x0001)
        .Word(214, 0x0001)
        .DoubleWord(215, 0x00010000)
        .Word(217, 1)
        .Word(168, 0x0003);
    struct Expectation {
        uint16_t major;
        bool smart, apm, aam, lba48, ncq, recent;
    };
    for (const Expectation& e : {Expectation{0x0004, false, false, false, false, false, false},
                                 Expectation{0x0008, true, true, false, false, false, false},
                                 Expectation{0x0030, true, true, true, true, false, false},
                                 Expectation{kAta6, true, true, true, true, true, false},
                                 Expectation{kAtaAtapi7, true, true, true, true, true, true}}) {
        builder.Word(80, e.major);
        const DriveRecord r = Identify(builder).record;
        SCOPED_TRACE(r.AtaMajorVersion);
        EXPECT_EQ(
            std::tuple(r.IsSmartFeatureSupported, r.IsApmSupported && r.IsApmEnabled,
                       r.IsAamSupported && r.IsAamEnabled, r.IsLba48Supported, r.IsNcqSupported),
            std::tuple(e.smart, e.apm, e.aam, e.lba48, e.ncq));
        // Word 217 = 1 marks an SSD only from ATA/ATAPI-7 on.
        EXPECT_EQ(std::tuple(r.IsNvCacheSupported, r.IsTrimSupported, r.IsDeviceSleepSupported,
                             r.IsSsd, r.NominalMediaRotationRate, r.FormFactor, r.NvCacheSize),
                  std::tuple(e.recent, e.recent, e.recent, e.recent, e.recent ? 1u : 0u,
                             e.recent ? L"2.5 inch" : L"", e.recent ? 0x00010000ull * 512 : 0u));
    }

    // Enabled without supported counts for nothing.
    builder.Word(80, kAcs3).Word(83, 0).Word(86, kApm | kAam);
    const DriveRecord r = Identify(builder).record;
    EXPECT_FALSE(r.IsApmEnabled || r.IsAamEnabled);
}

TEST(Identify, RotationRateAndFormFactor) {
    IdentifyBuilder builder = IdentifyBuilder::Minimal();
    builder.Word(80, kAcs3);
    const std::pair<uint16_t, uint32_t> rates[] = {
        {0x0400, 0}, {0x0401, 0x0401}, {0xFFFE, 0xFFFE}, {0xFFFF, 0}};
    for (const auto& [word, rate] : rates) {
        builder.Word(217, word);
        const DriveRecord r = Identify(builder).record;
        EXPECT_EQ(r.NominalMediaRotationRate, rate) << word;
        EXPECT_FALSE(r.IsSsd) << word;
    }
    // The low four bits name the size; outside the named ones there is none.
    for (const auto& [low, factor] : {std::pair<uint16_t, const wchar_t*>{0, L""},
                                      {1, L"5.25 inch"},
                                      {5, L"< 1.8 inch"},
                                      {6, L""}}) {
        builder.Word(168, static_cast<uint16_t>(0xFFF0 | low));
        EXPECT_EQ(Identify(builder).record.FormFactor, factor) << low;
    }
}

// The unit's rules have tests of their own; here what the record derives from the unit.
TEST(Identify, TimeUnitAndModelQuirks) {
    IdentifyBuilder builder = IdentifyBuilder::Minimal();
    builder.AtaText(kModelField, "Maxtor 6Y0 TEST").Word(80, kAta6).Word(88, 0x007F);
    const auto units = [&builder] {
        const DriveRecord r = Identify(builder).record;
        return std::tuple(r.TimeUnitType, r.DetectedTimeUnitType, r.IsMaxtorMinute);
    };
    EXPECT_EQ(units(), std::tuple(TIME_UNIT_MINUTES, TIME_UNIT_UNKNOWN, true));
    builder.Word(76, 0x0004);  // SATA/300 counts hours
    EXPECT_EQ(units(), std::tuple(TIME_UNIT_HOURS, TIME_UNIT_UNKNOWN, false));
    builder.AtaText(kModelField, "DRIVE PX-128M2P").AtaText(kFirmwareRevField, "1.05");
    EXPECT_EQ(units(), std::tuple(TIME_UNIT_TEN_MINUTES, TIME_UNIT_TEN_MINUTES, false));
    builder.AtaText(kModelField, "INTEL SSDSC2CW1").AtaText(kFirmwareRevField, "400A3");
    EXPECT_EQ(units(), std::tuple(TIME_UNIT_ADJUSTED_HOURS, TIME_UNIT_ADJUSTED_HOURS, false));
}

TEST(Identify, HalfDegreeTemperatureByModelAndFirmware) {
    IdentifyBuilder builder = IdentifyBuilder::Minimal();
    builder.AtaText(kModelField, "ADATA SSD S599 64GB");
    for (const auto& [firmware, multiplier] :
         {std::pair{"3.4.6", 0.5}, std::pair{"346", 0.5}, std::pair{"3.46ABC", 0.5},
          std::pair{"3.4.7", 1.0}, std::pair{"0346", 0.5}, std::pair{"A346", 1.0}}) {
        builder.AtaText(kFirmwareRevField, firmware);
        EXPECT_EQ(Identify(builder).record.TemperatureMultiplier, multiplier) << firmware;
    }
    builder.AtaText(kModelField, "ADATA SS 346").AtaText(kFirmwareRevField, "3.4.6");
    EXPECT_EQ(Identify(builder).record.TemperatureMultiplier, 1.0);
}

TEST(Identify, ModelSerialDropsCharactersFileNamesCannotHold) {
    EXPECT_EQ(MakeModelSerial(L"A\\B/C:D*E?F\"G<H>I|J", L"S/N:1"), L"ABCDEFGHIJSN1");
    EXPECT_EQ(MakeModelSerial(L"", L""), L"");
    EXPECT_EQ(MakeModelSerial(L"Disk %s", L" 1"), L"Disk %s 1");
}

TEST(Identify, GeometryIsClampedAndZeroRefusesSilently) {
    IdentifyBuilder builder = IdentifyBuilder::Minimal();
    builder.Word(1, 16384);
    const auto geometry = [&builder] {
        const Identified r = Identify(builder);
        return std::tuple(r.outcome, r.record.Cylinder, r.record.Head, r.record.Sector,
                          r.record.IsGeometryOutOfRange);
    };
    EXPECT_EQ(geometry(), std::tuple(IdentifyOutcome::Usable, 16383u, 16u, 63u, true));
    builder.Word(1, 16383).Word(3, 17).Word(6, 0xFFFF);
    EXPECT_EQ(geometry(), std::tuple(IdentifyOutcome::Usable, 16383u, 16u, 63u, true));
    builder.Word(3, 16).Word(6, 63);
    EXPECT_EQ(geometry(), std::tuple(IdentifyOutcome::Usable, 16383u, 16u, 63u, false));

    for (const size_t word : {size_t{1}, size_t{3}, size_t{6}}) {
        IdentifyBuilder zero = IdentifyBuilder::Minimal();
        zero.Word(word, 0);
        LogWatch log;
        EXPECT_EQ(Identify(zero).outcome, IdentifyOutcome::ZeroGeometry) << word;
        EXPECT_TRUE(log.Messages().empty());
    }
}

TEST(Identify, SectorCountsFromTheirWords) {
    IdentifyBuilder builder = IdentifyBuilder::Minimal();
    builder.DoubleWord(60, 0xF1234567)
        .DoubleWord(100, 0x89ABCDEF)
        .Word(102, 0x4321)
        .Word(103, 0xFFFF);
    const DriveRecord r = Identify(builder).record;
    // Words 60-61 beyond 28 bits: the drive's size is unknown.
    EXPECT_EQ(std::tuple(r.Sector28, r.Sector48, r.IsSuspectSectorCount, r.TotalDiskSize),
              std::tuple(0x01234567u, 0x432189ABCDEFull, false, 0.0));
    builder.DoubleWord(60, 0x01100003);
    EXPECT_TRUE(Identify(builder).record.IsSuspectSectorCount);
    builder.DoubleWord(60, 0x11100003);
    EXPECT_FALSE(Identify(builder).record.IsSuspectSectorCount);

    builder.Word(21, 0x1000);
    EXPECT_EQ(Identify(builder).record.BufferSize, 0x1000u * 512);
}

TEST(Identify, SizesFromGeometryAndBothSectorCounts) {
    const auto geometry = [](uint16_t cylinders, uint16_t heads, uint16_t sectors) {
        IdentifyBuilder builder = IdentifyBuilder::Minimal();
        builder.Word(1, cylinders).Word(3, heads).Word(6, sectors);
        return builder;
    };
    const auto lba28 = [](uint32_t count) {
        IdentifyBuilder builder = IdentifyBuilder::Minimal();
        builder.DoubleWord(60, count);
        return builder;
    };
    IdentifyBuilder no48 = SizedDrive(100000000, 250069680);
    no48.Word(83, 0);
    const struct {
        const char* name;
        IdentifyBuilder builder;
        uint32_t chs, lba28, lba48;
        double total;
        uint64_t sectors;
    } cases[] = {
        {"full 28-bit count", SizedDrive(0x0FFFFFFF, 976773168), 8014, 131022, 476891, 476891,
         976773168},
        {"both counts agree", SizedDrive(250069680, 250069680), 8014, 122055, 122055, 122055,
         250069680},
        // A disagreeing 48-bit size is dropped after it made the total.
        {"48-bit disagrees", SizedDrive(100000000, 250069680), 8014, 48779, 0, 122055, 250069680},
        // Without 48-bit support its words are not used for the size.
        {"no 48-bit support", no48, 8014, 48779, 0, 48779, 100000000},
        // 2^48 - 1 sectors: the MiB figure keeps its low 32 bits, the sector count all of it.
        {"largest 48-bit count", SizedDrive(0x0FFFFFFF, 0xFFFFFFFFFFFFull), 8014, 131022,
         4294967246u, 4294967246.0, 0xFFFFFFFFFFFFull},
        // At most 1 GiB is shown without deduction; below 1 MiB there is no size.
        {"1024 MiB and a bit", geometry(2081, 16, 63), 1024, 0, 0, 1024, 2097648},
        {"1025 MiB", geometry(2083, 16, 63), 1025 - 49, 0, 0, 1025 - 49, 2099664},
        {"below 1 MiB", geometry(2, 1, 63), 0, 0, 0, 0, 126},
        // A 28-bit count of 49 MiB or less gives no size and leaves the CHS sector count.
        {"49 MiB 28-bit", lba28(49 * 2048 + 2047), 8014, 0, 0, 8014, 16383u * 16 * 63},
        {"50 MiB 28-bit", lba28(50 * 2048), 8014, 1, 0, 8014, 50 * 2048},
    };
    for (const auto& c : cases) {
        const DriveRecord r = Identify(c.builder).record;
        EXPECT_EQ(r.DiskSizeChs, c.chs) << c.name;
        EXPECT_EQ(r.DiskSizeLba28, c.lba28) << c.name;
        EXPECT_EQ(r.DiskSizeLba48, c.lba48) << c.name;
        EXPECT_EQ(r.TotalDiskSize, c.total) << c.name;
        EXPECT_EQ(r.NumberOfSectors, c.sectors) << c.name;
    }
}

}  // namespace disk
