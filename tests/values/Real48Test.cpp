#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "containers/ObjType.h"
#include "values/Real48.h"

namespace {

using TBytes = std::array<std::uint8_t, 6>;

TBytes Narrowed(long double value) { return Real48::FromExtended(value).ToBytes(); }

long double RoundTrip(long double value) { return Real48::FromExtended(value).ToExtended(); }

std::string SeventeenDigits(long double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.17Lg", value);
    return text;
}

// A significand of `ones` one bits, 1.11...1 = 2 - 2^(1 - ones), times 2^exponent.
long double OnesTimesPowerOfTwo(int ones, int exponent) {
    return std::ldexp(2.0L - std::ldexp(1.0L, 1 - ones), exponent);
}

template <class E>
std::string ErrorText(long double value) {
    try {
        Real48::FromExtended(value);
    } catch (const E& error) {
        return error.what();
    }
    return "no error";
}

}  // namespace

TEST(Real48Narrowing, DecimalFractionsKeepFortyBits) {
    EXPECT_EQ(SeventeenDigits(RoundTrip(0.1L)), "0.10000000000002274");
    EXPECT_EQ(SeventeenDigits(RoundTrip(0.3L)), "0.3000000000001819");
    EXPECT_EQ(SeventeenDigits(RoundTrip(1.1L)), "1.1000000000003638");
}

TEST(Real48Layout, ShortBinaryValuesAreExactInLiteralBytes) {
    EXPECT_EQ(Narrowed(1.0L), (TBytes{0x81, 0x00, 0x00, 0x00, 0x00, 0x00}));
    EXPECT_EQ(Narrowed(2.5L), (TBytes{0x82, 0x00, 0x00, 0x00, 0x00, 0x20}));
    EXPECT_EQ(Narrowed(-2.5L), (TBytes{0x82, 0x00, 0x00, 0x00, 0x00, 0xA0}));
    EXPECT_EQ(Narrowed(100000.0L), (TBytes{0x91, 0x00, 0x00, 0x00, 0x50, 0x43}));
    EXPECT_EQ(Narrowed(0.1L), (TBytes{0x7D, 0xCD, 0xCC, 0xCC, 0xCC, 0x4C}));
    EXPECT_EQ(Narrowed(0.0L), (TBytes{}));
    EXPECT_EQ(Narrowed(-0.0L), (TBytes{}));
}

TEST(Real48Layout, ZeroExponentReadsAsZeroWhateverTheOtherBytes) {
    const Real48 garbage = Real48::FromBytes({0x00, 0xFF, 0x12, 0x34, 0x56, 0xFF});
    EXPECT_EQ(garbage.ToExtended(), 0.0L);
    EXPECT_FALSE(std::signbit(garbage.ToExtended()));
    EXPECT_EQ(garbage, Real48());
}

TEST(Real48Rounding, TiesGoAwayFromZeroForBothSigns) {
    const long double tie = 1.0L + std::ldexp(1.0L, -40);
    const long double up = 1.0L + std::ldexp(1.0L, -39);
    EXPECT_EQ(RoundTrip(tie), up);
    EXPECT_EQ(RoundTrip(-tie), -up);
    const long double belowTie = tie - std::ldexp(1.0L, -63);
    EXPECT_EQ(RoundTrip(belowTie), 1.0L);
    EXPECT_EQ(RoundTrip(-belowTie), -1.0L);
}

TEST(Real48Rounding, CarryRaisesTheExponent) {
    EXPECT_EQ(Narrowed(OnesTimesPowerOfTwo(41, 0)), (TBytes{0x82, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Narrowed(-OnesTimesPowerOfTwo(41, 0)), (TBytes{0x82, 0, 0, 0, 0, 0x80}));
    EXPECT_EQ(RoundTrip(OnesTimesPowerOfTwo(40, 0)), OnesTimesPowerOfTwo(40, 0));
}

TEST(Real48Range, TinyMagnitudesBecomeZeroAfterRounding) {
    EXPECT_EQ(Narrowed(1e-40L), TBytes{});
    EXPECT_EQ(Narrowed(-1e-40L), TBytes{});
    EXPECT_EQ(Narrowed(std::ldexp(1.0L, -128)), (TBytes{0x01, 0, 0, 0, 0, 0}));
    // Just under 2^-128: forty one bits stay below it, forty-one round up to it.
    EXPECT_EQ(Narrowed(OnesTimesPowerOfTwo(40, -129)), TBytes{});
    EXPECT_EQ(Narrowed(OnesTimesPowerOfTwo(41, -129)), (TBytes{0x01, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Narrowed(std::numeric_limits<long double>::denorm_min()), TBytes{});
    EXPECT_EQ(Narrowed(std::numeric_limits<long double>::min()), TBytes{});
}

TEST(Real48Range, LargestValueSurvivesAndRoundingUpOverflows) {
    EXPECT_EQ(Narrowed(OnesTimesPowerOfTwo(40, 126)), (TBytes{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}));
    EXPECT_EQ(ErrorText<EOverflow>(OnesTimesPowerOfTwo(41, 126)), "Floating point overflow");
    EXPECT_EQ(ErrorText<EOverflow>(-OnesTimesPowerOfTwo(41, 126)), "Floating point overflow");
    EXPECT_EQ(ErrorText<EOverflow>(1e39L), "Floating point overflow");
    EXPECT_EQ(ErrorText<EOverflow>(std::numeric_limits<long double>::infinity()),
              "Floating point overflow");
    EXPECT_EQ(ErrorText<EOverflow>(-std::numeric_limits<long double>::infinity()),
              "Floating point overflow");
}

TEST(Real48Range, NaNAndUnnormalAreInvalidOperations) {
    EXPECT_EQ(ErrorText<EInvalidOp>(std::numeric_limits<long double>::quiet_NaN()),
              "Invalid floating point operation");
    long double unnormal = 0;
    const std::uint64_t significand = std::uint64_t{1} << 62;  // leading bit missing
    const std::uint16_t exponent = 0x3FFF;
    std::memcpy(&unnormal, &significand, 8);
    std::memcpy(reinterpret_cast<char*>(&unnormal) + 8, &exponent, 2);
    EXPECT_EQ(ErrorText<EInvalidOp>(unnormal), "Invalid floating point operation");
}

TEST(Real48RoundTrip, EveryNonZeroPatternWidensExactlyAndNarrowsBackToItself) {
    const unsigned seed = 20240611;
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int i = 0; i < 100000; ++i) {
        TBytes bytes{};
        for (auto& b : bytes) b = static_cast<std::uint8_t>(byte(random));
        if (bytes[0] == 0) bytes[0] = 1;
        const long double wide = Real48::FromBytes(bytes).ToExtended();
        ASSERT_EQ(Narrowed(wide), bytes) << "seed " << seed << ", pattern " << i;
        ASSERT_EQ(Real48::FromBytes(bytes).ToDouble(), wide)
            << "seed " << seed << ", pattern " << i;
    }
}

namespace {

// What a narrowing gives: the six bytes, or the error's text.
template <class Narrow>
std::string Outcome(Narrow narrow) {
    try {
        const TBytes bytes = narrow().ToBytes();
        return std::string(bytes.begin(), bytes.end());
    } catch (const Exception& error) {
        return error.what();
    }
}

}  // namespace

// The byte forms that the object stream uses agree with the register forms bit for bit, on
// random extended patterns of every class: the same value or the same error narrowing, the
// same 10 bytes widening.
TEST(Real48Bytes, ByteFormsAgreeWithTheRegisterForms) {
    const unsigned seed = 20240612;
    std::mt19937_64 random(seed);
    for (int i = 0; i < 100000; ++i) {
        std::uint8_t bytes[10];
        const std::uint64_t significand = random();
        // Mostly exponents near the Real48 range, where the rounding happens.
        const auto signAndExponent = static_cast<std::uint16_t>(
            i % 4 == 0 ? random() : (0x3FFF - 140 + random() % 280) | (random() & 0x8000));
        std::memcpy(bytes, &significand, 8);
        std::memcpy(bytes + 8, &signAndExponent, 2);
        long double value = 0;
        std::memcpy(&value, bytes, 10);
        ASSERT_EQ(Outcome([&] { return Real48::FromExtendedBytes(bytes); }),
                  Outcome([&] { return Real48::FromExtended(value); }))
            << "seed " << seed << ", pattern " << i;
    }
    std::uniform_int_distribution<int> byte(0, 255);
    for (int i = 0; i < 1000; ++i) {
        TBytes pattern{};
        for (auto& b : pattern) b = static_cast<std::uint8_t>(byte(random));
        const Real48 real = Real48::FromBytes(pattern);
        std::uint8_t widened[10];
        real.ToExtendedBytes(widened);
        const long double wide = real.ToExtended();
        ASSERT_EQ(std::memcmp(widened, &wide, 10), 0) << "seed " << seed << ", pattern " << i;
    }
}
