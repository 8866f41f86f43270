// The 12-byte entries of the SMART data and threshold pages, laid out as the drive sends them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace disk {

#pragma pack(push, 1)

struct SmartAttribute {
    uint8_t Id;            // 0 marks an empty slot
    uint16_t StatusFlags;  // little-endian on the wire; read it with the page's byte order
    uint8_t CurrentValue;
    uint8_t WorstValue;
    uint8_t RawValue[6];  // little-endian, byte 0 least significant
    uint8_t Reserved;     // vendor byte
};

struct SmartThreshold {
    uint8_t Id;
    uint8_t ThresholdValue;
    uint8_t Reserved[10];
};

#pragma pack(pop)

static_assert(sizeof(SmartAttribute) == 12);
static_assert(offsetof(SmartAttribute, StatusFlags) == 1);
static_assert(offsetof(SmartAttribute, CurrentValue) == 3);
static_assert(offsetof(SmartAttribute, WorstValue) == 4);
static_assert(offsetof(SmartAttribute, RawValue) == 5);
static_assert(offsetof(SmartAttribute, Reserved) == 11);
static_assert(sizeof(SmartThreshold) == 12);
static_assert(offsetof(SmartThreshold, ThresholdValue) == 1);
static_assert(offsetof(SmartThreshold, Reserved) == 2);

// Entries per page.
inline constexpr size_t kSmartEntryCount = 30;

}  // namespace disk
