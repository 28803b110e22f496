#include "interchange/XmlInput.h"

#include <algorithm>

#include "interchange/Document.h"

namespace {

// Declarations and the document type are parsed so that a declared entity can be
// refused; whitespace that is all of an element's text is kept, as an empty-looking
// label of blanks is a label.
constexpr unsigned kParseOptions =
    pugi::parse_default | pugi::parse_doctype | pugi::parse_ws_pcdata_single;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsNameChar(char c) { return !IsBlank(c) && c != '"' && c != '\'' && c != '>'; }

std::string_view SkipBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    return text;
}

}  // namespace

TXmlInput::TXmlInput(std::string_view bytes) : bytes_(bytes) {
    const pugi::xml_parse_result result =
        document_.load_buffer(bytes.data(), bytes.size(), kParseOptions, pugi::encoding_auto);
    if (!result)
        throw EFormatError(LineAt(result.offset),
                           std::string("not well-formed XML (") + result.description() + ")");
    RefuseEntities();
    // pugixml takes several elements at the top; XML has only one.
    for (pugi::xml_node n = Root().next_sibling(); n; n = n.next_sibling())
        if (n.type() == pugi::node_element)
            throw EFormatError(LineOf(n), "not well-formed XML (a second root element)");
}

std::string TXmlInput::LineAt(std::ptrdiff_t offset) const {
    const auto end = bytes_.begin() + std::clamp<std::ptrdiff_t>(offset, 0, bytes_.size());
    return "line " + std::to_string(1 + std::count(bytes_.begin(), end, '\n'));
}

std::string TXmlInput::LineOf(pugi::xml_node node) const { return LineAt(node.offset_debug()); }

void TXmlInput::RefuseEntities() const {
    for (pugi::xml_node n = document_.first_child(); n; n = n.next_sibling()) {
        if (n.type() != pugi::node_doctype) continue;
        const std::string_view declarations = n.value();
        const std::size_t at = declarations.find("<!ENTITY");
        if (at == std::string_view::npos) continue;
        std::string_view rest = SkipBlanks(declarations.substr(at + 8));
        if (!rest.empty() && rest.front() == '%') rest = SkipBlanks(rest.substr(1));
        std::size_t nameLength = 0;
        while (nameLength < rest.size() && IsNameChar(rest[nameLength])) ++nameLength;
        const std::string name(rest.substr(0, nameLength));
        rest = SkipBlanks(rest.substr(nameLength));
        const bool external = rest.starts_with("SYSTEM") || rest.starts_with("PUBLIC");
        const std::string where = LineAt(n.offset_debug() + static_cast<std::ptrdiff_t>(at));
        if (external)
            throw EFormatError(where, "the document declares the external entity " +
                                          QuotedName(name) + ": external entities are never read");
        throw EFormatError(where, "the document declares the entity " + QuotedName(name) +
                                      ": entities are not read");
    }
}

std::string_view LocalName(pugi::xml_node element) {
    const std::string_view name = element.name();
    const std::size_t colon = name.find(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

pugi::xml_node ChildNamed(pugi::xml_node parent, std::string_view localName) {
    for (pugi::xml_node child = parent.first_child(); child; child = child.next_sibling())
        if (child.type() == pugi::node_element && LocalName(child) == localName) return child;
    return {};
}

std::string OwnText(pugi::xml_node element) {
    std::string text;
    for (pugi::xml_node child = element.first_child(); child; child = child.next_sibling())
        if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata)
            text += child.value();
    return text;
}

bool AttributeText(pugi::xml_node element, const char* name, std::string& value) {
    const pugi::xml_attribute attribute = element.attribute(name);
    if (!attribute) return false;
    value = attribute.value();
    return true;
}
