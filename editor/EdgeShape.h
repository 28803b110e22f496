// The line an edge is drawn as and hit along. Straight from centre to centre, as always;
// when the view separates opposite edges, an edge whose reverse is also in the graph bends
// to its left, so that the two lie on either side, and an edge from a node to itself
// becomes a loop above the node.
#pragma once

#include <unordered_set>
#include <utility>

#include "graph/ObjGraph.h"

struct TRealXY {
    double X = 0;
    double Y = 0;
};

/// In graph coordinates.
struct TEdgeShape {
    /// A cubic Bezier curve from Points[0], pulled toward Points[1] and Points[2], to
    /// Points[3]; otherwise the straight line from Points[0] to Points[3].
    bool Curved = false;
    TRealXY Points[4];

    /// The curve's point halfway along its parameter, where its arrowhead sits.
    TRealXY Middle() const;
    /// The curve's direction there (not of unit length).
    TRealXY Direction() const;
};

/// Which edges of a list have a reverse: an edge of the list from the other end back.
class TOppositeEdges {
public:
    /// One pass over edges. REQUIRES: edges outlives it, unchanged.
    explicit TOppositeEdges(const TEdgeList& edges);
    /// True for a loop too.
    bool HasReverse(const TGraphEdge& edge) const;

private:
    struct THash {
        std::size_t operator()(const std::pair<const void*, const void*>& ends) const;
    };
    std::unordered_set<std::pair<const void*, const void*>, THash> ends_;
};

/// How far a bent edge's curve leaves the straight line, for each unit of its length, at
/// most kMaxBend graph units at its control point; and the size of a loop.
inline constexpr double kBendPerLength = 0.3;
inline constexpr double kMaxBend = 60;
inline constexpr double kLoopWidth = 25;
inline constexpr double kLoopHeight = 50;

/// The edge's shape: curved only when opposites is given and holds its reverse (or it is a
/// loop), and its two ends are not on the same point unless it is a loop. REQUIRES: both
/// ends are TGraphPoints.
TEdgeShape ShapeOf(const TGraphEdge& edge, const TOppositeEdges* opposites);

/// The curve passes closer than limit to (x, y), measured to the curve cut into 32
/// straight pieces.
bool NearCurve(const TEdgeShape& shape, double x, double y, double limit);
