// Steps of editing built from other tools' work: Graphviz's layout of the graph shown, and
// a graph read from another format added to it. Each is one step for undo.
#pragma once

#include <memory>
#include <string>

#include "editor/GraphEdit.h"
#include "graph/ObjGraph.h"
#include "interchange/Document.h"
#include "interchange/Layout.h"

/// The name of the step that ImportStep builds, as the Edit menu shows it.
inline constexpr const char* kImportIntoGraph = "Import Into Graph";

/// "Layout (ENGINE)": every node of graph moved to where engine places it in box, shifted
/// by origin (the graph point at the box's top left corner). None for a graph without
/// nodes. ELayoutError, its message begun by the engine's name. REQUIRES: every node of
/// graph is a TGraphPoint; the step is applied to graph as it is now.
std::unique_ptr<TGraphEdit> LayoutStep(TMathGraph& graph, TLayoutEngine engine, TLayoutBox box,
                                       TPosition origin);

/// kImportIntoGraph: document's nodes put after the graph's nodes, in order, at their
/// positions ((0, 0) for one without), and its edges after the graph's edges. Captions as
/// GraphOfDocument converts them, noted in warnings likewise.
std::unique_ptr<TGraphEdit> ImportStep(const TGraphDocument& document, TWarnings& warnings);
