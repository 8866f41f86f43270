// Conversion between the program's wide strings and UTF-8, used at the edges only
// (files, terminal, JSON, text rendering).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// Code points that cannot be encoded (lone surrogates, values past U+10FFFF) become U+FFFD.
std::string ToUtf8(std::wstring_view text);

// Malformed sequences become U+FFFD, one per offending byte.
std::wstring FromUtf8(std::string_view text);

// Each byte is one character (the identity mapping of bytes to U+0000..U+00FF).
std::wstring FromLatin1(std::string_view bytes);

// The file a wide path names, the same on every system: built from UTF-8, since a narrow string
// would be read in the ANSI code page on Windows.
std::filesystem::path PathFromWide(std::wstring_view path);
