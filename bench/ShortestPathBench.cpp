// TMathGraph::ShortestPath on random graphs of N nodes and 5N edges, weights uniform in
// [1, 100), from the first node to the last, with plain nodes and with the editor's own
// TGraphPoints: against the plain scan it replaced and against the Boost Graph Library's
// Dijkstra stopped at the target, on the same edges.
#include <benchmark/benchmark.h>

#include <boost/graph/adjacency_list.hpp>
#include <boost/graph/compressed_sparse_row_graph.hpp>
#include <boost/graph/dijkstra_shortest_paths.hpp>
#include <map>
#include <memory>
#include <random>
#include <vector>

#include "editor/GraphPoint.h"
#include "graph/ObjGraph.h"
#include "tests/graph/ReferenceShortestPath.h"

namespace {

constexpr int kEdgesPerNode = 5;

struct TRandomEdges {
    int nodeCount = 0;
    std::vector<std::pair<int, int>> ends;
    std::vector<double> weights;  // already narrowed to Real48, so that both sides agree
};

TRandomEdges MakeRandomEdges(int nodeCount) {
    std::mt19937_64 random(20240501u + static_cast<unsigned>(nodeCount));
    std::uniform_int_distribution<int> pick(0, nodeCount - 1);
    std::uniform_real_distribution<double> weight(1.0, 100.0);
    TRandomEdges edges;
    edges.nodeCount = nodeCount;
    while (edges.ends.size() < static_cast<std::size_t>(kEdgesPerNode) * nodeCount) {
        const int from = pick(random), to = pick(random);
        if (from == to) continue;  // the editor makes no loops
        edges.ends.emplace_back(from, to);
        edges.weights.push_back(
            static_cast<double>(Real48::FromExtended(weight(random)).ToExtended()));
    }
    return edges;
}

/// The kind of node a graph is made of: the library's plain node, or the editor's.
enum class TNodeKind { kPlain, kPoint };

TGraphNode* MakeNode(TNodeKind kind, int i) {
    if (kind == TNodeKind::kPoint) return new TGraphPoint(i % 1000, i / 1000, std::to_string(i));
    return new TGraphNode(std::make_unique<TStringObj>(std::to_string(i)));
}

struct TOurGraph {
    TMathGraph graph;
    std::vector<TGraphNode*> nodes;

    TOurGraph(const TRandomEdges& edges, TNodeKind kind) {
        for (int i = 0; i < edges.nodeCount; ++i) {
            nodes.push_back(MakeNode(kind, i));
            graph.Nodes->Append(nodes.back());
        }
        for (std::size_t i = 0; i < edges.ends.size(); ++i) {
            auto* edge = new TGraphEdge(nodes[static_cast<std::size_t>(edges.ends[i].first)],
                                        nodes[static_cast<std::size_t>(edges.ends[i].second)]);
            edge->Weight = Real48::FromExtended(edges.weights[i]);
            graph.Edges->Add(edge);
        }
    }
};

using TWeight = boost::property<boost::edge_weight_t, double>;
using TBoostList =
    boost::adjacency_list<boost::vecS, boost::vecS, boost::directedS, boost::no_property, TWeight>;
using TBoostCsr = boost::compressed_sparse_row_graph<boost::directedS, boost::no_property, TWeight>;

struct TTargetReached {};

/// Single-pair Dijkstra: once the target is taken out of the heap its distance is final.
class TStopAtTarget : public boost::default_dijkstra_visitor {
public:
    explicit TStopAtTarget(std::size_t target) : target_(target) {}
    template <class Vertex, class Graph>
    void examine_vertex(Vertex u, const Graph&) {
        if (u == target_) throw TTargetReached();
    }

private:
    std::size_t target_;
};

/// Each size is built once and kept for every benchmark of the run.
struct TFixture {
    TRandomEdges edges;
    std::unique_ptr<TOurGraph> ours[2];  // by TNodeKind
    std::unique_ptr<TBoostList> list;
    std::unique_ptr<TBoostCsr> csr;

    static TFixture& For(int nodeCount) {
        static std::map<int, TFixture> built;
        TFixture& fixture = built[nodeCount];
        if (fixture.edges.nodeCount == 0) fixture.edges = MakeRandomEdges(nodeCount);
        return fixture;
    }
    TOurGraph& Ours(TNodeKind kind = TNodeKind::kPlain) {
        std::unique_ptr<TOurGraph>& graph = ours[static_cast<int>(kind)];
        if (graph) return *graph;
        graph = std::make_unique<TOurGraph>(edges, kind);
        // The first search on a graph also pays for fresh working memory and finds no
        // remembered positions; the timed ones show the steady state.
        graph->graph.ShortestPath(graph->nodes.front(), graph->nodes.back());
        return *graph;
    }
    TBoostList& List() {
        if (!list)
            list = std::make_unique<TBoostList>(edges.ends.begin(), edges.ends.end(),
                                                edges.weights.begin(), edges.nodeCount);
        return *list;
    }
    TBoostCsr& Csr() {
        if (!csr)
            csr = std::make_unique<TBoostCsr>(boost::edges_are_unsorted_multi_pass,
                                              edges.ends.begin(), edges.ends.end(),
                                              edges.weights.begin(), edges.nodeCount);
        return *csr;
    }
};

void RunOurs(benchmark::State& state, TNodeKind kind) {
    TOurGraph& g = TFixture::For(static_cast<int>(state.range(0))).Ours(kind);
    for (auto _ : state)
        benchmark::DoNotOptimize(g.graph.ShortestPath(g.nodes.front(), g.nodes.back()));
    state.counters["distance"] = static_cast<double>(g.nodes.back()->Distance.ToExtended());
}

void BM_ShortestPath(benchmark::State& state) { RunOurs(state, TNodeKind::kPlain); }

// The graphs the editor and the tool load: every node a TGraphPoint.
void BM_ShortestPathOfPoints(benchmark::State& state) { RunOurs(state, TNodeKind::kPoint); }

// A node put in at the second place and taken out again between searches: every node
// after it changes place, as after an edit in the editor, so the search meets the edges'
// remembered positions all stale.
void BM_ShortestPathAfterShift(benchmark::State& state) {
    TOurGraph& g = TFixture::For(static_cast<int>(state.range(0))).Ours();
    TGraphNode* extra = nullptr;
    for (auto _ : state) {
        state.PauseTiming();
        if (extra == nullptr) {
            extra = new TGraphNode(std::make_unique<TStringObj>("extra"));
            g.graph.Nodes->GoToIndex(1);
            g.graph.Nodes->Add(extra);
        } else {
            g.graph.Nodes->DeleteOccurrence(extra, 1);
            extra = nullptr;
        }
        state.ResumeTiming();
        benchmark::DoNotOptimize(g.graph.ShortestPath(g.nodes.front(), g.nodes.back()));
    }
    if (extra != nullptr) g.graph.Nodes->DeleteOccurrence(extra, 1);
}

void BM_PlainScan(benchmark::State& state) {
    TOurGraph& g = TFixture::For(static_cast<int>(state.range(0))).Ours();
    for (auto _ : state)
        benchmark::DoNotOptimize(reference::ShortestPath(g.graph, g.nodes.front(), g.nodes.back()));
    state.counters["distance"] = static_cast<double>(g.nodes.back()->Distance.ToExtended());
}

template <class Graph>
void RunBoost(benchmark::State& state, const Graph& graph, std::size_t nodeCount) {
    std::vector<double> distance(nodeCount);
    std::vector<std::size_t> previous(nodeCount);
    for (auto _ : state) {
        try {
            boost::dijkstra_shortest_paths(
                graph, 0,
                boost::distance_map(boost::make_iterator_property_map(
                                        distance.begin(), boost::get(boost::vertex_index, graph)))
                    .predecessor_map(boost::make_iterator_property_map(
                        previous.begin(), boost::get(boost::vertex_index, graph)))
                    .visitor(TStopAtTarget(nodeCount - 1)));
        } catch (const TTargetReached&) {
        }
        benchmark::DoNotOptimize(distance.data());
    }
    state.counters["distance"] = distance.back();
}

void BM_BoostAdjacencyList(benchmark::State& state) {
    TFixture& fixture = TFixture::For(static_cast<int>(state.range(0)));
    RunBoost(state, fixture.List(), static_cast<std::size_t>(fixture.edges.nodeCount));
}

void BM_BoostCsr(benchmark::State& state) {
    TFixture& fixture = TFixture::For(static_cast<int>(state.range(0)));
    RunBoost(state, fixture.Csr(), static_cast<std::size_t>(fixture.edges.nodeCount));
}

}  // namespace

BENCHMARK(BM_ShortestPath)
    ->RangeMultiplier(10)
    ->Range(1000, 1000000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShortestPathOfPoints)
    ->RangeMultiplier(10)
    ->Range(1000, 1000000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShortestPathAfterShift)
    ->RangeMultiplier(10)
    ->Range(1000, 1000000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BoostAdjacencyList)
    ->RangeMultiplier(10)
    ->Range(1000, 1000000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BoostCsr)->RangeMultiplier(10)->Range(1000, 1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainScan)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
