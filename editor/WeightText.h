// The weight box's two text rules: how a weight is shown and which texts are
// read back as a number. Toolkit-free; the window supplies the locale's
// decimal separator.
#pragma once

#include <optional>
#include <string>

/// The decimal form of value rounded to 15 significant digits, without
/// trailing zeros: plain notation when the rounded magnitude is at least
/// 0.0001 and below 10^15, otherwise scientific ("6.103515625E-5", "1E15").
std::string FormatWeight(long double value, char decimalSeparator = '.');

/// Reads text as a number: blanks, an optional sign, digits with at most one
/// decimal separator (at least one digit or the separator), an optional
/// exponent (E or e, optional sign, digits; no digits counts as 0), blanks.
/// Anything else, and a value beyond the extended range, is not a number.
std::optional<long double> ParseWeight(const std::string& text, char decimalSeparator = '.');
