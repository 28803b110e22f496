// The graph view without its toolkit: the graph shown, the selection, the hit
// tests, what a press or a drag does to them, the window's editing commands and
// the painting. The Qt control supplies the mode (its cursor), the repaint and
// the click notification through four hooks.
#pragma once

#include <cstdint>
#include <memory>

#include "editor/Canvas.h"
#include "editor/GraphPoint.h"
#include "graph/ObjGraph.h"

enum class TMouseButton { mbLeft, mbRight, mbMiddle };

class TGraphView {
public:
    static constexpr int NodeRadius = 10;
    static constexpr int NodeHitDistance = 20;
    static constexpr double EdgeHitDistance = 6.0;
    static constexpr double ArrowLength = 10.0;
    static constexpr double ArrowAngle = 0.3;
    /// Adapt Edges draws no edge wider than this, so that a huge weight still paints.
    static constexpr int MaxEdgeWidth = 1000;

    /// An empty graph, nothing selected, AdaptEdges off.
    TGraphView();
    virtual ~TGraphView();
    TGraphView(const TGraphView&) = delete;
    TGraphView& operator=(const TGraphView&) = delete;

    /// Never none. Every node is a TGraphPoint.
    std::unique_ptr<TMathGraph> Graph;
    /// A node of Graph, or none.
    TGraphPoint* SelectedNode = nullptr;
    /// An edge of Graph leaving the node selected when it was hit, or none.
    TGraphEdge* SelectedEdge = nullptr;
    /// The last shortest path, target first; once found, only emptied or replaced.
    /// Empty or none while SelectedEdge is set.
    std::unique_ptr<TEdgeList> SelectedPath;
    /// Edges drawn as wide as their rounded weight.
    bool AdaptEdges = false;

    /// The earliest node of Graph.Nodes whose hit square holds the point, or none.
    TGraphPoint* getIntersectingNode(int x, int y);
    /// The earliest edge leaving SelectedNode whose line passes near the point, or none.
    TGraphEdge* getIntersectingEdge(int x, int y);

    /// A press at (x, y): creates, selects or joins nodes, selects an edge or ends a
    /// path request, then repaints and notifies. An error ends the press where it is
    /// raised (e.g. EOverflow from the search): no repaint and no notification.
    void GraphControlMouseDown(TMouseButton button, int x, int y);
    /// Drags SelectedNode's centre to (x, y) while the left button is held in normal mode.
    void GraphControlMouseMove(bool leftHeld, int x, int y);

    /// Nodes, then edges black, the path yellow and the selected edge red.
    /// Leaves the pen black and 1 pixel wide.
    void Paint(TCanvas& canvas);

    // The window's editing commands; each repaints when it changes something.
    /// Removes and destroys SelectedEdge, if any.
    void DeleteSelectedEdge();
    /// Removes and destroys SelectedNode unless an edge starts or ends at it.
    void DeleteSelectedNode();
    void ToggleAdaptEdges();
    /// Enters path mode while a node is selected; otherwise does nothing.
    void StartPathRequest();
    /// Shows loaded in place of Graph, which is destroyed; clears the selection and
    /// empties the path. EInvalidCast ("Invalid class typecast"), with loaded destroyed
    /// and the view unchanged, unless loaded is a TMathGraph of TGraphPoints.
    void ReplaceGraph(std::unique_ptr<TObject> loaded);

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

protected:
    /// The mode lives in the toolkit (the cursor): true while a path request waits.
    virtual bool IsPathMode() const = 0;
    virtual void SetPathMode(bool on) = 0;
    /// Paints the view before returning.
    virtual void RepaintView() = 0;
    /// Tells the owner that a press has been handled.
    virtual void NotifyClick() = 0;

private:
    void PressOnEmptySpace(int x, int y);
    void LeftPressOnNode(TGraphPoint* node);
    void JoinSelectedTo(TGraphPoint* node);
};
