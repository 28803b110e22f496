#include "algorithms/CheapestPaths.h"

#include <boost/graph/dijkstra_shortest_paths.hpp>
#include <cassert>
#include <limits>
#include <set>

#include "algorithms/SnapshotMaps.h"

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

/// A path as the search keeps it: by vertex, with the running cost at each node.
struct TRoute {
    double cost = 0;
    std::vector<TSnapshotVertex> nodes;
    std::vector<int> edges;
    std::vector<double> costs;  // costs[i]: the running cost at nodes[i]

    bool operator<(const TRoute& other) const {
        if (cost != other.cost) return cost < other.cost;
        return nodes < other.nodes;  // vertex order is position order
    }
};

struct TSettled {};  // every vertex as near as the target has been taken

/// A tight edge: one that lies on a cheapest way, between vertices that the search took.
struct TTightArc {
    int from;  // indices into the taken vertices
    int to;
    TSnapshotArc arc;
};

/// The searches from one spur node after another towards one target, in Yen's algorithm.
/// Its arrays by vertex are made once and put back only where a search wrote.
class TSpurSearch {
public:
    TSpurSearch(const TSnapshotGraph& graph, TSnapshotVertex target, TWorkMeter& meter)
        : graph_(graph),
          target_(target),
          meter_(meter),
          distance_(boost::num_vertices(graph), kInfinity),
          color_(boost::num_vertices(graph), boost::white_color),
          local_(boost::num_vertices(graph), -1),
          banned_(boost::num_vertices(graph), 0),
          bannedNext_(boost::num_vertices(graph), 0) {}

    /// Bans stay until Unban: the root's vertices and, from the spur, the next vertices
    /// of the paths already found with the same root.
    void Ban(TSnapshotVertex v) { Mark(banned_, v); }
    void BanNext(TSnapshotVertex v) { Mark(bannedNext_, v); }
    void Unban() {
        for (TSnapshotVertex v : bans_) banned_[v] = bannedNext_[v] = 0;
        bans_.clear();
    }

    /// The cheapest way on from spur, reached at cost, to the target; of equal ones the
    /// one whose vertices come first. Appended to route (which ends at spur); false when
    /// there is none.
    bool Extend(TSnapshotVertex spur, double cost, TRoute& route) {
        spur_ = spur;
        Search(cost);
        const bool reached = reached_;
        if (reached) Walk(route);
        Reset();
        return reached;
    }

private:
    using TMark = std::vector<char>;

    void Mark(TMark& marks, TSnapshotVertex v) {
        marks[v] = 1;
        bans_.push_back(v);
    }

    // Loops are never part of a loopless path, whatever they weigh.
    double Weight(const TSnapshotArc& arc) const {
        const TSnapshotVertex u = boost::source(arc, graph_), v = boost::target(arc, graph_);
        if (u == v || banned_[v] || (bannedNext_[v] && u == spur_)) return kInfinity;
        return graph_[arc].weight;
    }

    class TVisitor : public boost::default_dijkstra_visitor {
    public:
        explicit TVisitor(TSpurSearch& search) : search_(&search) {}
        void discover_vertex(TSnapshotVertex v, const TSnapshotGraph&) {
            search_->touched_.push_back(v);
        }
        void examine_vertex(TSnapshotVertex u, const TSnapshotGraph&) { search_->Take(u); }

    private:
        TSpurSearch* search_;
    };

    // Goes on past the target through every vertex at its distance: one of them may lie
    // on a way of the same cost whose vertices come first.
    void Take(TSnapshotVertex u) {
        const double d = distance_[u];
        if (d == kInfinity || (reached_ && d > targetDistance_)) throw TSettled();
        if (u == target_) reached_ = true, targetDistance_ = d;
        local_[u] = static_cast<int>(taken_.size());
        taken_.push_back(u);
        meter_.Step();
    }

    void Search(double cost) {
        reached_ = false;
        distance_[spur_] = cost;
        const auto weight = boost::make_function_property_map<TSnapshotArc, double>(
            [this](const TSnapshotArc& arc) { return Weight(arc); });
        try {
            boost::dijkstra_shortest_paths_no_init(
                graph_, spur_, boost::dummy_property_map(), ByVertex(distance_), weight,
                boost::get(boost::vertex_index, graph_), std::less<double>(), std::plus<double>(),
                0.0, TVisitor(*this), ByVertex(color_));
        } catch (const TSettled&) {
        }
        if (touched_.empty()) touched_.push_back(spur_);
    }

    void Reset() {
        for (TSnapshotVertex v : touched_) distance_[v] = kInfinity, color_[v] = boost::white_color;
        for (TSnapshotVertex v : taken_) local_[v] = -1;
        touched_.clear();
        taken_.clear();
        tight_.clear();
    }

    // The tight edges out of each taken vertex, grouped by it, in slot order.
    void CollectTight() {
        tightStart_.assign(taken_.size() + 1, 0);
        equalEnds_ = false;
        for (std::size_t i = 0; i < taken_.size(); ++i) {
            const TSnapshotVertex u = taken_[i];
            for (const TSnapshotArc& arc : boost::make_iterator_range(boost::out_edges(u, graph_))) {
                const TSnapshotVertex v = boost::target(arc, graph_);
                if (v == u || local_[v] < 0) continue;
                if (distance_[u] + Weight(arc) != distance_[v]) continue;
                tight_.push_back({static_cast<int>(i), local_[v], arc});
                equalEnds_ = equalEnds_ || distance_[u] == distance_[v];
            }
            tightStart_[i + 1] = static_cast<int>(tight_.size());
        }
        IndexIncoming();
    }

    void IndexIncoming() {
        incomingStart_.assign(taken_.size() + 1, 0);
        for (const TTightArc& t : tight_) ++incomingStart_[static_cast<std::size_t>(t.to) + 1];
        for (std::size_t i = 0; i < taken_.size(); ++i) incomingStart_[i + 1] += incomingStart_[i];
        incoming_.resize(tight_.size());
        std::vector<int> next(incomingStart_.begin(), incomingStart_.end() - 1);
        for (std::size_t k = 0; k < tight_.size(); ++k)
            incoming_[static_cast<std::size_t>(next[static_cast<std::size_t>(tight_[k].to)]++)] =
                static_cast<int>(k);
    }

    // Which taken vertices reach the target by tight edges without passing a blocked one.
    void MarkReaching(const TMark& blocked) {
        reaches_.assign(taken_.size(), 0);
        std::vector<int> stack{local_[target_]};
        reaches_[static_cast<std::size_t>(stack.back())] = 1;
        while (!stack.empty()) {
            const auto v = static_cast<std::size_t>(stack.back());
            stack.pop_back();
            for (int k = incomingStart_[v]; k < incomingStart_[v + 1]; ++k) {
                const auto u = static_cast<std::size_t>(tight_[static_cast<std::size_t>(
                                                              incoming_[static_cast<std::size_t>(k)])]
                                                            .from);
                if (reaches_[u] || blocked[u]) continue;
                reaches_[u] = 1;
                stack.push_back(static_cast<int>(u));
            }
        }
    }

    // The next step from local vertex i: the tight edge to the smallest vertex that still
    // reaches the target, and of parallel ones the lightest, then the earliest. -1: none.
    int NextArc(int i, const TMark& walked) const {
        int best = -1;
        for (int k = tightStart_[static_cast<std::size_t>(i)];
             k < tightStart_[static_cast<std::size_t>(i) + 1]; ++k) {
            const TTightArc& t = tight_[static_cast<std::size_t>(k)];
            const auto to = static_cast<std::size_t>(t.to);
            if (!reaches_[to] || walked[to]) continue;
            if (best < 0 || Before(t, tight_[static_cast<std::size_t>(best)])) best = k;
        }
        return best;
    }

    bool Before(const TTightArc& a, const TTightArc& b) const {
        if (a.to != b.to) return taken_[static_cast<std::size_t>(a.to)] < taken_[static_cast<std::size_t>(b.to)];
        const TSnapshotEdge& x = graph_[a.arc];
        const TSnapshotEdge& y = graph_[b.arc];
        return x.weight != y.weight ? x.weight < y.weight : x.edge < y.edge;
    }

    // From the spur to the target, smallest vertex first at every step. When tight edges
    // join vertices at the same distance (weights of 0) they can close rings, and which
    // vertices still reach the target depends on those already walked.
    void Walk(TRoute& route) {
        CollectTight();
        TMark walked(taken_.size(), 0);
        MarkReaching(walked);
        int i = local_[spur_];
        walked[static_cast<std::size_t>(i)] = 1;
        while (taken_[static_cast<std::size_t>(i)] != target_) {
            if (equalEnds_) MarkReaching(walked);
            const int next = NextArc(i, walked);
            assert(next >= 0);  // i reaches the target without the vertices walked
            const TTightArc& step = tight_[static_cast<std::size_t>(next)];
            i = step.to;
            walked[static_cast<std::size_t>(i)] = 1;
            route.nodes.push_back(taken_[static_cast<std::size_t>(i)]);
            route.edges.push_back(graph_[step.arc].edge);
            route.costs.push_back(distance_[taken_[static_cast<std::size_t>(i)]]);
        }
        route.cost = route.costs.back();
    }

    const TSnapshotGraph& graph_;
    const TSnapshotVertex target_;
    TWorkMeter& meter_;
    TSnapshotVertex spur_ = 0;
    bool reached_ = false;
    double targetDistance_ = kInfinity;
    std::vector<double> distance_;
    std::vector<boost::default_color_type> color_;
    std::vector<int> local_;  // index into taken_, -1 for a vertex not taken
    TMark banned_, bannedNext_;
    std::vector<TSnapshotVertex> bans_, touched_, taken_;
    std::vector<TTightArc> tight_;
    std::vector<int> tightStart_, incomingStart_, incoming_;
    TMark reaches_;
    bool equalEnds_ = false;
};

TRoute Root(const TRoute& path, std::size_t spurIndex) {
    TRoute root;
    root.nodes.assign(path.nodes.begin(), path.nodes.begin() + static_cast<long>(spurIndex) + 1);
    root.edges.assign(path.edges.begin(), path.edges.begin() + static_cast<long>(spurIndex));
    root.costs.assign(path.costs.begin(), path.costs.begin() + static_cast<long>(spurIndex) + 1);
    return root;
}

bool SharesRoot(const TRoute& path, const TRoute& root) {
    return path.nodes.size() > root.nodes.size() &&
           std::equal(root.nodes.begin(), root.nodes.end(), path.nodes.begin());
}

/// Yen's step: every way that leaves the last path found at one of its nodes, avoiding
/// the root before it and the paths found with that root, into the candidates.
void AddDeviations(TSpurSearch& search, const std::vector<TRoute>& found,
                   std::set<TRoute>& candidates) {
    const TRoute& last = found.back();
    for (std::size_t i = 0; i + 1 < last.nodes.size(); ++i) {
        TRoute route = Root(last, i);
        for (std::size_t j = 0; j < i; ++j) search.Ban(last.nodes[j]);
        for (const TRoute& path : found)
            if (SharesRoot(path, route)) search.BanNext(path.nodes[i + 1]);
        const bool extended = search.Extend(last.nodes[i], last.costs[i], route);
        search.Unban();
        if (extended) candidates.insert(std::move(route));
    }
}

TPath ToPath(const TRoute& route) {
    TPath path{route.cost, {}, route.edges};
    for (TSnapshotVertex v : route.nodes) path.nodes.push_back(PositionOfVertex(v));
    return path;
}

}  // namespace

std::vector<TPath> CheapestPaths(const TGraphSnapshot& snapshot, int from, int to, int count,
                                 const TRunControl& control) {
    snapshot.CheckPosition(from);
    snapshot.CheckPosition(to);
    if (snapshot.HasNegativeWeight(false)) throw ENegativeWeight();
    if (from == to) return {TPath{0, {from}, {}}};
    TWorkMeter meter(control, std::int64_t{count} * snapshot.NodeCount());
    TSpurSearch search(snapshot.Graph(), VertexOf(to), meter);
    std::vector<TRoute> found(1);
    found[0].nodes = {VertexOf(from)};
    found[0].costs = {0.0};
    if (!search.Extend(VertexOf(from), 0.0, found[0])) return {};
    std::set<TRoute> candidates;
    while (static_cast<int>(found.size()) < count) {
        AddDeviations(search, found, candidates);
        if (candidates.empty()) break;
        found.push_back(std::move(candidates.extract(candidates.begin()).value()));
    }
    std::vector<TPath> paths;
    for (const TRoute& route : found) paths.push_back(ToPath(route));
    return paths;
}
