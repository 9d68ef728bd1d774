#include <gtest/gtest.h>

#include "NumberFormat.h"

TEST(NumberPatterns, ThreeDigitsWithLeadingZeros)
{
    EXPECT_EQ(FormatNumber(7, "000"), "007");
    EXPECT_EQ(FormatNumber(1, "000"), "001");
    EXPECT_EQ(FormatNumber(999, "000"), "999");
    EXPECT_EQ(FormatNumber(1234, "000"), "1234");
    EXPECT_EQ(FormatNumber(0, "000"), "000");
}

TEST(NumberPatterns, GroupedThousandsWithoutLeadingZeros)
{
    EXPECT_EQ(FormatNumber(1221, "#,###"), "1,221");
    EXPECT_EQ(FormatNumber(1423, "#,###"), "1,423");
    EXPECT_EQ(FormatNumber(32767, "###,###"), "32,767");
    EXPECT_EQ(FormatNumber(634, "#,###"), "634");
    EXPECT_EQ(FormatNumber(1234567, "###,###"), "1,234,567");
    EXPECT_EQ(FormatNumber(-1500, "#,###"), "-1,500");
    EXPECT_EQ(FormatNumber(0, "#,###"), "");
}

TEST(NumberPatterns, TextsThroughThePatterns)
{
    EXPECT_EQ(FormatText("12.6", "######"), "13");
    EXPECT_EQ(FormatText("12.5", "######"), "13");  // halves away from zero
    EXPECT_EQ(FormatText("1,500", "######"), "1500");  // separators read as the number shown
    EXPECT_EQ(FormatText("1,423", "####"), "1423");
    EXPECT_EQ(FormatText(" 12345 ", "######"), "12345");
    EXPECT_EQ(FormatText("-5", "######"), "-5");
    EXPECT_EQ(FormatText("99999999999", "######"), "99999999999");
    EXPECT_EQ(FormatText("12345", "###,###"), "12,345");
    // Not a number: unchanged.
    EXPECT_EQ(FormatText("abc", "######"), "abc");
    EXPECT_EQ(FormatText("", "######"), "");
    EXPECT_EQ(FormatText("12abc", "####"), "12abc");
    EXPECT_EQ(FormatText("1,,5", "####"), "1,,5");
}

TEST(TextToNumber, LeadingNumericPart)
{
    EXPECT_EQ(TextToNumber("1423"), 1423);
    EXPECT_EQ(TextToNumber("12abc"), 12);
    EXPECT_EQ(TextToNumber("1,500"), 1);  // a comma ends the number
    EXPECT_EQ(TextToNumber("  42"), 42);
    EXPECT_DOUBLE_EQ(TextToNumber("12.6"), 12.6);
    EXPECT_EQ(TextToNumber("-7x"), -7);
    EXPECT_EQ(TextToNumber("1e3"), 1000);
    EXPECT_EQ(TextToNumber("abc"), 0);
    EXPECT_EQ(TextToNumber(""), 0);
    EXPECT_EQ(TextToNumber("005"), 5);
    EXPECT_EQ(TextToNumber("."), 0);
}

TEST(TextToNumber, SignedThirtyTwoBitConversion)
{
    EXPECT_EQ(TextToInt32("13"), 13);
    EXPECT_EQ(TextToInt32("-5"), -5);
    EXPECT_EQ(TextToInt32("2147483647"), 2147483647);
    EXPECT_FALSE(TextToInt32("2147483648"));
    EXPECT_FALSE(TextToInt32("99999999999"));
    EXPECT_FALSE(TextToInt32("abc"));
    EXPECT_FALSE(TextToInt32(""));
}

TEST(FullWidthDigits, EachDigitReplaced)
{
    EXPECT_EQ(FullWidthDigits(3), "３");
    EXPECT_EQ(FullWidthDigits(0), "０");
    EXPECT_EQ(FullWidthDigits(1234567890), "１２３４５６７８９０");
}
