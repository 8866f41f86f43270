#include "ui/attribute_values.h"

namespace SkinUI {

namespace {

// Reads one optionally signed decimal number at pos; saturates instead of overflowing.
int ReadInt(std::wstring_view text, size_t& pos) {
    while (pos < text.size() && IsBlank(text[pos]))
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == L'-' || text[pos] == L'+'))
        negative = text[pos++] == L'-';
    long long value = 0;
    while (pos < text.size() && text[pos] >= L'0' && text[pos] <= L'9') {
        if (value < 0x7FFFFFFF) value = value * 10 + (text[pos] - L'0');
        ++pos;
    }
    if (value > 0x7FFFFFFF) value = 0x7FFFFFFF;
    return static_cast<int>(negative ? -value : value);
}

int HexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

}  // namespace

int ParseInt(std::wstring_view text) {
    size_t pos = 0;
    return ReadInt(text, pos);
}

void ParseInts(std::wstring_view text, int* values, int count) {
    size_t pos = 0;
    for (int i = 0; i < count; ++i) {
        values[i] = ReadInt(text, pos);
        while (pos < text.size() && IsBlank(text[pos]))
            ++pos;
        if (pos < text.size() && text[pos] == L',') {
            ++pos;
        } else {
            for (int j = i + 1; j < count; ++j)
                values[j] = 0;
            return;
        }
    }
}

Rect ParseRect(std::wstring_view text) {
    int v[4];
    ParseInts(text, v, 4);
    return {v[0], v[1], v[2], v[3]};
}

Size ParseSize(std::wstring_view text) {
    int v[2];
    ParseInts(text, v, 2);
    return {v[0], v[1]};
}

Point ParsePoint(std::wstring_view text) {
    int v[2];
    ParseInts(text, v, 2);
    return {v[0], v[1]};
}

bool ParseBool(std::wstring_view text) {
    return text == L"true";
}

uint32_t ParseColor(std::wstring_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    if (!text.empty() && text.front() == L'#') text.remove_prefix(1);
    uint32_t value = 0;
    size_t digits = 0;
    while (digits < text.size() && digits < 8 && HexDigit(text[digits]) >= 0)
        value = (value << 4) | static_cast<uint32_t>(HexDigit(text[digits++]));
    if (digits == 6) return 0xFF000000u | value;
    return digits == 8 ? value : 0;
}

}  // namespace SkinUI
