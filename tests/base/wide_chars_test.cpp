// Counting and cutting wide text by characters. Texts are written as UTF-8 so that the same rows
// hold where wchar_t has 16 bits (a pair for U+1F600) and where it has 32.
#include "base/wide_chars.h"

#include <gtest/gtest.h>

#include <string>

#include "base/utf8.h"

namespace {

const std::string kSmile = "\xf0\x9f\x98\x80";         // U+1F600, outside the BMP
const std::string kDisk = "\xe7\xa3\x81\xe7\x9b\x98";  // two Chinese characters

TEST(WideChars, APairIsOneCharacterAndALoneHalfIsOneToo) {
    struct Row {
        std::wstring text;
        std::u32string characters;
    };
    const Row rows[] = {
        {L"", U""},
        {FromUtf8("a" + kSmile + kDisk), U"a\U0001F600\u78c1\u76d8"},
        // Built from units: a high half with no low one after it, and a low one alone.
        {{static_cast<wchar_t>(0xD83D), L'x', static_cast<wchar_t>(0xDE00)},
         {0xD83D, U'x', 0xDE00}},
    };
    for (const Row& row : rows) {
        std::u32string seen;
        for (const char32_t c : base::Characters(row.text))
            seen += c;
        EXPECT_EQ(seen, row.characters) << ToUtf8(row.text);
        EXPECT_EQ(base::CharacterCount(row.text), row.characters.size()) << ToUtf8(row.text);
    }
}

TEST(WideChars, FirstCharactersNeverSplitAPair) {
    struct Row {
        std::string text;
        size_t count;
        std::string first;
    };
    const std::string text = "a" + kSmile + kDisk;
    const Row rows[] = {
        {text, 0, ""},
        {text, 2, "a" + kSmile},
        {text, 3, "a" + kSmile + "\xe7\xa3\x81"},
        {text, 9, text},
    };
    for (const Row& row : rows)
        EXPECT_EQ(ToUtf8(base::FirstCharacters(FromUtf8(row.text), row.count)), row.first)
            << row.text << " " << row.count;
}

TEST(WideChars, FirstUnitsDropAHalfPairAtTheEnd) {
    const bool utf16 = sizeof(wchar_t) == 2;
    struct Row {
        size_t units;
        std::string first;  // of "ab", U+1F600, "c"
    };
    const Row rows[] = {
        {0, ""},
        // The third unit is the pair's first half where wchar_t has 16 bits.
        {3, utf16 ? "ab" : "ab" + kSmile},
        {4, utf16 ? "ab" + kSmile : "ab" + kSmile + "c"},
        {50, "ab" + kSmile + "c"},
    };
    const std::wstring text = FromUtf8("ab" + kSmile + "c");
    for (const Row& row : rows)
        EXPECT_EQ(ToUtf8(base::FirstUnits(text, row.units)), row.first) << row.units;
}

}  // namespace
