#include "interchange/GraphMl.h"

#include <algorithm>
#include <unordered_map>

#include "interchange/DocumentBuilder.h"
#include "interchange/Fields.h"
#include "interchange/XmlInput.h"
#include "interchange/XmlOutput.h"

namespace {

// ----------------------------------------------------------------------------
// Reading

enum class TMeaning { None, Label, X, Y, Weight, Graphics };

struct TKey {
    TMeaning forNodes = TMeaning::None;
    TMeaning forEdges = TMeaning::None;
    std::optional<std::string> defaultText;
};

bool SameWord(std::string_view a, std::string_view b) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [&](char x, char y) { return lower(x) == lower(y); });
}

TKey KeyOf(pugi::xml_node key) {
    const std::string_view domain = key.attribute("for").as_string("all");
    const pugi::xml_attribute named = key.attribute("attr.name");
    const std::string_view name = named ? named.value() : key.attribute("id").value();
    const std::string_view yfiles = key.attribute("yfiles.type").value();
    TKey meaning;
    if (domain == "node" || domain == "all") {
        if (SameWord(name, "label")) meaning.forNodes = TMeaning::Label;
        if (SameWord(name, "x")) meaning.forNodes = TMeaning::X;
        if (SameWord(name, "y")) meaning.forNodes = TMeaning::Y;
        if (yfiles == "nodegraphics") meaning.forNodes = TMeaning::Graphics;
    }
    if (domain == "edge" || domain == "all") {
        if (SameWord(name, "weight")) meaning.forEdges = TMeaning::Weight;
        if (yfiles == "edgegraphics") meaning.forEdges = TMeaning::Graphics;
    }
    if (const pugi::xml_node value = ChildNamed(key, "default"))
        meaning.defaultText = OwnText(value);
    return meaning;
}

/// What a node or an edge has of each meaning, its own data or its key's default.
struct TData {
    std::optional<std::string> label, x, y, weight;
    pugi::xml_node graphics;

    std::optional<std::string>* Slot(TMeaning meaning) {
        switch (meaning) {
            case TMeaning::Label:
                return &label;
            case TMeaning::X:
                return &x;
            case TMeaning::Y:
                return &y;
            case TMeaning::Weight:
                return &weight;
            default:
                return nullptr;
        }
    }
};

/// The first element inside top with that local name, or an empty node.
pugi::xml_node FindInside(pugi::xml_node top, std::string_view localName) {
    pugi::xml_node found;
    WalkElements(
        top,
        [&](pugi::xml_node n) {
            if (!found && n != top && LocalName(n) == localName) found = n;
            return !found;
        },
        [](pugi::xml_node) {});
    return found;
}

/// The text of the first yEd label (y:NodeLabel, y:EdgeLabel) in graphics, if it has one.
std::optional<std::string> YedLabel(pugi::xml_node graphics, std::string_view localName) {
    if (!graphics) return std::nullopt;
    const pugi::xml_node label = FindInside(graphics, localName);
    if (!label || std::string_view(label.attribute("hasText").value()) == "false")
        return std::nullopt;
    return OwnText(label);
}

class TGraphMlReader {
public:
    TGraphMlReader(std::string_view bytes, TWarnings& warnings)
        : xml_(bytes), warnings_(warnings), builder_([this](TDocumentBuilder::TPlace offset) {
              return xml_.LineAt(static_cast<std::ptrdiff_t>(offset));
          }) {}

    TGraphDocument Read();

private:
    std::string Where(pugi::xml_node element, const std::string& what) const {
        return xml_.LineOf(element) + ", " + what;
    }
    void ReadKeys(pugi::xml_node root);
    TData DataOf(pugi::xml_node element, bool node) const;
    bool Enter(pugi::xml_node element);
    void Leave(pugi::xml_node element);
    void ReadNode(pugi::xml_node element);
    void ReadEdge(pugi::xml_node element);
    std::optional<TPosition> PositionOf(const TData& data, pugi::xml_node element,
                                        const std::string& id) const;

    TXmlInput xml_;
    TWarnings& warnings_;
    TDocumentBuilder builder_;
    std::unordered_map<std::string, TKey> keys_;
    TData nodeDefaults_, edgeDefaults_;
    std::vector<std::pair<pugi::xml_node, bool>> graphs_;  // those entered, and if directed
};

TGraphDocument TGraphMlReader::Read() {
    const pugi::xml_node root = xml_.Root();
    if (LocalName(root) != "graphml")
        throw EFormatError(xml_.LineOf(root),
                           "the root element is <" + std::string(root.name()) + ">, not <graphml>");
    ReadKeys(root);
    const pugi::xml_node graph = ChildNamed(root, "graph");
    if (!graph) throw EFormatError(xml_.LineOf(root), "there is no <graph> in <graphml>");
    WalkElements(
        graph, [this](pugi::xml_node n) { return Enter(n); },
        [this](pugi::xml_node n) { Leave(n); });
    return builder_.Finish();
}

void TGraphMlReader::ReadKeys(pugi::xml_node root) {
    for (pugi::xml_node key = root.first_child(); key; key = key.next_sibling()) {
        if (key.type() != pugi::node_element || LocalName(key) != "key") continue;
        const TKey meaning = KeyOf(key);
        keys_[key.attribute("id").value()] = meaning;
        if (!meaning.defaultText) continue;
        if (auto* slot = nodeDefaults_.Slot(meaning.forNodes)) *slot = meaning.defaultText;
        if (auto* slot = edgeDefaults_.Slot(meaning.forEdges)) *slot = meaning.defaultText;
    }
}

TData TGraphMlReader::DataOf(pugi::xml_node element, bool node) const {
    TData data = node ? nodeDefaults_ : edgeDefaults_;
    for (pugi::xml_node child = element.first_child(); child; child = child.next_sibling()) {
        if (child.type() != pugi::node_element || LocalName(child) != "data") continue;
        const auto key = keys_.find(child.attribute("key").value());
        if (key == keys_.end()) continue;
        const TMeaning meaning = node ? key->second.forNodes : key->second.forEdges;
        if (meaning == TMeaning::Graphics)
            data.graphics = child;
        else if (auto* slot = data.Slot(meaning))
            *slot = OwnText(child);
    }
    return data;
}

bool TGraphMlReader::Enter(pugi::xml_node element) {
    const std::string_view name = LocalName(element);
    if (name == "graph") {
        const bool outer = graphs_.empty() || graphs_.back().second;
        const std::string_view kind = element.attribute("edgedefault").value();
        graphs_.emplace_back(element, kind.empty() ? outer : kind != "undirected");
        return true;
    }
    if (name == "node") {
        ReadNode(element);
        return true;  // a node may hold a graph of its own: yEd's groups
    }
    if (name == "edge") ReadEdge(element);
    if (name == "hyperedge") warnings_.Note("hyperedges left out", xml_.LineOf(element));
    return false;
}

void TGraphMlReader::Leave(pugi::xml_node element) {
    if (!graphs_.empty() && graphs_.back().first == element) graphs_.pop_back();
}

void TGraphMlReader::ReadNode(pugi::xml_node element) {
    std::string id;
    if (!AttributeText(element, "id", id))
        throw EFormatError(xml_.LineOf(element), "a node has no id");
    const TData data = DataOf(element, true);
    std::optional<std::string> caption = data.label;
    if (!caption) caption = YedLabel(data.graphics, "NodeLabel");
    auto where = [&] { return Where(element, "node " + QuotedName(id)); };
    if (caption) CheckUtf8(*caption, "the label", where);
    std::optional<TPosition> position = PositionOf(data, element, id);
    std::string text = caption ? std::move(*caption) : id;
    builder_.AddNode(std::move(id), std::move(text), position, element.offset_debug());
}

std::optional<TPosition> TGraphMlReader::PositionOf(const TData& data, pugi::xml_node element,
                                                    const std::string& id) const {
    auto where = [&] { return Where(element, "node " + QuotedName(id)); };
    if (data.x && data.y)
        return TPosition{ReadCoordinate(*data.x, "x", where), ReadCoordinate(*data.y, "y", where)};
    if (data.x || data.y) throw EFormatError(where(), data.x ? "x without y" : "y without x");
    const pugi::xml_node geometry =
        data.graphics ? FindInside(data.graphics, "Geometry") : pugi::xml_node();
    if (!geometry) return std::nullopt;
    // yEd gives the box's corner and size; a node stands at its centre.
    auto number = [&](const char* name) {
        const pugi::xml_attribute attribute = geometry.attribute(name);
        if (!attribute) return 0.0L;
        const std::optional<long double> value = ParseNumber(attribute.value());
        if (!value)
            throw EFormatError(where(), std::string("the geometry's ") + name + " " +
                                            QuotedName(attribute.value()) + " is not a number");
        return *value;
    };
    const long double x = number("x") + number("width") / 2;
    const long double y = number("y") + number("height") / 2;
    return TPosition{RoundCoordinate(static_cast<double>(x), "x", where),
                     RoundCoordinate(static_cast<double>(y), "y", where)};
}

void TGraphMlReader::ReadEdge(pugi::xml_node element) {
    std::string from, to;
    if (!AttributeText(element, "source", from) || !AttributeText(element, "target", to))
        throw EFormatError(xml_.LineOf(element), "an edge lacks its source or target");
    const TData data = DataOf(element, false);
    auto where = [&] {
        return Where(element, "edge " + QuotedName(from) + " -> " + QuotedName(to));
    };
    Real48 weight = Real48::FromExtended(1.0L);
    if (data.weight) {
        weight = ReadWeight(*data.weight, where);
    } else if (const std::optional<std::string> label = YedLabel(data.graphics, "EdgeLabel")) {
        if (ParseNumber(*label)) weight = ReadWeight(*label, where);  // a text label is no weight
    }
    const std::string_view directed = element.attribute("directed").value();
    const bool inDirectedGraph = graphs_.empty() || graphs_.back().second;
    builder_.AddEdge(std::move(from), std::move(to), weight,
                     directed.empty() ? inDirectedGraph : directed != "false",
                     element.offset_debug());
}

// ----------------------------------------------------------------------------
// Writing

bool HasPositions(const TGraphDocument& document) {
    return std::any_of(document.Nodes.begin(), document.Nodes.end(),
                       [](const TDocumentNode& node) { return node.Position.has_value(); });
}

void AppendData(std::string& out, const char* key, const std::string& text) {
    out += "<data key=\"";
    out += key;
    out += "\">";
    out += text;
    out += "</data>";
}

}  // namespace

TGraphDocument ReadGraphMl(std::string_view bytes, TWarnings& warnings) {
    return TGraphMlReader(bytes, warnings).Read();
}

std::string WriteGraphMl(const TGraphDocument& document, TWarnings& warnings) {
    std::string out(kXmlDeclaration);
    out +=
        "<graphml xmlns=\"http://graphml.graphdrawing.org/xmlns\"\n"
        "    xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"\n"
        "    xsi:schemaLocation=\"http://graphml.graphdrawing.org/xmlns "
        "http://graphml.graphdrawing.org/xmlns/1.0/graphml.xsd\">\n"
        "  <key id=\"label\" for=\"node\" attr.name=\"label\" attr.type=\"string\"/>\n";
    const bool positions = HasPositions(document);
    if (positions)
        out +=
            "  <key id=\"x\" for=\"node\" attr.name=\"x\" attr.type=\"double\"/>\n"
            "  <key id=\"y\" for=\"node\" attr.name=\"y\" attr.type=\"double\"/>\n";
    out +=
        "  <key id=\"weight\" for=\"edge\" attr.name=\"weight\" attr.type=\"double\"/>\n"
        "  <graph id=\"G\" edgedefault=\"directed\">\n";
    for (std::size_t i = 0; i < document.Nodes.size(); ++i) {
        const TDocumentNode& node = document.Nodes[i];
        out += "    <node id=\"n" + std::to_string(i + 1) + "\"><data key=\"label\">";
        if (!AppendXmlText(out, node.Caption, false))
            warnings.Note("characters that XML cannot hold written as \"?\"", NodePlace(node));
        out += "</data>";
        if (node.Position) {
            AppendData(out, "x", std::to_string(node.Position->X));
            AppendData(out, "y", std::to_string(node.Position->Y));
        }
        out += "</node>\n";
    }
    for (std::size_t k = 0; k < document.Edges.size(); ++k) {
        const TDocumentEdge& edge = document.Edges[k];
        out += "    <edge id=\"e" + std::to_string(k + 1) + "\" source=\"n" +
               std::to_string(edge.From + 1) + "\" target=\"n" + std::to_string(edge.To + 1) +
               "\">";
        AppendData(out, "weight", WeightText(edge.Weight));
        out += "</edge>\n";
    }
    out += "  </graph>\n</graphml>\n";
    return out;
}
