// The command line's own words: table headers and messages that the window has no interface
// text for, in English and Simplified Chinese. The language is LanguageFlag's, like every
// interface text.
#pragma once

#include <string>

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
};

std::wstring CliText(CliWord word);

}  // namespace cli
