#include "algorithms/Components.h"

#include <boost/graph/strong_components.hpp>
#include <boost/pending/disjoint_sets.hpp>

#include "algorithms/SnapshotMaps.h"

namespace {

/// Renumbers components in the order of their smallest vertex.
TComponentMap Renumbered(std::vector<int> raw) {
    std::vector<int> number(raw.size(), -1);
    TComponentMap map;
    for (int& c : raw) {
        int& n = number[static_cast<std::size_t>(c)];
        if (n < 0) n = map.count++;
        c = n;
    }
    map.component = std::move(raw);
    return map;
}

}  // namespace

TComponentMap StrongComponentMap(const TGraphSnapshot& snapshot, const TRunControl& control) {
    const TSnapshotGraph& graph = snapshot.Graph();
    const std::size_t n = boost::num_vertices(graph);
    TWorkMeter meter(control, static_cast<std::int64_t>(n));
    std::vector<int> component(n);
    std::vector<std::uint32_t> discovered(n), root(n);
    // Each vertex's discovery time is written once: the search's cancellation point.
    boost::strong_components(
        graph, ByVertex(component),
        boost::discover_time_map(Metered(ByVertex(discovered), meter)).root_map(ByVertex(root)));
    return Renumbered(std::move(component));
}

TComponentMap WeakComponentMap(const TGraphSnapshot& snapshot, const TRunControl& control) {
    const std::size_t n = static_cast<std::size_t>(snapshot.NodeCount());
    TWorkMeter meter(control, snapshot.EdgeCount());
    std::vector<std::size_t> rank(n), parent(n);
    const auto byIndex = boost::typed_identity_property_map<std::size_t>();
    boost::disjoint_sets sets(boost::make_iterator_property_map(rank.begin(), byIndex),
                              boost::make_iterator_property_map(parent.begin(), byIndex));
    for (std::size_t v = 0; v < n; ++v) sets.make_set(v);
    for (const TPlainEdge& edge : snapshot.Edges()) {
        sets.union_set(static_cast<std::size_t>(edge.from - 1),
                       static_cast<std::size_t>(edge.to - 1));
        meter.Step();
    }
    std::vector<int> component(n);
    for (std::size_t v = 0; v < n; ++v) component[v] = static_cast<int>(sets.find_set(v));
    return Renumbered(std::move(component));
}

TComponents ComponentLists(const TComponentMap& map) {
    TComponents lists(static_cast<std::size_t>(map.count));
    for (std::size_t v = 0; v < map.component.size(); ++v)
        lists[static_cast<std::size_t>(map.component[v])].push_back(static_cast<int>(v) + 1);
    return lists;
}

TComponents WeakComponents(const TGraphSnapshot& snapshot, const TRunControl& control) {
    return ComponentLists(WeakComponentMap(snapshot, control));
}

TComponents StrongComponents(const TGraphSnapshot& snapshot, const TRunControl& control) {
    return ComponentLists(StrongComponentMap(snapshot, control));
}
