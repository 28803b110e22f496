// The analysis commands' library path, from a TMathGraph of TGraphPoints to the result
// (the snapshot included), against the Boost Graph Library called directly on its own
// graph types built beforehand, on seeded random graphs of N nodes and 5N edges with
// weights uniform in [1, 100): the 10 cheapest paths and the distances from the first
// node, the strong components, and the maximum flow from the first node to the last.
#include <benchmark/benchmark.h>

#include <boost/graph/boykov_kolmogorov_max_flow.hpp>
#include <boost/graph/compressed_sparse_row_graph.hpp>
#include <boost/graph/dijkstra_shortest_paths.hpp>
#include <boost/graph/strong_components.hpp>
#include <boost/property_map/function_property_map.hpp>
#include <boost/range/iterator_range.hpp>
#include <limits>
#include <map>
#include <memory>
#include <random>
#include <set>

#include "algorithms/CheapestPaths.h"
#include "algorithms/Components.h"
#include "algorithms/Distances.h"
#include "algorithms/MaximumFlow.h"
#include "editor/GraphPoint.h"

namespace {

constexpr int kEdgesPerNode = 5;
constexpr int kPaths = 10;
constexpr double kInfinity = std::numeric_limits<double>::infinity();

struct TRandomEdges {
    int nodeCount = 0;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> ends;  // from 0
    std::vector<double> weights;  // already narrowed to Real48, so that both sides agree
};

TRandomEdges MakeRandomEdges(int nodeCount) {
    std::mt19937_64 random(20240601u + static_cast<unsigned>(nodeCount));
    std::uniform_int_distribution<std::uint32_t> pick(0, static_cast<std::uint32_t>(nodeCount - 1));
    std::uniform_real_distribution<double> weight(1.0, 100.0);
    TRandomEdges edges;
    edges.nodeCount = nodeCount;
    while (edges.ends.size() < static_cast<std::size_t>(kEdgesPerNode) * nodeCount) {
        const std::uint32_t from = pick(random), to = pick(random);
        if (from == to) continue;  // the editor makes no loops
        edges.ends.emplace_back(from, to);
        edges.weights.push_back(Real48::FromExtended(weight(random)).ToDouble());
    }
    return edges;
}

/// The editor's graph: TGraphPoints on a grid, edges in the order drawn.
std::unique_ptr<TMathGraph> MakeGraph(const TRandomEdges& edges) {
    auto graph = std::make_unique<TMathGraph>();
    std::vector<TGraphNode*> nodes;
    for (int i = 0; i < edges.nodeCount; ++i) {
        nodes.push_back(new TGraphPoint(i % 1000, i / 1000, std::to_string(i)));
        graph->Nodes->Append(nodes.back());
    }
    for (std::size_t k = 0; k < edges.ends.size(); ++k) {
        auto* edge = new TGraphEdge(nodes[edges.ends[k].first], nodes[edges.ends[k].second]);
        edge->Weight = Real48::FromExtended(edges.weights[k]);
        graph->Edges->Add(edge);
    }
    return graph;
}

// ----------------------------------------------------------------------------
// Boost on its own graphs

struct TWeight {
    double weight;
};
using TCsr = boost::compressed_sparse_row_graph<boost::directedS, boost::no_property, TWeight>;
using TCsrEdge = boost::graph_traits<TCsr>::edge_descriptor;

template <class T>
auto ByVertex(std::vector<T>& values) {
    return boost::make_iterator_property_map(values.begin(),
                                             boost::typed_identity_property_map<std::size_t>());
}

TCsr MakeCsr(const TRandomEdges& edges) {
    std::vector<TWeight> weights;
    for (double w : edges.weights) weights.push_back({w});
    return TCsr(boost::edges_are_unsorted_multi_pass, edges.ends.begin(), edges.ends.end(),
                weights.begin(), static_cast<std::size_t>(edges.nodeCount));
}

/// Each edge with a reverse of capacity 0, sorted by source.
struct TNetwork {
    TCsr graph;
    std::vector<TCsrEdge> reverse;
};

TNetwork MakeNetwork(const TRandomEdges& edges) {
    const auto n = static_cast<std::size_t>(edges.nodeCount);
    std::vector<std::size_t> start(n + 1);
    for (const auto& [u, v] : edges.ends) ++start[u + 1], ++start[v + 1];
    for (std::size_t i = 0; i < n; ++i) start[i + 1] += start[i];
    const std::size_t arcs = start[n];
    std::vector<std::pair<std::size_t, std::size_t>> ends(arcs);
    std::vector<TWeight> capacity(arcs);
    std::vector<std::size_t> twin(arcs);
    for (std::size_t k = 0; k < edges.ends.size(); ++k) {
        const auto [u, v] = edges.ends[k];
        const std::size_t a = start[u]++, b = start[v]++;
        ends[a] = {u, v}, ends[b] = {v, u};
        capacity[a] = {edges.weights[k]}, capacity[b] = {0.0};
        twin[a] = b, twin[b] = a;
    }
    TNetwork network{TCsr(boost::edges_are_sorted, ends.begin(), ends.end(), capacity.begin(), n),
                     std::vector<TCsrEdge>(arcs)};
    for (std::size_t a = 0; a < arcs; ++a)
        network.reverse[a] = TCsrEdge(ends[twin[a]].first, twin[a]);
    return network;
}

struct TReached {};

/// A textbook Yen on Boost's Dijkstra: each spur search starts afresh and stops when the
/// target is taken; the way is read from the predecessor map.
class TBoostYen {
public:
    TBoostYen(const TCsr& graph, std::size_t target)
        : graph_(graph),
          target_(target),
          distance_(boost::num_vertices(graph)),
          previous_(boost::num_vertices(graph)),
          banned_(boost::num_vertices(graph)) {}

    std::vector<std::pair<double, std::vector<std::size_t>>> Run(std::size_t source, int count) {
        std::vector<std::pair<double, std::vector<std::size_t>>> found;
        std::vector<std::size_t> first{source};
        double cost = 0;
        if (!Spur(source, 0, first, cost)) return found;
        found.emplace_back(cost, first);
        std::set<std::pair<double, std::vector<std::size_t>>> candidates;
        while (static_cast<int>(found.size()) < count) {
            const std::vector<std::size_t> last = found.back().second;
            for (std::size_t i = 0; i + 1 < last.size(); ++i) {
                std::vector<std::size_t> route(last.begin(),
                                               last.begin() + static_cast<long>(i) + 1);
                for (std::size_t j = 0; j < i; ++j) banned_[last[j]] = 1;
                bannedNext_.clear();
                for (const auto& [c, p] : found)
                    if (p.size() > i + 1 && std::equal(route.begin(), route.end(), p.begin()))
                        bannedNext_.insert(p[i + 1]);
                double total = 0;
                if (Spur(last[i], RootCost(route), route, total)) candidates.emplace(total, route);
                for (std::size_t j = 0; j < i; ++j) banned_[last[j]] = 0;
            }
            if (candidates.empty()) break;
            found.push_back(*candidates.begin());
            candidates.erase(candidates.begin());
        }
        return found;
    }

private:
    double Weight(const TCsrEdge& e) const {
        const std::size_t u = boost::source(e, graph_), v = boost::target(e, graph_);
        if (banned_[v] || (u == spur_ && bannedNext_.count(v))) return kInfinity;
        return graph_[e].weight;
    }

    double Cheapest(std::size_t u, std::size_t v) const {
        double best = kInfinity;
        for (const TCsrEdge& e : boost::make_iterator_range(boost::out_edges(u, graph_)))
            if (boost::target(e, graph_) == v) best = std::min(best, graph_[e].weight);
        return best;
    }

    double RootCost(const std::vector<std::size_t>& root) const {
        double cost = 0;
        for (std::size_t i = 0; i + 1 < root.size(); ++i) cost += Cheapest(root[i], root[i + 1]);
        return cost;
    }

    struct TStop : boost::default_dijkstra_visitor {
        std::size_t target;
        void examine_vertex(std::size_t u, const TCsr&) {
            if (u == target) throw TReached();
        }
    };

    bool Spur(std::size_t spur, double cost, std::vector<std::size_t>& route, double& total) {
        spur_ = spur;
        const auto weight = boost::make_function_property_map<TCsrEdge, double>(
            [this](const TCsrEdge& e) { return Weight(e); });
        try {
            boost::dijkstra_shortest_paths(graph_, spur,
                                           boost::distance_map(ByVertex(distance_))
                                               .predecessor_map(ByVertex(previous_))
                                               .weight_map(weight)
                                               .distance_inf(kInfinity)
                                               .visitor(TStop{{}, target_}));
        } catch (const TReached&) {
        }
        if (distance_[target_] == kInfinity) return false;
        std::vector<std::size_t> way;
        for (std::size_t v = target_; v != spur; v = previous_[v]) way.push_back(v);
        route.insert(route.end(), way.rbegin(), way.rend());
        total = cost + distance_[target_];
        return true;
    }

    const TCsr& graph_;
    std::size_t target_;
    std::size_t spur_ = 0;
    std::vector<double> distance_;
    std::vector<std::size_t> previous_;
    std::vector<char> banned_;
    std::set<std::size_t> bannedNext_;
};

// ----------------------------------------------------------------------------
// Fixtures: each size built once and kept for every benchmark of the run.

struct TFixture {
    TRandomEdges edges;
    std::unique_ptr<TMathGraph> graph;
    std::unique_ptr<TCsr> csr;
    std::unique_ptr<TNetwork> network;

    static TFixture& For(int nodeCount) {
        static std::map<int, TFixture> built;
        TFixture& fixture = built[nodeCount];
        if (fixture.edges.nodeCount == 0) fixture.edges = MakeRandomEdges(nodeCount);
        return fixture;
    }
    TMathGraph& Graph() {
        if (!graph) graph = MakeGraph(edges);
        return *graph;
    }
    const TCsr& Csr() {
        if (!csr) csr = std::make_unique<TCsr>(MakeCsr(edges));
        return *csr;
    }
    const TNetwork& Network() {
        if (!network) network = std::make_unique<TNetwork>(MakeNetwork(edges));
        return *network;
    }
    int Size() const { return edges.nodeCount; }
};

TFixture& FixtureOf(const benchmark::State& state) {
    return TFixture::For(static_cast<int>(state.range(0)));
}

// The graph as the editor's second analysis finds it: unchanged since the last snapshot,
// whose edge ends it still holds. The first snapshot after a change is BM_SnapshotAfterChange.
TMathGraph& Unchanged(TFixture& f) {
    benchmark::DoNotOptimize(TGraphSnapshot(f.Graph()).EdgeCount());
    return f.Graph();
}

void BM_Snapshot(benchmark::State& state) {
    TMathGraph& graph = Unchanged(FixtureOf(state));
    for (auto _ : state) benchmark::DoNotOptimize(TGraphSnapshot(graph).EdgeCount());
}

// As stmtool's one command, or the first analysis after an edit: every end looked up.
void BM_SnapshotAfterChange(benchmark::State& state) {
    TMathGraph& graph = FixtureOf(state).Graph();
    for (auto _ : state) {
        NoteStructureChange();
        benchmark::DoNotOptimize(TGraphSnapshot(graph).EdgeCount());
    }
}

void BM_PathsK10(benchmark::State& state) {
    TFixture& f = FixtureOf(state);
    TMathGraph& graph = Unchanged(f);
    double last = 0;
    for (auto _ : state)
        last = CheapestPaths(TGraphSnapshot(graph), 1, f.Size(), kPaths).back().cost;
    state.counters["last_cost"] = last;
}

void BM_BoostYenK10(benchmark::State& state) {
    TFixture& f = FixtureOf(state);
    TBoostYen yen(f.Csr(), static_cast<std::size_t>(f.Size() - 1));
    double last = 0;
    for (auto _ : state) last = yen.Run(0, kPaths).back().first;
    state.counters["last_cost"] = last;
}

void BM_DistancesFrom(benchmark::State& state) {
    TFixture& f = FixtureOf(state);
    TMathGraph& graph = Unchanged(f);
    double d = 0;
    for (auto _ : state) d = DistancesFrom(TGraphSnapshot(graph), 1).distance.back();
    state.counters["distance"] = d;
}

void BM_BoostDijkstra(benchmark::State& state) {
    TFixture& f = FixtureOf(state);
    const TCsr& g = f.Csr();
    std::vector<double> distance(boost::num_vertices(g));
    std::vector<std::size_t> previous(boost::num_vertices(g));
    for (auto _ : state)
        boost::dijkstra_shortest_paths(g, 0,
                                       boost::distance_map(ByVertex(distance))
                                           .predecessor_map(ByVertex(previous))
                                           .weight_map(boost::get(&TWeight::weight, g)));
    state.counters["distance"] = distance.back();
}

void BM_StrongComponents(benchmark::State& state) {
    TFixture& f = FixtureOf(state);
    TMathGraph& graph = Unchanged(f);
    std::size_t count = 0;
    for (auto _ : state) count = StrongComponents(TGraphSnapshot(graph)).size();
    state.counters["components"] = static_cast<double>(count);
}

void BM_BoostStrongComponents(benchmark::State& state) {
    TFixture& f = FixtureOf(state);
    std::vector<std::size_t> component(boost::num_vertices(f.Csr()));
    std::size_t count = 0;
    for (auto _ : state) count = boost::strong_components(f.Csr(), ByVertex(component));
    state.counters["components"] = static_cast<double>(count);
}

void BM_Flow(benchmark::State& state) {
    TFixture& f = FixtureOf(state);
    TMathGraph& graph = Unchanged(f);
    double value = 0;
    for (auto _ : state) value = MaximumFlow(TGraphSnapshot(graph), 1, f.Size()).value;
    state.counters["flow"] = value;
}

void BM_BoostKolmogorov(benchmark::State& state) {
    TFixture& f = FixtureOf(state);
    const TNetwork& network = f.Network();
    const TCsr& g = network.graph;
    const auto index = boost::get(boost::edge_index, g);
    const std::size_t n = boost::num_vertices(g);
    std::vector<double> capacity(boost::num_edges(g)), residual(boost::num_edges(g));
    for (const TCsrEdge& e : boost::make_iterator_range(boost::edges(g)))
        capacity[e.idx] = g[e].weight;
    std::vector<TCsrEdge> predecessor(n);
    std::vector<boost::default_color_type> color(n);
    std::vector<std::size_t> distance(n);
    double value = 0;
    for (auto _ : state)
        value = boost::boykov_kolmogorov_max_flow(
            g, boost::make_iterator_property_map(capacity.begin(), index),
            boost::make_iterator_property_map(residual.begin(), index),
            boost::make_iterator_property_map(network.reverse.begin(), index),
            ByVertex(predecessor), ByVertex(color), ByVertex(distance),
            boost::get(boost::vertex_index, g), 0, n - 1);
    state.counters["flow"] = value;
}

}  // namespace

// Each pair at the product's size, and at NetworkX's (scripts/bench runs networkx_bench.py
// on graphs of that shape).
#define PAIR(ours, theirs, iterations)  \
    BENCHMARK(ours)                     \
        ->Arg(100000)                   \
        ->Arg(1000000)                  \
        ->Unit(benchmark::kMillisecond) \
        ->Iterations(iterations);       \
    BENCHMARK(theirs)                   \
        ->Arg(100000)                   \
        ->Arg(1000000)                  \
        ->Unit(benchmark::kMillisecond) \
        ->Iterations(iterations);
BENCHMARK(BM_Snapshot)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SnapshotAfterChange)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
PAIR(BM_PathsK10, BM_BoostYenK10, 1)
PAIR(BM_DistancesFrom, BM_BoostDijkstra, 3)
PAIR(BM_StrongComponents, BM_BoostStrongComponents, 3)
PAIR(BM_Flow, BM_BoostKolmogorov, 3)

BENCHMARK_MAIN();
