#include "values/Real48.h"

#include <bit>
#include <cstring>

#include "containers/ObjType.h"

static_assert(std::endian::native == std::endian::little, "Real48 bytes are packed in words");

namespace {

// The x87 extended format: a 64-bit significand with an explicit leading bit, then a 16-bit
// word holding the sign and a 15-bit exponent biased by 16383.
constexpr int kExtendedBias = 16383;
constexpr std::uint16_t kExtendedMaxExponent = 0x7FFF;
constexpr std::uint64_t kExtendedLeadingBit = std::uint64_t{1} << 63;

constexpr int kReal48Bias = 129;
constexpr int kFractionBits = 39;
constexpr int kDroppedBits = 64 - (kFractionBits + 1);
constexpr std::uint64_t kHiddenBit = std::uint64_t{1} << kFractionBits;
constexpr std::uint64_t kFractionMask = kHiddenBit - 1;
constexpr std::uint64_t kSignificandCarry = std::uint64_t{1} << (kFractionBits + 1);
// Unbiased exponents of the smallest magnitude kept and of the first one that overflows.
constexpr int kMinExponent = -128;
constexpr int kOverflowExponent = 127;

/// The narrowing itself, on the parts of the extended value.
Real48 Narrow(TExtendedParts parts) {
    const bool negative = (parts.signAndExponent & 0x8000) != 0;
    const int biased = parts.signAndExponent & kExtendedMaxExponent;
    if (biased == kExtendedMaxExponent) {
        // Infinity has a bare leading bit; every other pattern is a NaN to the FPU.
        if (parts.significand == kExtendedLeadingBit) throw EOverflow();
        throw EInvalidOp();
    }
    if (biased == 0) return Real48();  // zero or a denormal, both far below 2^-128
    // The FPU rejects a non-zero exponent without the leading bit as an invalid operand.
    if ((parts.significand & kExtendedLeadingBit) == 0) throw EInvalidOp();

    int exponent = biased - kExtendedBias;
    std::uint64_t significand = parts.significand >> kDroppedBits;
    const bool firstDroppedBitSet = ((parts.significand >> (kDroppedBits - 1)) & 1) != 0;
    if (firstDroppedBitSet) significand += 1;  // ties go away from zero
    if (significand == kSignificandCarry) {
        significand >>= 1;
        exponent += 1;
    }
    if (exponent < kMinExponent) return Real48();
    if (exponent >= kOverflowExponent) throw EOverflow();

    // Put together in a register and stored at once: six byte stores read back as one
    // word would stall the load behind them.
    const std::uint64_t packed = static_cast<std::uint64_t>(exponent + kReal48Bias) |
                                 (significand & kFractionMask) << 8 |
                                 (negative ? std::uint64_t{1} << 47 : 0);
    std::array<std::uint8_t, 6> bytes;
    std::memcpy(bytes.data(), &packed, bytes.size());  // little-endian: exponent byte first
    return Real48::FromBytes(bytes);
}

}  // namespace

Real48 Real48::FromExtended(long double value) { return Narrow(ExtendedPartsOf(value)); }

Real48 Real48::FromExtendedBytes(const std::uint8_t* bytes) {
    return Narrow(ExtendedPartsFromBytes(bytes));
}

Real48 Real48::FromBytes(const std::array<std::uint8_t, 6>& bytes) noexcept {
    Real48 result;
    result.bytes_ = bytes;
    return result;
}

long double Real48::ToExtended() const noexcept { return ExtendedFromParts(Widened()); }
