// Windows-1252, the 8-bit character set of captions and registered names, to and
// from Unicode.
#pragma once

#include <string>
#include <string_view>

/// Each byte as its character. The five bytes that the code page leaves
/// undefined become the control characters of the same number, so that every
/// byte string survives a round trip.
std::u16string Windows1252ToUtf16(std::string_view bytes);
std::string Windows1252ToUtf8(std::string_view bytes);

/// Each character as its byte; a character outside the code page becomes "?",
/// as does every malformed sequence.
std::string Utf16ToWindows1252(std::u16string_view text);
std::string Utf8ToWindows1252(std::string_view text);
