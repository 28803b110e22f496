// The 10-byte form of the 80-bit extended real, as streams carry it and as the x87 unit
// stores it: the 64-bit significand with its explicit leading bit, then a 16-bit word of
// sign and 15-bit exponent (bias 16383), little-endian. Every conversion between an
// extended value, its bytes and its parts goes through here.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>

static_assert(std::numeric_limits<long double>::digits == 64 &&
                  std::endian::native == std::endian::little,
              "long double is the x87 80-bit extended format, stored little-endian");

inline constexpr std::size_t kExtendedBytes = 10;

/// An extended value taken apart.
struct TExtendedParts {
    std::uint64_t significand;
    std::uint16_t signAndExponent;
};

/// REQUIRES: bytes points to kExtendedBytes readable bytes.
inline TExtendedParts ExtendedPartsFromBytes(const std::uint8_t* bytes) noexcept {
    TExtendedParts parts{};
    std::memcpy(&parts.significand, bytes, sizeof parts.significand);
    std::memcpy(&parts.signAndExponent, bytes + 8, sizeof parts.signAndExponent);
    return parts;
}

/// REQUIRES: bytes points to kExtendedBytes writable bytes.
inline void ExtendedPartsToBytes(TExtendedParts parts, std::uint8_t* bytes) noexcept {
    std::memcpy(bytes, &parts.significand, sizeof parts.significand);
    std::memcpy(bytes + 8, &parts.signAndExponent, sizeof parts.signAndExponent);
}

inline TExtendedParts ExtendedPartsOf(long double value) noexcept {
    return ExtendedPartsFromBytes(reinterpret_cast<const std::uint8_t*>(&value));
}

inline long double ExtendedFromParts(TExtendedParts parts) noexcept {
    long double value = 0;  // also clears the padding beyond the 10 bytes
    ExtendedPartsToBytes(parts, reinterpret_cast<std::uint8_t*>(&value));
    return value;
}

/// REQUIRES: bytes points to kExtendedBytes readable bytes.
inline long double ExtendedFromBytes(const std::uint8_t* bytes) noexcept {
    return ExtendedFromParts(ExtendedPartsFromBytes(bytes));
}

/// REQUIRES: bytes points to kExtendedBytes writable bytes.
inline void ExtendedToBytes(long double value, std::uint8_t* bytes) noexcept {
    ExtendedPartsToBytes(ExtendedPartsOf(value), bytes);
}
