// Reading the 16-bit little-endian words of an IDENTIFY DEVICE answer.
#pragma once

#include <cstddef>
#include <cstdint>

#include "disk/drive_record.h"

namespace disk {

inline constexpr size_t kIdentifyWordCount = kAtaPageSize / 2;

// Word n occupies bytes 2n and 2n+1. Callers pass named word numbers, each checked against
// kIdentifyWordCount where it is defined.
constexpr uint16_t IdentifyWord(const AtaPage& page, size_t word) {
    return static_cast<uint16_t>(page[2 * word] | page[2 * word + 1] << 8);
}

// Words n and n+1 as one 32-bit value, word n the low half.
constexpr uint32_t IdentifyDoubleWord(const AtaPage& page, size_t word) {
    return IdentifyWord(page, word) | uint32_t{IdentifyWord(page, word + 1)} << 16;
}

}  // namespace disk
