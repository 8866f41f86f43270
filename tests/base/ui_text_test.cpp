#include <gtest/gtest.h>

#include "base/ui_text.h"
#include "tests/support/language_scope.h"

namespace {

std::wstring Text(int row, int language) {
    LanguageScope scope(language);
    return GetUiText(row);
}

TEST(UiText, TrailingBlanksAndLanguageSpecificEmptiness) {
    EXPECT_EQ(Text(16, 1).back(), L' ');
    EXPECT_NE(Text(16, 0).back(), L' ');
    EXPECT_EQ(Text(66, 0).back(), L' ');
    EXPECT_NE(Text(66, 1).back(), L' ');
    EXPECT_EQ(Text(106, 0), L"");
    EXPECT_EQ(Text(106, 1), L"无分区");
}

TEST(UiText, RowsWithoutTextAndOutsideTheTableAreEmpty) {
    EXPECT_EQ(Text(2, 0), L"Serial No. :");
    EXPECT_EQ(Text(2, 1), L"序列号 :");
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
