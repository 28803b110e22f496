// The Calculate menu's questions about the whole graph, without the toolkit: each runs on a
// snapshot, on any thread, and what it found is then told in the results panel's words,
// with node captions, and drawn over the graph as colours.
#pragma once

#include <string>
#include <vector>

#include "algorithms/CheapestPaths.h"
#include "algorithms/Components.h"
#include "algorithms/Distances.h"
#include "algorithms/GraphSnapshot.h"
#include "algorithms/MaximumFlow.h"
#include "algorithms/RunControl.h"
#include "algorithms/SpanningForest.h"
#include "algorithms/TopologicalOrder.h"
#include "editor/GraphPainter.h"
#include "editor/ResultText.h"

enum class TAnalysisKind {
    CheapestPaths,     // From to To, Count of them
    DistancesFrom,     // From
    WeakComponents,    // the whole graph
    StrongComponents,  // the whole graph
    TopologicalOrder,  // the whole graph
    SpanningTree,      // the whole graph
    MaximumFlow,       // From (the source) to To (the sink)
};

/// Nodes by position in Nodes, from 1; 0 where the kind takes none.
struct TAnalysisRequest {
    TAnalysisKind Kind = TAnalysisKind::WeakComponents;
    int From = 0;
    int To = 0;
    int Count = 3;
};

/// Whether the kind takes a start and a target (true), only a start, or neither.
bool TakesTarget(TAnalysisKind kind);
bool TakesStart(TAnalysisKind kind);

// The colours of the results: paths as the shortest path is drawn, the cut as a
// selected edge is, and the tree in a colour of its own.
inline constexpr TColor kPathColour = clYellow;
inline constexpr TColor kCutColour = clRed;
inline constexpr TColor kTreeColour{0, 170, 0};
inline constexpr TColor kSourceSideColour{135, 206, 250};

/// What a run found, by positions and places; only the part of the request's kind is
/// filled. The overlays refer to the nodes and edges of the graph the snapshot was taken
/// of, by address only: they are made without touching that graph.
struct TAnalysisFindings {
    TAnalysisRequest Request;
    std::vector<TPath> Paths;
    TDistances Distances;
    TComponents Components;
    TTopologicalOrder Order;
    TSpanningForest Forest;
    TMaximumFlow Flow;
    /// Why the algorithm refused the graph, in the words stmtool uses ("Negative weights
    /// are not allowed here", "Negative cycle: 1 2 1"); empty when it ran.
    std::string Refusal;
    /// With the refusal of a negative cycle: the cycle, by positions, first node last too.
    std::vector<int> NegativeCycle;
    /// Drawn once the result is shown.
    TOverlay Overlay;
    /// When not empty: one for each line of the text, drawn when that line is chosen.
    std::vector<TOverlay> LineOverlays;
};

/// Runs request on snapshot. ECancelled when control stops it; EInvalidIndex ("Invalid
/// index in TContainer") for a position outside the snapshot. The algorithms' refusals
/// are findings, not errors.
TAnalysisFindings RunAnalysis(const TGraphSnapshot& snapshot, const TAnalysisRequest& request,
                              const TRunControl& control = {});

/// At most this many lines of a list, and names in one line, are written out; the rest
/// is counted.
inline constexpr int kMaxResultLines = 200;
inline constexpr int kMaxNamesInLine = 100;

/// The findings in words: a title, then one line for each path ("1. cost 7: A → B → C"),
/// distance ("B: 3"), component ("1. A, B"), tree or cut edge ("A → B: 2"), the order, or
/// the refusal; nodes by NodeName, numbers as the weight box shows them.
/// REQUIRES: the graph behind snapshot unchanged since it was taken, its nodes TGraphPoints.
TResultText AnalysisText(const TGraphSnapshot& snapshot, const TAnalysisFindings& findings,
                         char decimalSeparator);
