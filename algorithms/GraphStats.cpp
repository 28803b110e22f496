#include "algorithms/GraphStats.h"

#include <algorithm>

#include "algorithms/Components.h"
#include "algorithms/Distances.h"

namespace {

TDegrees Degrees(const TGraphSnapshot& snapshot) {
    std::vector<int> degree(static_cast<std::size_t>(snapshot.NodeCount()), 0);
    for (const TPlainEdge& e : snapshot.Edges())
        ++degree[static_cast<std::size_t>(e.from - 1)],
            ++degree[static_cast<std::size_t>(e.to - 1)];
    const auto [min, max] = std::minmax_element(degree.begin(), degree.end());
    return {*min, *max, 2.0 * snapshot.EdgeCount() / snapshot.NodeCount()};
}

/// The nodes of the largest component, of equal ones the first.
std::vector<int> LargestComponent(const TComponentMap& map) {
    const TComponents lists = ComponentLists(map);
    const auto largest =
        std::max_element(lists.begin(), lists.end(), [](const auto& a, const auto& b) {
            return a.size() < b.size();  // max_element keeps the first of equals
        });
    return *largest;
}

/// The snapshot of the subgraph on nodes (ascending positions), renumbered 1 up.
TGraphSnapshot Subgraph(const TGraphSnapshot& snapshot, const std::vector<int>& nodes) {
    std::vector<int> place(static_cast<std::size_t>(snapshot.NodeCount()) + 1, 0);
    for (std::size_t i = 0; i < nodes.size(); ++i)
        place[static_cast<std::size_t>(nodes[i])] = static_cast<int>(i) + 1;
    std::vector<TPlainEdge> edges;
    for (const TPlainEdge& e : snapshot.Edges()) {
        const int from = place[static_cast<std::size_t>(e.from)],
                  to = place[static_cast<std::size_t>(e.to)];
        if (from != 0 && to != 0) edges.push_back({from, to, e.weight});
    }
    return TGraphSnapshot(static_cast<int>(nodes.size()), edges);
}

// Within a strong component every distance is finite, and the paths between its nodes
// never leave it.
std::optional<double> Diameter(const TGraphSnapshot& component, const TRunControl& control) {
    try {
        double largest = 0;
        for (const std::vector<double>& row : AllDistances(component, control))
            for (double d : row) largest = std::max(largest, d);
        return largest;
    } catch (const ENegativeCycle&) {
        return std::nullopt;
    }
}

bool HasLoop(const TGraphSnapshot& snapshot) {
    return std::any_of(snapshot.Edges().begin(), snapshot.Edges().end(),
                       [](const TPlainEdge& e) { return e.from == e.to; });
}

}  // namespace

TGraphStats GraphStats(const TGraphSnapshot& snapshot, const TRunControl& control) {
    TGraphStats stats;
    stats.nodes = snapshot.NodeCount();
    stats.edges = snapshot.EdgeCount();
    if (stats.nodes >= 2)
        stats.density = static_cast<double>(stats.edges) /
                        (static_cast<double>(stats.nodes) * (stats.nodes - 1));
    stats.weakComponents = WeakComponentMap(snapshot, control).count;
    const TComponentMap strong = StrongComponentMap(snapshot, control);
    stats.strongComponents = strong.count;
    stats.hasCycle = strong.count < stats.nodes || HasLoop(snapshot);
    if (stats.nodes == 0) return stats;
    stats.degree = Degrees(snapshot);
    stats.diameter = Diameter(Subgraph(snapshot, LargestComponent(strong)), control);
    return stats;
}
