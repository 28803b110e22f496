#include "editor/ResultText.h"

#include "editor/WeightText.h"
#include "values/CodePage.h"

namespace {

std::string Counted(int count, const char* one, const char* many) {
    return std::to_string(count) + ' ' + (count == 1 ? one : many);
}

const TGraphPoint& PointOf(const TGraphNode* node) {
    return *static_cast<const TGraphPoint*>(node);
}

}  // namespace

std::string NodeName(const TGraphPoint& node) {
    if (node.Caption && !node.Caption->Text.empty()) return Windows1252ToUtf8(node.Caption->Text);
    return '(' + std::to_string(node.X) + ", " + std::to_string(node.Y) + ')';
}

TResultText ShortestPathText(const TGraphPoint& source, const TGraphPoint& target,
                             const TEdgeList& path, char decimalSeparator) {
    TResultText text;
    text.Title = "Shortest path from " + NodeName(source) + " to " + NodeName(target);
    if (path.Count() == 0 && &source != &target) {
        text.Lines.push_back("No path");
        return text;
    }
    // The path comes target first.
    std::string nodes = NodeName(source);
    for (int i = path.Count() - 1; i >= 0; --i)
        nodes += " \u2192 " + NodeName(PointOf(path.Get(i)->ToNode));
    text.Lines.push_back(nodes);
    const long double cost = path.Count() == 0 ? 0 : target.Distance.ToExtended();
    text.Lines.push_back(Counted(path.Count(), "edge", "edges") + ", cost " +
                         FormatWeight(cost, decimalSeparator));
    return text;
}

std::string GraphSizeText(const TMathGraph& graph) {
    return Counted(graph.Nodes->Count(), "node", "nodes") + ", " +
           Counted(graph.Edges->Count(), "edge", "edges");
}
