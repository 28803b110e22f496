#include "algorithms/CheapestPaths.h"

#include <boost/graph/dijkstra_shortest_paths.hpp>
#include <cassert>
#include <limits>
#include <optional>
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

/// The in-edges of every vertex, as the graph's out-edges seen from their ends.
class TIncoming {
public:
    explicit TIncoming(const TSnapshotGraph& graph) : start_(boost::num_vertices(graph) + 1, 0) {
        for (const TSnapshotArc& arc : boost::make_iterator_range(boost::edges(graph)))
            ++start_[boost::target(arc, graph) + 1];
        for (std::size_t v = 1; v < start_.size(); ++v) start_[v] += start_[v - 1];
        arcs_.resize(start_.back());
        std::vector<std::uint32_t> next(start_.begin(), start_.end() - 1);
        for (const TSnapshotArc& arc : boost::make_iterator_range(boost::edges(graph)))
            arcs_[next[boost::target(arc, graph)]++] = arc;
    }
    auto Of(TSnapshotVertex v) const {
        return boost::make_iterator_range(arcs_.begin() + start_[v], arcs_.begin() + start_[v + 1]);
    }

private:
    std::vector<std::uint32_t> start_;
    std::vector<TSnapshotArc> arcs_;
};

/// The searches from one spur node after another towards one target, in Yen's algorithm.
/// Its arrays by vertex are made once and put back only where a search wrote.
class TSpurSearch {
public:
    TSpurSearch(const TSnapshotGraph& graph, TSnapshotVertex target, TWorkMeter& meter)
        : graph_(graph),
          incoming_(graph),
          target_(target),
          meter_(meter),
          distance_(boost::num_vertices(graph), kInfinity),
          color_(boost::num_vertices(graph), boost::white_color),
          taken_(boost::num_vertices(graph), 0),
          reaches_(boost::num_vertices(graph), 0),
          walked_(boost::num_vertices(graph), 0),
          banned_(boost::num_vertices(graph), 0),
          bannedNext_(boost::num_vertices(graph), 0) {}

    /// Bans stay until Unban: the root's vertices and, from the spur, the next vertices
    /// of the paths already found with the same root.
    void Ban(TSnapshotVertex v) { Mark(banned_, bans_, v); }
    void BanNext(TSnapshotVertex v) { Mark(bannedNext_, bans_, v); }
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
    using TList = std::vector<TSnapshotVertex>;

    static void Mark(TMark& marks, TList& list, TSnapshotVertex v) {
        marks[v] = 1;
        list.push_back(v);
    }
    static void Clear(TMark& marks, TList& list) {
        for (TSnapshotVertex v : list) marks[v] = 0;
        list.clear();
    }

    // Loops are never part of a loopless path, whatever they weigh.
    double Weight(const TSnapshotArc& arc) const {
        const TSnapshotVertex u = boost::source(arc, graph_), v = boost::target(arc, graph_);
        if (u == v || banned_[v] || (bannedNext_[v] && u == spur_)) return kInfinity;
        return graph_[arc].weight;
    }

    /// On a cheapest way: between vertices the search took, the sum exactly the distance.
    bool Tight(const TSnapshotArc& arc) const {
        const TSnapshotVertex u = boost::source(arc, graph_), v = boost::target(arc, graph_);
        return taken_[u] && taken_[v] && distance_[u] + Weight(arc) == distance_[v];
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
        Mark(taken_, takenList_, u);
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
        touched_.clear();
        Clear(taken_, takenList_);
        Clear(reaches_, reachList_);
        Clear(walked_, walkList_);
    }

    // Marks the vertices that reach the target by tight edges without passing a walked
    // one, searching back from the target. Notes whether a tight edge joins two vertices
    // at the same distance (weights of 0): such edges can close rings.
    void MarkReaching() {
        Clear(reaches_, reachList_);
        Mark(reaches_, reachList_, target_);
        for (std::size_t next = 0; next < reachList_.size(); ++next) {
            const TSnapshotVertex v = reachList_[next];
            for (const TSnapshotArc& arc : incoming_.Of(v)) {
                const TSnapshotVertex u = boost::source(arc, graph_);
                if (reaches_[u] || walked_[u] || !Tight(arc)) continue;
                equalEnds_ = equalEnds_ || distance_[u] == distance_[v];
                Mark(reaches_, reachList_, u);
            }
        }
    }

    // The next step from u: the tight edge to the smallest vertex that still reaches the
    // target, and of parallel ones the lightest, then the earliest.
    std::optional<TSnapshotArc> NextArc(TSnapshotVertex u) const {
        std::optional<TSnapshotArc> best;
        for (const TSnapshotArc& arc : boost::make_iterator_range(boost::out_edges(u, graph_))) {
            const TSnapshotVertex v = boost::target(arc, graph_);
            if (!reaches_[v] || walked_[v] || !Tight(arc)) continue;
            if (!best || Before(arc, *best)) best = arc;
        }
        return best;
    }

    bool Before(const TSnapshotArc& a, const TSnapshotArc& b) const {
        const TSnapshotVertex x = boost::target(a, graph_), y = boost::target(b, graph_);
        if (x != y) return x < y;
        const TSnapshotEdge& p = graph_[a];
        const TSnapshotEdge& q = graph_[b];
        return p.weight != q.weight ? p.weight < q.weight : p.edge < q.edge;
    }

    // From the spur to the target, smallest vertex first at every step. Without rings of
    // tight edges every step goes farther, and the vertices that reach the target stay
    // those found at the start; with them, which do depends on those already walked.
    void Walk(TRoute& route) {
        equalEnds_ = false;
        MarkReaching();
        TSnapshotVertex u = spur_;
        Mark(walked_, walkList_, u);
        while (u != target_) {
            if (equalEnds_) MarkReaching();
            const std::optional<TSnapshotArc> step = NextArc(u);
            assert(step);  // u reaches the target without the vertices walked
            u = boost::target(*step, graph_);
            Mark(walked_, walkList_, u);
            route.nodes.push_back(u);
            route.edges.push_back(graph_[*step].edge);
            route.costs.push_back(distance_[u]);
        }
        route.cost = route.costs.back();
    }

    const TSnapshotGraph& graph_;
    const TIncoming incoming_;
    const TSnapshotVertex target_;
    TWorkMeter& meter_;
    TSnapshotVertex spur_ = 0;
    bool reached_ = false;
    double targetDistance_ = kInfinity;
    bool equalEnds_ = false;
    std::vector<double> distance_;
    std::vector<boost::default_color_type> color_;
    TMark taken_, reaches_, walked_, banned_, bannedNext_;
    TList takenList_, reachList_, walkList_, bans_, touched_;
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
