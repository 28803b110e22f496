#include "editor/GraphView.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <utility>

#include "editor/WeightText.h"
#include "values/CodePage.h"

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

// Takes node out of nodes without destroying it: found by identity, whatever compare
// function a loaded list came with. Caller owns the result, which is none when the list
// does not own its nodes or does not hold this one.
std::unique_ptr<TGraphPoint> TakeNode(TNodeList& nodes, TGraphPoint* node) {
    if (IndexOfNode(&nodes, node) == 0) return nullptr;
    nodes.RemoveCurrent();  // the search stopped on it
    if (!nodes.GetOwnsItems()) return nullptr;
    return std::unique_ptr<TGraphPoint>(node);
}

}  // namespace

TGraphView::TGraphView() : graph_(std::make_unique<TMathGraph>()) {}

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

TGraphPoint* TGraphView::getIntersectingNode(int x, int y) const {
    for (int i = 1; i <= graph_->Nodes->Count(); ++i) {
        auto* node = As<TGraphPoint>(graph_->Nodes->GoToIndex(i));
        if (PointNearNode(*node, x, y)) return node;
    }
    return nullptr;
}

TGraphEdge* TGraphView::getIntersectingEdge(int x, int y) const {
    if (selectedNode_ == nullptr) return nullptr;
    for (int i = 0; i < graph_->Edges->Count(); ++i) {
        TGraphEdge* edge = graph_->Edges->Get(i);
        if (edge->FromNode != selectedNode_) continue;
        const TGraphPoint& a = PointOf(edge->FromNode);
        const TGraphPoint& b = PointOf(edge->ToNode);
        if (PointNearLine(x, y, a.X, a.Y, b.X, b.Y)) return edge;
    }
    return nullptr;
}

TGraphView::TSelectionMark TGraphView::Mark() const {
    return {selectedNode_, selectedEdge_, selectedPath_.get(),
            selectedPath_ ? selectedPath_->Count() : 0};
}

TViewChanges TGraphView::GraphControlMouseDown(TMouseButton button, int x, int y) {
    const TSelectionMark before = Mark();
    const bool wasPathMode = pathMode_;
    TViewChanges changes;
    TGraphPoint* node = getIntersectingNode(x, y);
    if (node == nullptr)
        PressOnEmptySpace(x, y, changes);
    else if (button == TMouseButton::mbLeft)
        LeftPressOnNode(node);
    else
        JoinSelectedTo(node, changes);
    changes.SelectionChanged = Mark() != before;
    changes.ModeChanged = pathMode_ != wasPathMode;
    changes.NeedsRepaint = true;  // every press repaints, whatever it did
    return changes;
}

void TGraphView::PressOnEmptySpace(int x, int y, TViewChanges& changes) {
    // Looked up while the node selected before the press is still selected.
    selectedEdge_ = getIntersectingEdge(x, y);
    if (selectedPath_) selectedPath_->Clear();
    selectedNode_ = nullptr;
    if (selectedEdge_ != nullptr) return;
    auto point = std::make_unique<TGraphPoint>(x, y, "");
    graph_->Nodes->Append(point.get());
    selectedNode_ = point.release();  // the node list owns it from here
    changes.AddedNode = selectedNode_;
    changes.GraphChanged = true;
}

void TGraphView::LeftPressOnNode(TGraphPoint* node) {
    if (!pathMode_) {
        selectedNode_ = node;
        return;
    }
    // The selection can be lost after the request began: with no source there is
    // nothing to search, and the request just ends.
    if (selectedNode_ != nullptr) selectedPath_ = graph_->ShortestPath(selectedNode_, node);
    pathMode_ = false;
    selectedEdge_ = nullptr;
}

void TGraphView::JoinSelectedTo(TGraphPoint* node, TViewChanges& changes) {
    if (selectedNode_ == nullptr || selectedNode_ == node) return;
    auto edge = std::make_unique<TGraphEdge>(selectedNode_, node);
    graph_->Edges->Add(edge.get());
    changes.AddedEdge = edge.release();  // the graph owns it from here
    changes.GraphChanged = true;
}

TViewChanges TGraphView::GraphControlMouseMove(bool leftHeld, int x, int y) {
    TViewChanges changes;
    if (!leftHeld || selectedNode_ == nullptr || pathMode_) return changes;
    changes.GraphChanged = selectedNode_->X != x || selectedNode_->Y != y;
    selectedNode_->X = x;
    selectedNode_->Y = y;
    changes.NeedsRepaint = true;
    return changes;
}

TViewChanges TGraphView::SetSelectedCaption(std::u16string_view text) {
    TViewChanges changes;
    if (selectedNode_ == nullptr) return changes;
    std::string bytes = Utf16ToWindows1252(text);
    std::unique_ptr<TStringObj>& caption = selectedNode_->Caption;
    if (caption && caption->Text == bytes) return changes;
    if (caption)
        caption->Text = std::move(bytes);
    else
        caption = std::make_unique<TStringObj>(std::move(bytes));
    changes.GraphChanged = true;
    return changes;
}

TViewChanges TGraphView::SetSelectedWeight(const std::string& text, char decimalSeparator) {
    TViewChanges changes;
    if (selectedEdge_ == nullptr) return changes;
    const std::optional<long double> value = ParseWeight(text, decimalSeparator);
    if (!value) return changes;
    const Real48 weight = Real48::FromExtended(*value);  // raises before anything changes
    changes.GraphChanged = weight.ToBytes() != selectedEdge_->Weight.ToBytes();
    selectedEdge_->Weight = weight;
    changes.NeedsRepaint = true;
    return changes;
}

TViewChanges TGraphView::DeleteSelectedEdge() {
    TViewChanges changes;
    if (selectedEdge_ == nullptr) return changes;
    graph_->Edges->Remove(selectedEdge_);
    // Out of the graph's list, so it is ours to hand over.
    changes.RemovedEdge.reset(std::exchange(selectedEdge_, nullptr));
    changes.GraphChanged = changes.SelectionChanged = changes.NeedsRepaint = true;
    return changes;
}

TViewChanges TGraphView::DeleteSelectedNode() {
    TViewChanges changes;
    graph_->BuildOutEdges();
    if (selectedNode_ == nullptr) return changes;
    if (selectedNode_->OutEdges && selectedNode_->OutEdges->Count() > 0) return changes;
    if (graph_->IsEdgeTarget(selectedNode_)) return changes;
    changes.RemovedNode = TakeNode(*graph_->Nodes, std::exchange(selectedNode_, nullptr));
    changes.GraphChanged = changes.SelectionChanged = changes.NeedsRepaint = true;
    return changes;
}

TViewChanges TGraphView::ToggleAdaptEdges() {
    adaptEdges_ = !adaptEdges_;
    TViewChanges changes;
    changes.NeedsRepaint = true;
    return changes;
}

TViewChanges TGraphView::StartPathRequest() {
    TViewChanges changes;
    if (selectedNode_ == nullptr || pathMode_) return changes;
    pathMode_ = true;
    changes.ModeChanged = true;
    return changes;
}

TViewChanges TGraphView::ReplaceGraph(std::unique_ptr<TObject> loaded) {
    auto* graph = As<TMathGraph>(loaded.get());
    if (graph == nullptr || !graph->Nodes || !graph->Edges) throw EInvalidCast();
    // Without a position a node could be neither drawn nor hit.
    for (int i = 1; i <= graph->Nodes->Count(); ++i)
        if (!IsA<TGraphPoint>(graph->Nodes->GoToIndex(i))) throw EInvalidCast();
    loaded.release();
    const TSelectionMark before = Mark();
    // Nothing of the replaced graph may stay reachable once it is handed over.
    selectedNode_ = nullptr;
    selectedEdge_ = nullptr;
    if (selectedPath_) selectedPath_->Clear();
    TViewChanges changes;
    changes.SelectionChanged = Mark() != before;
    changes.ReplacedGraph = std::exchange(graph_, std::unique_ptr<TMathGraph>(graph));
    changes.GraphChanged = changes.NeedsRepaint = true;
    return changes;
}

std::optional<std::u16string> TGraphView::SelectedCaptionText() const {
    if (selectedNode_ == nullptr) return std::nullopt;
    if (!selectedNode_->Caption) return std::u16string();
    return Windows1252ToUtf16(selectedNode_->Caption->Text);
}

std::optional<std::string> TGraphView::SelectedWeightText(char decimalSeparator) const {
    if (selectedEdge_ == nullptr) return std::nullopt;
    return FormatWeight(selectedEdge_->GetWeight().ToExtended(), decimalSeparator);
}

void TGraphView::Paint(TCanvas& canvas) const {
    for (int i = 1; i <= graph_->Nodes->Count(); ++i) {
        auto* node = As<TGraphPoint>(graph_->Nodes->GoToIndex(i));
        DrawNode(canvas, *node, node == selectedNode_ ? clBlack : clWhite);
    }
    canvas.SetPenWidth(1);
    for (int i = 0; i < graph_->Edges->Count(); ++i)
        DrawEdge(canvas, *graph_->Edges->Get(i), clBlack);
    if (selectedPath_)
        for (int i = 0; i < selectedPath_->Count(); ++i)
            DrawEdge(canvas, *selectedPath_->Get(i), clYellow);
    if (selectedEdge_ != nullptr) DrawEdge(canvas, *selectedEdge_, clRed);
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
    if (adaptEdges_) {
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
