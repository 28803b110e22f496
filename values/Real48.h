// The 6-byte real of edge weights, node distances and boxed reals. Arithmetic is done in
// 80-bit extended precision; a value is narrowed only when it is stored into a Real48.
#pragma once

#include <array>
#include <bit>
#include <compare>
#include <cstdint>
#include <cstring>

#include "values/ExtendedBytes.h"

/// Byte 0: biased exponent e (bias 129; e = 0 means 0 whatever the other bytes hold).
/// Bytes 1-5: 39 fraction bits, least significant byte first (bytes 1..4 and the low 7 bits
/// of byte 5); the top bit of byte 5 is the sign.
/// Value = (-1)^s * (1 + f / 2^39) * 2^(e - 129); range 2^-128 .. (2 - 2^-39) * 2^126, plus 0.
class Real48 {
public:
    constexpr Real48() = default;  // the value 0

    /// The one narrowing from extended; every store into a Real48 field goes through it.
    /// Rounds the significand to 40 bits with ties away from zero, then flushes a magnitude
    /// below 2^-128 to 0 (negative zero and denormals included).
    /// Raises EOverflow ("Floating point overflow") when the rounded magnitude is 2^127 or
    /// more (infinities included), EInvalidOp ("Invalid floating point operation") for a NaN
    /// or an unnormal. A throw produces no value, so the caller's field keeps its old one.
    static Real48 FromExtended(long double value);
    /// FromExtended of the extended value stored in the 10 bytes at bytes (the significand
    /// and then sign and exponent, little-endian, as x87 stores it), without the detour
    /// through a floating-point register. The same rounding and the same errors.
    static Real48 FromExtendedBytes(const std::uint8_t* bytes);

    /// Any six bytes are a valid Real48: there are no infinities and no NaNs.
    static Real48 FromBytes(const std::array<std::uint8_t, 6>& bytes) noexcept;

    /// Exact widening.
    long double ToExtended() const noexcept;
    /// The 10 bytes that ToExtended()'s value is stored as, written to bytes.
    void ToExtendedBytes(std::uint8_t* bytes) const noexcept {
        ExtendedPartsToBytes(Widened(), bytes);
    }

    /// Also exact: a 40-bit significand and an exponent within +-128 fit a double.
    /// Cheaper than ToExtended where a value is read in a hot loop, as the search does.
    double ToDouble() const noexcept {
        if (bytes_[0] == 0) return 0.0;  // whatever the other bytes hold
        // Bytes 1-5 as one word: the 39 fraction bits and the sign above them. Put
        // together in registers: a 5-byte copy into the word goes through memory, and
        // reading it back waits for the copy.
        std::uint32_t first = 0;
        std::memcpy(&first, &bytes_[1], 4);
        const std::uint64_t low = first | std::uint64_t{bytes_[5]} << 32;
        constexpr int kFractionBits = 39;
        constexpr int kDoubleFractionBits = 52;
        constexpr int kBiasDifference = 1023 - 129;
        const std::uint64_t fraction = low & ((std::uint64_t{1} << kFractionBits) - 1);
        const std::uint64_t sign = low >> kFractionBits;
        const std::uint64_t exponent = std::uint64_t{bytes_[0]} + kBiasDifference;
        return std::bit_cast<double>(sign << 63 | exponent << kDoubleFractionBits |
                                     fraction << (kDoubleFractionBits - kFractionBits));
    }

    std::array<std::uint8_t, 6> ToBytes() const noexcept { return bytes_; }

    /// By value: every encoding with e = 0 equals 0. Compared as doubles, which hold every
    /// Real48 exactly.
    friend bool operator==(const Real48& a, const Real48& b) noexcept {
        return a.ToDouble() == b.ToDouble();
    }
    friend std::partial_ordering operator<=>(const Real48& a, const Real48& b) noexcept {
        return a.ToDouble() <=> b.ToDouble();
    }

private:
    /// The exact widening, as the parts of an extended value.
    TExtendedParts Widened() const noexcept {
        if (bytes_[0] == 0) return {};  // 0 widens to +0.0, all bits clear
        std::uint64_t low = 0;          // the fraction and the sign, as in ToDouble
        std::memcpy(&low, &bytes_[1], 5);
        constexpr int kFractionBits = 39;
        constexpr std::uint64_t kHiddenBit = std::uint64_t{1} << kFractionBits;
        return {(kHiddenBit | (low & (kHiddenBit - 1))) << (63 - kFractionBits),
                static_cast<std::uint16_t>(((low >> kFractionBits) << 15) |
                                           (bytes_[0] + (16383 - 129)))};
    }

    std::array<std::uint8_t, 6> bytes_{};
};

static_assert(sizeof(Real48) == 6);
