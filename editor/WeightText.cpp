#include "editor/WeightText.h"

#include <locale.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kSignificantDigits = 15;

struct Decimal {
    std::string digits;  // significant digits, no trailing zeros, at least one
    int exponent;        // of the first digit
};

Decimal RoundToSignificant(long double magnitude) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*Le", kSignificantDigits - 1, magnitude);
    const std::string text(buffer);  // d.dddddddddddddde[+-]xx
    const std::size_t e = text.find('e');
    std::string digits = text.substr(0, 1) + text.substr(2, e - 2);
    digits.erase(digits.find_last_not_of('0') + 1);
    // Not `digits = "0"`: g++ 12 at -O3 sees an overlapping copy in that assignment after
    // the erase above (-Wrestrict, a known false positive of that compiler).
    if (digits.empty()) digits.push_back('0');
    return {digits, std::atoi(text.c_str() + e + 1)};
}

std::string Plain(const Decimal& d, char separator) {
    if (d.exponent < 0)
        return std::string("0") + separator + std::string(-d.exponent - 1, '0') + d.digits;
    const std::size_t intLength = static_cast<std::size_t>(d.exponent) + 1;
    if (d.digits.size() <= intLength)
        return d.digits + std::string(intLength - d.digits.size(), '0');
    return d.digits.substr(0, intLength) + separator + d.digits.substr(intLength);
}

std::string Scientific(const Decimal& d, char separator) {
    std::string text = d.digits.substr(0, 1);
    if (d.digits.size() > 1) text += separator + d.digits.substr(1);
    return text + "E" + std::to_string(d.exponent);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string TakeDigits(const std::string& text, std::size_t& pos) {
    const std::size_t start = pos;
    while (pos < text.size() && IsDigit(text[pos])) ++pos;
    return text.substr(start, pos - start);
}

std::string TakeSign(const std::string& text, std::size_t& pos) {
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) return text.substr(pos++, 1);
    return "";
}

void SkipBlanks(const std::string& text, std::size_t& pos) {
    while (pos < text.size() && text[pos] == ' ') ++pos;
}

/// Converts a C-notation number independently of the process's locale.
std::optional<long double> ToExtended(const std::string& cText) {
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", nullptr);
    errno = 0;
    const long double value = strtold_l(cText.c_str(), nullptr, cLocale);
    if (errno == ERANGE && std::isinf(value)) return std::nullopt;  // overflow; underflow is 0
    return value;
}

}  // namespace

std::string FormatWeight(long double value, char decimalSeparator) {
    if (value == 0) return "0";
    const Decimal d = RoundToSignificant(std::fabs(value));
    const bool plain = d.exponent >= -4 && d.exponent < kSignificantDigits;
    const std::string text = plain ? Plain(d, decimalSeparator) : Scientific(d, decimalSeparator);
    return std::signbit(value) ? "-" + text : text;
}

std::optional<long double> ParseWeight(const std::string& text, char decimalSeparator) {
    std::size_t pos = 0;
    SkipBlanks(text, pos);
    const std::string sign = TakeSign(text, pos);
    const std::string intDigits = TakeDigits(text, pos);
    const bool hasSeparator = pos < text.size() && text[pos] == decimalSeparator;
    if (hasSeparator) ++pos;
    const std::string fracDigits = hasSeparator ? TakeDigits(text, pos) : "";
    if (intDigits.empty() && fracDigits.empty() && !hasSeparator) return std::nullopt;

    std::string expSign, expDigits;
    if (pos < text.size() && (text[pos] == 'E' || text[pos] == 'e')) {
        ++pos;
        expSign = TakeSign(text, pos);
        expDigits = TakeDigits(text, pos);
    }
    SkipBlanks(text, pos);
    if (pos != text.size()) return std::nullopt;

    return ToExtended(sign + (intDigits.empty() ? "0" : intDigits) + "." +
                      (fracDigits.empty() ? "0" : fracDigits) + "e" + expSign +
                      (expDigits.empty() ? "0" : expDigits));
}
