// The measurement that chose the graph library behind algorithms/: the Boost Graph Library
// and igraph 0.10, each on its own fastest graph type, on the workloads of the analysis
// commands, on a random graph of 1,000,000 nodes and 5,000,000 edges (weights uniform in
// [1, 100)): building the graph from an edge list, Dijkstra from one node to all (and to
// one target, the inner step of the k cheapest paths), strong components, maximum flow
// and igraph's own k cheapest paths.
#include <benchmark/benchmark.h>
#include <igraph/igraph.h>

#include <boost/graph/boykov_kolmogorov_max_flow.hpp>
#include <boost/graph/compressed_sparse_row_graph.hpp>
#include <boost/graph/dijkstra_shortest_paths.hpp>
#include <boost/graph/push_relabel_max_flow.hpp>
#include <boost/graph/strong_components.hpp>
#include <boost/property_map/property_map.hpp>
#include <random>
#include <stdexcept>
#include <vector>

namespace {

constexpr int kNodes = 1000000;
constexpr int kEdgesPerNode = 5;

struct TEdgeSet {
    std::vector<std::pair<int, int>> ends;
    std::vector<double> weights;
};

const TEdgeSet& Edges() {
    static const TEdgeSet edges = [] {
        std::mt19937_64 random(20240501u + kNodes);
        std::uniform_int_distribution<int> pick(0, kNodes - 1);
        std::uniform_real_distribution<double> weight(1.0, 100.0);
        TEdgeSet made;
        while (made.ends.size() < std::size_t{kEdgesPerNode} * kNodes) {
            const int from = pick(random), to = pick(random);
            if (from == to) continue;
            made.ends.emplace_back(from, to);
            made.weights.push_back(weight(random));
        }
        return made;
    }();
    return edges;
}

// ----------------------------------------------------------------------------
// Boost

struct TBoostEdge {
    double weight;
};
using TCsr = boost::compressed_sparse_row_graph<boost::directedS, boost::no_property, TBoostEdge>;
using TCsrEdge = boost::graph_traits<TCsr>::edge_descriptor;

std::vector<TBoostEdge> BoostWeights() {
    std::vector<TBoostEdge> weights;
    for (double w : Edges().weights) weights.push_back({w});
    return weights;
}

TCsr BuildCsr() {
    const std::vector<TBoostEdge> weights = BoostWeights();
    return TCsr(boost::edges_are_unsorted_multi_pass, Edges().ends.begin(), Edges().ends.end(),
                weights.begin(), kNodes);
}

const TCsr& Csr() {
    static const TCsr graph = BuildCsr();
    return graph;
}

/// A vector as a property map by vertex.
template <class T>
auto ByVertex(std::vector<T>& values) {
    return boost::make_iterator_property_map(values.begin(),
                                             boost::typed_identity_property_map<std::size_t>());
}

struct TReached {};
struct TStopAt : boost::default_dijkstra_visitor {
    std::size_t target;
    template <class G>
    void examine_vertex(std::size_t u, const G&) {
        if (u == target) throw TReached();
    }
};

void BoostDijkstra(benchmark::State& state, bool toOne) {
    const TCsr& g = Csr();
    std::vector<double> distance(kNodes);
    std::vector<std::size_t> previous(kNodes);
    for (auto _ : state) {
        try {
            boost::dijkstra_shortest_paths(
                g, 0,
                boost::distance_map(ByVertex(distance))
                    .predecessor_map(ByVertex(previous))
                    .weight_map(boost::get(&TBoostEdge::weight, g))
                    .visitor(TStopAt{{}, toOne ? std::size_t{kNodes - 1} : kNodes}));
        } catch (const TReached&) {
        }
        benchmark::DoNotOptimize(distance.data());
    }
    state.counters["distance"] = distance[kNodes - 1];
}

void BM_BoostBuild(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(BuildCsr());
}
void BM_BoostDijkstraAll(benchmark::State& state) { BoostDijkstra(state, false); }
void BM_BoostDijkstraOne(benchmark::State& state) { BoostDijkstra(state, true); }

void BM_BoostStrongComponents(benchmark::State& state) {
    std::vector<int> component(kNodes);
    int count = 0;
    for (auto _ : state)
        count = static_cast<int>(boost::strong_components(Csr(), ByVertex(component)));
    state.counters["components"] = count;
}

/// The residual network: each edge with a reverse of capacity 0, sorted by source so that
/// an edge's place in the sorted list is its index in the graph.
struct TFlowNetwork {
    TCsr graph;
    std::vector<double> capacity;
    std::vector<TCsrEdge> reverse;

    static TFlowNetwork Build() {
        const std::size_t m = Edges().ends.size();
        std::vector<std::size_t> count(kNodes + 1);
        for (const auto& [u, v] : Edges().ends) ++count[u + 1], ++count[v + 1];
        for (int i = 0; i < kNodes; ++i) count[i + 1] += count[i];
        std::vector<std::pair<int, int>> ends(2 * m);
        std::vector<TBoostEdge> weights(2 * m);
        std::vector<std::size_t> placeOf(2 * m);
        for (std::size_t k = 0; k < m; ++k) {
            const auto [u, v] = Edges().ends[k];
            placeOf[2 * k] = count[u]++;
            placeOf[2 * k + 1] = count[v]++;
            ends[placeOf[2 * k]] = {u, v};
            ends[placeOf[2 * k + 1]] = {v, u};
            weights[placeOf[2 * k]] = {Edges().weights[k]};
            weights[placeOf[2 * k + 1]] = {0.0};
        }
        TFlowNetwork network{
            TCsr(boost::edges_are_sorted, ends.begin(), ends.end(), weights.begin(), kNodes),
            {},
            {}};
        network.capacity.resize(2 * m);
        network.reverse.resize(2 * m);
        for (std::size_t k = 0; k < m; ++k) {
            const std::size_t a = placeOf[2 * k], b = placeOf[2 * k + 1];
            network.reverse[a] = TCsrEdge(static_cast<std::size_t>(ends[b].first), b);
            network.reverse[b] = TCsrEdge(static_cast<std::size_t>(ends[a].first), a);
            network.capacity[a] = weights[a].weight;
        }
        return network;
    }
};

const TFlowNetwork& Network() {
    static const TFlowNetwork network = TFlowNetwork::Build();
    return network;
}

void BM_BoostPushRelabel(benchmark::State& state) {
    const TFlowNetwork& n = Network();
    const auto index = boost::get(boost::edge_index, n.graph);
    std::vector<double> residual(n.capacity.size());
    double value = 0;
    for (auto _ : state)
        value = boost::push_relabel_max_flow(
            n.graph, 0, kNodes - 1, boost::make_iterator_property_map(n.capacity.begin(), index),
            boost::make_iterator_property_map(residual.begin(), index),
            boost::make_iterator_property_map(n.reverse.begin(), index),
            boost::get(boost::vertex_index, n.graph));
    state.counters["flow"] = value;
}

void BM_BoostKolmogorov(benchmark::State& state) {
    const TFlowNetwork& n = Network();
    const auto index = boost::get(boost::edge_index, n.graph);
    std::vector<double> residual(n.capacity.size());
    std::vector<TCsrEdge> predecessor(kNodes);
    std::vector<boost::default_color_type> color(kNodes);
    std::vector<std::size_t> distance(kNodes);
    double value = 0;
    for (auto _ : state)
        value = boost::boykov_kolmogorov_max_flow(
            n.graph, boost::make_iterator_property_map(n.capacity.begin(), index),
            boost::make_iterator_property_map(residual.begin(), index),
            boost::make_iterator_property_map(n.reverse.begin(), index), ByVertex(predecessor),
            ByVertex(color), ByVertex(distance), boost::get(boost::vertex_index, n.graph), 0,
            kNodes - 1);
    state.counters["flow"] = value;
}

// ----------------------------------------------------------------------------
// igraph

void Check(igraph_error_t status) {
    if (status != IGRAPH_SUCCESS) throw std::runtime_error(igraph_strerror(status));
}

struct TIgraph {
    igraph_t graph;
    igraph_vector_t weights;

    TIgraph() {
        igraph_set_error_handler(igraph_error_handler_ignore);
        igraph_vector_int_t ends;
        Check(
            igraph_vector_int_init(&ends, 2 * static_cast<igraph_integer_t>(Edges().ends.size())));
        for (std::size_t k = 0; k < Edges().ends.size(); ++k) {
            VECTOR(ends)[2 * k] = Edges().ends[k].first;
            VECTOR(ends)[2 * k + 1] = Edges().ends[k].second;
        }
        Check(igraph_create(&graph, &ends, kNodes, IGRAPH_DIRECTED));
        igraph_vector_int_destroy(&ends);
        Check(igraph_vector_init(&weights, static_cast<igraph_integer_t>(Edges().weights.size())));
        for (std::size_t k = 0; k < Edges().weights.size(); ++k)
            VECTOR(weights)[k] = Edges().weights[k];
    }
    ~TIgraph() {
        igraph_vector_destroy(&weights);
        igraph_destroy(&graph);
    }
};

TIgraph& Igraph() {
    static TIgraph graph;
    return graph;
}

void BM_IgraphBuild(benchmark::State& state) {
    for (auto _ : state) TIgraph built;
}

void BM_IgraphDijkstraAll(benchmark::State& state) {
    TIgraph& g = Igraph();
    igraph_matrix_t distance;
    Check(igraph_matrix_init(&distance, 0, 0));
    for (auto _ : state)
        Check(igraph_distances_dijkstra(&g.graph, &distance, igraph_vss_1(0), igraph_vss_all(),
                                        &g.weights, IGRAPH_OUT));
    state.counters["distance"] = MATRIX(distance, 0, kNodes - 1);
    igraph_matrix_destroy(&distance);
}

void BM_IgraphDijkstraOne(benchmark::State& state) {
    TIgraph& g = Igraph();
    igraph_vector_int_t vertices;
    Check(igraph_vector_int_init(&vertices, 0));
    for (auto _ : state)
        Check(igraph_get_shortest_path_dijkstra(&g.graph, &vertices, nullptr, 0, kNodes - 1,
                                                &g.weights, IGRAPH_OUT));
    state.counters["length"] = static_cast<double>(igraph_vector_int_size(&vertices));
    igraph_vector_int_destroy(&vertices);
}

void BM_IgraphStrongComponents(benchmark::State& state) {
    TIgraph& g = Igraph();
    igraph_vector_int_t membership;
    Check(igraph_vector_int_init(&membership, 0));
    igraph_integer_t count = 0;
    for (auto _ : state)
        Check(igraph_connected_components(&g.graph, &membership, nullptr, &count, IGRAPH_STRONG));
    state.counters["components"] = static_cast<double>(count);
    igraph_vector_int_destroy(&membership);
}

void BM_IgraphMaxFlow(benchmark::State& state) {
    TIgraph& g = Igraph();
    double value = 0;
    for (auto _ : state)
        Check(igraph_maxflow_value(&g.graph, &value, 0, kNodes - 1, &g.weights, nullptr));
    state.counters["flow"] = value;
}

void BM_IgraphKShortest10(benchmark::State& state) {
    TIgraph& g = Igraph();
    igraph_vector_int_list_t paths;
    Check(igraph_vector_int_list_init(&paths, 0));
    for (auto _ : state)
        Check(igraph_get_k_shortest_paths(&g.graph, &g.weights, &paths, nullptr, 10, 0, kNodes - 1,
                                          IGRAPH_OUT));
    state.counters["paths"] = static_cast<double>(igraph_vector_int_list_size(&paths));
    igraph_vector_int_list_destroy(&paths);
}

}  // namespace

BENCHMARK(BM_BoostBuild)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IgraphBuild)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BoostDijkstraAll)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IgraphDijkstraAll)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BoostDijkstraOne)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IgraphDijkstraOne)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BoostStrongComponents)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IgraphStrongComponents)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BoostPushRelabel)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BoostKolmogorov)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IgraphMaxFlow)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IgraphKShortest10)->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK_MAIN();
