// The command line's own words: table headers and messages that the window has no interface
// text for, in English and Simplified Chinese. The language is LanguageFlag's, like every
// interface text. And the one way its text leaves for the terminal.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace cli {

enum class CliWord {
    Drive,
    Model,
    Size,
    Interface,
    Route,
    SystemDisk,
    NotDetermined,
    NoAttributes,
    UsbIds,
    Verifying,
};

std::wstring CliText(CliWord word);

// Writes `text` to `stream` (a console gets it intact, a pipe or file gets UTF-8) and flushes it,
// so that a progress line shows at once and stdout and stderr keep their order.
void Print(std::FILE* stream, std::string_view utf8);
void Print(std::FILE* stream, std::wstring_view text);

}  // namespace cli
