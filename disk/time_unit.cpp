#include "disk/time_unit.h"

#include <initializer_list>
#include <optional>

#include "disk/drive_codes.h"
#include "disk/leading_number.h"
#include "disk/text_match.h"

namespace disk {

namespace {

struct DriveFacts {
    std::wstring model;  // upper-cased
    std::wstring_view firmware;
    int32_t ataMajorVersion;
    int32_t transferMode;
};

// The firmware revisions before 1.059 of some early SSDs count power-on time in ten-minute
// units.
bool IsEarlyFirmware(std::wstring_view firmware) {
    return LeadingDecimal(firmware) < 1.059;
}

// A rule either decides the unit or passes the drive on to the next one.
using Rule = std::optional<int32_t> (*)(const DriveFacts&);

std::optional<int32_t> Fujitsu(const DriveFacts& d) {
    if (!d.model.starts_with(L"FUJITSU")) return std::nullopt;
    return d.ataMajorVersion < 8 ? TIME_UNIT_SECONDS : TIME_UNIT_HOURS;
}

std::optional<int32_t> HitachiDk(const DriveFacts& d) {
    if (!d.model.starts_with(L"HITACHI_DK")) return std::nullopt;
    return TIME_UNIT_MINUTES;
}

std::optional<int32_t> Maxtor(const DriveFacts& d) {
    if (!d.model.starts_with(L"MAXTOR")) return std::nullopt;
    if (d.transferMode >= TRANSFER_MODE_SATA_300 ||
        StartsWithAny(d.model, {L"MAXTOR 6H", L"MAXTOR 7H500", L"MAXTOR 6L0", L"MAXTOR 4K"}))
        return TIME_UNIT_HOURS;
    return TIME_UNIT_MINUTES;
}

std::optional<int32_t> Samsung(const DriveFacts& d) {
    if (!d.model.starts_with(L"SAMSUNG")) return std::nullopt;
    if (d.transferMode >= TRANSFER_MODE_SATA_300) return TIME_UNIT_HOURS;
    // The last three characters of the revision (all of a shorter one) end in a negative
    // number on the models that count half-minutes.
    const size_t tail = d.firmware.size() > 3 ? d.firmware.size() - 3 : 0;
    const int32_t revision = LeadingInteger(d.firmware.substr(tail));
    if (revision >= -39 && revision <= -23) return TIME_UNIT_HALF_MINUTES;
    if (StartsWithAny(d.model, {L"SAMSUNG SV", L"SAMSUNG SP", L"SAMSUNG HM", L"SAMSUNG MP"}))
        return TIME_UNIT_HALF_MINUTES;
    return TIME_UNIT_HOURS;
}

std::optional<int32_t> CfdS6tm(const DriveFacts& d) {
    if (StartsWithAny(d.model, {L"CFD_CSSD-S6TM128NMPQ", L"CFD_CSSD-S6TM256NMPQ"}) &&
        StartsWithAny(d.firmware, {L"VM21", L"VN21"}))
        return TIME_UNIT_TEN_MINUTES;
    return std::nullopt;
}

std::optional<int32_t> PxM2p(const DriveFacts& d) {
    if (ContainsAny(d.model, {L"PX-128M2P", L"PX-256M2P"}) && IsEarlyFirmware(d.firmware))
        return TIME_UNIT_TEN_MINUTES;
    return std::nullopt;
}

std::optional<int32_t> CorsairPerformancePro(const DriveFacts& d) {
    // The model is already upper-cased, which makes this test blind to case.
    if (d.model.starts_with(L"CORSAIR PERFORMANCE PRO") && IsEarlyFirmware(d.firmware))
        return TIME_UNIT_TEN_MINUTES;
    return std::nullopt;
}

std::optional<int32_t> IntelSsdsc2(const DriveFacts& d) {
    if (StartsWithAny(d.model, {L"INTEL SSDSC2CW", L"INTEL SSDSC2BW", L"INTEL SSDSC2CT"}) &&
        d.firmware.find(L"A3", 1) != std::wstring_view::npos)
        return TIME_UNIT_ADJUSTED_HOURS;
    return std::nullopt;
}

constexpr Rule kRules[] = {
    Fujitsu, HitachiDk, Maxtor, Samsung, CfdS6tm, PxM2p, CorsairPerformancePro, IntelSsdsc2};

}  // namespace

std::wstring ToAsciiUpper(std::wstring_view text) {
    std::wstring upper(text);
    for (wchar_t& c : upper)
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    return upper;
}

int32_t GetTimeUnitType(std::wstring_view model, std::wstring_view firmware,
                        int32_t ataMajorVersion, int32_t transferMode) {
    const DriveFacts facts{ToAsciiUpper(model), firmware, ataMajorVersion, transferMode};
    for (Rule rule : kRules)
        if (const std::optional<int32_t> unit = rule(facts)) return *unit;
    return TIME_UNIT_HOURS;
}

}  // namespace disk
