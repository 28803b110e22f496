// The graph view without its toolkit: the graph shown, the selection, the mode, the view's
// options, zoom and scroll, the hit tests, every editing operation of the presses, drags
// and window commands, undo and redo, and the painting. The Qt control holds one, feeds it
// the mouse and shows what it reports.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "editor/Canvas.h"
#include "editor/GraphEdit.h"
#include "editor/GraphPainter.h"
#include "editor/GraphPoint.h"
#include "editor/SceneIndex.h"
#include "editor/ViewTransform.h"
#include "graph/ObjGraph.h"

enum class TMouseButton { mbLeft, mbRight, mbMiddle };

/// What one operation of the view changed: what its owner has to show, and the step it
/// made of a change of the graph, for an undo command to hold.
struct TViewChanges {
    /// A node or an edge made or taken out, a position, a caption or a weight; or the
    /// whole graph replaced.
    bool GraphChanged = false;
    /// SelectedNode, SelectedEdge or SelectedPath.
    bool SelectionChanged = false;
    /// Path mode entered or left.
    bool ModeChanged = false;
    /// The zoom, the scroll position or the visible area.
    bool ViewMoved = false;
    /// The drawing is out of date.
    bool NeedsRepaint = false;
    /// With NeedsRepaint, when known: the only areas of the visible area whose drawing
    /// changed, so that PaintAreas of them brings the drawing up to date. None: all of it.
    std::optional<std::vector<TScreenBox>> DamagedAreas;

    /// The change of the graph as one step, already made; none when the graph stayed.
    /// Dropping it leaves the change made, but destroys whatever it took out of the graph.
    std::unique_ptr<TGraphEdit> Edit;
    /// Made by a press; the graph owns them.
    TGraphPoint* AddedNode = nullptr;
    TGraphEdge* AddedEdge = nullptr;
    /// Taken out of the graph; Edit holds them.
    TGraphEdge* RemovedEdge = nullptr;
    TGraphPoint* RemovedNode = nullptr;
    /// Put out of view by a load; destroyed with the changes unless taken.
    std::unique_ptr<TMathGraph> ReplacedGraph;
    /// A press that ended a path request with a search: its source and target.
    TGraphPoint* SearchedSource = nullptr;
    TGraphPoint* SearchedTarget = nullptr;
    /// A press that ended a target request: the selected node and the node pressed.
    TGraphPoint* PickedSource = nullptr;
    TGraphPoint* PickedTarget = nullptr;
};

class TGraphView {
public:
    static constexpr int NodeRadius = kNodeRadius;
    static constexpr int NodeHitDistance = 20;
    static constexpr double EdgeHitDistance = 6.0;
    static constexpr double ArrowLength = kArrowLength;
    static constexpr double ArrowAngle = kArrowAngle;
    static constexpr int MaxEdgeWidth = kMaxEdgeWidth;

    // The names of the steps, as the Edit menu shows them.
    static constexpr const char* kPlaceNode = "Place Node";
    static constexpr const char* kJoinNodes = "Join Nodes";
    static constexpr const char* kMoveNode = "Move Node";
    static constexpr const char* kEditCaption = "Edit Caption";
    static constexpr const char* kEditWeight = "Edit Weight";
    static constexpr const char* kDeleteEdge = "Delete Edge";
    static constexpr const char* kDeleteNode = "Delete Node";

    /// An empty graph, nothing selected, normal mode, every option off, zoom 1.
    TGraphView();
    ~TGraphView();
    TGraphView(const TGraphView&) = delete;
    TGraphView& operator=(const TGraphView&) = delete;

    // What is shown. Read it freely; change it only through the operations below, so that
    // every change of the graph is one step that an undo command can hold.
    /// Every node is a TGraphPoint.
    TMathGraph& Graph() { return *graph_; }
    const TMathGraph& Graph() const { return *graph_; }
    /// A node of Graph, or none.
    TGraphPoint* SelectedNode() const { return selectedNode_; }
    /// An edge of Graph, or none.
    TGraphEdge* SelectedEdge() const { return selectedEdge_; }
    /// The last shortest path, target first; once found, only emptied or replaced.
    /// Empty or none while SelectedEdge is set; never holds an edge out of Graph.
    const TEdgeList* SelectedPath() const { return selectedPath_.get(); }
    /// Edges drawn as wide as their rounded weight.
    bool AdaptEdges() const { return options_.AdaptEdges; }
    /// A path request waits for the left press on its target.
    bool IsPathMode() const { return pathMode_; }
    const TViewOptions& Options() const { return options_; }
    const TViewTransform& Transform() const { return transform_; }
    const TOverlay& Overlay() const { return overlay_; }

    /// The earliest node of Graph.Nodes whose hit square holds the point, or none.
    TGraphPoint* getIntersectingNode(int x, int y) const;
    /// The earliest edge leaving SelectedNode whose line passes near the point, or none;
    /// a bent edge or a loop is hit along its curve.
    TGraphEdge* getIntersectingEdge(int x, int y) const;

    // The editing operations, at graph coordinates. Each one that raises ends where the
    // error was raised: what it changed before stays, and nothing after is done.

    /// A press at (x, y): creates, selects or joins nodes, selects an edge or ends a path
    /// request. Always NeedsRepaint. EOverflow ("Floating point overflow") from the search
    /// leaves the path, the mode and SelectedEdge as they were.
    TViewChanges GraphControlMouseDown(TMouseButton button, int x, int y);
    /// A drag step: SelectedNode's centre to (x, y) while the left button is held in
    /// normal mode; then NeedsRepaint, even when the node stays where it was. The steps
    /// between two presses make one step.
    TViewChanges GraphControlMouseMove(bool leftHeld, int x, int y);
    /// The selected node's caption := text in Windows-1252, "?" for each character
    /// outside it. Repaints only while captions or a result are shown. Keystrokes between two
    /// presses on the same node make one step.
    TViewChanges SetSelectedCaption(std::u16string_view text);
    /// When text is a number (ParseWeight), the selected edge's weight := that number;
    /// then NeedsRepaint, even when it is the weight the edge had. Text that is not a
    /// number changes nothing. EOverflow ("Floating point overflow") when the number is
    /// beyond the weight's range: the weight stays. Merges as the caption does.
    TViewChanges SetSelectedWeight(const std::string& text, char decimalSeparator);
    /// Takes SelectedEdge out of the graph, if any.
    TViewChanges DeleteSelectedEdge();
    /// Rebuilds every OutEdges list, then takes SelectedNode out of the graph unless an
    /// edge starts or ends at it.
    TViewChanges DeleteSelectedNode();
    /// The Delete key: the selected edge if there is one, else the selected node, by the
    /// rules of the two commands.
    TViewChanges DeleteSelection();
    TViewChanges ToggleAdaptEdges();
    /// Enters path mode while a node is selected; otherwise does nothing. In path mode
    /// already, the next press searches rather than picks.
    TViewChanges StartPathRequest();
    /// As StartPathRequest, but the left press on a node that ends the request only
    /// reports the selected node and the node pressed (PickedSource, PickedTarget), for a
    /// command that needs two nodes; the path stays. Escape cancels it as it does a search.
    TViewChanges StartTargetRequest();
    /// Leaves path mode; nothing else changes.
    TViewChanges CancelPathRequest();
    /// Shows loaded in place of Graph, which is handed over in ReplacedGraph; clears the
    /// selection, empties the path and the overlay; the mode and the options stay.
    /// EInvalidCast ("Invalid class typecast"), with loaded destroyed and the view
    /// unchanged, unless loaded is a TMathGraph of TGraphPoints.
    TViewChanges ReplaceGraph(std::unique_ptr<TObject> loaded);

    // Steps: made by the operations above or built by a command (a layout, an import).
    /// Applies edit, built for Graph and not applied, as one step: the selection stays
    /// unless edit takes the selected element out. Raises what Apply raises, the graph and
    /// the view then unchanged.
    TViewChanges Perform(std::unique_ptr<TGraphEdit> edit);
    /// Takes edit back and selects what was selected before it; Redo makes it again and
    /// selects what was selected after it. Both leave path mode, empty the path when it
    /// could hold an edge taken out or an edge is selected, and empty the overlay. REQUIRES: edit
    /// is the last step applied to Graph (Undo) or the last taken back (Redo).
    TViewChanges Undo(TGraphEdit& edit);
    TViewChanges Redo(TGraphEdit& edit);

    // The view's options; each repaints.
    TViewChanges SetShowCaptions(bool on);
    TViewChanges SetShowWeights(bool on);
    TViewChanges SetSeparateOpposite(bool on);
    /// The separator of the weights drawn.
    TViewChanges SetDecimalSeparator(char separator);
    /// Colours laid over the graph, drawn until replaced, until the graph changes (a step,
    /// an undo, a redo, a load) or until a shortest path is searched. REQUIRES: refers
    /// only to elements of Graph.
    TViewChanges SetOverlay(TOverlay overlay);
    /// SetOverlay for a result that takes the place of the last shortest path: the path is
    /// emptied too.
    TViewChanges ShowResult(TOverlay overlay);

    // Zoom and scroll, in the visible area's pixels.
    TViewChanges SetViewportSize(int width, int height);
    /// The next zoom level up (steps > 0) or down, about the screen point (sx, sy).
    TViewChanges ZoomBy(int steps, int sx, int sy);
    /// One level up or down about the middle of the visible area.
    TViewChanges ZoomIn();
    TViewChanges ZoomOut();
    /// Zoom 1, no scroll: as at the start.
    TViewChanges ActualSize();
    /// The whole graph in the visible area, centred, as large as fits within the zoom's
    /// range; Actual Size for a graph without nodes.
    TViewChanges FitGraph();
    TViewChanges ScrollTo(double x, double y);
    /// What can be scrolled to, in screen pixels of the current zoom: every node's circle,
    /// wherever it is (at negative coordinates too), and the area shown now.
    struct TScrollRange {
        double MinX, MaxX, MinY, MaxY;  // of ScrollX and ScrollY
    };
    TScrollRange ScrollRange() const;

    /// The selected node's caption for the caption box, or none without a selected node.
    std::optional<std::u16string> SelectedCaptionText() const;
    /// The selected edge's weight for the weight box (FormatWeight), or none without a
    /// selected edge.
    std::optional<std::string> SelectedWeightText(char decimalSeparator) const;

    /// PaintGraph of what the view shows. Leaves the pen black and 1 pixel wide.
    void Paint(TCanvas& canvas) const;
    /// What Paint draws in areas, with the same pixels there; what it draws elsewhere is
    /// not defined. Costs about what lies in areas, not the whole graph.
    void PaintAreas(TCanvas& canvas, const std::vector<TScreenBox>& areas) const;

    /// Both coordinate differences below NodeHitDistance.
    static bool PointNearNode(const TGraphPoint& node, int x, int y);
    /// The point lies within EdgeHitDistance, vertically, of the unbounded line through
    /// A and B; for a vertical line, horizontally.
    static bool PointNearLine(int px, int py, int ax, int ay, int bx, int by);
    /// The screen direction (y down) of a line with horizontal difference dx and
    /// upward difference dUp; -pi/2 for a line of zero length.
    static double EdgeAngle(double dx, double dUp);
    /// The line from a to b with an arrowhead at its middle pointing at b.
    static void DrawArrow(TCanvas& canvas, const TGraphPoint& a, const TGraphPoint& b);

private:
    /// What SelectionChanged compares: an emptied or replaced path counts.
    struct TSelectionMark {
        const TGraphPoint* node;
        const TGraphEdge* edge;
        const TEdgeList* path;
        int pathCount;
        friend bool operator==(const TSelectionMark&, const TSelectionMark&) = default;
    };
    TSelectionMark Mark() const;
    TSelection Selection() const { return {selectedNode_, selectedEdge_}; }

    void PressOnEmptySpace(int x, int y, const TSelection& before, TViewChanges& changes);
    void LeftPressOnNode(TGraphPoint* node, TViewChanges& changes);
    void JoinSelectedTo(TGraphPoint* node, TViewChanges& changes);
    /// Applies edit as a step of this view that goes from selection before to after, and
    /// hands it over in changes.
    void Step(std::unique_ptr<TGraphEdit> edit, TMergeKey key, const TSelection& before,
              const TSelection& after, TViewChanges& changes);
    /// After an undo or a redo: selection, mode, path and overlay.
    TViewChanges Stepped(const TGraphEdit& edit, bool applied, const TSelectionMark& before);
    TViewChanges Repaint();
    TViewChanges Moved();
    /// Whether the areas that a press or a drag changes can be told: not while a line's
    /// width or shape depends on other edges.
    bool TracksDamage() const { return !options_.AdaptEdges && !options_.SeparateOpposite; }
    /// Adds where the selection, the path and the given elements are drawn now.
    void NoteDrawn(std::vector<TScreenBox>& areas, const TGraphPoint* node,
                   const TGraphEdge* edge) const;
    void NoteDrawn(std::vector<TScreenBox>& areas, const TGraphPoint& node) const;

    std::unique_ptr<TMathGraph> graph_;
    TGraphPoint* selectedNode_ = nullptr;
    TGraphEdge* selectedEdge_ = nullptr;
    std::unique_ptr<TEdgeList> selectedPath_;
    bool pathMode_ = false;
    bool picksTarget_ = false;  // path mode ends by reporting the target, not searching
    TViewOptions options_;
    TViewTransform transform_;
    TOverlay overlay_;
    // Follows graph_ through every operation; const questions still file what they find.
    mutable TSceneIndex index_;
    // Counts presses, undos and redos: steps merge only within one of these gestures.
    std::uint64_t gesture_ = 0;
};
