#include "algorithms/Distances.h"

#include <algorithm>
#include <boost/graph/dijkstra_shortest_paths.hpp>
#include <limits>

#include "algorithms/SnapshotMaps.h"

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();

std::string CycleText(const std::vector<int>& cycle) {
    std::string text = "Negative cycle:";
    for (int position : cycle) text += " " + std::to_string(position);
    return text;
}

/// The state of one Dijkstra run, kept by vertex.
struct TTree {
    std::vector<double> distance;
    std::vector<int> previousEdge;  // place in Edges, -1
    std::vector<std::uint32_t> previousVertex;
    std::vector<TSnapshotVertex> order;  // the vertices in the order they were taken

    explicit TTree(std::size_t n)
        : distance(n, kInfinity), previousEdge(n, -1), previousVertex(n, kNone) {}
};

class TTreeVisitor : public boost::default_dijkstra_visitor {
public:
    TTreeVisitor(TTree& tree, TWorkMeter& meter) : tree_(&tree), meter_(&meter) {}
    void edge_relaxed(const TSnapshotArc& arc, const TSnapshotGraph& graph) {
        const TSnapshotVertex v = boost::target(arc, graph);
        tree_->previousEdge[v] = graph[arc].edge;
        tree_->previousVertex[v] = static_cast<std::uint32_t>(boost::source(arc, graph));
    }
    void examine_vertex(TSnapshotVertex u, const TSnapshotGraph&) {
        tree_->order.push_back(u);
        meter_->Step();
    }

private:
    TTree* tree_;
    TWorkMeter* meter_;
};

template <class WeightMap>
TTree Dijkstra(const TSnapshotGraph& graph, TSnapshotVertex source, WeightMap weight,
               TWorkMeter& meter) {
    TTree tree(boost::num_vertices(graph));
    boost::dijkstra_shortest_paths(graph, source,
                                   boost::distance_map(ByVertex(tree.distance))
                                       .weight_map(weight)
                                       .distance_inf(kInfinity)
                                       .visitor(TTreeVisitor(tree, meter)));
    return tree;
}

/// Bellman-Ford with a queue of the vertices whose distance fell. A negative cycle
/// shows as a ring in the predecessor links, which are searched for one after every
/// round of N relaxations: linear work for each such round.
class TQueuedBellmanFord {
public:
    TQueuedBellmanFord(const TSnapshotGraph& graph, TWorkMeter& meter)
        : graph_(graph),
          meter_(meter),
          tree_(boost::num_vertices(graph)),
          queued_(boost::num_vertices(graph), 0) {}

    /// From every source at distance 0. ENegativeCycle when one is reached.
    TTree Run(const std::vector<TSnapshotVertex>& sources) {
        for (TSnapshotVertex s : sources) tree_.distance[s] = 0, Queue(s);
        std::size_t head = 0;
        while (head < queue_.size()) {
            const TSnapshotVertex u = queue_[head++];
            queued_[u] = 0;
            for (const TSnapshotArc& arc : boost::make_iterator_range(boost::out_edges(u, graph_)))
                Relax(u, arc);
            if (head > queue_.size() / 2)
                queue_.erase(queue_.begin(), queue_.begin() + static_cast<long>(head)), head = 0;
        }
        return std::move(tree_);
    }

private:
    void Queue(TSnapshotVertex v) {
        if (queued_[v]) return;
        queued_[v] = 1;
        queue_.push_back(v);
    }

    void Relax(TSnapshotVertex u, const TSnapshotArc& arc) {
        const TSnapshotVertex v = boost::target(arc, graph_);
        const double sum = tree_.distance[u] + graph_[arc].weight;
        if (!(sum < tree_.distance[v])) return;
        tree_.distance[v] = sum;
        tree_.previousEdge[v] = graph_[arc].edge;
        tree_.previousVertex[v] = static_cast<std::uint32_t>(u);
        Queue(v);
        meter_.Step();
        if (++relaxed_ >= tree_.distance.size()) relaxed_ = 0, CheckForRing();
    }

    // Walks the predecessor links from every vertex; a walk that meets itself has found
    // a ring, which is a cycle of negative weight.
    void CheckForRing() const {
        std::vector<std::uint32_t> walk(tree_.distance.size(), kNone);  // the walk that passed
        for (std::uint32_t start = 0; start < walk.size(); ++start) {
            std::uint32_t v = start;
            while (v != kNone && walk[v] == kNone) walk[v] = start, v = tree_.previousVertex[v];
            if (v != kNone && walk[v] == start) throw ENegativeCycle(Ring(v));
        }
    }

    // The ring through v in edge order, from its smallest vertex, that one repeated.
    std::vector<int> Ring(std::uint32_t v) const {
        std::vector<int> ring;
        std::uint32_t u = v;
        do {
            ring.push_back(PositionOfVertex(u));
            u = tree_.previousVertex[u];
        } while (u != v);
        std::reverse(ring.begin(), ring.end());
        std::rotate(ring.begin(), std::min_element(ring.begin(), ring.end()), ring.end());
        ring.push_back(ring.front());
        return ring;
    }

    const TSnapshotGraph& graph_;
    TWorkMeter& meter_;
    TTree tree_;
    std::vector<char> queued_;
    std::vector<TSnapshotVertex> queue_;
    std::size_t relaxed_ = 0;
};

TDistances ToDistances(int from, TTree&& tree) {
    return {from, std::move(tree.distance), std::move(tree.previousEdge)};
}

/// The distances from source after a run on weights made non-negative by a potential:
/// the original weights summed along the tree, in the order the vertices were taken.
std::vector<double> OriginalSums(const TGraphSnapshot& snapshot, TSnapshotVertex source,
                                 const TTree& tree) {
    std::vector<double> sum(tree.distance.size(), kInfinity);
    sum[source] = 0;
    for (TSnapshotVertex v : tree.order) {
        if (v == source) continue;
        const TPlainEdge& edge = snapshot.Edge(tree.previousEdge[v]);
        sum[v] = sum[tree.previousVertex[v]] + edge.weight;
    }
    return sum;
}

std::vector<TSnapshotVertex> AllVertices(const TSnapshotGraph& graph) {
    std::vector<TSnapshotVertex> all(boost::num_vertices(graph));
    for (std::size_t v = 0; v < all.size(); ++v) all[v] = static_cast<TSnapshotVertex>(v);
    return all;
}

}  // namespace

ENegativeCycle::ENegativeCycle(std::vector<int> cycle)
    : Exception(CycleText(cycle)), cycle_(std::move(cycle)) {}

TDistances DistancesFrom(const TGraphSnapshot& snapshot, int from, const TRunControl& control) {
    snapshot.CheckPosition(from);
    const TSnapshotGraph& graph = snapshot.Graph();
    TWorkMeter meter(control, snapshot.NodeCount());
    if (snapshot.HasNegativeWeight(true))
        return ToDistances(from, TQueuedBellmanFord(graph, meter).Run({VertexOf(from)}));
    return ToDistances(from, Dijkstra(graph, VertexOf(from), WeightMap(graph), meter));
}

std::vector<std::vector<double>> AllDistances(const TGraphSnapshot& snapshot,
                                              const TRunControl& control) {
    const TSnapshotGraph& graph = snapshot.Graph();
    const std::size_t n = boost::num_vertices(graph);
    TWorkMeter meter(control, static_cast<std::int64_t>(n * n));
    std::vector<std::vector<double>> rows(n);
    if (!snapshot.HasNegativeWeight(true)) {
        for (std::size_t s = 0; s < n; ++s)
            rows[s] =
                Dijkstra(graph, static_cast<TSnapshotVertex>(s), WeightMap(graph), meter).distance;
        return rows;
    }
    // Johnson: a potential from every vertex at once makes every weight non-negative.
    const std::vector<double> potential =
        TQueuedBellmanFord(graph, meter).Run(AllVertices(graph)).distance;
    const auto reduced = boost::make_function_property_map<TSnapshotArc, double>(
        [&graph, &potential](const TSnapshotArc& arc) {
            const double w = graph[arc].weight + potential[boost::source(arc, graph)] -
                             potential[boost::target(arc, graph)];
            return std::max(0.0, w);  // rounding may leave a hair below 0
        });
    for (std::size_t s = 0; s < n; ++s) {
        const auto source = static_cast<TSnapshotVertex>(s);
        rows[s] = OriginalSums(snapshot, source, Dijkstra(graph, source, reduced, meter));
    }
    return rows;
}
