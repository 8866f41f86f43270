// The numbered interface texts, in English and Simplified Chinese.
#pragma once

#include <optional>
#include <string>

// 1 for Simplified Chinese, 0 for English. This text module owns it: it is fixed once, before
// the first text is looked up, through SetLanguageFlag (by the window program's start-up and by
// tramsik-cli), and read by every lookup and by the few places that keep a text of their own
// in both languages. Tests set it directly around the cases that need a language.
extern int LanguageFlag;

// The language the ANSI code page asks for: Chinese exactly on code page 936.
int LanguageForCodePage(unsigned codePage);

// Fixes LanguageFlag: `chosen` when the user named a language (tramsik-cli's --lang), else
// what `codePage` asks for.
void SetLanguageFlag(unsigned codePage, std::optional<int> chosen = std::nullopt);

// The text of `row` in the current language; a row outside the table (the row is taken as
// unsigned, so a negative one too) gives the empty string.
std::wstring GetUiText(int row);

// Number of rows in the table; the last one is empty in both languages.
inline constexpr unsigned kUiTextRows = 110;
