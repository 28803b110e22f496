// The cheapest distances from one node to every node, or between all pairs, with
// negative weights allowed.
#pragma once

#include <string>
#include <vector>

#include "algorithms/GraphSnapshot.h"
#include "algorithms/RunControl.h"

/// A cycle of negative total weight makes the distances it reaches unbounded.
class ENegativeCycle : public Exception {
public:
    /// cycle: its nodes by position, in edge order, the first repeated at the end.
    explicit ENegativeCycle(std::vector<int> cycle);
    const std::vector<int>& Cycle() const { return cycle_; }

private:
    std::vector<int> cycle_;
};

/// Distances from one node, by position - 1: infinity where no path leads, 0 at the
/// source. Each is the running sum, in doubles, of the weights along a cheapest path;
/// of parallel edges the cheapest counts, and loops only count when they are negative.
struct TDistances {
    int from = 0;
    std::vector<double> distance;
    std::vector<int> previousEdge;  // the edge (place in Edges) the cheapest path ends with; -1
};

/// From one node: Dijkstra's algorithm, or with a negative weight anywhere, a queue-based
/// Bellman-Ford. ENegativeCycle when a cycle of negative weight (a negative loop
/// included) can be reached from the source: of the cycles, the first that the
/// predecessor links close, given from its smallest node. EInvalidIndex ("Invalid index
/// in TContainer") for a source outside the snapshot; ECancelled.
TDistances DistancesFrom(const TGraphSnapshot& snapshot, int from, const TRunControl& control = {});

/// Between all pairs: row i - 1 holds the distances from node i, as DistancesFrom. With
/// a negative weight, Johnson's reweighting: each distance is still the running sum of
/// the original weights along the path found. ENegativeCycle for a negative cycle
/// anywhere; ECancelled. Takes N * N doubles.
std::vector<std::vector<double>> AllDistances(const TGraphSnapshot& snapshot,
                                              const TRunControl& control = {});
