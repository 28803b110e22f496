#include "interchange/Fields.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>

#include "interchange/Document.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

/// Roughly the power of ten of a number from its text: above 0 for one of 1 or more.
/// Enough to tell a number too large for the extended range from one too small.
long DecimalOrder(std::string_view number) {
    const std::size_t e = std::min(number.find_first_of("eE"), number.size());
    const std::string_view mantissa = number.substr(0, e);
    const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
    const std::size_t first = mantissa.find_first_of("123456789");
    if (first == std::string_view::npos) return 0;
    const long order =
        first < point ? static_cast<long>(point - first) : -static_cast<long>(first - point - 1);
    long exponent = 0;
    const bool negative = e + 1 < number.size() && number[e + 1] == '-';
    for (std::size_t i = e + 1; i < number.size(); ++i)
        if (IsDigit(number[i]) && exponent < 1'000'000'000)
            exponent = exponent * 10 + number[i] - '0';
    return order + (negative ? -exponent : exponent);
}

std::string Quoted(std::string_view text) { return QuotedName(std::string(text)); }

/// The common case at speed: at most 19 significant digits and a power of ten of at most
/// 27 either way. The digits are then exact in a long double's 64 bits and so is the power
/// of ten (5^27 < 2^64): one multiplication or division rounds once, to the value that
/// reading the text in extended precision gives. None otherwise, and for what is no plain
/// decimal number.
std::optional<long double> FastDecimal(std::string_view text) {
    static constexpr std::array<long double, 28> kPowers = [] {
        std::array<long double, 28> powers{};
        long double power = 1;
        for (long double& p : powers) p = power, power *= 10;
        return powers;
    }();
    std::size_t i = 0;
    const bool negative = text[0] == '-';
    if (negative) ++i;
    std::uint64_t digits = 0;
    int significant = 0, scale = 0;
    bool point = false, any = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '.' && !point) {
            point = true;
        } else if (IsDigit(c)) {
            any = true;
            if (digits == 0 && c == '0') {
                if (point) --scale;
                continue;
            }
            if (++significant > 19) return std::nullopt;
            digits = digits * 10 + static_cast<std::uint64_t>(c - '0');
            if (point) --scale;
        } else {
            break;
        }
    }
    if (!any) return std::nullopt;
    if (i < text.size()) {
        if ((text[i] != 'e' && text[i] != 'E') || i + 1 == text.size()) return std::nullopt;
        std::size_t k = i + 1;
        const bool down = text[k] == '-';
        if (text[k] == '-' || text[k] == '+') ++k;
        if (k == text.size() || text.size() - k > 3) return std::nullopt;
        int exponent = 0;
        for (; k < text.size(); ++k) {
            if (!IsDigit(text[k])) return std::nullopt;
            exponent = exponent * 10 + (text[k] - '0');
        }
        scale += down ? -exponent : exponent;
    }
    if (scale < -27 || scale > 27) return std::nullopt;
    const long double magnitude = static_cast<long double>(digits);
    const long double value = scale >= 0 ? magnitude * kPowers[static_cast<std::size_t>(scale)]
                                         : magnitude / kPowers[static_cast<std::size_t>(-scale)];
    return negative ? -value : value;
}

}  // namespace

std::optional<long double> ParseNumber(std::string_view text) {
    text = Trimmed(text);
    if (text.size() > 1 && text[0] == '+' && text[1] != '-') text.remove_prefix(1);
    if (text.empty()) return std::nullopt;
    if (const std::optional<long double> fast = FastDecimal(text)) return fast;
    long double value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (stop != end || text.empty()) return std::nullopt;
    if (error == std::errc::result_out_of_range) {
        const long double sign = text[0] == '-' ? -1.0L : 1.0L;
        return DecimalOrder(text) > 0 ? sign * std::numeric_limits<long double>::infinity() : 0.0L;
    }
    if (error != std::errc()) return std::nullopt;
    return value;
}

Real48 ReadWeight(std::string_view text, TWhere where) {
    const std::optional<long double> value = ParseNumber(text);
    if (!value || std::isnan(*value))
        throw EFormatError(where.Text(), "weight " + Quoted(text) + " is not a number");
    try {
        return Real48::FromExtended(*value);
    } catch (const EOverflow& e) {
        throw EFormatError(where.Text(), e.what());
    }
}

std::int32_t RoundCoordinate(double value, const char* axis, TWhere where) {
    const double rounded = std::round(value);
    if (!(rounded >= std::numeric_limits<std::int32_t>::min() &&
          rounded <= std::numeric_limits<std::int32_t>::max())) {
        char text[32];
        const auto result = std::to_chars(text, text + sizeof text, value);
        throw EFormatError(where.Text(), std::string(axis) + " " + std::string(text, result.ptr) +
                                             " is out of range");
    }
    return static_cast<std::int32_t>(rounded);
}

std::int32_t ReadCoordinate(std::string_view text, const char* axis, TWhere where) {
    const std::optional<long double> value = ParseNumber(text);
    if (!value || std::isnan(*value))
        throw EFormatError(where.Text(),
                           std::string(axis) + " " + Quoted(text) + " is not a number");
    return RoundCoordinate(static_cast<double>(*value), axis, where);
}

std::string WeightText(Real48 weight) {
    // Every Real48 is exact in a double, and the shortest text of that double reads back
    // as the same Real48.
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, weight.ToDouble());
    return std::string(text, result.ptr);
}

std::size_t Utf8Prefix(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {  // the common case, one byte at a time
            ++i;
            continue;
        }
        const std::size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                                   : lead >= 0xE0 && lead <= 0xEF ? 3
                                   : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                                  : 0;
        bool valid = length != 0 && i + length <= text.size();
        for (std::size_t k = 1; valid && k < length; ++k)
            valid = (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
        if (valid && length >= 3) {
            const auto second = static_cast<unsigned char>(text[i + 1]);
            valid = !(lead == 0xE0 && second < 0xA0) && !(lead == 0xED && second >= 0xA0) &&
                    !(lead == 0xF0 && second < 0x90) && !(lead == 0xF4 && second >= 0x90);
        }
        if (!valid) return i;
        i += length;
    }
    return i;
}

void CheckUtf8(std::string_view text, const char* what, TWhere where) {
    if (Utf8Prefix(text) != text.size())
        throw EFormatError(where.Text(), std::string(what) + " is not UTF-8");
}
