#include "editor/EdgeShape.h"

#include <cmath>
#include <functional>

#include "editor/GraphPoint.h"

namespace {

constexpr int kPieces = 32;

TRealXY At(const TEdgeShape& s, double t) {
    const double u = 1 - t;
    const double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
    const TRealXY* p = s.Points;
    return {a * p[0].X + b * p[1].X + c * p[2].X + d * p[3].X,
            a * p[0].Y + b * p[1].Y + c * p[2].Y + d * p[3].Y};
}

double DistanceToSegment(TRealXY p, TRealXY a, TRealXY b) {
    const double dx = b.X - a.X, dy = b.Y - a.Y;
    const double length2 = dx * dx + dy * dy;
    double t = length2 > 0 ? ((p.X - a.X) * dx + (p.Y - a.Y) * dy) / length2 : 0;
    t = std::fmax(0, std::fmin(1, t));
    return std::hypot(p.X - (a.X + t * dx), p.Y - (a.Y + t * dy));
}

TRealXY Centre(const TGraphNode* node) {
    const auto* point = static_cast<const TGraphPoint*>(node);
    return {double(point->X), double(point->Y)};
}

TEdgeShape Loop(TRealXY at) {
    TEdgeShape shape;
    shape.Curved = true;
    shape.Points[0] = shape.Points[3] = at;
    shape.Points[1] = {at.X - kLoopWidth, at.Y - kLoopHeight};
    shape.Points[2] = {at.X + kLoopWidth, at.Y - kLoopHeight};
    return shape;
}

// The quadratic curve through a control point to the left of the direction from a to b,
// written as a cubic.
TEdgeShape Bent(TRealXY a, TRealXY b) {
    const double dx = b.X - a.X, dy = b.Y - a.Y;
    const double length = std::hypot(dx, dy);
    const double bend = std::fmin(kBendPerLength * length, kMaxBend) / length;
    const TRealXY control{(a.X + b.X) / 2 + dy * bend, (a.Y + b.Y) / 2 - dx * bend};
    TEdgeShape shape;
    shape.Curved = true;
    shape.Points[0] = a;
    shape.Points[1] = {a.X + 2 * (control.X - a.X) / 3, a.Y + 2 * (control.Y - a.Y) / 3};
    shape.Points[2] = {b.X + 2 * (control.X - b.X) / 3, b.Y + 2 * (control.Y - b.Y) / 3};
    shape.Points[3] = b;
    return shape;
}

}  // namespace

TRealXY TEdgeShape::Middle() const {
    if (!Curved) return {(Points[0].X + Points[3].X) / 2, (Points[0].Y + Points[3].Y) / 2};
    return At(*this, 0.5);
}

TRealXY TEdgeShape::Direction() const {
    const TRealXY* p = Points;
    if (!Curved) return {p[3].X - p[0].X, p[3].Y - p[0].Y};
    // The derivative at t = 1/2, over 3/4.
    return {p[3].X + p[2].X - p[1].X - p[0].X, p[3].Y + p[2].Y - p[1].Y - p[0].Y};
}

std::size_t TOppositeEdges::THash::operator()(
    const std::pair<const void*, const void*>& ends) const {
    const std::size_t a = std::hash<const void*>()(ends.first);
    return a ^ (std::hash<const void*>()(ends.second) + 0x9e3779b97f4a7c15u + (a << 6) + (a >> 2));
}

TOppositeEdges::TOppositeEdges(const TEdgeList& edges) {
    ends_.reserve(static_cast<std::size_t>(edges.Count()));
    for (int i = 0; i < edges.Count(); ++i) {
        const TGraphEdge* edge = edges.Get(i);
        ends_.emplace(edge->FromNode, edge->ToNode);
    }
}

bool TOppositeEdges::HasReverse(const TGraphEdge& edge) const {
    return ends_.contains({edge.ToNode, edge.FromNode});
}

TEdgeShape ShapeOf(const TGraphEdge& edge, const TOppositeEdges* opposites) {
    const TRealXY a = Centre(edge.FromNode);
    const TRealXY b = Centre(edge.ToNode);
    if (opposites != nullptr && edge.FromNode == edge.ToNode) return Loop(a);
    if (opposites != nullptr && (a.X != b.X || a.Y != b.Y) && opposites->HasReverse(edge))
        return Bent(a, b);
    TEdgeShape shape;
    shape.Points[0] = shape.Points[1] = a;
    shape.Points[2] = shape.Points[3] = b;
    return shape;
}

bool NearCurve(const TEdgeShape& shape, double x, double y, double limit) {
    TRealXY from = shape.Points[0];
    for (int i = 1; i <= kPieces; ++i) {
        const TRealXY to = At(shape, double(i) / kPieces);
        if (DistanceToSegment({x, y}, from, to) < limit) return true;
        from = to;
    }
    return false;
}
