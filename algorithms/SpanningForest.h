// A minimum spanning forest of a graph taken as undirected.
#pragma once

#include <vector>

#include "algorithms/GraphSnapshot.h"
#include "algorithms/RunControl.h"

/// The forest's edges and their total weight.
struct TSpanningForest {
    /// The running sum of the edges' weights, in the order below, in doubles.
    double weight = 0;
    /// Places in Edges, in the order Kruskal's algorithm takes them: lighter first, and
    /// of equal weights the one earlier in Edges. So of two opposite or parallel edges
    /// the lighter counts; loops never do.
    std::vector<int> edges;
};

/// One tree for each weak component. Negative weights are allowed. ECancelled.
TSpanningForest MinimumSpanningForest(const TGraphSnapshot& snapshot,
                                      const TRunControl& control = {});
