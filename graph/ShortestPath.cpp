#include "graph/ShortestPath.h"

#include <algorithm>
#include <utility>

#include "graph/SearchIndex.h"

using search::Slot;
using search::TBig;
using search::THeapEntry;
using search::TNodeState;
using search::TOutEdge;

void TSearchWorkspaceFree::operator()(TSearchWorkspace* workspace) const noexcept {
    delete workspace;
}

namespace {

inline constexpr int kNotQueued = -1;  // heap slot of a node never reached
inline constexpr int kTaken = -2;      // heap slot of a node taken out

/// Lends a graph's workspace to one search, and makes it on the first. A search started
/// from inside another on the same graph (a hook may do anything) finds none to borrow
/// and gets a fresh one, which goes when the outer search puts its own back.
class TWorkspaceLoan {
public:
    explicit TWorkspaceLoan(TSearchWorkspacePtr& home) : home_(home), lent_(std::move(home)) {
        if (lent_ == nullptr) lent_.reset(new TSearchWorkspace);
    }
    ~TWorkspaceLoan() { home_ = std::move(lent_); }
    TWorkspaceLoan(const TWorkspaceLoan&) = delete;
    TWorkspaceLoan& operator=(const TWorkspaceLoan&) = delete;

    TSearchWorkspace& operator*() const { return *lent_; }

private:
    TSearchWorkspacePtr& home_;
    TSearchWorkspacePtr lent_;
};

/// A 4-ary min-heap of node positions keyed by distance, ties going to the lower
/// position: exactly the node that a scan over the untaken nodes in list order would
/// pick as the nearest.
class TNodeHeap {
public:
    TNodeHeap(TBig<THeapEntry>& entries, TBig<TNodeState>& state)
        : entries_(entries), state_(state) {
        entries_.clear();
    }

    bool IsEmpty() const { return entries_.empty(); }

    /// Queues position at key, or moves it up to its lower key. A position already
    /// taken out stays out: it is never expanded twice.
    void Lower(int position, double key) {
        const int slot = SlotOf(position);
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
        SlotOf(nearest) = kTaken;
        const THeapEntry last = entries_.back();
        entries_.pop_back();
        if (!entries_.empty()) SiftDown(0, last);
        return nearest;
    }

    /// The position that TakeNearest would give now. REQUIRES: !IsEmpty().
    int Nearest() const { return entries_.front().position; }

private:
    static constexpr std::size_t kArity = 4;

    int& SlotOf(int position) { return state_[Slot(position)].heapSlot; }

    static bool Before(const THeapEntry& a, const THeapEntry& b) {
        return a.key < b.key || (a.key == b.key && a.position < b.position);
    }

    void Place(std::size_t i, const THeapEntry& entry) {
        entries_[i] = entry;
        SlotOf(entry.position) = static_cast<int>(i);
    }

    void SiftUp(std::size_t i, const THeapEntry& entry) {
        while (i > 0) {
            const std::size_t parent = (i - 1) / kArity;
            if (!Before(entry, entries_[parent])) break;
            Place(i, entries_[parent]);
            i = parent;
        }
        Place(i, entry);
    }

    void SiftDown(std::size_t i, const THeapEntry& entry) {
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

    TBig<THeapEntry>& entries_;
    TBig<TNodeState>& state_;
};

// ----------------------------------------------------------------------------
// Searching

/// One search over an index. Expands the same nodes in the same order as a linear scan
/// of the untaken nodes would, and makes the same stores and hook calls in the same order.
///
/// Distances and PrevEdges are kept by position. With hooks they are written through to
/// the nodes as they change, so that a hook sees the graph as the scan would show it;
/// without, the nodes get their final values at the end, also when an overflow ends the
/// search early.
class TSearch {
public:
    TSearch(TSearchWorkspace& workspace, const TSearchIndex& index, int target)
        : index_(index),
          target_(target),
          through_(index.HasHooks()),
          state_(workspace.state),
          heap_(workspace.heap, workspace.state) {
        state_.assign(Slot(index.NodeCount()), TNodeState{kInfinite, kNotQueued, kNone});
    }

    void Run(int source) {
        if (through_) WriteBack();
        SetDistance(source, Real48::FromExtended(0));
        try {
            Loop();
        } catch (...) {
            if (!through_) WriteBack();
            throw;
        }
        if (!through_) WriteBack();
    }

    void WalkBack(TEdgeList& result) const {
        std::vector<bool> passed(Slot(index_.NodeCount()));
        int p = target_;
        passed[Slot(p)] = true;
        for (int k = State(p).previous; k != kNone; k = State(p).previous) {
            const TOutEdge& out = index_.OutEdge(k);
            result.Add(out.edge);
            p = out.source;
            // A loop of negative weight can close the PrevEdge links into a ring.
            if (passed[Slot(p)]) return;
            passed[Slot(p)] = true;
        }
    }

private:
    static constexpr double kInfinite = static_cast<double>(InfiniteDistance);
    static constexpr int kNone = -1;

    TNodeState& State(int p) { return state_[Slot(p)]; }
    const TNodeState& State(int p) const { return state_[Slot(p)]; }
    double& Distance(int p) { return State(p).distance; }

    // Nodes never reached are left out of the heap: at the infinite distance they can
    // never be expanded. Once the nearest node is not below the bound, nothing can be
    // expanded any more, so nothing can be lowered, and every later pass of the scan
    // would only take nodes out.
    void Loop() {
        while (!heap_.IsEmpty()) {
            const int nearest = heap_.TakeNearest();
            if (!(Distance(nearest) < bound_)) return;
            // Most often the next to be taken: its edges are fetched while this one is expanded.
            if (!heap_.IsEmpty()) index_.PrefetchOutEdges(heap_.Nearest());
            Expand(nearest);
        }
    }

    void Expand(int u) {
        const int first = index_.First(u);
        const int last = index_.First(u + 1);
        if (through_)
            for (int k = first; k < last; ++k) index_.OutEdge(k).edge->Scanned(index_.Node(u));
        // Every end's state asked for at once, rather than one cache miss after another.
        for (int k = first; k < last; ++k)
            if (const int v = index_.OutEdge(k).target; v >= 0) __builtin_prefetch(&State(v), 1);
        for (int k = first; k < last; ++k) {
            const TOutEdge& out = index_.OutEdge(k);
            const int v = out.target;
            if (v < 0) continue;
            // Compared in extended precision; narrowed to Real48 only when stored. U's
            // distance is read afresh each time: a loop edge may have lowered it.
            const long double sum = static_cast<long double>(Distance(u)) + out.weight;
            if (Distance(v) > sum) Relax(u, v, k, sum);
            if (v == target_) bound_ = Distance(v);
        }
    }

    void Relax(int u, int v, int k, long double sum) {
        TGraphEdge* const edge = index_.OutEdge(k).edge;
        State(v).previous = k;
        if (through_) index_.Node(v)->PrevEdge = edge;
        SetDistance(v, Real48::FromExtended(sum));  // on overflow the old distance stays
        if (through_) index_.Node(v)->Relaxed(index_.Node(u), edge->Weight);
    }

    void SetDistance(int v, Real48 distance) {
        Distance(v) = distance.ToDouble();
        heap_.Lower(v, Distance(v));
        if (through_) index_.Node(v)->Distance = distance;
    }

    // An index taken over unchanged spared the search its BuildOutEdges, which would
    // only have refilled every list with what it holds, unless a node was given another
    // list: looked at here, where each node is visited anyway, and then all are rebuilt.
    void WriteBack() const {
        const Real48 infinite = Real48::FromExtended(InfiniteDistance);
        bool listsHold = true;
        for (int p = 0; p < index_.NodeCount(); ++p) {
            const TNodeState& state = State(p);
            TGraphNode* node = index_.Node(p);
            // Exact: every distance kept was widened from a Real48.
            node->Distance =
                state.distance == kInfinite ? infinite : Real48::FromExtended(state.distance);
            node->PrevEdge =
                state.previous == kNone ? nullptr : index_.OutEdge(state.previous).edge;
            if (index_.IsReused()) listsHold = listsHold && index_.HoldsFilledOutEdges(p);
        }
        if (!listsHold) index_.FillOutEdges();
    }

    const TSearchIndex& index_;
    const int target_;
    const bool through_;        // hooks are called: keep the nodes up to date
    double bound_ = kInfinite;  // the target's Distance as the search has seen it
    TBig<TNodeState>& state_;
    TNodeHeap heap_;
};

}  // namespace

void TMathGraph::BuildOutEdges() {
    if (Nodes == nullptr) return;
    const TWorkspaceLoan workspace(workspace_);
    const TSearchIndex index(*workspace, *Nodes, Edges.get());
    index.FillOutEdges();
    if (!index.HasHooks()) (*workspace).MarkCurrent(*Nodes, Edges.get());
}

TEdgeEndIndex TMathGraph::EdgeEnds() {
    if (Nodes == nullptr) return {};
    const TWorkspaceLoan workspace(workspace_);
    const TSearchIndex index(*workspace, *Nodes, Edges.get(), TIndexDepth::EndsOnly);
    const auto edgeCount = static_cast<std::size_t>(Edges != nullptr ? Edges->Count() : 0);
    return {(*workspace).nodes.Nodes(), std::span((*workspace).ends).first(edgeCount)};
}

std::unique_ptr<TEdgeList> TMathGraph::ShortestPath(TGraphNode* source, TGraphNode* target) {
    if (Nodes == nullptr) return std::make_unique<TEdgeList>();
    const TWorkspaceLoan workspace(workspace_);
    const TSearchIndex index(*workspace, *Nodes, Edges.get());
    auto result = std::make_unique<TEdgeList>();
    const int from = index.PositionOf(source);
    const int to = index.PositionOf(target);
    if (from < 0 || to < 0) return result;
    // Without hooks nobody sees the lists before the search ends, where WriteBack checks them.
    if (!index.IsReused()) index.FillOutEdges();
    TSearch search(*workspace, index, to);
    search.Run(from);
    search.WalkBack(*result);
    // With hooks an observer might have changed what the index was built from.
    if (!index.HasHooks()) (*workspace).MarkCurrent(*Nodes, Edges.get());
    return result;
}
