#include "platform/partition_table.h"

#include <cstdio>

namespace platform {

namespace {

constexpr std::array<uint32_t, 256> MakeCrcTable() {
    std::array<uint32_t, 256> table{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t value = i;
        for (int bit = 0; bit < 8; ++bit)
            value = (value & 1) ? (value >> 1) ^ 0xEDB88320u : value >> 1;
        table[i] = value;
    }
    return table;
}

constexpr std::array<uint32_t, 256> kCrcTable = MakeCrcTable();

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Byte positions on disk of the text's hex pairs, in text order: the first three groups are
// stored little-endian, the last two as written.
constexpr int kDiskOrder[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};

}  // namespace

uint32_t Crc32(uint32_t previous, std::span<const uint8_t> bytes) {
    uint32_t crc = ~previous;
    for (uint8_t byte : bytes)
        crc = kCrcTable[(crc ^ byte) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

std::optional<GuidBytes> ParseGuid(std::string_view text) {
    if (text.size() != 36) return std::nullopt;
    GuidBytes guid{};
    int pair = 0;
    for (size_t i = 0; i < text.size();) {
        if (i == 8 || i == 13 || i == 18 || i == 23) {
            if (text[i] != '-') return std::nullopt;
            ++i;
            continue;
        }
        const int high = HexValue(text[i]);
        const int low = HexValue(text[i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        guid[kDiskOrder[pair++]] = static_cast<uint8_t>(high << 4 | low);
        i += 2;
    }
    return guid;
}

std::string FormatGuid(const GuidBytes& guid) {
    std::string text;
    char hex[3];
    for (int pair = 0; pair < 16; ++pair) {
        if (pair == 4 || pair == 6 || pair == 8 || pair == 10) text += '-';
        std::snprintf(hex, sizeof hex, "%02X", guid[kDiskOrder[pair]]);
        text += hex;
    }
    return text;
}

}  // namespace platform
