#include "values/CodePage.h"

#include <unicode/unistr.h>

#include <array>
#include <unordered_map>

namespace {

using TCodePage = std::array<char16_t, 256>;

// A one-byte code page: ask ICU's converter once for the whole table.
TCodePage MakeTable() {
    std::string everyByte(256, '\0');
    for (int i = 0; i < 256; ++i) everyByte[i] = static_cast<char>(i);
    const icu::UnicodeString converted(everyByte.data(), 256, "windows-1252");
    TCodePage table{};
    for (int i = 0; i < 256; ++i) {
        const bool defined = converted.length() == 256 && converted[i] != u'\uFFFD';
        table[i] = defined ? converted[i] : static_cast<char16_t>(i);
    }
    return table;
}

const TCodePage& Table() {
    static const TCodePage table = MakeTable();
    return table;
}

const std::unordered_map<char16_t, char>& ReverseTable() {
    static const auto reverse = [] {
        std::unordered_map<char16_t, char> map;
        for (int i = 0; i < 256; ++i) map.emplace(Table()[i], static_cast<char>(i));
        return map;
    }();
    return reverse;
}

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

}  // namespace

std::u16string Windows1252ToUtf16(std::string_view bytes) {
    std::u16string text(bytes.size(), u'\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        text[i] = Table()[static_cast<unsigned char>(bytes[i])];
    return text;
}

std::string Windows1252ToUtf8(std::string_view bytes) {
    const std::u16string wide = Windows1252ToUtf16(bytes);
    std::string utf8;
    icu::UnicodeString(false, wide.data(), static_cast<std::int32_t>(wide.size()))
        .toUTF8String(utf8);
    return utf8;
}

std::string Utf16ToWindows1252(std::u16string_view text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        // A character beyond the basic plane is one character: one "?".
        if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) ++i;
        const auto found = ReverseTable().find(text[i]);
        bytes += found != ReverseTable().end() ? found->second : '?';
    }
    return bytes;
}

std::string Utf8ToWindows1252(std::string_view text) {
    // ICU turns each malformed sequence into U+FFFD, which the code page lacks.
    const icu::UnicodeString wide = icu::UnicodeString::fromUTF8(
        icu::StringPiece(text.data(), static_cast<std::int32_t>(text.size())));
    return Utf16ToWindows1252(
        std::u16string_view(wide.getBuffer(), static_cast<std::size_t>(wide.length())));
}
