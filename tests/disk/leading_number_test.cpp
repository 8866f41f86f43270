#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "disk/leading_number.h"

namespace disk {

TEST(LeadingInteger, ReadsTheDigitsAfterBlanksAndSign) {
    EXPECT_EQ(LeadingInteger(L"346"), 346);
    EXPECT_EQ(LeadingInteger(L"  \t-25x"), -25);
    EXPECT_EQ(LeadingInteger(L"1AQ10003"), 1);
    // No digits at all, or a second sign, read as nothing.
    EXPECT_EQ(LeadingInteger(L""), 0);
    EXPECT_EQ(LeadingInteger(L"-"), 0);
    EXPECT_EQ(LeadingInteger(L"--5"), 0);
    EXPECT_EQ(LeadingInteger(L"\u00a05"), 0);  // not a C-locale blank
    // Digits of other scripts are not decimal digits here.
    EXPECT_EQ(LeadingInteger(L"\u0661"), 0);
}

TEST(LeadingInteger, SaturatesAt32Bits) {
    EXPECT_EQ(LeadingInteger(L"2147483647"), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(LeadingInteger(L"2147483648"), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(LeadingInteger(L"-2147483648"), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(LeadingInteger(L"-99999999999999999999999"), std::numeric_limits<int32_t>::min());
}

TEST(LeadingDecimal, ReadsFractionsTheSameEverywhere) {
    EXPECT_DOUBLE_EQ(LeadingDecimal(L"1.05"), 1.05);
    // Exactly the same double as the literal, so "below 1.059" is false for "1.059".
    EXPECT_EQ(LeadingDecimal(L"1.059"), 1.059);
    EXPECT_DOUBLE_EQ(LeadingDecimal(L" 1.06B"), 1.06);
    EXPECT_DOUBLE_EQ(LeadingDecimal(L"-0.5"), -0.5);
    EXPECT_DOUBLE_EQ(LeadingDecimal(L"1e"), 1.0);   // the exponent needs digits
    EXPECT_DOUBLE_EQ(LeadingDecimal(L"1,5"), 1.0);  // never a comma, whatever the locale
    EXPECT_DOUBLE_EQ(LeadingDecimal(L"1.5\u00e9"), 1.5);
}

TEST(LeadingDecimal, NoDigitsGiveZero) {
    EXPECT_EQ(LeadingDecimal(L""), 0.0);
    EXPECT_EQ(LeadingDecimal(L"."), 0.0);
    EXPECT_EQ(LeadingDecimal(L"+-1"), 0.0);
    EXPECT_EQ(LeadingDecimal(L"-"), 0.0);
}

TEST(LeadingDecimal, HexadecimalInfinityAndNotANumber) {
    EXPECT_DOUBLE_EQ(LeadingDecimal(L"0x1A"), 26.0);
    EXPECT_DOUBLE_EQ(LeadingDecimal(L"0X.8"), 0.5);
    // "0x" with no hexadecimal digit after it is a zero followed by other text.
    EXPECT_EQ(LeadingDecimal(L"0x"), 0.0);
    EXPECT_EQ(LeadingDecimal(L"0xG"), 0.0);
    EXPECT_EQ(LeadingDecimal(L"inf"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(LeadingDecimal(L"-Infinity"), -std::numeric_limits<double>::infinity());
    EXPECT_TRUE(std::isnan(LeadingDecimal(L"NaN")));
}

TEST(LeadingDecimal, OutOfRangeValuesGoToInfinityOrZero) {
    EXPECT_EQ(LeadingDecimal(L"1e999"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(LeadingDecimal(L"0x1p99999"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(LeadingDecimal(L"1e-999"), 0.0);
    EXPECT_EQ(LeadingDecimal(L"0x1p-99999"), 0.0);
}

}  // namespace disk
