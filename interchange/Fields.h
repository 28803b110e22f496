// The values that the interchange formats carry as text: numbers, read and written by one
// rule for every format's weights and coordinates, and UTF-8.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "interchange/Document.h"
#include "values/Real48.h"

/// Text as a number: blanks around it, an optional sign, digits with at most one point,
/// an optional exponent ("1", "-2.5", ".5", "1e-3"), or "inf" or "nan". Formed in 80-bit
/// extended precision, as a typed weight is; a magnitude beyond that range reads as an
/// infinity, one below it as 0. None for anything else.
std::optional<long double> ParseNumber(std::string_view text);

/// The weight that text gives, narrowed to Real48 as a typed weight is. EFormatError at
/// where: "weight \"...\" is not a number" (a NaN too), "Floating point overflow".
Real48 ReadWeight(std::string_view text, TWhere where);

/// A coordinate: text rounded to the nearest integer, halves away from zero. EFormatError
/// at where: "<axis> \"...\" is not a number", "<axis> ... is out of range".
std::int32_t ReadCoordinate(std::string_view text, const char* axis, TWhere where);
/// The same for a number already read.
std::int32_t RoundCoordinate(double value, const char* axis, TWhere where);

/// The stored value in the shortest text that reads back as it ("2.5", "1e+20", "0").
std::string WeightText(Real48 weight);

/// The offset of the first byte of text that does not belong to well-formed UTF-8 (no
/// overlong forms, no surrogates, nothing past U+10FFFF), or text's size when there is none.
std::size_t Utf8Prefix(std::string_view text);
/// EFormatError at where ("<what> is not UTF-8") unless text is well-formed UTF-8.
void CheckUtf8(std::string_view text, const char* what, TWhere where);
