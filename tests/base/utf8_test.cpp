#include <gtest/gtest.h>

#include "base/utf8.h"

TEST(Utf8, RoundTripsChineseAndAscii) {
    const std::wstring text = L"磁盘信息 Disk \u00e9 \u20ac";
    const std::string bytes = ToUtf8(text);
    EXPECT_EQ(bytes, "\xe7\xa3\x81\xe7\x9b\x98\xe4\xbf\xa1\xe6\x81\xaf Disk \xc3\xa9 \xe2\x82\xac");
    EXPECT_EQ(FromUtf8(bytes), text);
}

TEST(Utf8, MalformedInputBecomesReplacementCharacters) {
    // A truncated sequence, a stray continuation byte and an overlong encoding of '/'.
    EXPECT_EQ(FromUtf8("a\xe7\xa3"), L"a\ufffd\ufffd");
    EXPECT_EQ(FromUtf8("\x80z"), L"\ufffdz");
    EXPECT_EQ(FromUtf8("\xc0\xaf"), L"\ufffd\ufffd");
    // An encoded surrogate half is not a character.
    EXPECT_EQ(FromUtf8("\xed\xa0\x80"), L"\ufffd\ufffd\ufffd");
}

TEST(Utf8, Latin1MapsEveryByteToItsCodePoint) {
    EXPECT_EQ(FromLatin1(std::string("A\x00\xff", 3)), std::wstring(L"A\0\u00ff", 3));
}
