// Painting a graph as the view shows it: a function of the graph, what is selected, the
// view's options and its transform, drawn on any canvas. The view paints through it, and
// so can whatever wants a picture of exactly what the view shows.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "editor/Canvas.h"
#include "editor/GraphPoint.h"
#include "editor/SceneIndex.h"
#include "editor/ViewTransform.h"
#include "graph/ObjGraph.h"

/// How the graph is drawn. All off: nodes and straight edges only.
struct TViewOptions {
    /// Every edge drawn as wide as its rounded weight.
    bool AdaptEdges = false;
    /// Each node's caption beside it.
    bool ShowCaptions = false;
    /// Each edge's weight at its middle, as the weight box shows it.
    bool ShowWeights = false;
    /// An edge whose reverse exists bends to its left, and a loop is drawn as one.
    bool SeparateOpposite = false;
    /// Of the weights shown.
    char DecimalSeparator = '.';
};

/// Colours that results lay over the graph: a node in it is filled with its colour instead
/// of white, an edge drawn in it instead of black. The selection, the path and the selected
/// edge are still drawn over it.
struct TOverlay {
    std::unordered_map<const TObject*, TColor> Colours;
};

struct TPaintSelection {
    const TGraphPoint* Node = nullptr;
    const TGraphEdge* Edge = nullptr;
    const TEdgeList* Path = nullptr;
};

/// Adapt Edges draws no edge wider than this, so that a huge weight still paints.
inline constexpr int kMaxEdgeWidth = 1000;
inline constexpr int kNodeRadius = 10;
inline constexpr double kArrowLength = 10.0;
inline constexpr double kArrowAngle = 0.3;

/// Nodes (the selected one black), then the edges black, the path yellow, the selected
/// edge red; the pen is then set black and 1 pixel wide; then the captions and weights the
/// options ask for, of what lies in the visible area. Circles, pens and curves scale with
/// the zoom; arrowheads do too, but never shorter than half their size; labels keep their
/// font. Once the visible area is known, what lies wholly outside it is not drawn; below
/// kFinestNodeRadius nodes are dots, edges bare lines, and labels are left out. REQUIRES: every
/// node of graph is a TGraphPoint, and the selection and overlay refer only to elements of graph.
void PaintGraph(TCanvas& canvas, const TMathGraph& graph, const TPaintSelection& selection,
                const TOverlay& overlay, const TViewOptions& options,
                const TViewTransform& transform);

/// Below this radius on the screen, in pixels, a node is drawn as a dot, an edge as a bare
/// line and no label is written: what could be told apart of them at that size does not
/// pay for drawing them, at a few thousand elements and more.
inline constexpr double kFinestNodeRadius = 1.5;

/// A box of screen pixels, bounds included.
struct TScreenBox {
    std::int64_t X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
    bool Meets(const TScreenBox& other) const {
        return X1 <= other.X2 && X2 >= other.X1 && Y1 <= other.Y2 && Y2 >= other.Y1;
    }
};

/// Every pixel that PaintGraph can draw for node, its circle and its caption, lies in the
/// box; the same for edge, its line, arrowhead and weight, drawn straight (curves are
/// not looked at). Adapt Edges is not looked at either: the box holds a line of the width
/// that Paint begins with.
TScreenBox NodeBox(const TGraphPoint& node, const TViewOptions& options,
                   const TViewTransform& transform);
TScreenBox EdgeBox(const TGraphEdge& edge, const TViewOptions& options,
                   const TViewTransform& transform);

/// What PaintGraph draws of the elements whose box meets one of areas, and only of those,
/// in the same order and with the same pens: where areas lie, the pixels are PaintGraph's.
/// index finds the elements. REQUIRES: as PaintGraph; neither Adapt Edges nor Separate
/// Opposite is on; index follows graph.
void PaintGraphAreas(TCanvas& canvas, const TMathGraph& graph, const TPaintSelection& selection,
                     const TOverlay& overlay, const TViewOptions& options,
                     const TViewTransform& transform, TSceneIndex& index,
                     const std::vector<TScreenBox>& areas);

/// The straight line from a to b with an arrowhead at its middle pointing at b: two strokes
/// of length, each at kArrowAngle to the line.
void DrawArrowLine(TCanvas& canvas, TScreenXY a, TScreenXY b, double length);

/// The screen direction (y down) of a line with horizontal difference dx and upward
/// difference dUp; -pi/2 for a line of zero length.
double EdgeAngle(double dx, double dUp);
