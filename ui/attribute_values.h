// The value types of skin attributes: integers, sizes, rectangles, booleans and colours.
// Parsing is lenient the way skins expect: missing numbers count as 0, trailing text is ignored.
#pragma once

#include <cstdint>
#include <string_view>

#include "ui/ui_types.h"

namespace SkinUI {

// The blanks of skin markup and of the values in it.
inline bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n';
}

int ParseInt(std::wstring_view text);
// Up to `count` integers separated by commas (blanks allowed); missing ones are 0.
void ParseInts(std::wstring_view text, int* values, int count);
Rect ParseRect(std::wstring_view text);
Size ParseSize(std::wstring_view text);
Point ParsePoint(std::wstring_view text);
bool ParseBool(std::wstring_view text);
// "#AARRGGBB", "AARRGGBB", or six digits for an opaque colour; anything else is 0.
uint32_t ParseColor(std::wstring_view text);

}  // namespace SkinUI
