#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "disk/smart_data.h"
#include "disk/vendor.h"
#include "tests/disk/smart_page_builder.h"

namespace disk {

namespace {

using Ids = std::vector<uint8_t>;

// Signatures as drives of each family report them, with a few more ids after them.
const Ids kJMicron60x = {0x0C, 0x09, 0xC2, 0xE5, 0xE8, 0xE9, 0x01};
const Ids kJMicron61x = {0x01, 0x02, 0x03, 0x05, 0x07, 0x08, 0x09,
                         0x0A, 0x0C, 0xA8, 0xAF, 0xC0, 0xC2};
const Ids kIndilinx = {0x01, 0x09, 0x0C, 0xB8, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8, 0xC9, 0xD1};
const Ids kIntelLife = {0x03, 0x04, 0x05, 0x09, 0x0C, 0xC0, 0xE8, 0xE9, 0xB8};
const Ids kSamsungGb = {0x05, 0x09, 0x0C, 0xAA, 0xAB, 0xAC, 0xAD, 0xAE, 0xB2, 0xB4, 0xB7};
const Ids kSamsungB = {0x09, 0x0C, 0xB2, 0xB3, 0xB4, 0xBB};
const Ids kMu02A = {0x01, 0x05, 0x09, 0x0C, 0xA0, 0xA1, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7};
const Ids kMicron = {0x01, 0x05, 0x09, 0x0C, 0xAA, 0xAB, 0xAC, 0xAD, 0xAE, 0xB5, 0xB7, 0xB8};
const Ids kSandForceA = {0x01, 0x05, 0x09, 0x0C, 0x0D, 0x64, 0xAA, 0xAB};
const Ids kOcz = {0x01, 0x03, 0x04, 0x05, 0x09, 0x0C, 0xE8, 0xE9, 0xC2};
const Ids kOczVector = {0x05, 0x09, 0x0C, 0xAB, 0xAE, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7};
const Ids kPlextor = {0x01, 0x05, 0x09, 0x0C, 0xB1, 0xB2, 0xB5, 0xB6, 0xB7};
const Ids kKingston = {0x01, 0x02, 0x03, 0x05, 0x07, 0x08, 0x09, 0x0A, 0x0C, 0xA8, 0xA9};
const Ids kSanDisk = {0x05, 0x09, 0x0C, 0xE8, 0xF1};
const Ids kSanDiskGb = {0x05, 0x09, 0x0C, 0xE8, 0xE9, 0xF1};
const Ids kHdd = {0x01, 0x03, 0x04, 0x05, 0x07, 0x09, 0x0A, 0x0C, 0xC2, 0xC5};

struct Case {
    const char* name;
    std::wstring model;
    Ids ids;
    bool ssdFromIdentify;
    int32_t vendor;
    std::wstring key;
    int32_t variant;
    std::string flags;  // s: an SSD, j: JMicron 60x or Indilinx, f: SandForce
};

TEST(ClassifyVendor, EveryStepInOrder) {
    const Case cases[] = {
        // Nothing matches: the generic key, with the SSD markers of the model.
        {"plain hdd", L"Generic HDD 1000", kHdd, false, VENDOR_NONE, L"Smart", 0, ""},
        {"ssd by identify", L"Generic 1000", kHdd, true, VENDOR_NONE, L"SmartSsd", 0, "s"},
        {"ssd marker", L"Super Talent X", kHdd, false, VENDOR_NONE, L"SmartSsd", 0, "s"},
        {"ssd part", L"Fast Solid Disk", kHdd, false, VENDOR_NONE, L"SmartSsd", 0, "s"},
        // 1: Seagate-style models, but not STT.
        {"st", L"ST3500418AS", kHdd, false, VENDOR_ST, L"Smart", 0, ""},
        {"st ssd", L"ST480FN0021 SSD", kHdd, false, VENDOR_ST, L"SmartSsd", 0, "s"},
        {"stt_ftm", L"STT_FTM28GX25H", kHdd, false, VENDOR_NONE, L"SmartSsd", 0, "s"},
        // 2: WDC hard disks only.
        {"wdc", L"WDC WD10EZEX-00BN5A0", kHdd, false, VENDOR_WDC, L"Smart", 0, ""},
        {"wdc ssd", L"WDC WDS500G2B0A", kHdd, true, VENDOR_NONE, L"SmartSsd", 0, "s"},
        // 3: Mtron by its single attribute or its name.
        {"mtron id", L"X", {0xBB}, false, VENDOR_MTRON, L"SmartMtron", 0, "s"},
        {"mtron two ids", L"X", {0xBB, 0x09}, false, VENDOR_NONE, L"Smart", 0, ""},
        {"mtron model", L"MTRON MSD-SATA", kHdd, false, VENDOR_MTRON, L"SmartMtron", 0, "s"},
        // 4-6: JMicron and Indilinx signatures.
        {"jm60x", L"X", kJMicron60x, false, VENDOR_JMICRON, L"SmartJMicron60x", 0, "sj"},
        {"jm61x", L"X", kJMicron61x, false, VENDOR_JMICRON, L"SmartJMicron61x", 0, "s"},
        {"indilinx", L"", kIndilinx, false, VENDOR_INDILINX, L"SmartIndlinx", 0, "sj"},
        // One signature of each list: the others go the same way.
        // 7: Intel, by signature or by name.
        {"intel e8", L"X", kIntelLife, false, VENDOR_INTEL, L"SmartIntel", 0, "s"},
        {"intel model", L"INTEL SSDSA2CW120G3", kHdd, false, VENDOR_INTEL, L"SmartIntel", 0, "s"},
        // 8: Samsung signatures, or its names on an SSD.
        {"samsung gb", L"X", kSamsungGb, false, VENDOR_SAMSUNG, L"SmartSamsung", 3, "s"},
        {"samsung b", L"X", kSamsungB, false, VENDOR_SAMSUNG, L"SmartSamsung", 0, "s"},
        {"samsung ssd", L"SAMSUNG SSD 850", kHdd, false, VENDOR_SAMSUNG, L"SmartSamsung", 0, "s"},
        {"samsung hdd", L"SAMSUNG HD204UI", kHdd, false, VENDOR_NONE, L"Smart", 0, ""},
        {"mz ssd", L"MZ-7KE256", kHdd, true, VENDOR_SAMSUNG, L"SmartSamsung", 0, "s"},
        // 9: Micron MU02.
        {"mu02 a", L"X", kMu02A, false, VENDOR_MICRON_MU02, L"SmartMicronMU02", 0, "s"},
        // 10: Micron by signature or by an upper-cased model prefix (one of the list).
        {"micron", L"X", kMicron, false, VENDOR_MICRON, L"SmartMicron", 0, "s"},
        {"crucial mixed", L"Crucial_CT256", kHdd, false, VENDOR_MICRON, L"SmartMicron", 0, "s"},
        // 11: SandForce.
        {"sf a", L"X", kSandForceA, false, VENDOR_SANDFORCE, L"SmartSandForce", 0, "sf"},
        {"sf model", L"SandForce 2", kHdd, false, VENDOR_SANDFORCE, L"SmartSandForce", 0, "sf"},
        // 12-13: OCZ, and the Vector family for the other OCZ models.
        {"ocz trion", L"OCZ-TRION100", kHdd, false, VENDOR_OCZ, L"SmartOcz", 0, "s"},
        {"ocz sig", L"OCZ-AGILITY3", kOcz, false, VENDOR_OCZ, L"SmartOcz", 0, "s"},
        {"ocz sig no name", L"X", kOcz, false, VENDOR_NONE, L"Smart", 0, ""},
        {"ocz lower", L"ocz-vector", kHdd, false, VENDOR_OCZ_VECTOR, L"SmartOczVector", 0, "s"},
        {"panasonic", L"PANASONIC RP-SSB", kHdd, false, VENDOR_OCZ_VECTOR, L"SmartOczVector", 0,
         "s"},
        {"vector sig", L"X", kOczVector, false, VENDOR_OCZ_VECTOR, L"SmartOczVector", 0, "s"},
        // 14: Plextor.
        {"plextor", L"PLEXTOR PX-256M5P", kHdd, false, VENDOR_PLEXTOR, L"SmartPlextor", 0, "s"},
        {"plextor sig", L"X", kPlextor, false, VENDOR_PLEXTOR, L"SmartPlextor", 0, "s"},
        // 15: SanDisk, the GB variant when it reports 0xE9.
        {"sandisk", L"SanDisk SDSSDP", kSanDisk, false, VENDOR_SANDISK, L"SmartSanDisk", 0, "s"},
        {"sandisk gb", L"SanDisk SDSSDH", kSanDiskGb, false, VENDOR_SANDISK, L"SmartSanDiskGb", 3,
         "s"},
        // 16: Kingston, which reads its counters as GB.
        {"kingston", L"X", kKingston, false, VENDOR_KINGSTON, L"SmartKingston", 3, ""},
        // 17: Toshiba SSDs only.
        {"toshiba ssd", L"TOSHIBA THNSNH", kHdd, true, VENDOR_TOSHIBA, L"SmartToshiba", 0, "s"},
        {"toshiba hdd", L"TOSHIBA MQ01ABD100", kHdd, false, VENDOR_NONE, L"Smart", 0, ""},
        // 18: Corsair.
        {"corsair", L"Corsair Force GT", kHdd, false, VENDOR_CORSAIR, L"SmartCorsair", 0, ""},
    };
    for (const Case& c : cases) {
        DriveRecord r;
        r.Model = c.model;
        r.IsSsd = c.ssdFromIdentify;
        r.SmartReadData = IdPage(std::span<const uint8_t>(c.ids));
        FillSmartData(r);
        ClassifyVendor(r);
        const auto has = [&](char flag) { return c.flags.find(flag) != std::string::npos; };
        EXPECT_EQ(std::tuple(r.VendorId, r.SmartKeyName, r.VendorCode, r.VendorVariant, r.IsSsd,
                             r.IsJMicron60xOrIndilinx, r.IsSandForce),
                  std::tuple(c.vendor, c.key, VendorCodeOf(c.vendor), c.variant, has('s'), has('j'),
                             has('f')))
            << c.name;
    }
}

TEST(ClassifyVendor, ReadsVendorAttributesAgain) {
    // Parsed before the family is known, a Samsung drive has no life or host writes yet.
    DriveRecord samsung;
    samsung.SmartReadData = DataPage({{.id = 0x09, .raw = 500},
                                      {.id = 0x0C, .raw = 7},
                                      {.id = 0xB2},
                                      {.id = 0xB3, .current = 97},
                                      {.id = 0xB4, .current = 96},
                                      {.id = 0xC2, .raw = 30},
                                      {.id = 0xF1, .raw = uint64_t{10} << 21}});
    ASSERT_TRUE(FillSmartData(samsung));
    EXPECT_EQ(std::tuple(samsung.Life, samsung.HostWrites), std::tuple(-1, -1));
    ClassifyVendor(samsung);
    // 0xB4 comes after 0xB3.
    EXPECT_EQ(std::tuple(samsung.VendorId, samsung.Life, samsung.HostWrites, samsung.PowerOnCount,
                         samsung.Temperature),
              std::tuple(VENDOR_SAMSUNG, 96, 10, 7, 30));

    // Power-on values keep what the first parse gave them.
    DriveRecord indilinx;
    indilinx.TimeUnitType = TIME_UNIT_HOURS;
    AtaPage page = IdPage(std::span<const uint8_t>(kIndilinx));
    PutAttribute(page, 1, {.id = 0x09, .current = 0x10, .worst = 0x00, .raw = 1234});
    PutAttribute(page, 11, {.id = 0xD1, .current = 90});
    indilinx.SmartReadData = page;
    ASSERT_TRUE(FillSmartData(indilinx));
    ClassifyVendor(indilinx);
    EXPECT_EQ(std::tuple(indilinx.VendorId, indilinx.PowerOnRawValue, indilinx.Life),
              std::tuple(VENDOR_INDILINX, 1234, 90));
}

// Ids without a family have no code, and no id reads past the table.
TEST(VendorCodeOf, IdsWithoutAFamilyHaveNoCode) {
    EXPECT_EQ(VendorCodeOf(VENDOR_SANDISK), L"sd");
    for (const int32_t id : {VENDOR_NONE, 1, VENDOR_COUNT, -1})
        EXPECT_EQ(VendorCodeOf(id), L"") << id;
}

}  // namespace

}  // namespace disk
