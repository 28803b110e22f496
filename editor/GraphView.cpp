#include "editor/GraphView.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

#include "editor/EdgeShape.h"
#include "editor/WeightText.h"
#include "values/CodePage.h"

namespace {

// What merges: the moves of one drag, the keystrokes in one box.
enum TMergeKind { kMergeMove = 1, kMergeCaption, kMergeWeight };

// The view creates only TGraphPoints and ReplaceGraph lets in no other node.
const TGraphPoint& PointOf(TGraphNode* node) { return *As<TGraphPoint>(node); }

// Space kept around the graph when it is fitted into the view, in graph units.
constexpr double kFitMargin = 10;

}  // namespace

TGraphView::TGraphView() : graph_(std::make_unique<TMathGraph>()) { index_.Reset(*graph_); }

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

double TGraphView::EdgeAngle(double dx, double dUp) { return ::EdgeAngle(dx, dUp); }

void TGraphView::DrawArrow(TCanvas& canvas, const TGraphPoint& a, const TGraphPoint& b) {
    DrawArrowLine(canvas, {a.X, a.Y}, {b.X, b.Y}, ArrowLength);
}

TGraphPoint* TGraphView::getIntersectingNode(int x, int y) const {
    // The same test as PointNearNode, on the nodes near the point only.
    return index_.FirstNodeNear(x, y, NodeHitDistance);
}

TGraphEdge* TGraphView::getIntersectingEdge(int x, int y) const {
    if (selectedNode_ == nullptr) return nullptr;
    std::optional<TOppositeEdges> opposites;
    if (options_.SeparateOpposite) opposites.emplace(*graph_->Edges);
    for (int i = 0; i < graph_->Edges->Count(); ++i) {
        TGraphEdge* edge = graph_->Edges->Get(i);
        if (edge->FromNode != selectedNode_) continue;
        if (opposites) {
            const TEdgeShape shape = ShapeOf(*edge, &*opposites);
            if (shape.Curved) {
                if (NearCurve(shape, x, y, EdgeHitDistance)) return edge;
                continue;
            }
        }
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

void TGraphView::Step(std::unique_ptr<TGraphEdit> edit, TMergeKey key, const TSelection& before,
                      const TSelection& after, TViewChanges& changes) {
    edit->Apply(*graph_);
    edit->SelectionBefore = before;
    edit->SelectionAfter = after;
    edit->MergeKey = key;
    selectedNode_ = after.Node;
    selectedEdge_ = after.Edge;
    if (edit->TakesOutEdges(true) && selectedPath_) selectedPath_->Clear();
    // A result drawn is of the graph as it was.
    if (!overlay_.Colours.empty()) {
        overlay_.Colours.clear();
        changes.NeedsRepaint = true;
    }
    changes.GraphChanged = true;
    changes.Edit = std::move(edit);
}

TViewChanges TGraphView::GraphControlMouseDown(TMouseButton button, int x, int y) {
    ++gesture_;
    const TSelectionMark before = Mark();
    const TSelection selected = Selection();
    const bool wasPathMode = pathMode_;
    TViewChanges changes;
    TGraphPoint* node = getIntersectingNode(x, y);
    // A path search colours edges anywhere: the whole drawing is redone then.
    const bool tracked = TracksDamage() && !(pathMode_ && node != nullptr);
    std::vector<TScreenBox> damaged;
    if (tracked) NoteDrawn(damaged, nullptr, nullptr);
    if (node == nullptr)
        PressOnEmptySpace(x, y, selected, changes);
    else if (button == TMouseButton::mbLeft)
        LeftPressOnNode(node, changes);
    else
        JoinSelectedTo(node, changes);
    if (tracked) {
        NoteDrawn(damaged, changes.AddedNode, changes.AddedEdge);
        changes.DamagedAreas = std::move(damaged);
    }
    changes.SelectionChanged = Mark() != before;
    changes.ModeChanged = pathMode_ != wasPathMode;
    changes.NeedsRepaint = true;  // every press repaints, whatever it did
    return changes;
}

void TGraphView::PressOnEmptySpace(int x, int y, const TSelection& before, TViewChanges& changes) {
    // Looked up while the node selected before the press is still selected.
    selectedEdge_ = getIntersectingEdge(x, y);
    if (selectedPath_) selectedPath_->Clear();
    selectedNode_ = nullptr;
    if (selectedEdge_ != nullptr) return;
    auto edit = std::make_unique<TGraphEdit>(kPlaceNode);
    auto point = std::make_unique<TGraphPoint>(x, y, "");
    TGraphPoint* placed = point.get();
    edit->AddNode(std::move(point));
    Step(std::move(edit), {}, before, {placed, nullptr}, changes);
    index_.NodeAppended(placed);
    changes.AddedNode = placed;
}

void TGraphView::LeftPressOnNode(TGraphPoint* node, TViewChanges& changes) {
    if (!pathMode_) {
        selectedNode_ = node;
        return;
    }
    // The selection can be lost after the request began: with no source there is
    // nothing to search, and the request just ends.
    if (selectedNode_ != nullptr && picksTarget_) {
        changes.PickedSource = selectedNode_;
        changes.PickedTarget = node;
    } else if (selectedNode_ != nullptr) {
        selectedPath_ = graph_->ShortestPath(selectedNode_, node);
        overlay_.Colours.clear();  // the path takes the place of the result drawn
        changes.SearchedSource = selectedNode_;
        changes.SearchedTarget = node;
    }
    pathMode_ = false;
    selectedEdge_ = nullptr;
}

void TGraphView::JoinSelectedTo(TGraphPoint* node, TViewChanges& changes) {
    if (selectedNode_ == nullptr || selectedNode_ == node) return;
    auto edit = std::make_unique<TGraphEdit>(kJoinNodes);
    auto edge = std::make_unique<TGraphEdge>(selectedNode_, node);
    TGraphEdge* joined = edge.get();
    edit->AddEdge(std::move(edge));
    Step(std::move(edit), {}, Selection(), Selection(), changes);
    index_.EdgeAppended(joined);
    changes.AddedEdge = joined;
}

TViewChanges TGraphView::GraphControlMouseMove(bool leftHeld, int x, int y) {
    TViewChanges changes;
    if (!leftHeld || selectedNode_ == nullptr || pathMode_) return changes;
    changes.NeedsRepaint = true;
    if (TracksDamage()) changes.DamagedAreas.emplace();
    if (selectedNode_->X == x && selectedNode_->Y == y) return changes;
    if (changes.DamagedAreas) NoteDrawn(*changes.DamagedAreas, *selectedNode_);
    auto edit = std::make_unique<TGraphEdit>(kMoveNode);
    edit->MoveNode(selectedNode_, x, y);
    Step(std::move(edit), {kMergeMove, selectedNode_, gesture_}, Selection(), Selection(), changes);
    index_.NodeMoved(selectedNode_);
    if (changes.DamagedAreas) NoteDrawn(*changes.DamagedAreas, *selectedNode_);
    return changes;
}

TViewChanges TGraphView::SetSelectedCaption(std::u16string_view text) {
    TViewChanges changes;
    if (selectedNode_ == nullptr) return changes;
    std::string bytes = Utf16ToWindows1252(text);
    if (selectedNode_->Caption && selectedNode_->Caption->Text == bytes) return changes;
    auto edit = std::make_unique<TGraphEdit>(kEditCaption);
    index_.CaptionSet(bytes.size());
    edit->SetCaption(selectedNode_, std::move(bytes));
    Step(std::move(edit), {kMergeCaption, selectedNode_, gesture_}, Selection(), Selection(),
         changes);
    changes.NeedsRepaint = changes.NeedsRepaint || options_.ShowCaptions;
    return changes;
}

TViewChanges TGraphView::SetSelectedWeight(const std::string& text, char decimalSeparator) {
    TViewChanges changes;
    if (selectedEdge_ == nullptr) return changes;
    const std::optional<long double> value = ParseWeight(text, decimalSeparator);
    if (!value) return changes;
    const Real48 weight = Real48::FromExtended(*value);  // raises before anything changes
    changes.NeedsRepaint = true;
    if (weight.ToBytes() == selectedEdge_->Weight.ToBytes()) return changes;
    auto edit = std::make_unique<TGraphEdit>(kEditWeight);
    edit->SetWeight(selectedEdge_, weight);
    Step(std::move(edit), {kMergeWeight, selectedEdge_, gesture_}, Selection(), Selection(),
         changes);
    return changes;
}

TViewChanges TGraphView::DeleteSelectedEdge() {
    TViewChanges changes;
    if (selectedEdge_ == nullptr) return changes;
    TGraphEdge* edge = selectedEdge_;
    auto edit = std::make_unique<TGraphEdit>(kDeleteEdge);
    edit->RemoveEdge(edge);
    Step(std::move(edit), {}, Selection(), {selectedNode_, nullptr}, changes);
    index_.EdgeRemoved(edge);
    changes.RemovedEdge = edge;
    changes.SelectionChanged = changes.NeedsRepaint = true;
    return changes;
}

TViewChanges TGraphView::DeleteSelectedNode() {
    TViewChanges changes;
    graph_->BuildOutEdges();
    if (selectedNode_ == nullptr) return changes;
    if (selectedNode_->OutEdges && selectedNode_->OutEdges->Count() > 0) return changes;
    if (graph_->IsEdgeTarget(selectedNode_)) return changes;
    TGraphPoint* node = selectedNode_;
    auto edit = std::make_unique<TGraphEdit>(kDeleteNode);
    edit->RemoveNode(node);
    Step(std::move(edit), {}, Selection(), {nullptr, selectedEdge_}, changes);
    index_.NodeRemoved(node);
    changes.RemovedNode = node;
    changes.SelectionChanged = changes.NeedsRepaint = true;
    return changes;
}

TViewChanges TGraphView::DeleteSelection() {
    return selectedEdge_ != nullptr ? DeleteSelectedEdge() : DeleteSelectedNode();
}

TViewChanges TGraphView::ToggleAdaptEdges() {
    options_.AdaptEdges = !options_.AdaptEdges;
    return Repaint();
}

TViewChanges TGraphView::StartPathRequest() {
    TViewChanges changes;
    if (selectedNode_ == nullptr) return changes;
    picksTarget_ = false;
    changes.ModeChanged = !std::exchange(pathMode_, true);
    return changes;
}

TViewChanges TGraphView::StartTargetRequest() {
    TViewChanges changes;
    if (selectedNode_ == nullptr) return changes;
    picksTarget_ = true;
    changes.ModeChanged = !std::exchange(pathMode_, true);
    return changes;
}

TViewChanges TGraphView::CancelPathRequest() {
    TViewChanges changes;
    if (!pathMode_) return changes;
    pathMode_ = false;
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
    overlay_.Colours.clear();
    TViewChanges changes;
    changes.SelectionChanged = Mark() != before;
    changes.ReplacedGraph = std::exchange(graph_, std::unique_ptr<TMathGraph>(graph));
    index_.Reset(*graph_);
    changes.GraphChanged = changes.NeedsRepaint = true;
    return changes;
}

TViewChanges TGraphView::Perform(std::unique_ptr<TGraphEdit> edit) {
    const TSelectionMark before = Mark();
    TSelection after = Selection();
    if (edit->LeavesOut(after.Node)) after.Node = nullptr;
    if (edit->LeavesOut(after.Edge)) after.Edge = nullptr;
    TViewChanges changes;
    Step(std::move(edit), {}, Selection(), after, changes);
    index_.Invalidate();
    changes.SelectionChanged = Mark() != before;
    changes.NeedsRepaint = true;
    return changes;
}

TViewChanges TGraphView::Undo(TGraphEdit& edit) {
    const TSelectionMark before = Mark();
    edit.Revert(*graph_);
    selectedNode_ = edit.SelectionBefore.Node;
    selectedEdge_ = edit.SelectionBefore.Edge;
    return Stepped(edit, false, before);
}

TViewChanges TGraphView::Redo(TGraphEdit& edit) {
    const TSelectionMark before = Mark();
    edit.Apply(*graph_);
    selectedNode_ = edit.SelectionAfter.Node;
    selectedEdge_ = edit.SelectionAfter.Edge;
    return Stepped(edit, true, before);
}

TViewChanges TGraphView::Stepped(const TGraphEdit& edit, bool applied,
                                 const TSelectionMark& before) {
    ++gesture_;
    index_.Invalidate();
    TViewChanges changes;
    changes.ModeChanged = std::exchange(pathMode_, false);
    const bool edgesOut = edit.TakesOutEdges(applied);
    if (selectedPath_ && (edgesOut || selectedEdge_ != nullptr)) selectedPath_->Clear();
    overlay_.Colours.clear();
    changes.SelectionChanged = Mark() != before;
    changes.GraphChanged = changes.NeedsRepaint = true;
    return changes;
}

TViewChanges TGraphView::Repaint() {
    TViewChanges changes;
    changes.NeedsRepaint = true;
    return changes;
}

TViewChanges TGraphView::Moved() {
    TViewChanges changes;
    changes.ViewMoved = changes.NeedsRepaint = true;
    return changes;
}

TViewChanges TGraphView::SetShowCaptions(bool on) {
    options_.ShowCaptions = on;
    return Repaint();
}

TViewChanges TGraphView::SetShowWeights(bool on) {
    options_.ShowWeights = on;
    return Repaint();
}

TViewChanges TGraphView::SetSeparateOpposite(bool on) {
    options_.SeparateOpposite = on;
    return Repaint();
}

TViewChanges TGraphView::SetDecimalSeparator(char separator) {
    options_.DecimalSeparator = separator;
    return Repaint();
}

TViewChanges TGraphView::SetOverlay(TOverlay overlay) {
    overlay_ = std::move(overlay);
    return Repaint();
}

TViewChanges TGraphView::ShowResult(TOverlay overlay) {
    TViewChanges changes = SetOverlay(std::move(overlay));
    if (selectedPath_ && selectedPath_->Count() > 0) {
        selectedPath_->Clear();
        changes.SelectionChanged = true;
    }
    return changes;
}

TViewChanges TGraphView::SetViewportSize(int width, int height) {
    transform_.SetViewport(width, height);
    return Moved();
}

TViewChanges TGraphView::ZoomBy(int steps, int sx, int sy) {
    transform_.ZoomAbout(TViewTransform::ZoomLevel(transform_.Zoom(), steps), sx, sy);
    return Moved();
}

TViewChanges TGraphView::ZoomIn() {
    return ZoomBy(1, transform_.Width() / 2, transform_.Height() / 2);
}

TViewChanges TGraphView::ZoomOut() {
    return ZoomBy(-1, transform_.Width() / 2, transform_.Height() / 2);
}

TViewChanges TGraphView::ActualSize() {
    transform_.ZoomAbout(1, 0, 0);
    transform_.ScrollTo(0, 0);
    return Moved();
}

TViewChanges TGraphView::FitGraph() {
    const int count = graph_->Nodes->Count();
    if (count == 0 || transform_.Width() == 0 || transform_.Height() == 0) return ActualSize();
    double left = 0, right = 0, top = 0, bottom = 0;
    for (int i = 1; i <= count; ++i) {
        const auto& node = PointOf(static_cast<TGraphNode*>(graph_->Nodes->GoToIndex(i)));
        left = i == 1 ? node.X : std::min<double>(left, node.X);
        right = i == 1 ? node.X : std::max<double>(right, node.X);
        top = i == 1 ? node.Y : std::min<double>(top, node.Y);
        bottom = i == 1 ? node.Y : std::max<double>(bottom, node.Y);
    }
    const double margin = NodeRadius + kFitMargin;
    const double zoom = std::min(transform_.Width() / (right - left + 2 * margin),
                                 transform_.Height() / (bottom - top + 2 * margin));
    transform_.ZoomAbout(zoom, 0, 0);
    const double z = transform_.Zoom();
    transform_.ScrollTo((left + right) / 2 * z - transform_.Width() / 2.0,
                        (top + bottom) / 2 * z - transform_.Height() / 2.0);
    return Moved();
}

TViewChanges TGraphView::ScrollTo(double x, double y) {
    transform_.ScrollTo(x, y);
    return Moved();
}

TGraphView::TScrollRange TGraphView::ScrollRange() const {
    const double z = transform_.Zoom();
    const double r = NodeRadius * z;
    const double x = transform_.ScrollX(), y = transform_.ScrollY();
    TScrollRange range{x, x, y, y};
    const double width = transform_.Width(), height = transform_.Height();
    const std::optional<TGraphBox> bounds = index_.Bounds();
    if (!bounds) return range;
    range.MinX = std::min(range.MinX, double(bounds->X1) * z - r);
    range.MaxX = std::max(range.MaxX, double(bounds->X2) * z + r - width);
    range.MinY = std::min(range.MinY, double(bounds->Y1) * z - r);
    range.MaxY = std::max(range.MaxY, double(bounds->Y2) * z + r - height);
    return range;
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

void TGraphView::NoteDrawn(std::vector<TScreenBox>& areas, const TGraphPoint* node,
                           const TGraphEdge* edge) const {
    if (selectedNode_ != nullptr) areas.push_back(NodeBox(*selectedNode_, options_, transform_));
    if (node != nullptr) areas.push_back(NodeBox(*node, options_, transform_));
    for (const TGraphEdge* e : {static_cast<const TGraphEdge*>(selectedEdge_), edge})
        if (e != nullptr) areas.push_back(EdgeBox(*e, options_, transform_));
    if (selectedPath_)
        for (int i = 0; i < selectedPath_->Count(); ++i)
            areas.push_back(EdgeBox(*selectedPath_->Get(i), options_, transform_));
}

void TGraphView::NoteDrawn(std::vector<TScreenBox>& areas, const TGraphPoint& node) const {
    areas.push_back(NodeBox(node, options_, transform_));
    for (const TGraphEdge* edge : index_.EdgesAt(&node))
        areas.push_back(EdgeBox(*edge, options_, transform_));
}

void TGraphView::PaintAreas(TCanvas& canvas, const std::vector<TScreenBox>& areas) const {
    PaintGraphAreas(canvas, *graph_, {selectedNode_, selectedEdge_, selectedPath_.get()}, overlay_,
                    options_, transform_, index_, areas);
}

void TGraphView::Paint(TCanvas& canvas) const {
    PaintGraph(canvas, *graph_, {selectedNode_, selectedEdge_, selectedPath_.get()}, overlay_,
               options_, transform_);
}
