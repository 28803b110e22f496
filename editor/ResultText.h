// The texts of the results panel: what the user asked for last, and the graph's size.
// Toolkit-free; the panel shows them as they are.
#pragma once

#include <string>
#include <vector>

#include "editor/GraphPoint.h"
#include "graph/ObjGraph.h"

/// A result in UTF-8: a title and its lines.
struct TResultText {
    std::string Title;
    std::vector<std::string> Lines;
    friend bool operator==(const TResultText&, const TResultText&) = default;
};

/// A node as the results name it: its caption, or "(x, y)" when the caption is empty.
std::string NodeName(const TGraphPoint& node);

/// "Shortest path from A to C", then the path's nodes from source to target ("A → B → C")
/// and "2 edges, cost 3.5", the cost being the target's Distance as the weight box shows
/// it; or the line "No path" when path is empty and source is not target.
/// REQUIRES: path is what ShortestPath(source, target) returned, the graph unchanged since,
/// and its edges join TGraphPoints.
TResultText ShortestPathText(const TGraphPoint& source, const TGraphPoint& target,
                             const TEdgeList& path, char decimalSeparator);

/// "3 nodes, 2 edges"; "1 node, 1 edge".
std::string GraphSizeText(const TMathGraph& graph);
