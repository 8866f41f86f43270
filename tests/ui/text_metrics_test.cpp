// The headless text layout that render tests rely on: widths, wrapping, line breaks and the
// end ellipsis.
#include "ui/backend/headless/text_metrics.h"

#include <gtest/gtest.h>

namespace SkinUI::headless {
namespace {

TEST(HeadlessTextMetrics, WidthsAndLineHeight) {
    TFontInfo font{L"Face", 12};
    EXPECT_EQ(CharWidth(L'A', font), 6);
    EXPECT_EQ(CharWidth(L'中', font), 12);
    EXPECT_EQ(CharWidth(L'A', TFontInfo{L"Face", 13}), 7);
    EXPECT_EQ(LineHeight(font), 16);
    EXPECT_EQ(CharWidth(L'A', TFontInfo{L"Face", 0}), 6) << "no size: 12 px";
}

TEST(HeadlessTextMetrics, SingleLineKeepsBreaksAsBlanksAndEllipsizes) {
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
    TFontInfo font{L"Face", 12};
    // 7 characters of 6 px per 42 px line.
    auto lines = LayoutText(L"one two three", font, 42, text::kWordBreak);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].text, L"one two");
    EXPECT_EQ(lines[1].text, L"three");
    lines = LayoutText(L"中文中文中文", font, 30, text::kWordBreak);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].text, L"中文");
    // A word longer than the line is cut where the line ends.
    lines = LayoutText(L"abcdefghij", font, 30, text::kWordBreak);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].text, L"abcde");
    // Explicit breaks start new lines, empty ones included.
    lines = LayoutText(L"\nProgram has opened!", font, 400, text::kWordBreak);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].text, L"");
    EXPECT_EQ(lines[1].text, L"Program has opened!");
    // A line narrower than one character still advances.
    lines = LayoutText(L"abc", font, 1, text::kWordBreak);
    EXPECT_EQ(lines.size(), 3u);
    lines = LayoutText(L"\U0001F600\U0001F600", font, 1, text::kWordBreak);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].text, L"\U0001F600");
    // Two of them (24 px) fit a line of 30: a pair is one character.
    lines = LayoutText(L"\U0001F600\U0001F600\U0001F600", font, 30, text::kWordBreak);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].text, L"\U0001F600\U0001F600");
}

}  // namespace
}  // namespace SkinUI::headless
