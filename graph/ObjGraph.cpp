#include "graph/ObjGraph.h"

#include <algorithm>
#include <atomic>
#include <typeinfo>

IMPLEMENT_CLASS(TStringObj, TObject)
IMPLEMENT_CLASS(TInteger, TObject)
IMPLEMENT_CLASS(TTypedList, TObject)
IMPLEMENT_CLASS(TEdgeList, TTypedList)
IMPLEMENT_CLASS(TNodeList, TUnorderedList)
IMPLEMENT_CLASS(TGraphNode, TObject)
IMPLEMENT_CLASS(TGraphEdge, TObject)
IMPLEMENT_CLASS(TMathGraph, TObject)

TInteger::TInteger(std::int32_t value) : Value(Real48::FromExtended(value)) {}

// ----------------------------------------------------------------------------
// Reference lists

void TTypedList::Add(TObject* item) {
    if (item != nullptr && item->InheritsFrom(ItemClass)) items_.push_back(item);
}

int TTypedList::Remove(const TObject* item) {
    const auto found = std::find(items_.begin(), items_.end(), item);
    if (found == items_.end()) return -1;
    const auto index = found - items_.begin();
    items_.erase(found);
    return static_cast<int>(index);
}

TEdgeList::TEdgeList() : TTypedList(TGraphEdge::StaticClass()) {}

TGraphEdge* TEdgeList::Get(int index) const {
    return static_cast<TGraphEdge*>(TTypedList::Get(index));
}

// ----------------------------------------------------------------------------
// Nodes and edges

TGraphNode::TGraphNode(std::unique_ptr<TStringObj> caption)
    : Caption(std::move(caption)), OutEdges(std::make_unique<TEdgeList>()) {}

void TGraphNode::Relaxed(TGraphNode* /*fromNode*/, Real48 /*weight*/) {}

TGraphEdge::TGraphEdge(TGraphNode* fromNode, TGraphNode* toNode)
    : FromNode(fromNode), ToNode(toNode), Weight(Real48::FromExtended(1.0L)) {}

void TGraphEdge::Scanned(TGraphNode* /*fromNode*/) {}

TCompareResult CompareNodes(TObject* a, TObject* b) { return a == b ? crEqual : crGreater; }

// ----------------------------------------------------------------------------
// The graph

TMathGraph::TMathGraph()
    : Nodes(std::make_unique<TNodeList>(TGraphNode::StaticClass(), CompareNodes)),
      Edges(std::make_unique<TEdgeList>()) {}

TMathGraph::~TMathGraph() {
    if (Edges == nullptr) return;
    for (int i = 0; i < Edges->Count(); ++i) delete Edges->Get(i);
    Edges->Clear();
}

bool TMathGraph::IsEdgeTarget(const TGraphNode* node) const {
    if (Edges == nullptr) return false;
    for (int i = 0; i < Edges->Count(); ++i)
        if (Edges->Get(i)->ToNode == node) return true;
    return false;
}

void TMathGraph::Stamp(TGraphNode* node, std::uint64_t pass, int position) {
    node->indexPass_ = pass;
    node->indexPosition_ = position;
}

int TMathGraph::StampedPosition(const TGraphNode* node, std::uint64_t pass) {
    if (node == nullptr || node->indexPass_ != pass) return -1;
    return node->indexPosition_;
}

/// The graph's nodes by 0-based position and, for each position, the edges that start
/// there in the order of Edges, with their ends' positions and their weights widened.
/// Building it changes nothing that anyone can see.
class TMathGraph::TIndex {
public:
    /// EInvalidObjectType when Nodes holds something that is not a node.
    TIndex(TNodeList& nodes, const TEdgeList* edges) {
        IndexNodes(nodes);
        if (edges != nullptr)
            IndexEdges(*edges);
        else
            first_.assign(nodes_.size() + 1, 0);
    }

    int NodeCount() const { return static_cast<int>(nodes_.size()); }
    TGraphNode* Node(int position) const { return nodes_[Slot(position)]; }
    /// -1 for none and for a node that is not in this graph.
    int PositionOf(const TGraphNode* node) const { return StampedPosition(node, pass_); }

    /// Out-edge k runs over [First(p), First(p + 1)) for the node at position p.
    int First(int position) const { return first_[Slot(position)]; }
    TGraphEdge* Edge(int k) const { return edges_[Slot(k)]; }
    /// The position of the edge's ToNode; -1 when that is not a node of this graph.
    int Target(int k) const { return targets_[Slot(k)]; }
    double Weight(int k) const { return weights_[Slot(k)]; }
    /// False when every edge is a plain TGraphEdge, whose Scanned does nothing.
    bool EdgesHaveHooks() const { return edgesHaveHooks_; }

    /// BuildOutEdges from the table. A node's old list is refilled rather than replaced:
    /// nobody may keep it across a rebuild, and one allocation per node is saved.
    void FillOutEdges() const {
        for (int p = 0; p < NodeCount(); ++p) {
            TGraphNode* node = Node(p);
            if (node->OutEdges == nullptr ||
                node->OutEdges->GetItemClass() != TGraphEdge::StaticClass())
                node->OutEdges = std::make_unique<TEdgeList>();
            ItemsOf(*node->OutEdges)
                .assign(edges_.begin() + First(p), edges_.begin() + First(p + 1));
        }
    }

private:
    static std::size_t Slot(int index) { return static_cast<std::size_t>(index); }

    void IndexNodes(TNodeList& nodes) {
        static std::atomic<std::uint64_t> lastPass{0};
        pass_ = ++lastPass;
        nodes_.reserve(Slot(nodes.Count()));
        for (bool more = nodes.First(); more; more = nodes.Next()) {
            TObject* item = nodes.GetCurrent();
            if (!IsA<TGraphNode>(item)) throw EInvalidObjectType();
            nodes_.push_back(static_cast<TGraphNode*>(item));
        }
        for (int p = 0; p < NodeCount(); ++p) Stamp(Node(p), pass_, p);
    }

    // A counting sort by start position: stable, so each node's edges keep their order.
    void IndexEdges(const TEdgeList& edges) {
        std::vector<int> from(Slot(edges.Count()));
        first_.assign(nodes_.size() + 1, 0);
        for (int i = 0; i < edges.Count(); ++i) {
            from[Slot(i)] = PositionOf(edges.Get(i)->FromNode);
            if (from[Slot(i)] >= 0) ++first_[Slot(from[Slot(i)] + 1)];
        }
        for (std::size_t p = 1; p < first_.size(); ++p) first_[p] += first_[p - 1];
        const std::size_t kept = Slot(first_.back());
        edges_.resize(kept);
        targets_.resize(kept);
        weights_.resize(kept);
        std::vector<int> next(first_.begin(), first_.end() - 1);
        for (int i = 0; i < edges.Count(); ++i) {
            if (from[Slot(i)] < 0) continue;
            TGraphEdge* edge = edges.Get(i);
            const std::size_t k = Slot(next[Slot(from[Slot(i)])]++);
            edges_[k] = edge;
            targets_[k] = PositionOf(edge->ToNode);
            // Widening a Real48 is exact in a double too: 40 bits of significand, and
            // exponents far inside a double's range.
            weights_[k] = static_cast<double>(edge->Weight.ToExtended());
            if (typeid(*edge) != typeid(TGraphEdge)) edgesHaveHooks_ = true;
        }
    }

    std::uint64_t pass_ = 0;
    std::vector<TGraphNode*> nodes_;
    std::vector<int> first_;
    std::vector<TGraphEdge*> edges_;
    std::vector<int> targets_;
    std::vector<double> weights_;
    bool edgesHaveHooks_ = false;
};

namespace {

/// A 4-ary min-heap of node positions keyed by distance, ties going to the lower
/// position: exactly the node that a scan over the untaken nodes in list order would
/// pick as the nearest.
class TNodeHeap {
public:
    explicit TNodeHeap(int positions) : slot_(static_cast<std::size_t>(positions), kNotQueued) {}

    bool IsEmpty() const { return entries_.empty(); }

    /// Queues position at key, or moves it up to its lower key. A position already
    /// taken out stays out: it is never expanded twice.
    void Lower(int position, double key) {
        const int slot = slot_[static_cast<std::size_t>(position)];
        if (slot == kTaken) return;
        if (slot == kNotQueued) {
            entries_.push_back({key, position});
            SiftUp(entries_.size() - 1, {key, position});
        } else {
            SiftUp(static_cast<std::size_t>(slot), {key, position});
        }
    }

    /// REQUIRES: !IsEmpty().
    int TakeNearest() {
        const int nearest = entries_.front().position;
        slot_[static_cast<std::size_t>(nearest)] = kTaken;
        const TEntry last = entries_.back();
        entries_.pop_back();
        if (!entries_.empty()) SiftDown(0, last);
        return nearest;
    }

private:
    static constexpr int kNotQueued = -1;
    static constexpr int kTaken = -2;
    static constexpr std::size_t kArity = 4;

    struct TEntry {
        double key;
        int position;
    };

    static bool Before(const TEntry& a, const TEntry& b) {
        return a.key < b.key || (a.key == b.key && a.position < b.position);
    }

    void Place(std::size_t i, const TEntry& entry) {
        entries_[i] = entry;
        slot_[static_cast<std::size_t>(entry.position)] = static_cast<int>(i);
    }

    void SiftUp(std::size_t i, const TEntry& entry) {
        while (i > 0) {
            const std::size_t parent = (i - 1) / kArity;
            if (!Before(entry, entries_[parent])) break;
            Place(i, entries_[parent]);
            i = parent;
        }
        Place(i, entry);
    }

    void SiftDown(std::size_t i, const TEntry& entry) {
        for (;;) {
            const std::size_t child = i * kArity + 1;
            if (child >= entries_.size()) break;
            const std::size_t end = std::min(child + kArity, entries_.size());
            std::size_t best = child;
            for (std::size_t c = child + 1; c < end; ++c)
                if (Before(entries_[c], entries_[best])) best = c;
            if (!Before(entries_[best], entry)) break;
            Place(i, entries_[best]);
            i = best;
        }
        Place(i, entry);
    }

    std::vector<TEntry> entries_;
    std::vector<int> slot_;  // index in entries_, or kNotQueued, or kTaken
};

}  // namespace

/// One search over an index. Expands the same nodes in the same order as a linear scan
/// of the untaken nodes would, and makes the same stores and hook calls in the same order.
class TMathGraph::TSearch {
public:
    TSearch(const TIndex& index, int target)
        : index_(index),
          target_(target),
          distance_(static_cast<std::size_t>(index.NodeCount()),
                    static_cast<double>(InfiniteDistance)),
          heap_(index.NodeCount()) {}

    void Run(int source) {
        const Real48 infinite = Real48::FromExtended(InfiniteDistance);
        for (int p = 0; p < index_.NodeCount(); ++p) {
            index_.Node(p)->Distance = infinite;
            index_.Node(p)->PrevEdge = nullptr;
        }
        index_.Node(source)->Distance = Real48();
        Distance(source) = 0;
        heap_.Lower(source, 0);
        // Nodes never reached are left out of the heap: at the infinite distance they
        // can never be expanded. Once the nearest node is not below the bound, nothing
        // can be expanded any more, so nothing can be lowered, and every later pass of
        // the scan would only take nodes out.
        while (!heap_.IsEmpty()) {
            const int nearest = heap_.TakeNearest();
            if (!(Distance(nearest) < bound_)) return;
            Expand(nearest);
        }
    }

    void WalkBack(TEdgeList& result) const {
        std::vector<bool> passed(static_cast<std::size_t>(index_.NodeCount()));
        int p = target_;
        passed[static_cast<std::size_t>(p)] = true;
        for (TGraphEdge* edge = index_.Node(p)->PrevEdge; edge != nullptr;
             edge = index_.Node(p)->PrevEdge) {
            result.Add(edge);
            p = index_.PositionOf(edge->FromNode);
            // A loop of negative weight can close the PrevEdge links into a ring.
            if (p < 0 || passed[static_cast<std::size_t>(p)]) return;
            passed[static_cast<std::size_t>(p)] = true;
        }
    }

private:
    double& Distance(int p) { return distance_[static_cast<std::size_t>(p)]; }

    void Expand(int u) {
        TGraphNode* node = index_.Node(u);
        const int first = index_.First(u);
        const int last = index_.First(u + 1);
        if (index_.EdgesHaveHooks())
            for (int k = first; k < last; ++k) index_.Edge(k)->Scanned(node);
        for (int k = first; k < last; ++k) {
            const int v = index_.Target(k);
            if (v < 0) continue;
            // Compared in extended precision; narrowed to Real48 only when stored. The
            // source's distance is read afresh each time: a loop edge may have lowered it.
            const long double sum = static_cast<long double>(Distance(u)) + index_.Weight(k);
            if (Distance(v) > sum) Relax(u, v, k, sum);
            if (v == target_) bound_ = Distance(v);
        }
    }

    void Relax(int u, int v, int k, long double sum) {
        TGraphNode* node = index_.Node(v);
        TGraphEdge* edge = index_.Edge(k);
        node->PrevEdge = edge;
        node->Distance = Real48::FromExtended(sum);  // on overflow the old value stays
        Distance(v) = static_cast<double>(node->Distance.ToExtended());
        heap_.Lower(v, Distance(v));
        node->Relaxed(index_.Node(u), edge->Weight);
    }

    const TIndex& index_;
    const int target_;
    double bound_ = static_cast<double>(InfiniteDistance);  // the target's Distance as seen
    std::vector<double> distance_;                          // each node's Distance, widened
    TNodeHeap heap_;
};

void TMathGraph::BuildOutEdges() {
    if (Nodes == nullptr) return;
    TIndex(*Nodes, Edges.get()).FillOutEdges();
}

std::unique_ptr<TEdgeList> TMathGraph::ShortestPath(TGraphNode* source, TGraphNode* target) {
    auto result = std::make_unique<TEdgeList>();
    if (Nodes == nullptr) return result;
    const TIndex index(*Nodes, Edges.get());
    const int from = index.PositionOf(source);
    const int to = index.PositionOf(target);
    if (from < 0 || to < 0) return result;
    index.FillOutEdges();
    TSearch search(index, to);
    search.Run(from);
    search.WalkBack(*result);
    return result;
}
