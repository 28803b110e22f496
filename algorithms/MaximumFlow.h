// The maximum flow between two nodes, with the edges' weights as capacities, and its cut.
#pragma once

#include <vector>

#include "algorithms/GraphSnapshot.h"
#include "algorithms/RunControl.h"

/// A flow network refuses a negative capacity.
class ENegativeCapacity : public Exception {
public:
    ENegativeCapacity() : Exception("Negative weights are not allowed here") {}
};

/// The flow asked of the node that is also its sink.
class ESourceIsSink : public Exception {
public:
    ESourceIsSink() : Exception("The source and the sink are the same node") {}
};

struct TMaximumFlow {
    double value = 0;
    /// The nodes the source still reaches through edges with capacity to spare once the
    /// flow is at its maximum: the smallest source side of a minimum cut, the same for
    /// every maximum flow. Ascending positions, the source included.
    std::vector<int> sourceSide;
    /// The edges from that side to the other (places in Edges, ascending): a minimum cut.
    std::vector<int> cutEdges;
};

/// Boykov and Kolmogorov's algorithm. Parallel edges add their capacities; loops carry
/// nothing. ENegativeCapacity when an edge that is not a loop weighs less than 0,
/// ESourceIsSink, EInvalidIndex ("Invalid index in TContainer") for a position outside
/// the snapshot; ECancelled.
TMaximumFlow MaximumFlow(const TGraphSnapshot& snapshot, int source, int sink,
                         const TRunControl& control = {});
