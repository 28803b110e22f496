#include "editor/GraphView.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace {

// Positions read from a file may lie anywhere in 32 bits: sums, differences and
// arrowhead ends are formed in 64 bits and pinned to the canvas's range.
int ToCanvas(std::int64_t v) {
    return static_cast<int>(std::clamp<std::int64_t>(v, std::numeric_limits<int>::min(),
                                                     std::numeric_limits<int>::max()));
}

// Nearest integer, halves to even: nearbyint under the default rounding mode.
int RoundToCanvas(double v) {
    const double limit = static_cast<double>(std::numeric_limits<int>::max());
    return static_cast<int>(std::clamp(std::nearbyint(v), -limit - 1, limit));
}

// The view creates only TGraphPoints and ReplaceGraph lets in no other node.
const TGraphPoint& PointOf(TGraphNode* node) { return *As<TGraphPoint>(node); }

}  // namespace

TGraphView::TGraphView() : Graph(std::make_unique<TMathGraph>()) {}

TGraphView::~TGraphView() = default;

bool TGraphView::PointNearNode(const TGraphPoint& node, int x, int y) {
    return std::abs(std::int64_t{x} - node.X) < NodeHitDistance &&
           std::abs(std::int64_t{y} - node.Y) < NodeHitDistance;
}

bool TGraphView::PointNearLine(int px, int py, int ax, int ay, int bx, int by) {
    // A vertical line has no change in y per column: measured across instead.
    if (ax == bx) return std::abs(double(px) - ax) < EdgeHitDistance;
    const double q = (double(by) - ay) * (double(px) - ax) / (double(bx) - ax);
    return std::abs((double(py) - ay) - q) < EdgeHitDistance;
}

double TGraphView::EdgeAngle(double dx, double dUp) {
    constexpr double pi = std::numbers::pi;
    if (dx > 0) return std::atan(-dUp / dx);
    if (dx < 0) return dUp > 0 ? std::atan(dUp / -dx) + pi : pi - std::atan(dUp / dx);
    return dUp < 0 ? pi / 2 : -pi / 2;
}

TGraphPoint* TGraphView::getIntersectingNode(int x, int y) {
    for (int i = 1; i <= Graph->Nodes->Count(); ++i) {
        auto* node = As<TGraphPoint>(Graph->Nodes->GoToIndex(i));
        if (PointNearNode(*node, x, y)) return node;
    }
    return nullptr;
}

TGraphEdge* TGraphView::getIntersectingEdge(int x, int y) {
    if (SelectedNode == nullptr) return nullptr;
    for (int i = 0; i < Graph->Edges->Count(); ++i) {
        TGraphEdge* edge = Graph->Edges->Get(i);
        if (edge->FromNode != SelectedNode) continue;
        const TGraphPoint& a = PointOf(edge->FromNode);
        const TGraphPoint& b = PointOf(edge->ToNode);
        if (PointNearLine(x, y, a.X, a.Y, b.X, b.Y)) return edge;
    }
    return nullptr;
}

void TGraphView::GraphControlMouseDown(TMouseButton button, int x, int y) {
    TGraphPoint* node = getIntersectingNode(x, y);
    if (node == nullptr)
        PressOnEmptySpace(x, y);
    else if (button == TMouseButton::mbLeft)
        LeftPressOnNode(node);
    else
        JoinSelectedTo(node);
    RepaintView();
    NotifyClick();
}

void TGraphView::PressOnEmptySpace(int x, int y) {
    // Looked up while the node selected before the press is still selected.
    SelectedEdge = getIntersectingEdge(x, y);
    if (SelectedPath) SelectedPath->Clear();
    SelectedNode = nullptr;
    if (SelectedEdge != nullptr) return;
    auto point = std::make_unique<TGraphPoint>(x, y, "");
    Graph->Nodes->Append(point.get());
    SelectedNode = point.release();  // the node list owns it from here
}

void TGraphView::LeftPressOnNode(TGraphPoint* node) {
    if (!IsPathMode()) {
        SelectedNode = node;
        return;
    }
    // The selection can be lost after the request began: with no source there is
    // nothing to search, and the request just ends.
    if (SelectedNode != nullptr) SelectedPath = Graph->ShortestPath(SelectedNode, node);
    SetPathMode(false);
    SelectedEdge = nullptr;
}

void TGraphView::JoinSelectedTo(TGraphPoint* node) {
    if (SelectedNode == nullptr || SelectedNode == node) return;
    auto edge = std::make_unique<TGraphEdge>(SelectedNode, node);
    Graph->Edges->Add(edge.get());
    edge.release();  // the graph owns it from here
}

void TGraphView::GraphControlMouseMove(bool leftHeld, int x, int y) {
    if (!leftHeld || SelectedNode == nullptr || IsPathMode()) return;
    SelectedNode->X = x;
    SelectedNode->Y = y;
    RepaintView();
}

void TGraphView::Paint(TCanvas& canvas) {
    for (int i = 1; i <= Graph->Nodes->Count(); ++i) {
        auto* node = As<TGraphPoint>(Graph->Nodes->GoToIndex(i));
        DrawNode(canvas, *node, node == SelectedNode ? clBlack : clWhite);
    }
    canvas.SetPenWidth(1);
    for (int i = 0; i < Graph->Edges->Count(); ++i)
        DrawEdge(canvas, *Graph->Edges->Get(i), clBlack);
    if (SelectedPath)
        for (int i = 0; i < SelectedPath->Count(); ++i)
            DrawEdge(canvas, *SelectedPath->Get(i), clYellow);
    if (SelectedEdge != nullptr) DrawEdge(canvas, *SelectedEdge, clRed);
    canvas.SetPenColor(clBlack);
    canvas.SetPenWidth(1);
}

void TGraphView::DrawNode(TCanvas& canvas, const TGraphPoint& node, TColor colour) {
    canvas.SetBrush(colour);
    canvas.Ellipse(
        ToCanvas(std::int64_t{node.X} - NodeRadius), ToCanvas(std::int64_t{node.Y} - NodeRadius),
        ToCanvas(std::int64_t{node.X} + NodeRadius), ToCanvas(std::int64_t{node.Y} + NodeRadius));
}

void TGraphView::DrawEdge(TCanvas& canvas, const TGraphEdge& edge, TColor colour) const {
    if (AdaptEdges) {
        // Every negative width means "keep the pen", so the canvas gets -1 for all of them.
        const long double rounded = std::nearbyint(edge.GetWeight().ToExtended());
        canvas.SetPenWidth(static_cast<int>(std::clamp<long double>(rounded, -1, MaxEdgeWidth)));
    }
    canvas.SetPenColor(colour);
    DrawArrow(canvas, PointOf(edge.FromNode), PointOf(edge.ToNode));
}

void TGraphView::DrawArrow(TCanvas& canvas, const TGraphPoint& a, const TGraphPoint& b) {
    constexpr double twoPi = 2 * std::numbers::pi;
    canvas.MoveTo(a.X, a.Y);
    canvas.LineTo(b.X, b.Y);
    // The strokes point back toward the source, so the head points at the target.
    double theta = EdgeAngle(double(b.X) - a.X, double(a.Y) - b.Y) + std::numbers::pi;
    while (theta > twoPi) theta -= twoPi;
    const std::int64_t mx = (std::int64_t{a.X} + b.X) / 2;
    const std::int64_t my = (std::int64_t{a.Y} + b.Y) / 2;
    for (double side : {ArrowAngle, -ArrowAngle}) {
        canvas.MoveTo(ToCanvas(mx), ToCanvas(my));
        canvas.LineTo(RoundToCanvas(ArrowLength * std::cos(theta + side) + double(mx)),
                      RoundToCanvas(ArrowLength * std::sin(theta + side) + double(my)));
    }
}

void TGraphView::DeleteSelectedEdge() {
    if (SelectedEdge == nullptr) return;
    Graph->Edges->Remove(SelectedEdge);
    delete SelectedEdge;  // taken out of the graph's list, so it is ours to destroy
    SelectedEdge = nullptr;
    RepaintView();
}

void TGraphView::DeleteSelectedNode() {
    Graph->BuildOutEdges();
    if (SelectedNode == nullptr) return;
    if (SelectedNode->OutEdges && SelectedNode->OutEdges->Count() > 0) return;
    if (Graph->IsEdgeTarget(SelectedNode)) return;
    Graph->Nodes->DeleteOccurrence(SelectedNode, 1);  // destroys the node
    SelectedNode = nullptr;
    RepaintView();
}

void TGraphView::ToggleAdaptEdges() {
    AdaptEdges = !AdaptEdges;
    RepaintView();
}

void TGraphView::StartPathRequest() {
    if (SelectedNode != nullptr) SetPathMode(true);
}

void TGraphView::ReplaceGraph(std::unique_ptr<TObject> loaded) {
    auto* graph = As<TMathGraph>(loaded.get());
    if (graph == nullptr || !graph->Nodes || !graph->Edges) throw EInvalidCast();
    // Without a position a node could be neither drawn nor hit.
    for (int i = 1; i <= graph->Nodes->Count(); ++i)
        if (!IsA<TGraphPoint>(graph->Nodes->GoToIndex(i))) throw EInvalidCast();
    loaded.release();
    // Nothing of the replaced graph may stay reachable once it is destroyed.
    SelectedNode = nullptr;
    SelectedEdge = nullptr;
    if (SelectedPath) SelectedPath->Clear();
    Graph.reset(graph);
    RepaintView();
}
