#include "algorithms/TopologicalOrder.h"

#include <algorithm>
#include <functional>
#include <queue>

#include "algorithms/Components.h"
#include "algorithms/SnapshotMaps.h"

namespace {

/// Kahn's algorithm with the smallest free vertex taken first. Shorter than the whole
/// graph when there is a cycle.
std::vector<int> SmallestOrder(const TSnapshotGraph& graph, TWorkMeter& meter) {
    const std::size_t n = boost::num_vertices(graph);
    std::vector<std::uint32_t> waiting(n, 0);  // in-edges from vertices not yet placed
    for (const TSnapshotArc& arc : boost::make_iterator_range(boost::edges(graph)))
        ++waiting[boost::target(arc, graph)];
    std::priority_queue<TSnapshotVertex, std::vector<TSnapshotVertex>, std::greater<>> free;
    for (std::size_t v = 0; v < n; ++v)
        if (waiting[v] == 0) free.push(static_cast<TSnapshotVertex>(v));
    std::vector<int> order;
    while (!free.empty()) {
        const TSnapshotVertex u = free.top();
        free.pop();
        order.push_back(PositionOfVertex(u));
        meter.Step();
        for (const TSnapshotArc& arc : boost::make_iterator_range(boost::out_edges(u, graph)))
            if (--waiting[boost::target(arc, graph)] == 0) free.push(boost::target(arc, graph));
    }
    return order;
}

/// The smallest vertex on a cycle: one with a loop, or in a strong component of two or more.
TSnapshotVertex FirstOnCycle(const TGraphSnapshot& snapshot, const TComponentMap& components) {
    const TSnapshotGraph& graph = snapshot.Graph();
    std::vector<int> size(static_cast<std::size_t>(components.count), 0);
    for (int c : components.component) ++size[static_cast<std::size_t>(c)];
    for (TSnapshotVertex v = 0; v < boost::num_vertices(graph); ++v) {
        if (size[static_cast<std::size_t>(components.component[v])] > 1) return v;
        for (const TSnapshotArc& arc : boost::make_iterator_range(boost::out_edges(v, graph)))
            if (boost::target(arc, graph) == v) return v;
    }
    return 0;  // not reached: the order fell short, so there is a cycle
}

/// The successors of u in its component, ascending, each once.
std::vector<TSnapshotVertex> Successors(const TSnapshotGraph& graph, TSnapshotVertex u,
                                        const std::vector<int>& component) {
    std::vector<TSnapshotVertex> next;
    for (const TSnapshotArc& arc : boost::make_iterator_range(boost::out_edges(u, graph))) {
        const TSnapshotVertex v = boost::target(arc, graph);
        if (component[v] == component[u]) next.push_back(v);
    }
    std::sort(next.begin(), next.end());
    next.erase(std::unique(next.begin(), next.end()), next.end());
    return next;
}

/// A breadth-first search from start that tries successors in ascending order reaches
/// each vertex first by its shortest way that is smallest position by position; the
/// first vertex taken with an edge back to start closes the cycle sought.
std::vector<int> ShortestCycle(const TSnapshotGraph& graph, TSnapshotVertex start,
                               const std::vector<int>& component, TWorkMeter& meter) {
    const std::uint32_t none = static_cast<std::uint32_t>(-1);
    std::vector<std::uint32_t> parent(boost::num_vertices(graph), none);
    std::vector<TSnapshotVertex> queue{start};
    parent[start] = start;
    for (std::size_t head = 0; head < queue.size(); ++head) {
        const TSnapshotVertex u = queue[head];
        meter.Step();
        const std::vector<TSnapshotVertex> next = Successors(graph, u, component);
        if (std::binary_search(next.begin(), next.end(), start)) {
            std::vector<int> cycle{PositionOfVertex(start)};
            for (TSnapshotVertex v = u; v != start; v = parent[v])
                cycle.push_back(PositionOfVertex(v));
            cycle.push_back(PositionOfVertex(start));
            std::reverse(cycle.begin() + 1, cycle.end() - 1);
            return cycle;
        }
        for (TSnapshotVertex v : next)
            if (parent[v] == none) parent[v] = u, queue.push_back(v);
    }
    return {};  // not reached: start lies on a cycle within its component
}

}  // namespace

TTopologicalOrder TopologicalOrder(const TGraphSnapshot& snapshot, const TRunControl& control) {
    const TSnapshotGraph& graph = snapshot.Graph();
    TWorkMeter meter(control, snapshot.NodeCount());
    TTopologicalOrder result;
    result.order = SmallestOrder(graph, meter);
    if (static_cast<int>(result.order.size()) == snapshot.NodeCount()) return result;
    result.order.clear();
    const TComponentMap components = StrongComponentMap(snapshot, control);
    const TSnapshotVertex start = FirstOnCycle(snapshot, components);
    result.cycle = ShortestCycle(graph, start, components.component, meter);
    return result;
}
