#include "ui/backend/headless/text_metrics.h"

#include "base/wide_chars.h"

namespace SkinUI::headless {

using base::NextCharacter;

namespace {

bool IsWide(char32_t c) {
    return c >= 0x2E80;
}

int Width(std::wstring_view text, const TFontInfo& font) {
    int width = 0;
    for (const char32_t c : base::Characters(text))
        width += CharWidth(c, font);
    return width;
}

// Cuts a line with "..." so that it fits.
TextLine Ellipsize(std::wstring_view text, const TFontInfo& font, int maxWidth) {
    const std::wstring dots = L"...";
    const int budget = maxWidth - Width(dots, font);
    size_t kept = 0;
    int width = 0;
    for (size_t next = 0; kept < text.size(); kept = next) {
        const int advance = CharWidth(NextCharacter(text, next), font);
        if (width + advance > budget) break;
        width += advance;
    }
    const std::wstring line = std::wstring(text.substr(0, kept)) + dots;
    return {line, Width(line, font)};
}

}  // namespace

int CharWidth(char32_t c, const TFontInfo& font) {
    int em = font.size > 0 ? font.size : 12;
    return IsWide(c) ? em : (em + 1) / 2;
}

int LineHeight(const TFontInfo& font) {
    int em = font.size > 0 ? font.size : 12;
    return (em * 4 + 2) / 3;
}

std::vector<TextLine> LayoutText(std::wstring_view text, const TFontInfo& font, int maxWidth,
                                 unsigned style) {
    std::vector<TextLine> lines;
    bool single = (style & text::kSingleLine) != 0;
    bool wrap = !single && (style & text::kWordBreak) != 0 && maxWidth > 0;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = single ? text.size() : text.find(L'\n', start);
        if (end == std::wstring_view::npos) end = text.size();
        std::wstring_view paragraph = text.substr(start, end - start);
        if (!wrap) {
            std::wstring line(paragraph);
            for (wchar_t& c : line)
                if (c == L'\n' || c == L'\r') c = L' ';
            lines.push_back({line, Width(line, font)});
        } else {
            // Greedy: break after the last blank that fits, or before a wide character.
            size_t pos = 0;
            do {
                int width = 0;
                size_t cut = pos, lastBreak = std::wstring_view::npos;
                char32_t c = 0;  // the character at `cut` once the loop has stopped there
                while (cut < paragraph.size()) {
                    size_t next = cut;
                    c = NextCharacter(paragraph, next);
                    if (width + CharWidth(c, font) > maxWidth) break;
                    width += CharWidth(c, font);
                    if (c == L' ' || IsWide(c)) lastBreak = next;
                    cut = next;
                }
                // Back to the last break only when the line would end inside a word.
                const bool insideWord = cut < paragraph.size() && c != L' ' && !IsWide(c);
                if (insideWord && lastBreak != std::wstring_view::npos && lastBreak > pos)
                    cut = lastBreak;
                // A character wider than the line still moves on.
                if (cut == pos) NextCharacter(paragraph, cut);
                std::wstring line(paragraph.substr(pos, cut - pos));
                while (!line.empty() && line.back() == L' ')
                    line.pop_back();
                lines.push_back({line, Width(line, font)});
                pos = cut;
                while (pos < paragraph.size() && paragraph[pos] == L' ')
                    ++pos;
            } while (pos < paragraph.size());
        }
        if (end >= text.size()) break;
        start = end + 1;
    }
    if ((style & text::kEndEllipsis) && maxWidth > 0) {
        for (TextLine& line : lines)
            if (line.width > maxWidth) line = Ellipsize(line.text, font, maxWidth);
    }
    return lines;
}

}  // namespace SkinUI::headless
