#include "graph/ShortestPath.h"

#include <algorithm>
#include <utility>

#include "graph/SearchIndex.h"

using search::Slot;
using search::TBig;
using search::THeapEntry;
using search::TOutEdge;
using search::TPathStep;

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
    TNodeHeap(TBig<THeapEntry>& entries, TBig<int>& slot, int positions)
        : entries_(entries), slot_(slot) {
        entries_.clear();
        slot_.assign(static_cast<std::size_t>(positions), kNotQueued);
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

private:
    static constexpr std::size_t kArity = 4;

    int& SlotOf(int position) { return slot_[static_cast<std::size_t>(position)]; }

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
    TBig<int>& slot_;
};

// ----------------------------------------------------------------------------
// Searching

/// One search over an index. Expands the same nodes in the same order as a linear scan
/// of the untaken nodes would, and makes the same stores and hook calls in the same order.
///
/// Distances and PrevEdges are kept in arrays by position. With hooks they are written
/// through to the nodes as they change, so that a hook sees the graph as the scan would
/// show it; without, the nodes get their final values at the end, also when an overflow
/// ends the search early.
class TSearch {
public:
    TSearch(TSearchWorkspace& workspace, const TSearchIndex& index, int target)
        : index_(index),
          target_(target),
          through_(index.HasHooks()),
          distance_(workspace.distance),
          steps_(workspace.steps),
          cameFrom_(workspace.cameFrom),
          heap_(workspace.heap, workspace.heapSlot, index.NodeCount()) {
        distance_.assign(Slot(index.NodeCount()), kInfinite);
        steps_.assign(Slot(index.NodeCount()), {nullptr, Real48::FromExtended(InfiniteDistance)});
        cameFrom_.resize(Slot(index.NodeCount()));  // read only where a PrevEdge is set
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
        for (TGraphEdge* edge = Step(p).previous; edge != nullptr; edge = Step(p).previous) {
            result.Add(edge);
            p = cameFrom_[Slot(p)];
            // A loop of negative weight can close the PrevEdge links into a ring.
            if (passed[Slot(p)]) return;
            passed[Slot(p)] = true;
        }
    }

private:
    static constexpr double kInfinite = static_cast<double>(InfiniteDistance);

    double& Distance(int p) { return distance_[Slot(p)]; }
    TPathStep& Step(int p) { return steps_[Slot(p)]; }
    const TPathStep& Step(int p) const { return steps_[Slot(p)]; }

    // Nodes never reached are left out of the heap: at the infinite distance they can
    // never be expanded. Once the nearest node is not below the bound, nothing can be
    // expanded any more, so nothing can be lowered, and every later pass of the scan
    // would only take nodes out.
    void Loop() {
        while (!heap_.IsEmpty()) {
            const int nearest = heap_.TakeNearest();
            if (!(Distance(nearest) < bound_)) return;
            Expand(nearest);
        }
    }

    void Expand(int u) {
        const int first = index_.First(u);
        const int last = index_.First(u + 1);
        if (through_)
            for (int k = first; k < last; ++k) index_.OutEdge(k).edge->Scanned(index_.Node(u));
        for (int k = first; k < last; ++k) {
            const TOutEdge& out = index_.OutEdge(k);
            const int v = out.target;
            if (v < 0) continue;
            // Compared in extended precision; narrowed to Real48 only when stored. U's
            // distance is read afresh each time: a loop edge may have lowered it.
            const long double sum = static_cast<long double>(Distance(u)) + out.weight;
            if (Distance(v) > sum) Relax(u, v, out, sum);
            if (v == target_) bound_ = Distance(v);
        }
    }

    void Relax(int u, int v, const TOutEdge& out, long double sum) {
        SetPrevious(v, out.edge);
        cameFrom_[Slot(v)] = u;
        SetDistance(v, Real48::FromExtended(sum));  // on overflow the old distance stays
        if (through_) index_.Node(v)->Relaxed(index_.Node(u), out.edge->Weight);
    }

    void SetPrevious(int v, TGraphEdge* edge) {
        Step(v).previous = edge;
        if (through_) index_.Node(v)->PrevEdge = edge;
    }

    void SetDistance(int v, Real48 distance) {
        Step(v).stored = distance;
        Distance(v) = distance.ToDouble();
        heap_.Lower(v, Distance(v));
        if (through_) index_.Node(v)->Distance = distance;
    }

    void WriteBack() const {
        for (int p = 0; p < index_.NodeCount(); ++p) {
            index_.Node(p)->Distance = Step(p).stored;
            index_.Node(p)->PrevEdge = Step(p).previous;
        }
    }

    const TSearchIndex& index_;
    const int target_;
    const bool through_;        // hooks are called: keep the nodes up to date
    double bound_ = kInfinite;  // the target's Distance as the search has seen it
    TBig<double>& distance_;
    TBig<TPathStep>& steps_;
    TBig<int>& cameFrom_;
    TNodeHeap heap_;
};

}  // namespace

void TMathGraph::BuildOutEdges() {
    if (Nodes == nullptr) return;
    const TWorkspaceLoan workspace(workspace_);
    TSearchIndex(*workspace, *Nodes, Edges.get()).FillOutEdges();
}

std::unique_ptr<TEdgeList> TMathGraph::ShortestPath(TGraphNode* source, TGraphNode* target) {
    auto result = std::make_unique<TEdgeList>();
    if (Nodes == nullptr) return result;
    const TWorkspaceLoan workspace(workspace_);
    const TSearchIndex index(*workspace, *Nodes, Edges.get());
    const int from = index.PositionOf(source);
    const int to = index.PositionOf(target);
    if (from < 0 || to < 0) return result;
    index.FillOutEdges();
    TSearch search(*workspace, index, to);
    search.Run(from);
    search.WalkBack(*result);
    return result;
}
