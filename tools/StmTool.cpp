#include "tools/StmTool.h"

#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <limits>
#include <map>
#include <memory>
#include <new>
#include <nlohmann/json.hpp>
#include <stdexcept>

#include "editor/GraphPoint.h"
#include "editor/WeightText.h"
#include "graph/ObjGraph.h"
#include "interchange/Dot.h"
#include "persistence/ObjStream.h"
#include "tools/AnalysisCommands.h"
#include "tools/CommandLine.h"
#include "tools/ConvertCommand.h"
#include "tools/RenderCommand.h"
#include "values/CodePage.h"

namespace {

constexpr const char* kUsage =
    "usage: stmtool show FILE           print the graph in FILE as JSON\n"
    "       stmtool path FILE FROM TO   print the shortest path from node FROM to node TO\n"
    "                                   (positions from 1) as JSON\n"
    "       stmtool new FILE            write the graph given as JSON on standard input,\n"
    "                                   in the form show prints, to FILE\n"
    "       stmtool dot FILE            print the graph in FILE as a Graphviz digraph\n"
    "       stmtool convert IN OUT [--layout ENGINE] [--strict]\n"
    "                                   write the graph in IN to OUT, each in the format of\n"
    "                                   its extension: .stm .graphml .gexf .dot .gv .csv\n"
    "                                   .json; ENGINE (neato sfdp dot circo twopi) places\n"
    "                                   the nodes, by default only when some have no\n"
    "                                   position; --strict: fail rather than lose anything\n"
    "       stmtool render FILE OUT.svg [--captions] [--weights] [--separate]\n"
    "                      [--adapt]\n"
    "                                   draw the graph in FILE (any format convert reads)\n"
    "                                   as the editor does at Actual Size, with the View\n"
    "                                   options named switched on, into OUT.svg\n"
    "       stmtool paths FILE FROM TO [--k K]\n"
    "                                   the K cheapest loopless paths (default 1)\n"
    "       stmtool distances FILE [--from N]\n"
    "                                   the distances from node N, or between all pairs\n"
    "       stmtool components FILE [--strong]\n"
    "                                   the weakly (or strongly) connected components\n"
    "       stmtool order FILE          the smallest topological order, or a cycle\n"
    "       stmtool tree FILE           a minimum spanning forest, edges taken undirected\n"
    "       stmtool flow FILE SOURCE SINK\n"
    "                                   the maximum flow, weights as capacities, and its cut\n"
    "       stmtool stats FILE          counts, degrees, components and the diameter\n"
    "                                   (all of these print JSON; nodes by position from 1)\n";

// Floats are kept as long double so that a number beyond the double range still reads,
// and then becomes what it is as a double: infinite, which narrowing refuses.
using TJson = nlohmann::basic_json<std::map, std::vector, std::string, bool, std::int64_t,
                                   std::uint64_t, long double>;

/// Builds the document as the library's own parser does, except that every float is the
/// nearest IEEE double to its text, as strtod gives it.
class TDoubleParser : public nlohmann::detail::json_sax_dom_parser<TJson> {
public:
    using json_sax_dom_parser::json_sax_dom_parser;
    bool number_float(long double /*parsed*/, const std::string& text) {
        return json_sax_dom_parser::number_float(std::strtod(text.c_str(), nullptr), text);
    }
};

/// The whole input as one JSON value, with nothing but white space after it.
TJson ParseJson(std::istream& in) {
    // Read to the end first: the parser takes a NUL byte for the end of its input and would
    // leave whatever follows unread.
    std::string text;
    char chunk[65536];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0)
        text.append(chunk, static_cast<std::size_t>(in.gcount()));
    if (in.bad()) throw EUsage("the input cannot be read");
    const std::size_t nul = text.find('\0');
    if (nul != std::string::npos)
        throw EUsage("the input is not JSON: a NUL byte at offset " + std::to_string(nul));
    TJson document;
    TDoubleParser parser(document);
    try {
        TJson::sax_parse(text, &parser);
    } catch (const TJson::exception& e) {
        throw EUsage(std::string("the input is not JSON: ") + e.what());
    }
    return document;
}

// ----------------------------------------------------------------------------
// Output

std::string JsonText(const std::string& windows1252) {
    return TJson(Windows1252ToUtf8(windows1252)).dump();
}

/// The shortest text that reads back as the same double: a Real48 is exact in one.
std::string JsonNumber(Real48 value) {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value.ToDouble());
    return std::string(text, result.ptr);
}

std::string CaptionOf(const TGraphNode& node) {
    return node.Caption != nullptr ? node.Caption->Text : std::string();
}

void ShowGraph(TMathGraph& graph, std::ostream& out) {
    const TNodeIndex index(*graph.Nodes);
    out << "{\"nodes\": [";
    for (int i = 1; i <= index.Count(); ++i) {
        const TGraphNode* node = index.NodeAt(i);
        out << (i > 1 ? ", " : "") << "{\"caption\": " << JsonText(CaptionOf(*node));
        if (IsA<TGraphPoint>(node)) {
            const auto* point = static_cast<const TGraphPoint*>(node);
            out << ", \"x\": " << point->X << ", \"y\": " << point->Y;
        }
        out << "}";
    }
    out << "], \"edges\": [";
    for (int k = 0; k < graph.Edges->Count(); ++k) {
        const TGraphEdge* edge = graph.Edges->Get(k);
        out << (k > 0 ? ", " : "") << "{\"from\": " << index.PositionOf(edge->FromNode)
            << ", \"to\": " << index.PositionOf(edge->ToNode)
            << ", \"weight\": " << JsonNumber(edge->Weight) << "}";
    }
    out << "]}\n";
}

void ShowPath(TMathGraph& graph, int from, int to, std::ostream& out) {
    const TNodeIndex index(*graph.Nodes);
    TGraphNode* target = index.NodeAt(to);
    const std::unique_ptr<TEdgeList> path = graph.ShortestPath(index.NodeAt(from), target);
    out << "{\"distance\": " << JsonNumber(target->Distance) << ", \"edges\": [";
    for (int k = 0; k < path->Count(); ++k) {
        const TGraphEdge* edge = path->Get(k);
        out << (k > 0 ? ", " : "") << "[" << index.PositionOf(edge->FromNode) << ", "
            << index.PositionOf(edge->ToNode) << "]";
    }
    out << "]}\n";
}

void DrawGraph(TMathGraph& graph, std::ostream& out) {
    const TNodeIndex index(*graph.Nodes);
    out << "digraph graph_file {\n";
    for (int i = 1; i <= index.Count(); ++i)
        out << "    n" << i
            << " [label=" << DotQuoted(Windows1252ToUtf8(CaptionOf(*index.NodeAt(i)))) << "];\n";
    for (int k = 0; k < graph.Edges->Count(); ++k) {
        const TGraphEdge* edge = graph.Edges->Get(k);
        out << "    n" << index.PositionOf(edge->FromNode) << " -> n"
            << index.PositionOf(edge->ToNode)
            << " [label=" << DotQuoted(FormatWeight(edge->GetWeight().ToExtended())) << "];\n";
    }
    out << "}\n";
}

// ----------------------------------------------------------------------------
// Input

const TJson& Member(const TJson& object, const char* key) {
    const auto found = object.find(key);
    if (found == object.end()) throw EUsage(std::string("a member \"") + key + "\" is missing");
    return *found;
}

const TJson& ArrayMember(const TJson& object, const char* key) {
    const TJson& array = Member(object, key);
    if (!array.is_array()) throw EUsage(std::string("\"") + key + "\" is not an array");
    return array;
}

const TJson& ObjectItem(const TJson& item, const char* what) {
    if (!item.is_object()) throw EUsage(std::string("a ") + what + " is not an object");
    return item;
}

std::int32_t IntegerMember(const TJson& object, const char* key) {
    const TJson& value = Member(object, key);
    if (!value.is_number_integer()) throw EUsage(std::string("\"") + key + "\" is not an integer");
    // Every integer member is a 32-bit number in the file.
    const bool fits =
        value.is_number_unsigned()
            ? value.get<std::uint64_t>() <= std::numeric_limits<std::int32_t>::max()
            : value.get<std::int64_t>() >= std::numeric_limits<std::int32_t>::min() &&
                  value.get<std::int64_t>() <= std::numeric_limits<std::int32_t>::max();
    if (!fits) throw EUsage(std::string("\"") + key + "\" is out of the 32-bit range");
    return static_cast<std::int32_t>(value.get<std::int64_t>());
}

std::string CaptionMember(const TJson& node) {
    const TJson& caption = Member(node, "caption");
    if (!caption.is_string()) throw EUsage("a caption is not a string");
    return Utf8ToWindows1252(caption.get<std::string>());
}

long double WeightMember(const TJson& edge) {
    const TJson& weight = Member(edge, "weight");
    if (!weight.is_number()) throw EUsage("a weight is not a number");
    return weight.get<double>();  // an integer too is taken as the nearest double
}

/// The graph that the editor would have made: the nodes appended in order, then the edges.
std::unique_ptr<TMathGraph> BuildGraph(const TJson& document) {
    if (!document.is_object()) throw EUsage("the input is not a JSON object");
    const TJson& nodes = ArrayMember(document, "nodes");
    const TJson& edges = ArrayMember(document, "edges");
    auto graph = std::make_unique<TMathGraph>();
    for (const TJson& item : nodes) {
        const TJson& node = ObjectItem(item, "node");
        auto point = std::make_unique<TGraphPoint>(IntegerMember(node, "x"),
                                                   IntegerMember(node, "y"), CaptionMember(node));
        graph->Nodes->Append(point.get());
        point.release();  // the node list's from here
    }
    const TNodeIndex index(*graph->Nodes);
    for (const TJson& item : edges) {
        const TJson& object = ObjectItem(item, "edge");
        const int from = IntegerMember(object, "from");
        const int to = IntegerMember(object, "to");
        const long double weight = WeightMember(object);
        auto edge = std::make_unique<TGraphEdge>(index.NodeAt(from), index.NodeAt(to));
        edge->Weight = Real48::FromExtended(weight);
        graph->Edges->Add(edge.get());
        edge.release();  // the graph's from here
    }
    return graph;
}

// ----------------------------------------------------------------------------
// Commands

void RunCommand(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                std::ostream& err) {
    if (args.empty()) throw EUsage("no command given");
    const std::string& command = args[0];
    if (command == "show") {
        CheckArgumentCount(args, 2);
        ShowGraph(*LoadGraph(args[1]), out);
    } else if (command == "path") {
        CheckArgumentCount(args, 4);
        const int from = PositionArgument(args[2]);
        const int to = PositionArgument(args[3]);
        ShowPath(*LoadGraph(args[1]), from, to, out);
    } else if (command == "new") {
        CheckArgumentCount(args, 2);
        const std::unique_ptr<TMathGraph> graph = BuildGraph(ParseJson(in));
        SaveObjectToFile(graph.get(), args[1], true);
    } else if (command == "dot") {
        CheckArgumentCount(args, 2);
        DrawGraph(*LoadGraph(args[1]), out);
    } else if (command == "convert") {
        RunConvert(args, err);
    } else if (command == "render") {
        RunRender(args, err);
    } else if (IsAnalysisCommand(command)) {
        RunAnalysisCommand(args, out);
    } else {
        throw EUsage("unknown command \"" + command + "\"");
    }
}

}  // namespace

int RunStmTool(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
               std::ostream& err) {
    if (args.size() == 1 && (args[0] == "help" || args[0] == "--help" || args[0] == "-h")) {
        out << kUsage;
        return kExitOk;
    }
    try {
        RunCommand(args, in, out, err);
    } catch (const EUsage& e) {
        err << "stmtool: " << e.what() << "\n" << kUsage;
        return kExitUsage;
    } catch (const std::bad_alloc&) {
        err << "Out of memory\n";
        return kExitError;
    } catch (const std::exception& e) {  // the library's errors: their message alone
        err << e.what() << "\n";
        return kExitError;
    }
    out.flush();
    if (!out) {
        err << "Stream write error\n";
        return kExitError;
    }
    return kExitOk;
}
