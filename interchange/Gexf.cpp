#include "interchange/Gexf.h"

#include "interchange/DocumentBuilder.h"
#include "interchange/Fields.h"
#include "interchange/XmlInput.h"
#include "interchange/XmlOutput.h"

namespace {

bool IsDirected(std::string_view type, bool otherwise) {
    if (type.empty()) return otherwise;
    return type == "directed";  // "undirected" and "mutual" go both ways
}

class TGexfReader {
public:
    explicit TGexfReader(std::string_view bytes)
        : xml_(bytes), builder_([this](TDocumentBuilder::TPlace offset) {
              return xml_.LineAt(static_cast<std::ptrdiff_t>(offset));
          }) {}

    TGraphDocument Read();

private:
    std::string Where(pugi::xml_node element, const std::string& what) const {
        return xml_.LineOf(element) + ", " + what;
    }
    void ReadNode(pugi::xml_node element);
    void ReadEdge(pugi::xml_node element);

    TXmlInput xml_;
    TDocumentBuilder builder_;
    bool directed_ = true;
};

TGraphDocument TGexfReader::Read() {
    const pugi::xml_node root = xml_.Root();
    if (LocalName(root) != "gexf")
        throw EFormatError(xml_.LineOf(root),
                           "the root element is <" + std::string(root.name()) + ">, not <gexf>");
    const pugi::xml_node graph = ChildNamed(root, "graph");
    if (!graph) throw EFormatError(xml_.LineOf(root), "there is no <graph> in <gexf>");
    directed_ = IsDirected(graph.attribute("defaultedgetype").value(), true);
    WalkElements(
        graph,
        [this](pugi::xml_node n) {
            const std::string_view name = LocalName(n);
            if (name == "node") ReadNode(n);
            if (name == "edge") ReadEdge(n);
            return name == "graph" || name == "nodes" || name == "edges" || name == "node";
        },
        [](pugi::xml_node) {});
    return builder_.Finish();
}

void TGexfReader::ReadNode(pugi::xml_node element) {
    std::string id;
    if (!AttributeText(element, "id", id))
        throw EFormatError(xml_.LineOf(element), "a node has no id");
    auto where = [&] { return Where(element, "node " + QuotedName(id)); };
    std::string caption = id;
    if (AttributeText(element, "label", caption)) CheckUtf8(caption, "the label", where);
    std::optional<TPosition> position;
    if (const pugi::xml_node viz = ChildNamed(element, "position")) {
        std::string x, y;
        if (!AttributeText(viz, "x", x) || !AttributeText(viz, "y", y))
            throw EFormatError(where(), "a position lacks its x or y");
        position = TPosition{ReadCoordinate(x, "x", where), ReadCoordinate(y, "y", where)};
    }
    builder_.AddNode(std::move(id), std::move(caption), position, element.offset_debug());
}

void TGexfReader::ReadEdge(pugi::xml_node element) {
    std::string from, to, weightText;
    if (!AttributeText(element, "source", from) || !AttributeText(element, "target", to))
        throw EFormatError(xml_.LineOf(element), "an edge lacks its source or target");
    auto where = [&] {
        return Where(element, "edge " + QuotedName(from) + " -> " + QuotedName(to));
    };
    const Real48 weight = AttributeText(element, "weight", weightText)
                              ? ReadWeight(weightText, where)
                              : Real48::FromExtended(1.0L);
    builder_.AddEdge(std::move(from), std::move(to), weight,
                     IsDirected(element.attribute("type").value(), directed_),
                     element.offset_debug());
}

}  // namespace

TGraphDocument ReadGexf(std::string_view bytes, TWarnings& /*warnings*/) {
    return TGexfReader(bytes).Read();
}

std::string WriteGexf(const TGraphDocument& document, TWarnings& warnings) {
    std::string out(kXmlDeclaration);
    out +=
        "<gexf xmlns=\"http://www.gexf.net/1.2draft\" "
        "xmlns:viz=\"http://www.gexf.net/1.2draft/viz\" version=\"1.2\">\n"
        "  <graph mode=\"static\" defaultedgetype=\"directed\">\n"
        "    <nodes>\n";
    for (std::size_t i = 0; i < document.Nodes.size(); ++i) {
        const TDocumentNode& node = document.Nodes[i];
        out += "      <node id=\"n" + std::to_string(i + 1) + "\" label=\"";
        if (!AppendXmlText(out, node.Caption, true))
            warnings.Note("characters that XML cannot hold written as \"?\"", NodePlace(node));
        out += '"';
        if (node.Position)
            out += "><viz:position x=\"" + std::to_string(node.Position->X) + "\" y=\"" +
                   std::to_string(node.Position->Y) + "\" z=\"0\"/></node>\n";
        else
            out += "/>\n";
    }
    out += "    </nodes>\n    <edges>\n";
    for (std::size_t k = 0; k < document.Edges.size(); ++k) {
        const TDocumentEdge& edge = document.Edges[k];
        out += "      <edge id=\"e" + std::to_string(k + 1) + "\" source=\"n" +
               std::to_string(edge.From + 1) + "\" target=\"n" + std::to_string(edge.To + 1) +
               "\" weight=\"" + WeightText(edge.Weight) + "\"/>\n";
    }
    out += "    </edges>\n  </graph>\n</gexf>\n";
    return out;
}
