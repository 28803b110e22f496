// The k cheapest loopless paths between two nodes.
#pragma once

#include <vector>

#include "algorithms/GraphSnapshot.h"
#include "algorithms/RunControl.h"

/// The paths search refuses weights below 0: with them the cheapest loopless path is
/// no longer a matter of shortest paths.
class ENegativeWeight : public Exception {
public:
    ENegativeWeight() : Exception("Negative weights are not allowed here") {}
};

/// A path: its nodes from the first to the last, the edges taken between them and its
/// cost, the running sum of those edges' weights from the first node on, in doubles.
struct TPath {
    double cost = 0;
    std::vector<int> nodes;  // positions in Nodes, from 1
    std::vector<int> edges;  // places in Edges, from 0; one fewer than nodes
};

/// The count cheapest loopless paths from one node to another (Yen's algorithm),
/// cheapest first; of paths of equal cost, the one whose nodes come first compared
/// position by position. Fewer when fewer exist; from == to gives the one path of that
/// single node at cost 0. A path is a sequence of distinct nodes: of parallel edges the
/// cheapest is taken (of those, the one earlier in Edges), and loops are never used.
/// ENegativeWeight when an edge that is not a loop weighs less than 0; EInvalidIndex
/// ("Invalid index in TContainer") for a position outside the snapshot; ECancelled.
/// REQUIRES: count >= 1.
std::vector<TPath> CheapestPaths(const TGraphSnapshot& snapshot, int from, int to, int count,
                                 const TRunControl& control = {});
