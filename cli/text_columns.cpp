#include "cli/text_columns.h"

#include <algorithm>

#include "base/wide_chars.h"

namespace cli {

namespace {

struct WideRange {
    char32_t first;
    char32_t last;
};

// East Asian wide and fullwidth blocks of the BMP, which is all the program's text uses.
constexpr WideRange kWideRanges[] = {
    {0x1100, 0x115F}, {0x2E80, 0x303E}, {0x3041, 0x33FF}, {0x3400, 0x4DBF},
    {0x4E00, 0x9FFF}, {0xA000, 0xA4CF}, {0xAC00, 0xD7A3}, {0xF900, 0xFAFF},
    {0xFE30, 0xFE4F}, {0xFF00, 0xFF60}, {0xFFE0, 0xFFE6},
};

bool IsWide(char32_t c) {
    return std::ranges::any_of(kWideRanges,
                               [c](const WideRange& r) { return c >= r.first && c <= r.last; });
}

bool IsControl(wchar_t c) {
    return (c < 0x20 && c != L'\n') || (c >= 0x7F && c <= 0x9F);
}

}  // namespace

std::wstring TerminalSafe(std::wstring_view text) {
    std::wstring safe(text);
    for (wchar_t& c : safe)
        if (IsControl(c)) c = 0xFFFD;
    return safe;
}

size_t DisplayWidth(std::wstring_view text) {
    size_t width = 0;
    for (const char32_t c : base::Characters(text))
        width += IsWide(c) ? 2 : 1;
    return width;
}

std::wstring PadRight(std::wstring_view text, size_t width) {
    std::wstring padded(text);
    const size_t shown = DisplayWidth(text);
    if (shown < width) padded.append(width - shown, L' ');
    return padded;
}

std::wstring FormatColumns(const std::vector<std::vector<std::wstring>>& rows,
                           std::span<const Align> aligns) {
    std::vector<size_t> widths;
    for (const auto& row : rows) {
        if (widths.size() < row.size()) widths.resize(row.size(), 0);
        for (size_t c = 0; c < row.size(); ++c)
            widths[c] = std::max(widths[c], DisplayWidth(row[c]));
    }
    std::wstring text;
    for (const auto& row : rows) {
        std::wstring line;
        for (size_t c = 0; c < row.size(); ++c) {
            if (c > 0) line += L"  ";
            const bool right = c < aligns.size() && aligns[c] == Align::Right;
            const size_t gap = widths[c] - DisplayWidth(row[c]);
            if (right) line.append(gap, L' ');
            line += row[c];
            if (!right) line.append(gap, L' ');
        }
        line.erase(line.find_last_not_of(L' ') + 1);
        text += line;
        text += L'\n';
    }
    return text;
}

}  // namespace cli
