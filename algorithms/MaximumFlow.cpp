#include "algorithms/MaximumFlow.h"

#include <algorithm>
#include <boost/graph/boykov_kolmogorov_max_flow.hpp>

#include "algorithms/SnapshotMaps.h"

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

/// Every edge that is not a loop with its reverse of capacity 0, sorted by start vertex
/// so that an arc's place in the sorted list is its index in the graph.
struct TFlowNetwork {
    TFlowGraph graph;
    std::vector<TFlowEdge> reverse;  // by arc index
};

TFlowNetwork BuildNetwork(const TGraphSnapshot& snapshot) {
    const std::size_t n = static_cast<std::size_t>(snapshot.NodeCount());
    std::vector<std::uint32_t> start(n + 1, 0);
    for (const TPlainEdge& e : snapshot.Edges())
        if (e.from != e.to) ++start[static_cast<std::size_t>(e.from)], ++start[static_cast<std::size_t>(e.to)];
    for (std::size_t v = 0; v < n; ++v) start[v + 1] += start[v];
    const std::size_t arcs = start[n];
    std::vector<std::pair<std::uint32_t, std::uint32_t>> ends(arcs);
    std::vector<TFlowArc> properties(arcs);
    std::vector<std::uint32_t> twin(arcs);  // the place of each arc's reverse
    for (std::size_t k = 0; k < snapshot.Edges().size(); ++k) {
        const TPlainEdge& e = snapshot.Edges()[k];
        if (e.from == e.to) continue;
        const auto u = static_cast<std::uint32_t>(e.from - 1), v = static_cast<std::uint32_t>(e.to - 1);
        const std::uint32_t a = start[u]++, b = start[v]++;
        ends[a] = {u, v}, ends[b] = {v, u};
        properties[a] = {e.weight, static_cast<int>(k)}, properties[b] = {0.0, -1};
        twin[a] = b, twin[b] = a;
    }
    TFlowNetwork network{TFlowGraph(boost::edges_are_sorted, ends.begin(), ends.end(),
                                    properties.begin(), static_cast<std::uint32_t>(n)),
                         std::vector<TFlowEdge>(arcs)};
    for (std::size_t a = 0; a < arcs; ++a) network.reverse[a] = TFlowEdge(ends[twin[a]].first, twin[a]);
    return network;
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
    const TFlowNetwork network = BuildNetwork(snapshot);
    const TFlowGraph& graph = network.graph;
    const std::size_t n = boost::num_vertices(graph);
    const auto index = boost::get(boost::edge_index, graph);
    TWorkMeter meter(control);
    std::vector<double> residual(boost::num_edges(graph));
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
        boost::make_iterator_property_map(distance.begin(), byVertex), byVertex,
        VertexOf(source), VertexOf(sink));
    const std::vector<char> side = SourceSide(graph, VertexOf(source), residual);
    for (std::size_t v = 0; v < n; ++v)
        if (side[v]) flow.sourceSide.push_back(static_cast<int>(v) + 1);
    for (std::size_t k = 0; k < snapshot.Edges().size(); ++k) {
        const TPlainEdge& e = snapshot.Edges()[k];
        if (e.from != e.to && side[static_cast<std::size_t>(e.from - 1)] && !side[static_cast<std::size_t>(e.to - 1)])
            flow.cutEdges.push_back(static_cast<int>(k));
    }
    return flow;
}
