// The numbered interface texts, in English and Simplified Chinese.
#pragma once

#include <string>

// 1 for Simplified Chinese, 0 for English; fixed once at start and read by every lookup.
extern int LanguageFlag;

// The language the ANSI code page asks for: Chinese exactly on code page 936.
int LanguageForCodePage(unsigned codePage);

// The text of `row` in the current language; a row outside the table (the row is taken as
// unsigned, so a negative one too) gives the empty string.
std::wstring GetUiText(int row);

// Number of rows in the table; the last one is empty in both languages.
inline constexpr unsigned kUiTextRows = 110;
