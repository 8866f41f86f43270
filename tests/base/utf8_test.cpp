#include <gtest/gtest.h>

#include "base/utf8.h"

TEST(Utf8, RoundTripsChineseAndAscii) {
    const std::wstring text = L"磁盘信息 Disk \u00e9 \u20ac";
    const std::string bytes = ToUtf8(text);
    EXPECT_EQ(bytes, "\xe7\xa3\x81\xe7\x9b\x98\xe4\xbf\xa1\xe6\x81\xaf Disk \xc3\xa9 \xe2\x82\xac");
    EXPECT_EQ(FromUtf8(bytes), text);
}

TEST(Utf8, Latin1MapsEveryByteToItsCodePoint) {
    EXPECT_EQ(FromLatin1(std::string("A\x00\xff", 3)), std::wstring(L"A\0\u00ff", 3));
}

// A character outside the BMP is two units where wchar_t has 16 bits, one where it has 32.
constexpr size_t kPairUnits = sizeof(wchar_t) == 2 ? 2 : 1;

TEST(Utf8, EdgesOfTheCodeSpaceOnEveryWidth) {
    const std::string fffd = "\xef\xbf\xbd";
    struct Row {
        std::string utf8;
        std::string back;  // ToUtf8(FromUtf8(utf8))
        size_t units;      // of FromUtf8(utf8)
    };
    const Row rows[] = {
        {"\xed\x9f\xbf", "\xed\x9f\xbf", 1},  // U+D7FF, the last before the surrogates
        {"\xee\x80\x80", "\xee\x80\x80", 1},  // U+E000, the first after them
        {"\xef\xbf\xbf", "\xef\xbf\xbf", 1},  // U+FFFF, the last of the BMP
        {"\xf0\x90\x80\x80", "\xf0\x90\x80\x80", kPairUnits},           // U+10000
        {"\xf4\x8f\xbf\xbf", "\xf4\x8f\xbf\xbf", kPairUnits},           // U+10FFFF, the last of all
        {"\xf4\x90\x80\x80", fffd + fffd + fffd + fffd, 4},             // past U+10FFFF
        {"\xf0\x9f\x98", fffd + fffd + fffd, 3},                        // cut short
        {"\xf8\x88\x80\x80\x80", fffd + fffd + fffd + fffd + fffd, 5},  // five-byte form
        {"\xed\xb0\x80", fffd + fffd + fffd, 3},                        // an encoded low surrogate
        {"\x80z", fffd + "z", 2},                                       // a stray continuation
        {"\xc0\xaf", fffd + fffd, 2},                                   // an overlong '/'
    };
    for (const Row& row : rows) {
        const std::wstring wide = FromUtf8(row.utf8);
        EXPECT_EQ(wide.size(), row.units) << row.utf8;
        EXPECT_EQ(ToUtf8(wide), row.back) << row.utf8;
    }
}

TEST(Utf8, SurrogateUnitsJoinOnlyAsAPairOfA16BitWchar) {
    const std::string fffd = "\xef\xbf\xbd";
    const std::string smile = "\xf0\x9f\x98\x80";  // U+1F600 = D83D DE00
    struct Row {
        std::u16string units;
        std::string where16;  // wchar_t of 16 bits: UTF-16
        std::string where32;  // of 32 bits: each unit is a code point, a surrogate none
    };
    const Row rows[] = {
        {u"\xd83d\xde00", smile, fffd + fffd},
        {u"\xde00\xd83d", fffd + fffd, fffd + fffd},
        {u"\xd83d\xd83d\xde00", fffd + smile, fffd + fffd + fffd},
        {u"x\xdbff\xdfff", "x\xf4\x8f\xbf\xbf", "x" + fffd + fffd},
    };
    for (const Row& row : rows) {
        const std::wstring wide(row.units.begin(), row.units.end());
        EXPECT_EQ(ToUtf8(wide), sizeof(wchar_t) == 2 ? row.where16 : row.where32);
    }
}
