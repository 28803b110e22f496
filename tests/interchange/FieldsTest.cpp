// Numbers in the formats' text: one reading for every format, and the shortest text that
// reads back as the stored weight.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <random>

#include "interchange/Fields.h"
#include "tests/MessageOf.h"

TEST(ParseNumber, DecimalTextAroundBlanksAndBeyondTheRange) {
    EXPECT_EQ(ParseNumber(" 2.5\n"), 2.5L);
    EXPECT_EQ(ParseNumber("+1"), 1.0L);
    EXPECT_EQ(ParseNumber(".5"), 0.5L);
    EXPECT_EQ(ParseNumber("-1e3"), -1000.0L);
    EXPECT_EQ(ParseNumber("1e5000"), HUGE_VALL);
    EXPECT_EQ(ParseNumber("-123456789e4990"), -HUGE_VALL);
    EXPECT_EQ(ParseNumber("1e-5000"), 0.0L);
    EXPECT_EQ(ParseNumber("0.0000001e-4940"), 0.0L);
    for (const char* none : {"", " ", "abc", "1.2.3", "--1", "+-1", "1e", "0x10", "1,5", "2 3"})
        EXPECT_EQ(ParseNumber(none), std::nullopt) << none;
}

TEST(ParseNumber, ReadsEveryDecimalAsTheLibrarysExtendedReadingDoes) {
    const unsigned seed = 1605;
    std::mt19937 random(seed);
    const char digits[] = "0123456789";
    for (int i = 0; i < 200000; ++i) {
        std::string text = random() % 4 == 0 ? "-" : "";
        const int length = 1 + static_cast<int>(random() % 24);
        const int point = static_cast<int>(random() % (length + 2));
        for (int k = 0; k < length; ++k) {
            if (k == point) text += '.';
            text += digits[random() % (k < 3 ? 2 : 10)];  // leading and trailing zeros too
        }
        if (random() % 2) text += "e" + std::to_string(static_cast<int>(random() % 80) - 40);
        long double expected = 0;
        std::from_chars(text.data(), text.data() + text.size(), expected);
        const std::optional<long double> read = ParseNumber(text);
        ASSERT_TRUE(read.has_value()) << text;
        ASSERT_EQ(*read, expected) << "seed " << seed << ": " << text;
    }
}

TEST(ReadWeight, NarrowsAsATypedWeightIsNarrowed) {
    const std::string where = "line 3";
    EXPECT_EQ(ReadWeight("0.1", where).ToDouble(), 0.10000000000002274);
    EXPECT_EQ(ReadWeight("1e-40", where).ToDouble(), 0.0);
    EXPECT_EQ(MessageOf<EFormatError>([&] { ReadWeight("1e39", where); }),
              "line 3: Floating point overflow");
    EXPECT_EQ(MessageOf<EFormatError>([&] { ReadWeight("inf", where); }),
              "line 3: Floating point overflow");
    EXPECT_EQ(MessageOf<EFormatError>([&] { ReadWeight("nan", where); }),
              "line 3: weight \"nan\" is not a number");
    EXPECT_EQ(MessageOf<EFormatError>([&] { ReadWeight("heavy", where); }),
              "line 3: weight \"heavy\" is not a number");
}

TEST(WeightText, TheShortestTextReadsBackAsTheSameRealOfEveryKind) {
    const unsigned seed = 48;
    std::mt19937 random(seed);
    for (int i = 0; i < 100000; ++i) {
        std::array<std::uint8_t, 6> bytes{};
        for (std::uint8_t& byte : bytes) byte = static_cast<std::uint8_t>(random());
        const Real48 weight = Real48::FromBytes(bytes);
        const std::string text = WeightText(weight);
        ASSERT_EQ(ReadWeight(text, std::string()), weight) << "seed " << seed << ": " << text;
        ASSERT_LE(text.size(), 24u) << text;
    }
    EXPECT_EQ(WeightText(Real48::FromExtended(2.5L)), "2.5");
    EXPECT_EQ(WeightText(Real48()), "0");
    EXPECT_EQ(WeightText(Real48::FromExtended(1e20L)), "99999999999948619776");
    EXPECT_EQ(WeightText(Real48::FromExtended(std::ldexp(1.0L, -20))), "9.5367431640625e-07");
}

TEST(RoundCoordinate, HalvesAwayFromZeroWithinThe32BitRange) {
    const std::string where = "node \"a\"";
    EXPECT_EQ(RoundCoordinate(2.5, "x", where), 3);
    EXPECT_EQ(RoundCoordinate(-2.5, "x", where), -3);
    EXPECT_EQ(RoundCoordinate(2147483647.4, "x", where), 2147483647);
    EXPECT_EQ(MessageOf<EFormatError>([&] { RoundCoordinate(2147483647.5, "y", where); }),
              "node \"a\": y 2147483647.5 is out of range");
    EXPECT_EQ(MessageOf<EFormatError>([&] { ReadCoordinate("north", "x", where); }),
              "node \"a\": x \"north\" is not a number");
}

TEST(Utf8Prefix, StopsAtTheFirstByteOutsideWellFormedUtf8) {
    EXPECT_EQ(Utf8Prefix("a\xC3\xA9\xE2\x82\xAC\xF0\x9D\x84\x9E"), 10u);
    EXPECT_EQ(Utf8Prefix("ab\xC0\x80"), 2u);         // overlong
    EXPECT_EQ(Utf8Prefix("a\xED\xA0\x80"), 1u);      // a surrogate
    EXPECT_EQ(Utf8Prefix("a\xF4\x90\x80\x80"), 1u);  // beyond U+10FFFF
    EXPECT_EQ(Utf8Prefix("abc\xE2\x82"), 3u);        // cut short
    EXPECT_EQ(Utf8Prefix("\xE9t\xE9"), 0u);          // Latin-1
}
