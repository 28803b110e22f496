// An order of the nodes in which every edge leads forward, or a cycle that forbids one.
#pragma once

#include <vector>

#include "algorithms/GraphSnapshot.h"
#include "algorithms/RunControl.h"

/// Either order or cycle is filled, by positions.
struct TTopologicalOrder {
    /// Every node once, each edge's start before its end; of all such orders, the one
    /// that is smallest position by position.
    std::vector<int> order;
    /// Without such an order: a cycle through the smallest node that lies on any cycle,
    /// with the fewest edges and, of those, the smallest position by position; in edge
    /// order, that node first and last. A loop is the cycle [N, N].
    std::vector<int> cycle;
};

/// ECancelled.
TTopologicalOrder TopologicalOrder(const TGraphSnapshot& snapshot, const TRunControl& control = {});
