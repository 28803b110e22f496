#include "interchange/Dot.h"

#include <graphviz/cgraph.h>

#include <algorithm>
#include <memory>
#include <unordered_map>

#include "interchange/Fields.h"
#include "interchange/Graphviz.h"

namespace {

// As deep as the object stream nests frames: subgraphs inside the graph's own braces.
constexpr int kMaxNesting = 1000;

std::string LineOfOffset(std::string_view bytes, std::size_t offset) {
    return "line " + std::to_string(
                         1 + std::count(bytes.begin(),
                                        bytes.begin() + static_cast<std::ptrdiff_t>(offset), '\n'));
}

/// Refuses what Graphviz's parser would misread or take too far: a NUL byte, which ends
/// its text early, and subgraphs nested deeper than kMaxNesting, each level of which its
/// parser and its graph's release take a step of the call stack for. Braces inside
/// strings and comments do not count; inside an HTML string they do, to be safe.
void CheckDotBytes(std::string_view bytes) {
    if (const std::size_t nul = bytes.find('\0'); nul != std::string_view::npos)
        throw EFormatError(LineOfOffset(bytes, nul), "a NUL byte");
    int depth = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        const char next = i + 1 < bytes.size() ? bytes[i + 1] : '\0';
        if (c == '"') {
            for (++i; i < bytes.size() && bytes[i] != '"'; ++i)
                if (bytes[i] == '\\') ++i;
        } else if (c == '/' && next == '/') {
            i = std::min(bytes.find('\n', i), bytes.size());
        } else if (c == '/' && next == '*') {
            i = std::min(bytes.find("*/", i + 2), bytes.size());
        } else if (c == '#' && (i == 0 || bytes[i - 1] == '\n')) {
            i = std::min(bytes.find('\n', i), bytes.size());
        } else if (c == '{' && ++depth > kMaxNesting + 1) {
            throw EFormatError(LineOfOffset(bytes, i), "subgraphs nested more than " +
                                                           std::to_string(kMaxNesting) + " deep");
        } else if (c == '}') {
            --depth;
        }
    }
}

bool IsLatin1(const char* charset) {
    if (charset == nullptr) return false;
    std::string name(charset);
    for (char& c : name) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return name == "latin1" || name == "latin-1" || name == "l1" || name == "iso-8859-1" ||
           name == "iso_8859-1" || name == "iso8859-1" || name == "iso-ir-100";
}

std::string Latin1ToUtf8(std::string_view text) {
    std::string utf8;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            utf8 += c;
        } else {
            utf8 += static_cast<char>(0xC0 | byte >> 6);
            utf8 += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return utf8;
}

void AppendUtf8(std::string& out, unsigned long code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | code >> 6);
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | code >> 12);
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | code >> 18);
        out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

/// The character entity at text's start ("&#38;", "&#x26;", "&amp;"), appended to out as
/// UTF-8; its length, or 0 when there is none.
std::size_t TakeEntity(std::string_view text, std::string& out) {
    const std::size_t end = text.find(';');
    if (end == std::string_view::npos || end < 3 || end > 10) return 0;
    const std::string_view name = text.substr(1, end - 1);
    static const std::pair<std::string_view, char> kNamed[] = {
        {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
    for (const auto& [entity, c] : kNamed)
        if (name == entity) {
            out += c;
            return end + 1;
        }
    if (name[0] != '#') return 0;
    const bool hex = name[1] == 'x' || name[1] == 'X';
    const std::string_view digits = name.substr(hex ? 2 : 1);
    unsigned long code = 0;
    for (const char c : digits) {
        const int digit = c >= '0' && c <= '9'          ? c - '0'
                          : hex && c >= 'a' && c <= 'f' ? c - 'a' + 10
                          : hex && c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                        : -1;
        if (digit < 0) return 0;
        code = code * (hex ? 16 : 10) + static_cast<unsigned long>(digit);
    }
    if (digits.empty() || code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    AppendUtf8(out, code);
    return end + 1;
}

/// A label as Graphviz shows it: \N the node's name, \G the graph's, \n, \l and \r line
/// breaks, another backslash the character after it, and character entities decoded.
std::string LabelText(std::string_view label, std::string_view node, std::string_view graph) {
    std::string text;
    for (std::size_t i = 0; i < label.size(); ++i) {
        const char c = label[i];
        if (c == '&') {
            if (const std::size_t length = TakeEntity(label.substr(i), text)) {
                i += length - 1;
                continue;
            }
        }
        if (c != '\\' || i + 1 == label.size()) {
            text += c;
            continue;
        }
        const char escaped = label[++i];
        if (escaped == 'N')
            text += node;
        else if (escaped == 'G')
            text += graph;
        else if (escaped == 'n' || escaped == 'l' || escaped == 'r')
            text += '\n';
        else
            text += escaped;
    }
    return text;
}

/// "x,y", "x,y!" or "x,y,z" in points.
TPosition PositionOf(std::string_view pos, TWhere where) {
    std::string_view point = pos;
    if (point.ends_with('!')) point.remove_suffix(1);
    const std::size_t comma = point.find(',');
    std::string_view y = comma == std::string_view::npos ? "" : point.substr(comma + 1);
    y = y.substr(0, y.find(','));
    if (comma == std::string_view::npos || !ParseNumber(point.substr(0, comma)) || !ParseNumber(y))
        throw EFormatError(where.Text(), "pos " + QuotedName(std::string(pos)) + " is not a point");
    return {ReadCoordinate(point.substr(0, comma), "x", where), ReadCoordinate(y, "y", where)};
}

using TGraphHandle = std::unique_ptr<Agraph_t, int (*)(Agraph_t*)>;

class TDotReader {
public:
    explicit TDotReader(Agraph_t* graph)
        : graph_(graph), latin1_(IsLatin1(agget(graph, const_cast<char*>("charset")))) {}

    TGraphDocument Read();

private:
    std::string Text(const char* value, const char* what, TWhere where) const;
    void ReadNode(Agnode_t* node);
    void ReadEdge(Agedge_t* edge);

    Agraph_t* graph_;
    bool latin1_;
    TGraphDocument document_;
    std::unordered_map<Agnode_t*, int> places_;
};

std::string TDotReader::Text(const char* value, const char* what, TWhere where) const {
    if (latin1_) return Latin1ToUtf8(value);
    CheckUtf8(value, what, where);
    return value;
}

TGraphDocument TDotReader::Read() {
    for (Agnode_t* node = agfstnode(graph_); node != nullptr; node = agnxtnode(graph_, node))
        ReadNode(node);
    std::vector<Agedge_t*> edges;
    for (Agnode_t* node = agfstnode(graph_); node != nullptr; node = agnxtnode(graph_, node))
        for (Agedge_t* edge = agfstout(graph_, node); edge != nullptr;
             edge = agnxtout(graph_, edge))
            edges.push_back(edge);
    // Each node's edges come together; the file's order is the order they were made in.
    std::sort(edges.begin(), edges.end(),
              [](Agedge_t* a, Agedge_t* b) { return AGSEQ(a) < AGSEQ(b); });
    for (Agedge_t* edge : edges) ReadEdge(edge);
    return std::move(document_);
}

void TDotReader::ReadNode(Agnode_t* node) {
    const std::string name = Text(agnameof(node), "the name", std::string("a node"));
    auto where = [&] { return "node " + QuotedName(name); };
    const char* label = agget(node, const_cast<char*>("label"));
    const std::string graphName = latin1_ ? Latin1ToUtf8(agnameof(graph_)) : agnameof(graph_);
    std::string caption =
        label == nullptr ? name : LabelText(Text(label, "the label", where), name, graphName);
    std::optional<TPosition> position;
    const char* pos = agget(node, const_cast<char*>("pos"));
    if (pos != nullptr && *pos != '\0') position = PositionOf(pos, where);
    places_.emplace(node, static_cast<int>(document_.Nodes.size()));
    document_.Nodes.push_back({name, std::move(caption), position});
}

void TDotReader::ReadEdge(Agedge_t* edge) {
    const int from = places_.at(agtail(edge));
    const int to = places_.at(aghead(edge));
    const TDocumentEdge probe{from, to, Real48()};
    auto where = [&] { return EdgePlace(document_, probe); };
    const char* weight = agget(edge, const_cast<char*>("weight"));
    const char* label = agget(edge, const_cast<char*>("label"));
    Real48 value = Real48::FromExtended(1.0L);
    if (weight != nullptr && *weight != '\0')
        value = ReadWeight(weight, where);
    else if (label != nullptr && ParseNumber(label))
        value = ReadWeight(label, where);  // a label that is not a number is no weight
    document_.Edges.push_back({from, to, value});
    if (!agisdirected(graph_) && from != to) document_.Edges.push_back({to, from, value});
}

}  // namespace

TGraphDocument ReadDot(std::string_view bytes, TWarnings& /*warnings*/) {
    CheckDotBytes(bytes);
    TGraphvizUse graphviz;
    const std::string text(bytes);  // the parser wants the end marked
    TGraphHandle graph(agmemread(text.c_str()), &agclose);
    if (graph == nullptr) {
        const std::string errors = graphviz.Errors();
        throw EFormatError("", errors.empty() ? "there is no graph in the file" : errors);
    }
    return TDotReader(graph.get()).Read();
}

std::string DotQuoted(std::string_view utf8) {
    std::string text = "\"";
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            text += '\\';
            text += c;
        } else if (c == '\n') {
            text += "\\n";
        } else if (c == '&' || byte < 0x20 || byte == 0x7F) {
            text += "&#" + std::to_string(byte) + ";";
        } else {
            text += c;
        }
    }
    return text + "\"";
}

std::string WriteDot(const TGraphDocument& document, TWarnings& /*warnings*/) {
    std::string out = "digraph G {\n";
    for (std::size_t i = 0; i < document.Nodes.size(); ++i) {
        const TDocumentNode& node = document.Nodes[i];
        out += "    n" + std::to_string(i + 1) + " [label=" + DotQuoted(node.Caption);
        if (node.Position)
            out += ", pos=\"" + std::to_string(node.Position->X) + "," +
                   std::to_string(node.Position->Y) + "!\"";
        out += "];\n";
    }
    for (const TDocumentEdge& edge : document.Edges) {
        const std::string weight = WeightText(edge.Weight);
        const bool exponent = weight.find('e') != std::string::npos;
        out += "    n" + std::to_string(edge.From + 1) + " -> n" + std::to_string(edge.To + 1) +
               " [weight=" + (exponent ? "\"" + weight + "\"" : weight) + "];\n";
    }
    out += "}\n";
    return out;
}
