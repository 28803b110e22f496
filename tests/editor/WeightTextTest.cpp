#include <gtest/gtest.h>

#include "editor/WeightText.h"

namespace {

TEST(WeightShown, PlainBetweenTenThousandthAndTenToTheFifteenth) {
    EXPECT_EQ(FormatWeight(100000), "100000");
    EXPECT_EQ(FormatWeight(-2.5), "-2.5");
    EXPECT_EQ(FormatWeight(0), "0");
    EXPECT_EQ(FormatWeight(0.0001220703125L), "0.0001220703125");
    EXPECT_EQ(FormatWeight(1e14L), "100000000000000");
    EXPECT_EQ(FormatWeight(0.10000000000002274L), "0.100000000000023");
}

TEST(WeightShown, ScientificOutsideThatRangeWithoutPlusOrLeadingZeros) {
    EXPECT_EQ(FormatWeight(0.00006103515625L), "6.103515625E-5");
    EXPECT_EQ(FormatWeight(1e15L), "1E15");
    EXPECT_EQ(FormatWeight(0.00009999999999998899L), "9.9999999999989E-5");
    EXPECT_EQ(FormatWeight(-1.5e20L), "-1.5E20");
    // Rounding to 15 digits can carry into the next power of ten.
    EXPECT_EQ(FormatWeight(999999999999999.9L), "1E15");
}

TEST(WeightShown, UsesTheGivenDecimalSeparator) {
    EXPECT_EQ(FormatWeight(2.5, ','), "2,5");
    EXPECT_EQ(FormatWeight(0.00006103515625L, ','), "6,103515625E-5");
}

TEST(WeightAccepted, NumbersWithBlanksSignsAndExponents) {
    EXPECT_EQ(ParseWeight("2.5"), 2.5L);
    EXPECT_EQ(ParseWeight("  -2.5  "), -2.5L);
    EXPECT_EQ(ParseWeight("+3"), 3.0L);
    EXPECT_EQ(ParseWeight("1e"), 1.0L);  // an exponent without digits counts as 0
    EXPECT_EQ(ParseWeight("."), 0.0L);   // the separator alone is 0
    EXPECT_EQ(ParseWeight("5."), 5.0L);
    EXPECT_EQ(ParseWeight(".5E+1"), 5.0L);
    EXPECT_EQ(ParseWeight("1e-5000"), 0.0L);  // below the range is 0, not an error
    EXPECT_EQ(ParseWeight("0.1"), 0.1L);      // formed in extended, not double
}

TEST(WeightAccepted, EverythingElseIsNotANumber) {
    for (const char* text : {"", " ", "abc", "-", "+", "e5", "1.2.3", "1e5x", "1 2", "--1", "1e+-2",
                             "1e99999", "\t1", "1,5"})
        EXPECT_FALSE(ParseWeight(text).has_value()) << '"' << text << '"';
}

TEST(WeightAccepted, FollowsTheLocaleSeparator) {
    EXPECT_EQ(ParseWeight("1,5", ','), 1.5L);
    EXPECT_FALSE(ParseWeight("1.5", ',').has_value());
}

}  // namespace
