#include "disk/leading_number.h"

#include <charconv>
#include <limits>
#include <string>

namespace disk {

namespace {

// The C locale's white space, which is what the C library skips before a number.
bool IsNumberSpace(wchar_t c) {
    return c == L' ' || (c >= L'\t' && c <= L'\r');
}

struct Signed {
    bool negative = false;
    std::wstring_view rest;
};

Signed SkipSpaceAndSign(std::wstring_view text) {
    size_t i = 0;
    while (i < text.size() && IsNumberSpace(text[i]))
        ++i;
    Signed result;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-'))
        result.negative = text[i++] == L'-';
    result.rest = text.substr(i);
    return result;
}

// The ASCII characters at the start of text; a number cannot continue past anything else.
std::string AsciiPrefix(std::wstring_view text) {
    std::string ascii;
    for (wchar_t c : text) {
        if (c < 1 || c > 0x7F) break;
        ascii += static_cast<char>(c);
    }
    return ascii;
}

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || ((c | 0x20) >= 'a' && (c | 0x20) <= 'f');
}

// "0x" counts as a prefix only when a hexadecimal digit follows it, directly or after the
// point; otherwise the text is the number 0 followed by an "x".
bool StartsWithHexNumber(const std::string& text) {
    if (text.size() < 3 || text[0] != '0' || (text[1] | 0x20) != 'x') return false;
    return IsHexDigit(text[2]) || (text[2] == '.' && text.size() > 3 && IsHexDigit(text[3]));
}

// A value from_chars could not represent: infinity when its exponent was positive, zero when
// it was negative. from_chars leaves the parsed extent in [first, last).
double OutOfRange(const char* first, const char* last, char exponentMark) {
    for (const char* c = first; c < last; ++c) {
        if ((*c | 0x20) == exponentMark && c + 1 < last && c[1] == '-') return 0.0;
    }
    return std::numeric_limits<double>::infinity();
}

double ParseUnsigned(const std::string& text) {
    double value = 0.0;
    const bool hex = StartsWithHexNumber(text);
    const char* first = text.data() + (hex ? 2 : 0);
    const char* last = text.data() + text.size();
    // from_chars takes no sign of its own here; the sign was read before.
    if (first == last || *first == '-' || *first == '+') return 0.0;
    const auto format = hex ? std::chars_format::hex : std::chars_format::general;
    const auto [end, error] = std::from_chars(first, last, value, format);
    if (error == std::errc::result_out_of_range) return OutOfRange(first, end, hex ? 'p' : 'e');
    return error == std::errc() ? value : 0.0;
}

}  // namespace

int32_t LeadingInteger(std::wstring_view text) {
    const Signed number = SkipSpaceAndSign(text);
    constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
    int64_t magnitude = 0;
    for (wchar_t c : number.rest) {
        if (c < L'0' || c > L'9') break;
        // Past the limit more digits cannot bring the value back into range.
        if (magnitude <= kLimit) magnitude = magnitude * 10 + (c - L'0');
    }
    const int64_t value = number.negative ? -magnitude : magnitude;
    if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

double LeadingDecimal(std::wstring_view text) {
    const Signed number = SkipSpaceAndSign(text);
    const double magnitude = ParseUnsigned(AsciiPrefix(number.rest));
    return number.negative ? -magnitude : magnitude;
}

}  // namespace disk
