#include "interchange/Layout.h"

#include <graphviz/gvc.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <memory>

#include "interchange/Graphviz.h"

namespace {

struct TEngineName {
    TLayoutEngine engine;
    const char* name;
};
constexpr std::array<TEngineName, 5> kEngines{{{TLayoutEngine::Neato, "neato"},
                                               {TLayoutEngine::Sfdp, "sfdp"},
                                               {TLayoutEngine::Dot, "dot"},
                                               {TLayoutEngine::Circo, "circo"},
                                               {TLayoutEngine::Twopi, "twopi"}}};

constexpr std::size_t kNeatoLimit = 1000;

using TGraphHandle = std::unique_ptr<Agraph_t, int (*)(Agraph_t*)>;

char* Text(const char* literal) { return const_cast<char*>(literal); }

/// The document's nodes as small circles of a fixed size without labels, so that no font
/// is measured and nothing but the graph's shape decides where they go; its edges as
/// they are, loops and parallel edges too.
// The attributes every node is laid out with, for the library and for the command line.
constexpr std::array<std::pair<const char*, const char*>, 5> kNodeLook{{{"label", ""},
                                                                        {"shape", "circle"},
                                                                        {"fixedsize", "true"},
                                                                        {"width", "0.3"},
                                                                        {"height", "0.3"}}};

TGraphHandle LayoutGraph(const TGraphDocument& document, std::vector<Agnode_t*>& nodes) {
    TGraphHandle graph(agopen(Text("layout"), Agdirected, nullptr), &agclose);
    for (const auto& [name, value] : kNodeLook)
        agattr(graph.get(), AGNODE, Text(name), Text(value));
    nodes.clear();
    nodes.reserve(document.Nodes.size());
    for (std::size_t i = 0; i < document.Nodes.size(); ++i) {
        std::string name = std::to_string(i + 1);
        nodes.push_back(agnode(graph.get(), name.data(), 1));
    }
    for (const TDocumentEdge& edge : document.Edges)
        agedge(graph.get(), nodes[static_cast<std::size_t>(edge.From)],
               nodes[static_cast<std::size_t>(edge.To)], nullptr, 1);
    return graph;
}

struct TPoint {
    double x, y;
};

/// points fitted into frame: one scale for both axes, centred, y turned downward.
std::vector<TPosition> Fitted(const std::vector<TPoint>& points, TLayoutBox frame) {
    double minX = HUGE_VAL, maxX = -HUGE_VAL, minY = HUGE_VAL, maxY = -HUGE_VAL;
    for (const TPoint& p : points) {
        minX = std::min(minX, p.x), maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y), maxY = std::max(maxY, p.y);
    }
    const double width = frame.Width - 2.0 * frame.Margin,
                 height = frame.Height - 2.0 * frame.Margin;
    double scale = HUGE_VAL;
    if (maxX > minX) scale = std::min(scale, width / (maxX - minX));
    if (maxY > minY) scale = std::min(scale, height / (maxY - minY));
    if (scale == HUGE_VAL) scale = 0;  // every node in one place
    const double middleX = (minX + maxX) / 2, middleY = (minY + maxY) / 2;
    std::vector<TPosition> positions;
    positions.reserve(points.size());
    for (const TPoint& p : points)
        positions.push_back(
            {static_cast<std::int32_t>(std::lround(frame.Width / 2.0 + (p.x - middleX) * scale)),
             static_cast<std::int32_t>(std::lround(frame.Height / 2.0 - (p.y - middleY) * scale))});
    return positions;
}

}  // namespace

std::optional<TLayoutEngine> LayoutEngineNamed(std::string_view name) {
    for (const TEngineName& entry : kEngines)
        if (name == entry.name) return entry.engine;
    return std::nullopt;
}

const char* LayoutEngineName(TLayoutEngine engine) {
    for (const TEngineName& entry : kEngines)
        if (entry.engine == engine) return entry.name;
    return "neato";
}

TLayoutEngine DefaultLayoutEngine(std::size_t nodeCount) {
    return nodeCount <= kNeatoLimit ? TLayoutEngine::Neato : TLayoutEngine::Sfdp;
}

std::vector<TPosition> LayOut(const TGraphDocument& document, TLayoutEngine engine,
                              TLayoutBox frame) {
    if (document.Nodes.empty()) return {};
    TGraphvizUse graphviz;
    std::vector<Agnode_t*> nodes;
    TGraphHandle graph = LayoutGraph(document, nodes);
    GVC_t* context = graphviz.Context();
    if (graphviz.LayOut(graph.get(), LayoutEngineName(engine)) != 0) {
        const std::string errors = graphviz.Errors();
        throw ELayoutError(errors.empty() ? std::string("the layout failed") : errors);
    }
    // The engine's own data on the graph goes before the graph, whatever happens here.
    const auto freeLayout = [&](Agraph_t* laidOut) { gvFreeLayout(context, laidOut); };
    const std::unique_ptr<Agraph_t, decltype(freeLayout)> layout(graph.get(), freeLayout);
    std::vector<TPoint> points;
    points.reserve(nodes.size());
    for (Agnode_t* node : nodes) points.push_back({ND_coord(node).x, ND_coord(node).y});
    return Fitted(points, frame);
}

std::string LayoutGraphDot(const TGraphDocument& document) {
    // Written here rather than by Graphviz, which leaves out a default it takes to be its
    // own: the empty label would then be the node's name.
    std::string dot = "digraph layout {\n    node [";
    for (const auto& [name, value] : kNodeLook)
        dot +=
            std::string(name) + "=\"" + value + "\"" + (name == kNodeLook.back().first ? "" : ", ");
    dot += "];\n";
    for (std::size_t i = 1; i <= document.Nodes.size(); ++i)
        dot += "    " + std::to_string(i) + ";\n";
    for (const TDocumentEdge& edge : document.Edges)
        dot +=
            "    " + std::to_string(edge.From + 1) + " -> " + std::to_string(edge.To + 1) + ";\n";
    return dot + "}\n";
}
