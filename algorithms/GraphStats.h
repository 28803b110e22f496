// Figures that describe a whole graph.
#pragma once

#include <optional>

#include "algorithms/GraphSnapshot.h"
#include "algorithms/RunControl.h"

struct TDegrees {
    int min = 0;
    int max = 0;
    double mean = 0;
};

struct TGraphStats {
    int nodes = 0;
    int edges = 0;  // every edge of Edges: parallel ones and loops included
    /// edges / (nodes * (nodes - 1)); none with fewer than 2 nodes. Parallel edges and
    /// loops count, so it can pass 1.
    std::optional<double> density;
    int weakComponents = 0;
    int strongComponents = 0;
    bool hasCycle = false;  // a loop is a cycle
    /// In- and out-edges of each node, a loop counting twice; none without nodes.
    std::optional<TDegrees> degree;
    /// The largest distance between two nodes of the largest strong component (of equal
    /// ones, the one with the smallest node); 0 for a single node; none without nodes
    /// or when a negative cycle lies in that component.
    std::optional<double> diameter;
};

/// The figures of the whole graph. The diameter takes a search from every node of its
/// component: quadratic work on large strongly connected graphs. ECancelled.
TGraphStats GraphStats(const TGraphSnapshot& snapshot, const TRunControl& control = {});
