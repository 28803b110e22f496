// Text written into the XML formats.
#pragma once

#include <string>
#include <string_view>

/// Appends utf8 as XML character data, or as an attribute value in double quotes when
/// attribute is set, so that an XML reader gets the same text back: markup characters
/// escaped, a carriage return (and in an attribute a tab and a line feed) as a character
/// reference. XML 1.0 cannot hold the other control characters, nor U+FFFE and U+FFFF:
/// each becomes "?". Returns false when one did.
/// REQUIRES: utf8 is well-formed UTF-8.
bool AppendXmlText(std::string& out, std::string_view utf8, bool attribute);

/// The XML declaration that starts every document written.
inline constexpr std::string_view kXmlDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
