// The editor's kind of node: a graph node with a position on the view.
#pragma once

#include <string>

#include "graph/ObjGraph.h"

/// A node with the position of its centre in the view's client pixels (y grows
/// downward). The only kind of node the editor creates.
class TGraphPoint : public TGraphNode {
    DECLARE_CLASS()
public:
    /// Makes a caption of caption; the node owns it and starts with an empty OutEdges list.
    TGraphPoint(std::int32_t x, std::int32_t y, const std::string& caption);

    std::int32_t X = 0;
    std::int32_t Y = 0;

protected:
    explicit TGraphPoint(TBlank blank) : TGraphNode(blank) {}
};
