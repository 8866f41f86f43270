#include "disk/smart_data.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <iterator>
#include <limits>

#include "base/log.h"
#include "disk/vendor.h"

namespace disk {

namespace {

// Both pages start with a two-byte revision; the 12-byte entries follow.
constexpr size_t kFirstEntryOffset = 2;
static_assert(kFirstEntryOffset + kSmartEntryCount * sizeof(SmartAttribute) <= kAtaPageSize);
static_assert(kFirstEntryOffset + kSmartEntryCount * sizeof(SmartThreshold) <= kAtaPageSize);

// Entry i of a page, copied out byte for byte: the entries are not aligned in the page.
template <typename Entry>
Entry PageEntry(const AtaPage& page, size_t i) {
    Entry entry;
    std::memcpy(&entry, page.data() + kFirstEntryOffset + i * sizeof(Entry), sizeof(Entry));
    return entry;
}

// Counters wider than the record's fields stop at the largest value instead of wrapping into
// negative numbers, which the pages would show as "unknown".
int32_t Saturate(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

// The 16-bit counter some controllers keep in the current (low byte) and worst (high byte)
// values instead of the raw bytes.
int32_t CurrentAndWorst(const SmartAttribute& a) {
    return a.CurrentValue | (a.WorstValue << 8);
}

constexpr uint32_t Vendors(std::initializer_list<int32_t> vendorIds) {
    uint32_t mask = 0;
    for (int32_t vendor : vendorIds)
        mask |= 1u << vendor;
    return mask;
}

bool IsOneOf(uint32_t vendorMask, int32_t vendorId) {
    return vendorId >= 0 && vendorId < VENDOR_COUNT && (vendorMask >> vendorId & 1u) != 0;
}

enum class Field { Life, HostWrites, HostReads, NandWrites, GBytesErased, WearLevelingCount };

enum class Reading {
    Current,          // the normalised value, taken as a percentage of life left
    Raw32,            // bytes 0-3
    Raw32Per32Mib,    // bytes 0-3 read as signed, in units of 32 MiB
    Raw32Times32Kib,  // bytes 0-3 x 32 / 1024
    Raw48Gib,         // a count of 512-byte sectors, in GiB
    Raw48Shift17,
    Raw48Shift16,
};

enum class When { Always, NotJMicron60x, GbVariant, NotGbVariant };

struct VendorReading {
    uint8_t id;
    uint32_t vendors;
    When when;
    Field field;
    Reading reading;
};

constexpr VendorReading kVendorReadings[] = {
    {0x64, Vendors({VENDOR_SANDFORCE}), When::Always, Field::GBytesErased, Reading::Raw32},
    {0xA9, Vendors({VENDOR_MICRON_MU02}), When::Always, Field::Life, Reading::Current},
    {0xAA, Vendors({VENDOR_JMICRON}), When::NotJMicron60x, Field::Life, Reading::Current},
    {0xAD, Vendors({VENDOR_MICRON}), When::Always, Field::WearLevelingCount, Reading::Raw32},
    {0xB1, Vendors({VENDOR_SAMSUNG}), When::Always, Field::WearLevelingCount, Reading::Raw32},
    {0xB3, Vendors({VENDOR_SAMSUNG}), When::Always, Field::Life, Reading::Current},
    {0xB4, Vendors({VENDOR_SAMSUNG}), When::Always, Field::Life, Reading::Current},
    {0xBB, Vendors({VENDOR_MTRON}), When::Always, Field::Life, Reading::Current},
    {0xC6, Vendors({VENDOR_OCZ_VECTOR}), When::Always, Field::HostReads, Reading::Raw32},
    {0xC7, Vendors({VENDOR_OCZ_VECTOR}), When::Always, Field::HostWrites, Reading::Raw32},
    {0xCA, Vendors({VENDOR_MICRON}), When::Always, Field::Life, Reading::Current},
    {0xD1, Vendors({VENDOR_INDILINX}), When::Always, Field::Life, Reading::Current},
    {0xE1, Vendors({VENDOR_INTEL}), When::Always, Field::HostWrites, Reading::Raw32Per32Mib},
    {0xE7, Vendors({VENDOR_SANDFORCE, VENDOR_CORSAIR, VENDOR_KINGSTON}), When::Always, Field::Life,
     Reading::Current},
    {0xE8, Vendors({VENDOR_INTEL, VENDOR_PLEXTOR, VENDOR_SANDISK}), When::Always, Field::Life,
     Reading::Current},
    {0xE8, Vendors({VENDOR_OCZ}), When::Always, Field::HostWrites, Reading::Raw48Gib},
    {0xE9, Vendors({VENDOR_OCZ, VENDOR_OCZ_VECTOR}), When::Always, Field::Life, Reading::Current},
    {0xE9, Vendors({VENDOR_SANDISK}), When::GbVariant, Field::NandWrites, Reading::Raw32},
    {0xE9, Vendors({VENDOR_PLEXTOR, VENDOR_KINGSTON}), When::Always, Field::NandWrites,
     Reading::Raw32},
    {0xF2, Vendors({VENDOR_MICRON}), When::Always, Field::Life, Reading::Current},
    {0xF5, Vendors({VENDOR_MICRON}), When::Always, Field::NandWrites, Reading::Raw48Shift17},
    {0xF5, Vendors({VENDOR_MICRON_MU02}), When::Always, Field::NandWrites,
     Reading::Raw32Times32Kib},
    {0xF6, Vendors({VENDOR_MICRON}), When::Always, Field::HostWrites, Reading::Raw48Gib},
    {0xF7, Vendors({VENDOR_KINGSTON}), When::Always, Field::Life, Reading::Current},
    {0xF9, Vendors({VENDOR_INTEL}), When::Always, Field::NandWrites, Reading::Raw32},
    {0xF9, Vendors({VENDOR_OCZ_VECTOR}), When::Always, Field::NandWrites, Reading::Raw48Shift16},
};

// Host writes (0xF1) and host reads (0xF2) are counted alike by each vendor.
constexpr uint8_t kHostWritesId = 0xF1;
constexpr uint8_t kHostReadsId = 0xF2;

struct HostTrafficReading {
    uint32_t vendors;
    When when;
    Reading reading;
};

constexpr HostTrafficReading kHostTrafficReadings[] = {
    {Vendors({VENDOR_INTEL, VENDOR_TOSHIBA}), When::Always, Reading::Raw32Per32Mib},
    {Vendors({VENDOR_SANDFORCE, VENDOR_OCZ_VECTOR, VENDOR_CORSAIR, VENDOR_KINGSTON}), When::Always,
     Reading::Raw32},
    {Vendors({VENDOR_SAMSUNG, VENDOR_SANDISK}), When::NotGbVariant, Reading::Raw48Gib},
    {Vendors({VENDOR_SAMSUNG, VENDOR_SANDISK}), When::GbVariant, Reading::Raw32},
    {Vendors({VENDOR_WDC}), When::Always, Reading::Raw48Gib},
    {Vendors({VENDOR_PLEXTOR, VENDOR_MICRON_MU02}), When::Always, Reading::Raw32Times32Kib},
};

bool Holds(When when, const DriveRecord& record) {
    switch (when) {
        case When::Always:
            return true;
        case When::NotJMicron60x:
            return !record.IsJMicron60xOrIndilinx;
        case When::GbVariant:
            return record.VendorVariant == VENDOR_VARIANT_GB;
        case When::NotGbVariant:
            return record.VendorVariant != VENDOR_VARIANT_GB;
    }
    return false;
}

int32_t& FieldOf(Field field, DriveRecord& record) {
    switch (field) {
        case Field::Life:
            return record.Life;
        case Field::HostWrites:
            return record.HostWrites;
        case Field::HostReads:
            return record.HostReads;
        case Field::NandWrites:
            return record.NandWrites;
        case Field::GBytesErased:
            return record.GBytesErased;
        case Field::WearLevelingCount:
            return record.WearLevelingCount;
    }
    return record.Life;
}

void Store(const SmartAttribute& a, Reading reading, int32_t& field) {
    const uint32_t raw32 = RawValue32(a);
    const uint64_t raw48 = RawValue48(a);
    switch (reading) {
        case Reading::Current:
            // Anything above 100 is not a percentage; the life stays as it was.
            if (a.CurrentValue <= 100) field = a.CurrentValue;
            return;
        case Reading::Raw32:
            field = Saturate(raw32);
            return;
        case Reading::Raw32Per32Mib:
            field = static_cast<int32_t>(static_cast<int32_t>(raw32) * 0.03125);
            return;
        case Reading::Raw32Times32Kib:
            field = Saturate(uint64_t{raw32} * 32 / 1024);
            return;
        case Reading::Raw48Gib:
            field = Saturate(static_cast<int64_t>(raw48 >> 21));
            return;
        case Reading::Raw48Shift17:
            field = Saturate(static_cast<int64_t>(raw48 >> 17));
            return;
        case Reading::Raw48Shift16:
            field = Saturate(static_cast<int64_t>(raw48 >> 16));
            return;
    }
}

bool AdjustsPowerOnHours(const DriveRecord& record, uint32_t raw32) {
    constexpr uint32_t kAdjustedCounterStart = 0xDA000;
    return record.TimeUnitType == TIME_UNIT_ADJUSTED_HOURS ||
           (record.TimeUnitType == TIME_UNIT_HOURS && raw32 >= kAdjustedCounterStart) ||
           (record.Model.starts_with(L"Intel") && raw32 >= kAdjustedCounterStart);
}

void ReadPowerOnTime(const SmartAttribute& a, DriveRecord& record) {
    const uint32_t raw32 = RawValue32(a);
    int64_t value = raw32;
    if (record.VendorId == VENDOR_INDILINX) {
        value = CurrentAndWorst(a);
    } else if (AdjustsPowerOnHours(record, raw32)) {
        record.DetectedTimeUnitType = TIME_UNIT_ADJUSTED_HOURS;
        value = std::max<int64_t>(0, int64_t{raw32 & 0xFFFFFF} - kPowerOnHoursOffset);
    }
    record.PowerOnRawValue = Saturate(value);
    record.PowerOnHours = ConvertPowerOnTime(value, record.TimeUnitType);
    record.DetectedPowerOnHours = ConvertPowerOnTime(value, record.DetectedTimeUnitType);
}

void ReadPowerOnCount(const SmartAttribute& a, DriveRecord& record) {
    record.PowerOnCount =
        record.VendorId == VENDOR_INDILINX ? CurrentAndWorst(a) : Saturate(RawValue32(a));
}

void ReadAirflowTemperature(const SmartAttribute& a, DriveRecord& record) {
    if (a.RawValue[0] >= 1 && a.RawValue[0] <= 99) record.Temperature = a.RawValue[0];
}

void ReadTemperature(const SmartAttribute& a, DriveRecord& record) {
    const uint8_t low = a.RawValue[0];
    const uint8_t high = a.RawValue[1];
    // These models report tenths of a degree, except for small plain values.
    if (record.Model.starts_with(L"SAMSUNG SV") && !(high == 0 && low <= 70)) {
        record.Temperature = (high * 256 + low) / 10;
    } else if (low != 0) {
        record.Temperature = record.TemperatureMultiplier >= 1.0
                                 ? low
                                 : static_cast<int32_t>(low * record.TemperatureMultiplier);
    }
    if (record.Temperature >= 100) record.Temperature = -1000;
}

// The attributes every drive reports the same way; the others go by vendor.
struct CommonReading {
    uint8_t id;
    void (*read)(const SmartAttribute&, DriveRecord&);
};

constexpr CommonReading kCommonReadings[] = {
    {0x09, ReadPowerOnTime},
    {0x0C, ReadPowerOnCount},
    {0xBE, ReadAirflowTemperature},
    {0xC2, ReadTemperature},
};

void ReadAttribute(const SmartAttribute& a, DriveRecord& record) {
    for (const CommonReading& common : kCommonReadings)
        if (common.id == a.Id) common.read(a, record);
    ApplyVendorReading(a, record);
}

}  // namespace

uint32_t RawValue32(const SmartAttribute& a) {
    return uint32_t{a.RawValue[0]} | uint32_t{a.RawValue[1]} << 8 | uint32_t{a.RawValue[2]} << 16 |
           uint32_t{a.RawValue[3]} << 24;
}

uint64_t RawValue48(const SmartAttribute& a) {
    return uint64_t{RawValue32(a)} | uint64_t{a.RawValue[4]} << 32 | uint64_t{a.RawValue[5]} << 40;
}

int32_t ConvertPowerOnTime(int64_t value, int32_t timeUnitType) {
    // Divisor by unit code; unknown (0) gives no hours at all.
    constexpr int64_t kDivisors[] = {0, 1, 60, 120, 60 * 60, 6, 1};
    if (timeUnitType < 0 || timeUnitType >= static_cast<int32_t>(std::size(kDivisors)))
        return Saturate(value);
    const int64_t divisor = kDivisors[timeUnitType];
    return divisor == 0 ? 0 : Saturate(value / divisor);
}

void ApplyVendorReading(const SmartAttribute& a, DriveRecord& record) {
    for (const VendorReading& rule : kVendorReadings)
        if (rule.id == a.Id && IsOneOf(rule.vendors, record.VendorId) && Holds(rule.when, record))
            Store(a, rule.reading, FieldOf(rule.field, record));
    if (a.Id != kHostWritesId && a.Id != kHostReadsId) return;
    int32_t& field = a.Id == kHostWritesId ? record.HostWrites : record.HostReads;
    for (const HostTrafficReading& rule : kHostTrafficReadings)
        if (IsOneOf(rule.vendors, record.VendorId) && Holds(rule.when, record))
            Store(a, rule.reading, field);
}

bool FillSmartData(DriveRecord& record) {
    record.AttributeCount = 0;
    for (size_t i = 0; i < kSmartEntryCount; ++i) {
        const auto entry = PageEntry<SmartAttribute>(record.SmartReadData, i);
        if (entry.Id == 0) continue;
        record.Attribute[record.AttributeCount] = entry;
        ReadAttribute(entry, record);
        ++record.AttributeCount;
    }
    // Slots past the count hold nothing, not what an earlier reading left there.
    std::fill(record.Attribute.begin() + record.AttributeCount, record.Attribute.end(),
              SmartAttribute{});
    return record.AttributeCount > 0;
}

bool FillSmartThreshold(DriveRecord& record) {
    record.Threshold.fill(SmartThreshold{});
    const size_t count = std::min<size_t>(record.AttributeCount, kSmartEntryCount);
    uint32_t matches = 0;
    for (size_t t = 0; t < kSmartEntryCount; ++t) {
        const auto entry = PageEntry<SmartThreshold>(record.SmartReadThreshold, t);
        if (entry.Id == 0) continue;
        for (size_t i = 0; i < count; ++i) {
            if (record.Attribute[i].Id != entry.Id) continue;
            record.Threshold[i] = entry;
            ++matches;
        }
    }
    // Micron firmware that sends an empty threshold page keeps each threshold in the vendor
    // byte of its attribute.
    if (matches == 0 && record.VendorId == VENDOR_MICRON) {
        for (size_t i = 0; i < kSmartEntryCount; ++i) {
            if (record.Attribute[i].Reserved == 0) continue;
            record.Threshold[i].Id = record.Attribute[i].Id;
            record.Threshold[i].ThresholdValue = record.Attribute[i].Reserved;
            ++matches;
        }
    }
    return matches > 0;
}

bool CheckSmartAttributeCorrect(const DriveRecord& first, const DriveRecord& second) {
    const size_t count = std::min<size_t>(first.AttributeCount, kSmartEntryCount);
    for (size_t i = 0; i < count; ++i) {
        if (first.Attribute[i].Id != second.Attribute[i].Id) {
            WriteLog(L"asi1->Attribute[i].Id != asi2->Attribute[i].Id");
            return false;
        }
    }
    return true;
}

}  // namespace disk
