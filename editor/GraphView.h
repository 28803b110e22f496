// The graph view without its toolkit: the graph shown, the selection, the mode, the hit
// tests, every editing operation of the presses, drags and window commands, and the
// painting. The Qt control holds one, feeds it the mouse and shows what it reports.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "editor/Canvas.h"
#include "editor/GraphPoint.h"
#include "graph/ObjGraph.h"

enum class TMouseButton { mbLeft, mbRight, mbMiddle };

/// What one operation of the view changed: what its owner has to show, and what the
/// operation made or took out, so that a step can later be taken back.
struct TViewChanges {
    /// A node or an edge made or taken out, a position, a caption or a weight; or the
    /// whole graph replaced.
    bool GraphChanged = false;
    /// SelectedNode, SelectedEdge or SelectedPath.
    bool SelectionChanged = false;
    /// Path mode entered or left.
    bool ModeChanged = false;
    /// The drawing is out of date.
    bool NeedsRepaint = false;

    /// Made by a press; the graph owns them.
    TGraphPoint* AddedNode = nullptr;
    TGraphEdge* AddedEdge = nullptr;
    /// Taken out of the view and handed over: they die with the changes unless whoever
    /// holds them keeps them (to put them back).
    std::unique_ptr<TGraphEdge> RemovedEdge;
    std::unique_ptr<TGraphPoint> RemovedNode;
    std::unique_ptr<TMathGraph> ReplacedGraph;
};

class TGraphView {
public:
    static constexpr int NodeRadius = 10;
    static constexpr int NodeHitDistance = 20;
    static constexpr double EdgeHitDistance = 6.0;
    static constexpr double ArrowLength = 10.0;
    static constexpr double ArrowAngle = 0.3;
    /// Adapt Edges draws no edge wider than this, so that a huge weight still paints.
    static constexpr int MaxEdgeWidth = 1000;

    /// An empty graph, nothing selected, normal mode, AdaptEdges off.
    TGraphView();
    ~TGraphView();
    TGraphView(const TGraphView&) = delete;
    TGraphView& operator=(const TGraphView&) = delete;

    // What is shown. Read it freely; change it only through the operations below, so that
    // every change is one named step that an undo command can wrap.
    /// Every node is a TGraphPoint.
    TMathGraph& Graph() { return *graph_; }
    const TMathGraph& Graph() const { return *graph_; }
    /// A node of Graph, or none.
    TGraphPoint* SelectedNode() const { return selectedNode_; }
    /// An edge of Graph leaving the node selected when it was hit, or none.
    TGraphEdge* SelectedEdge() const { return selectedEdge_; }
    /// The last shortest path, target first; once found, only emptied or replaced.
    /// Empty or none while SelectedEdge is set.
    const TEdgeList* SelectedPath() const { return selectedPath_.get(); }
    /// Edges drawn as wide as their rounded weight.
    bool AdaptEdges() const { return adaptEdges_; }
    /// A path request waits for the left press on its target.
    bool IsPathMode() const { return pathMode_; }

    /// The earliest node of Graph.Nodes whose hit square holds the point, or none.
    TGraphPoint* getIntersectingNode(int x, int y) const;
    /// The earliest edge leaving SelectedNode whose line passes near the point, or none.
    TGraphEdge* getIntersectingEdge(int x, int y) const;

    // The operations. Each one that raises ends where the error was raised: what it
    // changed before stays, and nothing after is done.

    /// A press at (x, y): creates, selects or joins nodes, selects an edge or ends a path
    /// request. Always NeedsRepaint. EOverflow ("Floating point overflow") from the search
    /// leaves the path, the mode and SelectedEdge as they were.
    TViewChanges GraphControlMouseDown(TMouseButton button, int x, int y);
    /// A drag step: SelectedNode's centre to (x, y) while the left button is held in
    /// normal mode; then NeedsRepaint, even when the node stays where it was.
    TViewChanges GraphControlMouseMove(bool leftHeld, int x, int y);
    /// The selected node's caption := text in Windows-1252, "?" for each character
    /// outside it. Nothing to repaint: captions are not drawn.
    TViewChanges SetSelectedCaption(std::u16string_view text);
    /// When text is a number (ParseWeight), the selected edge's weight := that number;
    /// then NeedsRepaint, even when it is the weight the edge had. Text that is not a
    /// number changes nothing. EOverflow ("Floating point overflow") when the number is
    /// beyond the weight's range: the weight stays.
    TViewChanges SetSelectedWeight(const std::string& text, char decimalSeparator);
    /// Takes SelectedEdge out of the graph, if any, and hands it over in RemovedEdge.
    TViewChanges DeleteSelectedEdge();
    /// Rebuilds every OutEdges list, then takes SelectedNode out of the graph unless an
    /// edge starts or ends at it, handing it over in RemovedNode.
    TViewChanges DeleteSelectedNode();
    TViewChanges ToggleAdaptEdges();
    /// Enters path mode while a node is selected; otherwise does nothing.
    TViewChanges StartPathRequest();
    /// Shows loaded in place of Graph, which is handed over in ReplacedGraph; clears the
    /// selection and empties the path; the mode and AdaptEdges stay. EInvalidCast
    /// ("Invalid class typecast"), with loaded destroyed and the view unchanged, unless
    /// loaded is a TMathGraph of TGraphPoints.
    TViewChanges ReplaceGraph(std::unique_ptr<TObject> loaded);

    /// The selected node's caption for the caption box, or none without a selected node.
    std::optional<std::u16string> SelectedCaptionText() const;
    /// The selected edge's weight for the weight box (FormatWeight), or none without a
    /// selected edge.
    std::optional<std::string> SelectedWeightText(char decimalSeparator) const;

    /// Nodes, then edges black, the path yellow and the selected edge red.
    /// Leaves the pen black and 1 pixel wide.
    void Paint(TCanvas& canvas) const;

    /// Both coordinate differences below NodeHitDistance.
    static bool PointNearNode(const TGraphPoint& node, int x, int y);
    /// The point lies within EdgeHitDistance, vertically, of the unbounded line through
    /// A and B; for a vertical line, horizontally.
    static bool PointNearLine(int px, int py, int ax, int ay, int bx, int by);
    /// The screen direction (y down) of a line with horizontal difference dx and
    /// upward difference dUp; -pi/2 for a line of zero length.
    static double EdgeAngle(double dx, double dUp);
    static void DrawNode(TCanvas& canvas, const TGraphPoint& node, TColor colour);
    void DrawEdge(TCanvas& canvas, const TGraphEdge& edge, TColor colour) const;
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

    void PressOnEmptySpace(int x, int y, TViewChanges& changes);
    void LeftPressOnNode(TGraphPoint* node);
    void JoinSelectedTo(TGraphPoint* node, TViewChanges& changes);

    std::unique_ptr<TMathGraph> graph_;
    TGraphPoint* selectedNode_ = nullptr;
    TGraphEdge* selectedEdge_ = nullptr;
    std::unique_ptr<TEdgeList> selectedPath_;
    bool adaptEdges_ = false;
    bool pathMode_ = false;
};
