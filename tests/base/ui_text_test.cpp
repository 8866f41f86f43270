#include <gtest/gtest.h>

#include "base/ui_text.h"
#include "tests/support/language_scope.h"

namespace {

std::wstring Text(int row, int language) {
    LanguageScope scope(language);
    return GetUiText(row);
}

TEST(UiText, OnlyCodePage936IsChineseAndRowsOutsideTheTableAreEmpty) {
    EXPECT_EQ(std::tuple(LanguageForCodePage(936), LanguageForCodePage(950),
                         LanguageForCodePage(1252), LanguageForCodePage(0)),
              std::tuple(1, 0, 0, 0));
    // Row 106 is empty in English only.
    EXPECT_EQ(Text(106, 0) + L"|" + Text(106, 1), L"|无分区");
    for (int language : {0, 1})
        for (int row : {108, 110, -1, INT32_MIN})
            EXPECT_EQ(Text(row, language), L"") << "row " << row;
}

}  // namespace
