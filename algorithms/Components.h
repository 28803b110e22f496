// The weakly and the strongly connected components of a graph.
#pragma once

#include <vector>

#include "algorithms/GraphSnapshot.h"
#include "algorithms/RunControl.h"

/// Components as lists of positions: each list ascending, the lists ordered by their
/// smallest node. Every node is in exactly one.
using TComponents = std::vector<std::vector<int>>;

/// The components of the graph with its edges taken both ways. ECancelled.
TComponents WeakComponents(const TGraphSnapshot& snapshot, const TRunControl& control = {});
/// The sets of nodes that all reach one another by directed paths. ECancelled.
TComponents StrongComponents(const TGraphSnapshot& snapshot, const TRunControl& control = {});

/// The component of every vertex, numbered 0 up in the order of their smallest vertex,
/// and the number of components. For the other algorithms.
struct TComponentMap {
    std::vector<int> component;  // by vertex
    int count = 0;
};
TComponentMap StrongComponentMap(const TGraphSnapshot& snapshot, const TRunControl& control = {});
TComponentMap WeakComponentMap(const TGraphSnapshot& snapshot, const TRunControl& control = {});
/// The lists of a component map, as TComponents.
TComponents ComponentLists(const TComponentMap& map);
