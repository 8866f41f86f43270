#include "disk/ata_string.h"

#include <algorithm>
#include <string>

#include "base/utf8.h"

namespace disk {

namespace {

bool IsWhiteSpace(wchar_t c) {
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F ||
           c == 0x205F || c == 0x3000;
}

}  // namespace

std::span<uint8_t> FieldBytes(AtaPage& page, AtaTextField field) {
    return std::span<uint8_t>(page).subspan(field.offset, field.length);
}

std::span<const uint8_t> FieldBytes(const AtaPage& page, AtaTextField field) {
    return std::span<const uint8_t>(page).subspan(field.offset, field.length);
}

bool RepairAtaText(std::span<uint8_t> field) {
    for (uint8_t& byte : field) {
        if (byte == 0x7F) return false;
        if (byte >= 0x01 && byte <= 0x1F) {
            byte = ' ';
            return true;
        }
    }
    return true;
}

void SwapAtaTextBytes(std::span<uint8_t> field) {
    for (size_t i = 0; i + 1 < field.size(); i += 2)
        std::swap(field[i], field[i + 1]);
}

std::wstring AtaTextToString(std::span<const uint8_t> field) {
    const auto end = std::find(field.begin(), field.end(), uint8_t{0});
    const std::string bytes(field.begin(), end);
    return TrimWhiteSpace(FromLatin1(bytes));
}

std::wstring TrimWhiteSpace(std::wstring_view text) {
    const auto first = std::find_if_not(text.begin(), text.end(), IsWhiteSpace);
    const auto last = std::find_if_not(text.rbegin(), text.rend(), IsWhiteSpace).base();
    return first < last ? std::wstring(first, last) : std::wstring();
}

}  // namespace disk
