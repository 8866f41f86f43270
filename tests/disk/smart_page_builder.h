// Builds SMART data and threshold pages for tests, byte by byte in the drive's layout, so that
// the parsers are checked against the wire format rather than against their own structs.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <tuple>
#include <utility>

#include "disk/drive_record.h"

struct AttributeSpec {
    uint8_t id;
    uint8_t current = 100;
    uint8_t worst = 100;
    uint64_t raw = 0;  // the low 48 bits are sent
    uint8_t reserved = 0;
    uint16_t statusFlags = 0x0032;
};

inline constexpr size_t kSmartEntryBytes = 12;

// Entry `slot` of a data page.
inline void PutAttribute(disk::AtaPage& page, size_t slot, const AttributeSpec& a) {
    uint8_t* entry = page.data() + 2 + slot * kSmartEntryBytes;
    entry[0] = a.id;
    entry[1] = static_cast<uint8_t>(a.statusFlags);
    entry[2] = static_cast<uint8_t>(a.statusFlags >> 8);
    entry[3] = a.current;
    entry[4] = a.worst;
    for (size_t b = 0; b < 6; ++b)
        entry[5 + b] = static_cast<uint8_t>(a.raw >> (8 * b));
    entry[11] = a.reserved;
}

// A data page with the attributes in slots 0, 1, ... and revision 0x0010.
inline disk::AtaPage DataPage(std::initializer_list<AttributeSpec> attributes) {
    disk::AtaPage page{};
    page[0] = 0x10;
    size_t slot = 0;
    for (const AttributeSpec& a : attributes)
        PutAttribute(page, slot++, a);
    return page;
}

// A data page of the given ids with neutral values.
inline disk::AtaPage IdPage(std::span<const uint8_t> ids) {
    disk::AtaPage page{};
    page[0] = 0x10;
    for (size_t slot = 0; slot < ids.size(); ++slot)
        PutAttribute(page, slot, {.id = ids[slot]});
    return page;
}
inline disk::AtaPage IdPage(std::initializer_list<uint8_t> ids) {
    return IdPage(std::span<const uint8_t>(ids.begin(), ids.size()));
}

// A threshold page of (id, threshold) entries in slots 0, 1, ...
inline disk::AtaPage ThresholdPage(std::initializer_list<std::pair<uint8_t, uint8_t>> entries) {
    disk::AtaPage page{};
    page[0] = 0x10;
    size_t slot = 0;
    for (const auto& [id, value] : entries) {
        uint8_t* entry = page.data() + 2 + slot++ * kSmartEntryBytes;
        entry[0] = id;
        entry[1] = value;
    }
    return page;
}

// A record's three SMART flags at once, to compare with std::tuple(supported, data, thresholds).
inline std::tuple<bool, bool, bool> SmartFlags(const disk::DriveRecord& record) {
    return {record.SmartSupported, record.SmartDataValid, record.SmartThresholdValid};
}
