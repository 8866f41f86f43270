#include "disk/vendor.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <span>
#include <string_view>

#include "disk/smart_data.h"
#include "disk/text_match.h"
#include "disk/time_unit.h"

namespace disk {

namespace {

constexpr std::array<const wchar_t*, VENDOR_COUNT> kVendorCodes = {
    L"",   L"",   L"mt", L"ix", L"jm", L"il", L"sg", L"sf", L"mi", L"oz",
    L"st", L"wd", L"px", L"sd", L"oz", L"to", L"co", L"ki", L"m2", L"nv"};

// A signature: the attribute ids a controller family reports, in its order, from the first
// slot on.
using Signature = std::span<const uint8_t>;

constexpr uint8_t kJMicron60x[] = {0x0C, 0x09, 0xC2, 0xE5, 0xE8, 0xE9};
constexpr uint8_t kJMicron61x[] = {0x01, 0x02, 0x03, 0x05, 0x07, 0x08, 0x09,
                                   0x0A, 0x0C, 0xA8, 0xAF, 0xC0, 0xC2};
constexpr uint8_t kIndilinx[] = {0x01, 0x09, 0x0C, 0xB8, 0xC3, 0xC4};
constexpr uint8_t kIntelX25[] = {0x03, 0x04, 0x05, 0x09, 0x0C, 0xC0, 0xE8, 0xE9};
constexpr uint8_t kIntelHostWrites[] = {0x03, 0x04, 0x05, 0x09, 0x0C, 0xC0, 0xE1};
constexpr uint8_t kIntelAa[] = {0x03, 0x04, 0x05, 0x09, 0x0C, 0xAA, 0xAB, 0xAC};
constexpr uint8_t kSamsungGb[] = {0x05, 0x09, 0x0C, 0xAA, 0xAB, 0xAC, 0xAD, 0xAE, 0xB2, 0xB4};
constexpr uint8_t kSamsungB[] = {0x09, 0x0C, 0xB2, 0xB3, 0xB4};
constexpr uint8_t kSamsungC[] = {0x09, 0x0C, 0xB1, 0xB2, 0xB3, 0xB4, 0xB7};
constexpr uint8_t kSamsungD[] = {0x09, 0x0C, 0xAF, 0xB0, 0xB1, 0xB2, 0xB3, 0xB4};
constexpr uint8_t kSamsungE[] = {0x05, 0x09, 0x0C, 0xB1, 0xB3, 0xB5, 0xB6};
constexpr uint8_t kMicronMu02A[] = {0x01, 0x05, 0x09, 0x0C, 0xA0, 0xA1,
                                    0xA3, 0xA4, 0xA5, 0xA6, 0xA7};
constexpr uint8_t kMicronMu02B[] = {0x01, 0x05, 0x09, 0x0C, 0xA0, 0xA1,
                                    0xA3, 0x94, 0x95, 0x96, 0x97};
constexpr uint8_t kMicron[] = {0x01, 0x05, 0x09, 0x0C, 0xAA, 0xAB, 0xAC, 0xAD, 0xAE, 0xB5, 0xB7};
constexpr uint8_t kSandForceA[] = {0x01, 0x05, 0x09, 0x0C, 0x0D, 0x64, 0xAA};
constexpr uint8_t kSandForceB[] = {0x01, 0x05, 0x09, 0x0C, 0xAB, 0xAC};
constexpr uint8_t kSandForceC[] = {0x01, 0x02, 0x03, 0x05, 0x07, 0x08, 0x09, 0x0A,
                                   0x0C, 0xA7, 0xA8, 0xA9, 0xAA, 0xAD, 0xAF, 0xB1};
constexpr uint8_t kOcz[] = {0x01, 0x03, 0x04, 0x05, 0x09, 0x0C, 0xE8, 0xE9};
constexpr uint8_t kOczVector[] = {0x05, 0x09, 0x0C, 0xAB, 0xAE, 0xC3, 0xC4, 0xC5, 0xC6};
constexpr uint8_t kPlextor[] = {0x01, 0x05, 0x09, 0x0C, 0xB1, 0xB2, 0xB5, 0xB6};
constexpr uint8_t kKingston[] = {0x01, 0x02, 0x03, 0x05, 0x07, 0x08, 0x09, 0x0A, 0x0C, 0xA8};

constexpr Signature kIntelSignatures[] = {kIntelX25, kIntelHostWrites, kIntelAa};
constexpr Signature kSamsungSignatures[] = {kSamsungB, kSamsungC, kSamsungD, kSamsungE};
constexpr Signature kMicronMu02Signatures[] = {kMicronMu02A, kMicronMu02B};
constexpr Signature kSandForceSignatures[] = {kSandForceA, kSandForceB, kSandForceC};

constexpr std::wstring_view kSsdModelPrefixes[] = {L"OCZ",       L"SPCC",    L"PATRIOT",
                                                   L"PHOTOFAST", L"STT_FTM", L"Super Talent"};
constexpr std::wstring_view kSsdModelParts[] = {L"Solid", L"SSD", L"SiliconHardDisk"};
// Compared with the upper-cased model.
constexpr std::wstring_view kMicronModelPrefixes[] = {
    L"P600", L"C600", L"M6-",  L"M600", L"P500", L"C500", L"M5-",  L"M500",    L"P400",
    L"C400", L"M4-",  L"M400", L"P300", L"C300", L"M3-",  L"M300", L"CRUCIAL", L"MICRON"};
constexpr std::wstring_view kPlextorModelPrefixes[] = {L"PLEXTOR", L"CSSD-S6T128NM3PQ",
                                                       L"CSSD-S6T256NM3PQ"};

// Attributes read again once the family is known. Power-on time and count, the temperatures
// and 0xF7 keep what the first parse gave them.
constexpr uint8_t kRereadIds[] = {0x64, 0xA9, 0xAA, 0xAD, 0xB1, 0xB3, 0xB4, 0xBB, 0xC6, 0xC7,
                                  0xCA, 0xD1, 0xE1, 0xE7, 0xE8, 0xE9, 0xF1, 0xF2, 0xF5, 0xF6};

struct Facts {
    const DriveRecord& record;
    std::wstring_view model;
    std::wstring upper;  // the model with its letters upper-cased
};

bool Contains(std::wstring_view text, std::wstring_view part) {
    return text.find(part) != std::wstring_view::npos;
}

bool HasSignature(const DriveRecord& record, Signature ids) {
    return ids.size() <= kSmartEntryCount &&
           std::ranges::equal(ids, std::span(record.Attribute).first(ids.size()), {}, {},
                              &SmartAttribute::Id);
}

bool HasAnySignature(const DriveRecord& record, std::span<const Signature> signatures) {
    return std::ranges::any_of(signatures, [&](Signature s) { return HasSignature(record, s); });
}

// A step either passes the drive on, or claims it; the GB variant also claims it and marks
// counters that are read directly as gigabytes.
enum class Match { No, Yes, GbVariant };

Match Claims(bool matched) {
    return matched ? Match::Yes : Match::No;
}

Match St(const Facts& f) {
    return Claims(f.model.starts_with(L"ST") && !f.model.starts_with(L"STT"));
}
Match Wdc(const Facts& f) {
    return Claims(f.model.starts_with(L"WDC ") && !f.record.IsSsd);
}
Match Mtron(const Facts& f) {
    return Claims((f.record.Attribute[0].Id == 0xBB && f.record.AttributeCount == 1) ||
                  f.model.starts_with(L"MTRON"));
}
Match JMicron60x(const Facts& f) {
    return Claims(HasSignature(f.record, kJMicron60x));
}
Match JMicron61x(const Facts& f) {
    return Claims(HasSignature(f.record, kJMicron61x));
}
Match Indilinx(const Facts& f) {
    return Claims(HasSignature(f.record, kIndilinx));
}
Match Intel(const Facts& f) {
    return Claims(HasAnySignature(f.record, kIntelSignatures) || Contains(f.model, L"INTEL"));
}
Match Samsung(const Facts& f) {
    if (HasSignature(f.record, kSamsungGb)) return Match::GbVariant;
    return Claims(HasAnySignature(f.record, kSamsungSignatures) ||
                  (f.record.IsSsd && (Contains(f.model, L"SAMSUNG") || Contains(f.model, L"MZ-"))));
}
Match MicronMu02(const Facts& f) {
    return Claims(HasAnySignature(f.record, kMicronMu02Signatures));
}
Match Micron(const Facts& f) {
    return Claims(HasSignature(f.record, kMicron) || StartsWithAny(f.upper, kMicronModelPrefixes));
}
Match SandForce(const Facts& f) {
    return Claims(HasAnySignature(f.record, kSandForceSignatures) ||
                  Contains(f.model, L"SandForce"));
}
Match Ocz(const Facts& f) {
    return Claims(f.upper.starts_with(L"OCZ") &&
                  (f.upper.starts_with(L"OCZ-TRION") || HasSignature(f.record, kOcz)));
}
Match OczVector(const Facts& f) {
    return Claims(f.upper.starts_with(L"OCZ") || f.upper.starts_with(L"PANASONIC RP-SSB") ||
                  HasSignature(f.record, kOczVector));
}
Match Plextor(const Facts& f) {
    return Claims(StartsWithAny(f.model, kPlextorModelPrefixes) ||
                  HasSignature(f.record, kPlextor));
}
Match SanDisk(const Facts& f) {
    if (!Contains(f.model, L"SanDisk")) return Match::No;
    // Firmware that reports NAND writes (0xE9) counts its host traffic in gigabytes.
    const bool reportsNandWrites = std::ranges::any_of(
        f.record.Attribute, [](const SmartAttribute& a) { return a.Id == 0xE9; });
    return reportsNandWrites ? Match::GbVariant : Match::Yes;
}
Match Kingston(const Facts& f) {
    return HasSignature(f.record, kKingston) ? Match::GbVariant : Match::No;
}
Match Toshiba(const Facts& f) {
    return Claims(f.model.starts_with(L"TOSHIBA") && f.record.IsSsd);
}
Match Corsair(const Facts& f) {
    return Claims(f.model.starts_with(L"Corsair"));
}

struct Step {
    Match (*test)(const Facts&);
    int32_t vendor;
    const wchar_t* key;    // nullptr: "SmartSsd" for an SSD, "Smart" otherwise
    const wchar_t* gbKey;  // the key of the GB variant; nullptr: the same key
    bool ssd;              // the family makes only SSDs
    bool jmicron60xOrIndilinx;
    bool sandForce;
};

// Tried in this order; the first step that claims the drive decides.
constexpr Step kSteps[] = {
    {St, VENDOR_ST, nullptr, nullptr, false, false, false},
    {Wdc, VENDOR_WDC, L"Smart", nullptr, false, false, false},
    {Mtron, VENDOR_MTRON, L"SmartMtron", nullptr, true, false, false},
    {JMicron60x, VENDOR_JMICRON, L"SmartJMicron60x", nullptr, true, true, false},
    {JMicron61x, VENDOR_JMICRON, L"SmartJMicron61x", nullptr, true, false, false},
    {Indilinx, VENDOR_INDILINX, L"SmartIndlinx", nullptr, true, true, false},
    {Intel, VENDOR_INTEL, L"SmartIntel", nullptr, true, false, false},
    {Samsung, VENDOR_SAMSUNG, L"SmartSamsung", nullptr, true, false, false},
    {MicronMu02, VENDOR_MICRON_MU02, L"SmartMicronMU02", nullptr, true, false, false},
    {Micron, VENDOR_MICRON, L"SmartMicron", nullptr, true, false, false},
    {SandForce, VENDOR_SANDFORCE, L"SmartSandForce", nullptr, true, false, true},
    {Ocz, VENDOR_OCZ, L"SmartOcz", nullptr, true, false, false},
    {OczVector, VENDOR_OCZ_VECTOR, L"SmartOczVector", nullptr, true, false, false},
    {Plextor, VENDOR_PLEXTOR, L"SmartPlextor", nullptr, true, false, false},
    {SanDisk, VENDOR_SANDISK, L"SmartSanDisk", L"SmartSanDiskGb", true, false, false},
    {Kingston, VENDOR_KINGSTON, L"SmartKingston", nullptr, false, false, false},
    {Toshiba, VENDOR_TOSHIBA, L"SmartToshiba", nullptr, false, false, false},
    {Corsair, VENDOR_CORSAIR, L"SmartCorsair", nullptr, false, false, false},
};

const wchar_t* GenericKey(const DriveRecord& record) {
    return record.IsSsd ? L"SmartSsd" : L"Smart";
}

void ReadVendorAttributesAgain(DriveRecord& record) {
    const size_t count = std::min<size_t>(record.AttributeCount, kSmartEntryCount);
    for (size_t i = 0; i < count; ++i)
        if (std::ranges::find(kRereadIds, record.Attribute[i].Id) != std::end(kRereadIds))
            ApplyVendorReading(record.Attribute[i], record);
}

}  // namespace

std::wstring VendorCodeOf(int32_t vendorId) {
    if (vendorId < 0 || vendorId >= VENDOR_COUNT) return L"";
    return kVendorCodes[static_cast<size_t>(vendorId)];
}

void ClassifyVendor(DriveRecord& record) {
    if (StartsWithAny(record.Model, kSsdModelPrefixes) || ContainsAny(record.Model, kSsdModelParts))
        record.IsSsd = true;

    const Facts facts{record, record.Model, ToAsciiUpper(record.Model)};
    for (const Step& step : kSteps) {
        const Match match = step.test(facts);
        if (match == Match::No) continue;
        record.VendorId = step.vendor;
        record.VendorCode = VendorCodeOf(step.vendor);
        record.IsSsd = record.IsSsd || step.ssd;
        record.IsJMicron60xOrIndilinx = record.IsJMicron60xOrIndilinx || step.jmicron60xOrIndilinx;
        record.IsSandForce = record.IsSandForce || step.sandForce;
        if (match == Match::GbVariant) record.VendorVariant = VENDOR_VARIANT_GB;
        const wchar_t* key = match == Match::GbVariant && step.gbKey ? step.gbKey : step.key;
        record.SmartKeyName = key ? key : GenericKey(record);
        ReadVendorAttributesAgain(record);
        return;
    }
    record.SmartKeyName = GenericKey(record);
}

}  // namespace disk
