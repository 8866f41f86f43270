// Text layout of the headless backend: fixed, font-independent metrics, so that tests can
// predict where text lands. A wide (CJK) character is one em; any other is half an em. A
// surrogate pair is one character.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "ui/backend/backend.h"

namespace SkinUI::headless {

struct TextLine {
    std::wstring text;
    int width = 0;
};

int CharWidth(char32_t c, const TFontInfo& font);
int LineHeight(const TFontInfo& font);
// Breaks text into lines: at "\n", and with text::kWordBreak at blanks or between wide
// characters to fit `maxWidth`; with text::kEndEllipsis a single line too long for `maxWidth`
// ends in "...".
std::vector<TextLine> LayoutText(std::wstring_view text, const TFontInfo& font, int maxWidth,
                                 unsigned style);

}  // namespace SkinUI::headless
