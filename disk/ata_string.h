// The text fields of an IDENTIFY DEVICE answer: where they lie, how a damaged one is repaired,
// and how its bytes become a trimmed wide string.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "disk/drive_record.h"

namespace disk {

struct AtaTextField {
    size_t offset;  // in bytes from the start of the page
    size_t length;  // in bytes, always even: the field is a run of 16-bit words
};

inline constexpr AtaTextField kSerialNumberField{20, 20};  // words 10-19
inline constexpr AtaTextField kFirmwareRevField{46, 8};    // words 23-26
inline constexpr AtaTextField kModelField{54, 40};         // words 27-46

constexpr bool LiesInPage(AtaTextField field) {
    return field.length % 2 == 0 && field.offset % 2 == 0 &&
           field.offset + field.length <= kAtaPageSize;
}
static_assert(LiesInPage(kSerialNumberField) && LiesInPage(kFirmwareRevField) &&
              LiesInPage(kModelField));

std::span<uint8_t> FieldBytes(AtaPage& page, AtaTextField field);
std::span<const uint8_t> FieldBytes(const AtaPage& page, AtaTextField field);

// Replaces the first control byte (0x01-0x1F) of the field with a blank and stops there. A
// DEL byte (0x7F) met before that marks garbage: false, and the field is left alone.
bool RepairAtaText(std::span<uint8_t> field);

// Exchanges the two bytes of every 16-bit word of the field: ATA puts the first character of
// each pair in the high byte.
void SwapAtaTextBytes(std::span<uint8_t> field);

// The field's bytes up to the first NUL, one character per byte (Latin-1), trimmed.
std::wstring AtaTextToString(std::span<const uint8_t> field);

// Removes leading and trailing white space (the Unicode White_Space characters).
std::wstring TrimWhiteSpace(std::wstring_view text);

}  // namespace disk
