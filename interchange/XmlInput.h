// XML documents of the interchange formats read through pugixml, which never expands an
// entity, never loads a DTD or anything else named in the document, and builds its tree
// without recursion; and the helpers the GraphML and GEXF readers share.
#pragma once

#include <pugixml.hpp>
#include <string>
#include <string_view>

/// A whole XML document in memory.
class TXmlInput {
public:
    /// Parses bytes (UTF-8, or another encoding the document declares or marks).
    /// EFormatError at "line N": not well-formed XML; a document type that declares an
    /// entity, external or not (entities are never read, so such a document cannot be read
    /// as its author meant it). REQUIRES: bytes outlive this, for the lines of messages.
    explicit TXmlInput(std::string_view bytes);

    /// The document's root element.
    pugi::xml_node Root() const { return document_.document_element(); }
    /// "line N" of node, for messages.
    std::string LineOf(pugi::xml_node node) const;
    /// "line N" of the byte at offset.
    std::string LineAt(std::ptrdiff_t offset) const;

private:
    void RefuseEntities() const;

    std::string_view bytes_;
    pugi::xml_document document_;
};

/// The element's name without its namespace prefix.
std::string_view LocalName(pugi::xml_node element);
/// The first child element with that local name, or an empty node.
pugi::xml_node ChildNamed(pugi::xml_node parent, std::string_view localName);
/// The element's own character data (its text and CDATA children), as the document has it.
std::string OwnText(pugi::xml_node element);
/// True when the attribute is there; its value in value.
bool AttributeText(pugi::xml_node element, const char* name, std::string& value);

/// Visits top and the elements inside it in document order, without recursion: enter
/// returns whether to go into the element's children; leave runs once the element and
/// everything inside it is done.
template <class Enter, class Leave>
void WalkElements(pugi::xml_node top, Enter enter, Leave leave) {
    auto firstElement = [](pugi::xml_node n) {
        while (n && n.type() != pugi::node_element) n = n.next_sibling();
        return n;
    };
    pugi::xml_node n = top;
    while (true) {
        pugi::xml_node child = enter(n) ? firstElement(n.first_child()) : pugi::xml_node();
        if (child) {
            n = child;
            continue;
        }
        while (true) {  // n is done: leave it and every ancestor it was the last of
            leave(n);
            if (n == top) return;
            if (pugi::xml_node sibling = firstElement(n.next_sibling())) {
                n = sibling;
                break;
            }
            n = n.parent();
        }
    }
}
