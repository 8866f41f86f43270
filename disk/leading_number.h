// Reading the number a text starts with, as the C library's string-to-number functions do,
// but the same everywhere: no locale, no errno, decimal point always ".".
#pragma once

#include <cstdint>
#include <string_view>

namespace disk {

// Leading white space is skipped, an optional sign and decimal digits are read, and reading
// stops at the first character that cannot continue the number. No digits gives 0; a value
// beyond 32 bits gives the nearest 32-bit limit.
int32_t LeadingInteger(std::wstring_view text);

// As LeadingInteger, for a decimal number with an optional fraction and exponent, a
// hexadecimal number with the "0x" prefix, "inf", "infinity" or "nan". A value too large for
// a double gives infinity of its sign; one too small gives zero.
double LeadingDecimal(std::wstring_view text);

}  // namespace disk
