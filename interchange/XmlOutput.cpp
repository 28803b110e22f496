#include "interchange/XmlOutput.h"

namespace {

/// The UTF-8 of U+FFFE and U+FFFF, which no XML 1.0 document may hold.
bool IsNonCharacterAt(std::string_view text, std::size_t i) {
    return i + 2 < text.size() && static_cast<unsigned char>(text[i]) == 0xEF &&
           static_cast<unsigned char>(text[i + 1]) == 0xBF &&
           (static_cast<unsigned char>(text[i + 2]) & 0xFE) == 0xBE;
}

}  // namespace

bool AppendXmlText(std::string& out, std::string_view utf8, bool attribute) {
    bool kept = true;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const char c = utf8[i];
        switch (c) {
            case '&':
                out += "&amp;";
                continue;
            case '<':
                out += "&lt;";
                continue;
            case '>':
                out += "&gt;";
                continue;
            case '\r':
                out += "&#13;";
                continue;
            case '"':
                out += attribute ? "&quot;" : "\"";
                continue;
            case '\t':
                out += attribute ? "&#9;" : "\t";
                continue;
            case '\n':
                out += attribute ? "&#10;" : "\n";
                continue;
            default:
                break;
        }
        if (static_cast<unsigned char>(c) < 0x20 || IsNonCharacterAt(utf8, i)) {
            out += '?';
            kept = false;
            if (static_cast<unsigned char>(c) >= 0x20) i += 2;
            continue;
        }
        out += c;
    }
    return kept;
}
