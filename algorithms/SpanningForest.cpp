#include "algorithms/SpanningForest.h"

#include <boost/graph/kruskal_min_spanning_tree.hpp>
#include <utility>

#include "algorithms/SnapshotMaps.h"

namespace {

/// Kruskal's output: the places in Edges of the edges it takes.
class TForestOutput {
public:
    TForestOutput(const TSnapshotGraph& graph, std::vector<int>& edges)
        : graph_(&graph), edges_(&edges) {}
    TForestOutput& operator*() { return *this; }
    TForestOutput& operator++() { return *this; }
    TForestOutput& operator++(int) { return *this; }
    TForestOutput& operator=(const TSnapshotArc& arc) {
        edges_->push_back((*graph_)[arc].edge);
        return *this;
    }

private:
    const TSnapshotGraph* graph_;
    std::vector<int>* edges_;
};

}  // namespace

TSpanningForest MinimumSpanningForest(const TGraphSnapshot& snapshot, const TRunControl& control) {
    const TSnapshotGraph& graph = snapshot.Graph();
    TWorkMeter meter(control, snapshot.EdgeCount());
    // Ordered by weight, then by place in Edges: a total order, so that the forest does
    // not depend on how the queue breaks ties. Each edge's key is read a few times as
    // the queue orders it: a fair count of the work, and a cancellation point.
    const auto key = boost::make_function_property_map<TSnapshotArc, std::pair<double, int>>(
        [&graph, &meter](const TSnapshotArc& arc) {
            meter.Step();
            return std::make_pair(graph[arc].weight, graph[arc].edge);
        });
    TSpanningForest forest;
    std::vector<std::uint32_t> rank(boost::num_vertices(graph)), parent(boost::num_vertices(graph));
    boost::kruskal_minimum_spanning_tree(
        graph, TForestOutput(graph, forest.edges),
        boost::weight_map(key)
            .rank_map(ByVertex(rank))
            .predecessor_map(ByVertex(parent))
            .vertex_index_map(boost::get(boost::vertex_index, graph)));
    for (int k : forest.edges) forest.weight += snapshot.Edge(k).weight;
    return forest;
}
