#include "app/pages/smart_rows.h"

#include <algorithm>
#include <cstdint>
#include <cwchar>
#include <iterator>
#include <span>
#include <string_view>

#include "base/ui_text.h"
#include "disk/drive_codes.h"
#include "disk/vendor.h"

namespace app {

using disk::AttributeNameTables;
using disk::DriveRecord;
using disk::InterfaceType;
using disk::kSmartEntryCount;
using disk::SmartAttribute;

namespace {

constexpr std::wstring_view kHidden = L"---";

// Where each byte of the raw column comes from, most significant first.
enum class Byte { Reserved, Raw5, Raw4, Raw3, Raw2, Raw1, Raw0, Worst, Current };

constexpr Byte kRawOnly[] = {Byte::Raw5, Byte::Raw4, Byte::Raw3,
                             Byte::Raw2, Byte::Raw1, Byte::Raw0};
constexpr Byte kReservedAndRaw[] = {Byte::Reserved, Byte::Raw5, Byte::Raw4, Byte::Raw3,
                                    Byte::Raw2,     Byte::Raw1, Byte::Raw0};
constexpr Byte kReservedRawWorst[] = {Byte::Reserved, Byte::Raw5, Byte::Raw4, Byte::Raw3,
                                      Byte::Raw2,     Byte::Raw1, Byte::Raw0, Byte::Worst};
constexpr Byte kRawWorstCurrent[] = {Byte::Raw5, Byte::Raw4, Byte::Raw3,  Byte::Raw2,
                                     Byte::Raw1, Byte::Raw0, Byte::Worst, Byte::Current};

// How one kind of drive fills the value columns.
struct ColumnLayout {
    bool (*applies)(const DriveRecord&);
    bool showsCurrent;
    bool showsWorst;
    bool showsThreshold;  // when the thresholds were read
    std::span<const Byte> raw;
};

bool IsSandForce(const DriveRecord& r) {
    return r.VendorId == disk::VENDOR_SANDFORCE;
}
bool IsJMicron60x(const DriveRecord& r) {
    return r.VendorId == disk::VENDOR_JMICRON && r.IsJMicron60xOrIndilinx;
}
bool IsIndilinx(const DriveRecord& r) {
    return r.VendorId == disk::VENDOR_INDILINX;
}
bool IsNvme(const DriveRecord& r) {
    return r.InterfaceType == InterfaceType::INTERFACE_TYPE_NVME;
}
bool AnyDrive(const DriveRecord&) {
    return true;
}

// The first layout that applies is used; the last applies to every drive.
constexpr ColumnLayout kLayouts[] = {
    {IsSandForce, true, true, true, kReservedAndRaw},
    {IsJMicron60x, true, false, false, kReservedRawWorst},
    {IsIndilinx, false, false, false, kRawWorstCurrent},
    {IsNvme, false, false, false, kReservedAndRaw},
    {AnyDrive, true, true, true, kRawOnly},
};

const ColumnLayout& LayoutOf(const DriveRecord& record) {
    return *std::ranges::find_if(kLayouts,
                                 [&](const ColumnLayout& l) { return l.applies(record); });
}

uint8_t ByteOf(const SmartAttribute& a, Byte source) {
    switch (source) {
        case Byte::Reserved:
            return a.Reserved;
        case Byte::Worst:
            return a.WorstValue;
        case Byte::Current:
            return a.CurrentValue;
        default:  // Raw5 to Raw0 run in order, so the distance to Raw0 is the byte's index
            return a.RawValue[static_cast<int>(Byte::Raw0) - static_cast<int>(source)];
    }
}

std::wstring Hex(std::span<const Byte> layout, const SmartAttribute& a) {
    std::wstring text;
    for (Byte source : layout) {
        wchar_t digits[3];
        std::swprintf(digits, std::size(digits), L"%02X", ByteOf(a, source));
        text += digits;
    }
    return text;
}

std::wstring ValueOrHidden(bool shown, int value) {
    return shown ? std::to_wstring(value) : std::wstring(kHidden);
}

// Attribute ids that the standard defines; on a hard disk the others are vendor counters whose
// normalised values mean nothing.
struct IdRange {
    uint8_t first;
    uint8_t last;
};
constexpr IdRange kStandardIds[] = {{0x01, 0x0D}, {0xBB, 0xC1}, {0xC3, 0xD1},
                                    {0xD3, 0xD4}, {0xDC, 0xE4}, {0xE6, 0xE7},
                                    {0xF0, 0xF0}, {0xFA, 0xFA}, {0xFE, 0xFE}};

bool IsStandardId(uint8_t id) {
    return std::ranges::any_of(kStandardIds,
                               [&](const IdRange& r) { return id >= r.first && id <= r.last; });
}

// The attribute in which each family reports the life left.
struct LifeAttribute {
    int32_t vendor;
    uint8_t id;
};
constexpr LifeAttribute kLifeAttributes[] = {
    {disk::VENDOR_INTEL, 0xE8},     {disk::VENDOR_PLEXTOR, 0xE8},   {disk::VENDOR_SANDISK, 0xE8},
    {disk::VENDOR_MTRON, 0xBB},     {disk::VENDOR_SAMSUNG, 0xB3},   {disk::VENDOR_SAMSUNG, 0xB4},
    {disk::VENDOR_INDILINX, 0xD1},  {disk::VENDOR_SANDFORCE, 0xE7}, {disk::VENDOR_CORSAIR, 0xE7},
    {disk::VENDOR_KINGSTON, 0xE7},  {disk::VENDOR_MICRON, 0xCA},    {disk::VENDOR_OCZ, 0xE9},
    {disk::VENDOR_OCZ_VECTOR, 0xE9}};
constexpr uint8_t kJMicronLifeId = 0xAA;  // not on the 60x controllers

bool IsLifeAttribute(const DriveRecord& record, uint8_t id) {
    if (record.VendorId == disk::VENDOR_JMICRON && !record.IsJMicron60xOrIndilinx)
        return id == kJMicronLifeId;
    return std::ranges::any_of(kLifeAttributes, [&](const LifeAttribute& l) {
        return l.vendor == record.VendorId && l.id == id;
    });
}

// Counters a hard disk reports with a caution limit of their own.
struct CountedAttribute {
    uint8_t id;
    uint16_t DriveRecord::*limit;
};
constexpr CountedAttribute kCountedAttributes[] = {{0x05, &DriveRecord::CautionLimit05},
                                                   {0xC5, &DriveRecord::CautionLimitC5},
                                                   {0xC6, &DriveRecord::CautionLimitC6}};

int AboveThreshold(uint8_t current, uint8_t threshold) {
    return threshold == 0 || threshold <= current ? SMART_STATUS_OK : SMART_STATUS_BAD;
}

// The decimal form of a raw column, which holds hexadecimal digits only.
std::wstring RawAsDecimal(const std::wstring& raw) {
    return std::to_wstring(std::wcstoull(raw.c_str(), nullptr, 16));
}

}  // namespace

int SmartStatusOf(const DriveRecord& record, size_t row) {
    if (!record.SmartDataValid || !record.SmartThresholdValid || record.IsFirmwareQuirk)
        return SMART_STATUS_UNKNOWN;
    const SmartAttribute& a = record.Attribute[row];
    const uint8_t current = a.CurrentValue;
    const uint8_t threshold = record.Threshold[row].ThresholdValue;

    if (!record.IsSsd) {
        for (const CountedAttribute& counted : kCountedAttributes) {
            if (counted.id != a.Id) continue;
            if (current < threshold) return SMART_STATUS_BAD;
            const int count = a.RawValue[0] + 256 * a.RawValue[1];
            const uint16_t limit = record.*counted.limit;
            return limit != 0 && count >= limit ? SMART_STATUS_CAUTION : SMART_STATUS_OK;
        }
    }
    if (a.Id == 0xC2 || a.Id == 0xB8) return SMART_STATUS_OK;
    if (IsLifeAttribute(record, a.Id)) {
        if (current == 0 || current < threshold) return SMART_STATUS_BAD;
        return current > record.LifeCautionLimit ? SMART_STATUS_OK : SMART_STATUS_CAUTION;
    }
    if (a.Id == 0x01 && record.VendorId == disk::VENDOR_SANDFORCE) {
        // An unused error-rate counter reads all zeros rather than failing.
        if (current == 0 && a.RawValue[0] == 0 && a.RawValue[1] == 0) return SMART_STATUS_OK;
        return AboveThreshold(current, threshold);
    }
    if ((!record.IsSsd || record.IsJMicron60xOrIndilinx) && !IsStandardId(a.Id))
        return SMART_STATUS_OK;
    return AboveThreshold(current, threshold);
}

SmartTable BuildSmartTable(const DriveRecord& record, const AttributeNameTables& names) {
    SmartTable table;
    const ColumnLayout& layout = LayoutOf(record);
    const size_t count = std::min<size_t>(record.AttributeCount, kSmartEntryCount);
    for (size_t j = 0; j < count; ++j) {
        SmartRowTexts& row = table.Rows.emplace_back();
        const SmartAttribute& a = record.Attribute[j];
        if (a.Id == 0x00 || a.Id == 0xFF) continue;

        wchar_t id[3];
        std::swprintf(id, std::size(id), L"%02X", a.Id);
        row[0] = id;
        row[1] = names.GetAttributeName(record.SmartKeyName, a.Id);
        row[2] = ValueOrHidden(layout.showsCurrent, a.CurrentValue);
        row[3] = ValueOrHidden(layout.showsWorst, a.WorstValue);
        row[4] = ValueOrHidden(layout.showsThreshold && record.SmartThresholdValid,
                               record.Threshold[j].ThresholdValue);
        row[5] = Hex(layout.raw, a);
        row[6] = GetUiText(SmartStatusOf(record, j));

        if (a.Id == 0x09) table.PowerOnTimeText = RawAsDecimal(row[5]);
        if (a.Id == 0x0C) table.PowerOnCountText = RawAsDecimal(row[5]);
    }
    return table;
}

}  // namespace app
