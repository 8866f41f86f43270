// Plain-text tables for the terminal: cells padded to their column's width as a terminal shows
// them, where a Chinese character takes two cells.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

enum class Align { Left, Right };

// `text` with every control character except the line feed (C0, DEL and C1) replaced by
// U+FFFD: model and serial texts come from the drive, and must never steer the terminal.
std::wstring TerminalSafe(std::wstring_view text);

// Terminal cells `text` takes: two for East Asian wide characters, one for the others.
size_t DisplayWidth(std::wstring_view text);

// `text` followed by blanks up to `width` terminal cells (never cut).
std::wstring PadRight(std::wstring_view text, size_t width);

// One line per row, each ending in "\n": the cells of a row separated by two blanks and padded
// to the widest cell of their column, aligned as `aligns` says (columns past its end align left).
// Blanks at the end of a line are dropped.
std::wstring FormatColumns(const std::vector<std::vector<std::wstring>>& rows,
                           std::span<const Align> aligns = {});

}  // namespace cli
