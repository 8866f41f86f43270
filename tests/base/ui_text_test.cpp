#include <gtest/gtest.h>

#include "base/ui_text.h"
#include "tests/support/language_scope.h"

namespace {

std::wstring Text(int row, int language) {
    LanguageScope scope(language);
    return GetUiText(row);
}

TEST(UiText, TrailingBlanksEmptinessAndRowsOutsideTheTableDependOnTheLanguage) {
    // Row 16 ends in a blank in Chinese only, row 66 in English only; row 106 is empty in English.
    const auto blankAtEnd = [](int row, int language) {
        return Text(row, language).back() == L' ';
    };
    EXPECT_EQ(
        std::tuple(blankAtEnd(16, 0), blankAtEnd(16, 1), blankAtEnd(66, 0), blankAtEnd(66, 1)),
        std::tuple(false, true, true, false));
    EXPECT_EQ(Text(106, 0) + L"|" + Text(106, 1), L"|无分区");
    EXPECT_EQ(Text(2, 0) + L"|" + Text(2, 1), L"Serial No. :|序列号 :");
    for (int language : {0, 1}) {
        for (int row : {0, 3, 108, 109, 110, 5000, -1, -110, INT32_MIN}) {
            EXPECT_EQ(Text(row, language), L"") << "row " << row;
        }
    }
}

TEST(UiText, OnlyCodePage936IsChinese) {
    EXPECT_EQ(LanguageForCodePage(936), 1);
    for (unsigned page : {1252u, 932u, 949u, 950u, 65001u, 0u})
        EXPECT_EQ(LanguageForCodePage(page), 0);
}

}  // namespace
