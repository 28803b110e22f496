#include "algorithms/MaximumFlow.h"

#include <algorithm>
#include <boost/graph/boykov_kolmogorov_max_flow.hpp>

#include "algorithms/SnapshotMaps.h"
#include "support/LargeVector.h"

namespace {

/// An arc of the residual network: an edge of the graph or the reverse of one.
struct TFlowArc {
    double capacity;
    int edge;  // the edge's place in Edges; -1 for a reverse arc
};
using TFlowGraph =
    boost::compressed_sparse_row_graph<boost::directedS, boost::no_property, TFlowArc,
                                       boost::no_property, std::uint32_t, std::uint32_t>;
using TFlowEdge = boost::graph_traits<TFlowGraph>::edge_descriptor;

/// Every edge that is not a loop with its reverse of capacity 0: each vertex's edges
/// first, in the order of Edges, then the reverses of the edges that end there.
struct TFlowNetwork {
    TFlowGraph graph;
    std::vector<TFlowEdge> reverse;  // by arc index
};

TFlowNetwork BuildNetwork(const TSnapshotGraph& snapshot) {
    const std::size_t n = boost::num_vertices(snapshot);
    std::vector<std::uint32_t> start(n + 1, 0), reverseStart(n, 0);
    for (const TSnapshotArc& arc : boost::make_iterator_range(boost::edges(snapshot))) {
        const TSnapshotVertex u = boost::source(arc, snapshot), v = boost::target(arc, snapshot);
        if (u != v) ++start[u + 1], ++start[v + 1], ++reverseStart[v];
    }
    for (std::size_t v = 0; v < n; ++v) start[v + 1] += start[v];
    for (std::size_t v = 0; v < n; ++v) reverseStart[v] = start[v + 1] - reverseStart[v];
    const std::size_t arcs = start[n];
    auto sources = LargeVector<std::uint32_t>(arcs);
    auto targets = LargeVector<std::uint32_t>(arcs);
    auto properties = LargeVector<TFlowArc>(arcs);
    auto reverse = LargeVector<TFlowEdge>(arcs);
    for (const TSnapshotArc& arc : boost::make_iterator_range(boost::edges(snapshot))) {
        const TSnapshotVertex u = boost::source(arc, snapshot), v = boost::target(arc, snapshot);
        if (u == v) continue;
        const std::uint32_t f = start[u]++, r = reverseStart[v]++;
        sources[f] = u, targets[f] = v, properties[f] = {snapshot[arc].weight, snapshot[arc].edge};
        sources[r] = v, targets[r] = u, properties[r] = {0.0, -1};
        reverse[f] = TFlowEdge(v, r), reverse[r] = TFlowEdge(u, f);
    }
    // Already in order: Boost only checks that and takes the arrays over.
    return {TFlowGraph(boost::construct_inplace_from_sources_and_targets, sources, targets,
                       properties, static_cast<std::uint32_t>(n)),
            std::move(reverse)};
}

/// The vertices that source reaches through arcs with capacity to spare.
std::vector<char> SourceSide(const TFlowGraph& graph, std::uint32_t source,
                             const std::vector<double>& residual) {
    std::vector<char> side(boost::num_vertices(graph), 0);
    std::vector<std::uint32_t> stack{source};
    side[source] = 1;
    const auto index = boost::get(boost::edge_index, graph);
    while (!stack.empty()) {
        const std::uint32_t u = stack.back();
        stack.pop_back();
        for (const TFlowEdge& arc : boost::make_iterator_range(boost::out_edges(u, graph))) {
            const std::uint32_t v = boost::target(arc, graph);
            if (side[v] || !(residual[get(index, arc)] > 0)) continue;
            side[v] = 1;
            stack.push_back(v);
        }
    }
    return side;
}

void CheckFlowEnds(const TGraphSnapshot& snapshot, int source, int sink) {
    snapshot.CheckPosition(source);
    snapshot.CheckPosition(sink);
    if (source == sink) throw ESourceIsSink();
    if (snapshot.HasNegativeWeight(false)) throw ENegativeCapacity();
}

}  // namespace

TMaximumFlow MaximumFlow(const TGraphSnapshot& snapshot, int source, int sink,
                         const TRunControl& control) {
    CheckFlowEnds(snapshot, source, sink);
    const TFlowNetwork network = BuildNetwork(snapshot.Graph());
    const TFlowGraph& graph = network.graph;
    const std::size_t n = boost::num_vertices(graph);
    const auto index = boost::get(boost::edge_index, graph);
    TWorkMeter meter(control);
    auto residual = LargeVector<double>(boost::num_edges(graph));
    std::vector<TFlowEdge> predecessor(n);
    std::vector<boost::default_color_type> color(n);
    std::vector<std::uint32_t> distance(n);
    const auto byVertex = boost::typed_identity_property_map<std::uint32_t>();
    TMaximumFlow flow;
    // Every change to a residual capacity is a step: the cancellation point.
    flow.value = boost::boykov_kolmogorov_max_flow(
        graph, boost::get(&TFlowArc::capacity, graph),
        Metered(boost::make_iterator_property_map(residual.begin(), index), meter),
        boost::make_iterator_property_map(network.reverse.begin(), index),
        boost::make_iterator_property_map(predecessor.begin(), byVertex),
        boost::make_iterator_property_map(color.begin(), byVertex),
        boost::make_iterator_property_map(distance.begin(), byVertex), byVertex, VertexOf(source),
        VertexOf(sink));
    const std::vector<char> side = SourceSide(graph, VertexOf(source), residual);
    const auto onSide = [&side](int position) {
        return side[static_cast<std::size_t>(position - 1)] != 0;
    };
    for (int p = 1; p <= snapshot.NodeCount(); ++p)
        if (onSide(p)) flow.sourceSide.push_back(p);
    for (int k = 0; k < snapshot.EdgeCount(); ++k) {
        const TPlainEdge& e = snapshot.Edge(k);
        if (e.from != e.to && onSide(e.from) && !onSide(e.to)) flow.cutEdges.push_back(k);
    }
    return flow;
}
