#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "disk/ata_string.h"

namespace disk {

namespace {

std::vector<uint8_t> Bytes(std::string_view text) {
    return {text.begin(), text.end()};
}

}  // namespace

TEST(AtaText, RepairReplacesOnlyTheFirstControlByte) {
    auto field = Bytes("AB\r\nCD\x1f");
    EXPECT_TRUE(RepairAtaText(field));
    EXPECT_EQ(field, Bytes("AB \nCD\x1f"));

    auto clean = Bytes(std::string("A\x00\x80\xff~ ", 6));
    EXPECT_TRUE(RepairAtaText(clean));
    EXPECT_EQ(clean, Bytes(std::string("A\x00\x80\xff~ ", 6)));

    auto del = Bytes("AB\x7f\r");
    EXPECT_FALSE(RepairAtaText(del));
    EXPECT_EQ(del, Bytes("AB\x7f\r"));
    // Once a control byte has ended the scan, a later DEL goes unnoticed.
    auto late = Bytes("A\x01\x7f");
    EXPECT_TRUE(RepairAtaText(late));
    EXPECT_EQ(late, Bytes("A \x7f"));
}

TEST(AtaText, StringStopsAtNulAndIsTrimmed) {
    EXPECT_EQ(AtaTextToString(Bytes(std::string("  SSD 1\0XYZ", 11))), L"SSD 1");
    EXPECT_EQ(AtaTextToString(Bytes("\xe9t\xe9 ")), L"\u00e9t\u00e9");
    EXPECT_EQ(AtaTextToString(Bytes(std::string(40, ' '))), L"");
    EXPECT_EQ(AtaTextToString(Bytes(std::string("\0ABC", 4))), L"");
    // A line feed left by the repair is trimmed when it is at an end and kept inside.
    EXPECT_EQ(AtaTextToString(Bytes("A \nB\n")), L"A \nB");
}

TEST(AtaText, TrimRemovesWhiteSpaceAtBothEndsOnly) {
    EXPECT_EQ(TrimWhiteSpace(L"\t\r\n\v\f x y \u00a0\u3000"), L"x y");
    EXPECT_EQ(TrimWhiteSpace(L"\u0085"), L"");
    EXPECT_EQ(TrimWhiteSpace(L"_x_"), L"_x_");
    EXPECT_EQ(TrimWhiteSpace(L""), L"");
}

}  // namespace disk
