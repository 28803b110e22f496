// Positions for a graph's nodes from Graphviz's layout engines.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "interchange/Document.h"

enum class TLayoutEngine { Neato, Sfdp, Dot, Circo, Twopi };

/// The engine of Graphviz's name ("neato", "sfdp", "dot", "circo", "twopi"); none for
/// another.
std::optional<TLayoutEngine> LayoutEngineNamed(std::string_view name);
const char* LayoutEngineName(TLayoutEngine engine);

/// neato up to 1,000 nodes, sfdp beyond: neato's time and memory grow with the square of
/// the nodes, sfdp's barely more than with the nodes and edges.
TLayoutEngine DefaultLayoutEngine(std::size_t nodeCount);

/// The pixels that positions are fitted into: Width x Height, less Margin on every side.
struct TLayoutBox {
    int Width = 0;
    int Height = 0;
    int Margin = 0;
};

/// Graphviz's error, in its own words.
class ELayoutError : public Exception {
    using Exception::Exception;
};

/// A position for each of the document's nodes, in their order, as engine places them:
/// scaled by one factor on both axes and centred so that every centre lies in box less
/// its margin (a single node, or nodes all in one place, in its middle), rounded to
/// whole pixels, upside down from Graphviz's coordinates so that the picture stands as
/// Graphviz draws it. Only the nodes and edges count: captions, positions and weights
/// play no part, so the same graph always gets the same positions.
/// ELayoutError when Graphviz fails. One call at a time in the process: a second waits.
/// REQUIRES: box less its margin is not empty.
std::vector<TPosition> LayOut(const TGraphDocument& document, TLayoutEngine engine, TLayoutBox box);

/// The graph that LayOut gives Graphviz, in DOT, so that Graphviz's command line can lay
/// out the very same one: the same nodes in the same order, the same edges, the same
/// attributes.
std::string LayoutGraphDot(const TGraphDocument& document);
