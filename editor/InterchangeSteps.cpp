#include "editor/InterchangeSteps.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "editor/GraphDocument.h"
#include "editor/GraphPoint.h"
#include "graph/NodeIndex.h"

namespace {

// A layout shifted far out by the scroll position still lands on positions a node can hold.
std::int32_t Shifted(std::int32_t at, std::int32_t by) {
    return static_cast<std::int32_t>(
        std::clamp<std::int64_t>(std::int64_t{at} + by, std::numeric_limits<std::int32_t>::min(),
                                 std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

std::unique_ptr<TGraphEdit> LayoutStep(TMathGraph& graph, TLayoutEngine engine, TLayoutBox box,
                                       TPosition origin) {
    const TGraphDocument document = DocumentOfGraph(graph);
    if (document.Nodes.empty()) return nullptr;
    const std::string name = LayoutEngineName(engine);
    std::vector<TPosition> positions;
    try {
        positions = LayOut(document, engine, box);
    } catch (const ELayoutError& e) {
        throw ELayoutError(name + ": " + e.what());
    }
    auto step = std::make_unique<TGraphEdit>("Layout (" + name + ")");
    const TNodeIndex index(*graph.Nodes);
    for (std::size_t i = 0; i < positions.size(); ++i)
        step->MoveNode(static_cast<TGraphPoint*>(index.Nodes()[i]),
                       Shifted(positions[i].X, origin.X), Shifted(positions[i].Y, origin.Y));
    return step;
}

std::unique_ptr<TGraphEdit> ImportStep(const TGraphDocument& document, TWarnings& warnings) {
    auto step = std::make_unique<TGraphEdit>(kImportIntoGraph);
    std::vector<TGraphPoint*> nodes;
    nodes.reserve(document.Nodes.size());
    for (const TDocumentNode& node : document.Nodes) {
        const TPosition at = node.Position.value_or(TPosition{});
        auto point = std::make_unique<TGraphPoint>(at.X, at.Y, CaptionForGraph(node, warnings));
        nodes.push_back(point.get());
        step->AddNode(std::move(point));
    }
    for (const TDocumentEdge& edge : document.Edges) {
        auto added = std::make_unique<TGraphEdge>(nodes[static_cast<std::size_t>(edge.From)],
                                                  nodes[static_cast<std::size_t>(edge.To)]);
        added->Weight = edge.Weight;
        step->AddEdge(std::move(added));
    }
    return step;
}
