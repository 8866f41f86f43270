// The headless text layout that render tests rely on: widths, wrapping, line breaks and the
// end ellipsis.
#include "ui/backend/headless/text_metrics.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace SkinUI::headless {
namespace {

TEST(HeadlessTextMetrics, WidthsAndASingleLineWithBreaksAsBlanksAndEllipsis) {
    EXPECT_EQ(CharWidth(L'A', TFontInfo{L"Face", 13}), 7) << "half an em, rounded up";
    EXPECT_EQ(LineHeight(TFontInfo{L"Face", 12}), 16);
    EXPECT_EQ(CharWidth(L'A', TFontInfo{L"Face", 0}), 6) << "no size: 12 px";
    TFontInfo font{L"Face", 12};
    auto lines = LayoutText(L"ab\ncd", font, 0, text::kSingleLine);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].text, L"ab cd");
    EXPECT_EQ(lines[0].width, 30);
    // 10 characters (60 px) in 40 px: as many as fit before "..." (18 px).
    lines = LayoutText(L"0123456789", font, 40, text::kSingleLine | text::kEndEllipsis);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].text, L"012...");
    EXPECT_LE(lines[0].width, 40);
    lines = LayoutText(L"0123", font, 40, text::kSingleLine | text::kEndEllipsis);
    EXPECT_EQ(lines[0].text, L"0123") << "text that fits is left alone";
    // U+1F600 is one wide character (12 px) wherever it takes two units, and is never halved.
    lines = LayoutText(L"a\U0001F600b", font, 0, text::kSingleLine);
    EXPECT_EQ(lines[0].width, 24);
    lines = LayoutText(L"\U0001F600\U0001F600\U0001F600\U0001F600", font, 40,
                       text::kSingleLine | text::kEndEllipsis);
    EXPECT_EQ(lines[0].text, L"\U0001F600...");
}

TEST(HeadlessTextMetrics, WrapsAtBlanksAndBetweenWideCharacters) {
    const std::wstring smile = L"\U0001F600";  // a wide character outside the BMP
    const std::tuple<std::wstring, int, std::vector<std::wstring>> rows[] = {
        // 7 characters of 6 px per 42 px line.
        {L"one two three", 42, {L"one two", L"three"}},
        {L"中文中文中文", 30, {L"中文", L"中文", L"中文"}},
        // A word longer than the line is cut where the line ends.
        {L"abcdefghij", 30, {L"abcde", L"fghij"}},
        // Explicit breaks start new lines, empty ones included.
        {L"\nProgram has opened!", 400, {L"", L"Program has opened!"}},
        // A line narrower than one character still advances, by a whole one.
        {L"abc", 1, {L"a", L"b", L"c"}},
        {smile + smile, 1, {smile, smile}},
        // Two of them (24 px) fit a line of 30, also where each takes two units.
        {smile + smile + smile, 30, {smile + smile, smile}},
    };
    for (const auto& [input, maxWidth, expected] : rows) {
        std::vector<std::wstring> lines;
        for (const TextLine& line :
             LayoutText(input, TFontInfo{L"Face", 12}, maxWidth, text::kWordBreak))
            lines.push_back(line.text);
        EXPECT_EQ(lines, expected) << input;
    }
}

}  // namespace
}  // namespace SkinUI::headless
