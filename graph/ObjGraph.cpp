#include "graph/ObjGraph.h"

#if defined(__linux__)
#include <sys/mman.h>
#endif

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <new>
#include <typeinfo>
#include <utility>

IMPLEMENT_CLASS(TStringObj, TObject)
IMPLEMENT_CLASS(TInteger, TObject)
IMPLEMENT_CLASS(TTypedList, TObject)
IMPLEMENT_CLASS(TEdgeList, TTypedList)
IMPLEMENT_CLASS(TNodeList, TUnorderedList)
IMPLEMENT_CLASS(TGraphNode, TObject)
IMPLEMENT_CLASS(TGraphEdge, TObject)
IMPLEMENT_CLASS(TMathGraph, TObject)

// A matrix being built starts with N * N zero cells: zero needs no narrowing.
TInteger::TInteger(std::int32_t value)
    : Value(value == 0 ? Real48() : Real48::FromExtended(value)) {}

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

void TTypedList::Insert(int index, TObject* item) {
    if (index < 0 || index > Count()) throw EListError(index);
    if (item != nullptr && item->InheritsFrom(ItemClass))
        items_.insert(items_.begin() + index, item);
}

void TTypedList::Delete(int index) {
    if (index < 0 || index >= Count()) throw EListError(index);
    items_.erase(items_.begin() + index);
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

// ----------------------------------------------------------------------------
// The search's working storage

namespace {

struct TOutEdge {
    TGraphEdge* edge;
    double weight;  // exact: a Real48 has 40 bits of significand and a narrow exponent
    int target;     // the position of ToNode; -1 when that is not a node of this graph
    int source;     // the position of FromNode
};

/// A node's PrevEdge and Distance as the search has set them. Apart from the widened
/// distances and the heap slots, which the search reads far more often and which stay in
/// the cache better in arrays of their own.
struct TPathStep {
    TGraphEdge* previous;
    Real48 stored;
};

inline constexpr int kNotQueued = -1;  // heap slot of a node never reached
inline constexpr int kTaken = -2;      // heap slot of a node taken out

struct THeapEntry {
    double key;
    int position;
};

/// Gives large blocks huge pages: the search reads its arrays at random, and with small
/// pages nearly every such read in a big graph's arrays also misses the address cache.
template <class T>
struct THugePageAllocator {
    using value_type = T;
    static constexpr std::size_t kHugePage = std::size_t{2} << 20;

    THugePageAllocator() = default;
    template <class U>
    explicit THugePageAllocator(const THugePageAllocator<U>&) {}

    T* allocate(std::size_t n) {
        if (n * sizeof(T) < kHugePage) return std::allocator<T>().allocate(n);
        const std::size_t bytes = (n * sizeof(T) + kHugePage - 1) / kHugePage * kHugePage;
        void* block = std::aligned_alloc(kHugePage, bytes);
        if (block == nullptr) throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
        madvise(block, bytes, MADV_HUGEPAGE);  // only advice: without, small pages serve
#endif
        return static_cast<T*>(block);
    }
    void deallocate(T* block, std::size_t n) {
        if (n * sizeof(T) < kHugePage) return std::allocator<T>().deallocate(block, n);
        std::free(block);
    }
    friend bool operator==(const THugePageAllocator&, const THugePageAllocator&) { return true; }
};

template <class T>
using TBig = std::vector<T, THugePageAllocator<T>>;

/// The arrays of one search, by node position or out-edge. They are kept from one
/// search to the next (one set per thread), so that a large graph pays for fresh
/// memory once and not on every search.
struct TScratch {
    TBig<TGraphNode*> nodes;
    TBig<int> first;  // out-edges of position p: [first[p], first[p + 1])
    TBig<int> next;
    TBig<TOutEdge> outEdges;
    std::vector<TOutEdge> bucket;
    TBig<double> distance;  // by position: Distance, widened
    TBig<int> heapSlot;     // by position: index in the heap, kNotQueued or kTaken
    TBig<TPathStep> steps;  // by position
    TBig<THeapEntry> heap;
};

/// Lends the thread's scratch for one search. A search started from inside another
/// (a hook may do anything) finds none to borrow and gets a fresh set.
class TScratchLoan {
public:
    TScratchLoan() : scratch_(std::move(Kept())) {
        if (scratch_ == nullptr) scratch_ = std::make_unique<TScratch>();
    }
    ~TScratchLoan() { Kept() = std::move(scratch_); }
    TScratchLoan(const TScratchLoan&) = delete;
    TScratchLoan& operator=(const TScratchLoan&) = delete;

    TScratch& operator*() const { return *scratch_; }

private:
    static std::unique_ptr<TScratch>& Kept() {
        thread_local std::unique_ptr<TScratch> kept;
        return kept;
    }
    std::unique_ptr<TScratch> scratch_;
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

std::size_t Slot(int index) { return static_cast<std::size_t>(index); }

}  // namespace

// ----------------------------------------------------------------------------
// Indexing

/// The graph's nodes by 0-based position and, for each position, the edges that start
/// there in the order of Edges, with their ends' positions and their weights widened.
/// Building it changes nothing that anyone can see.
class TMathGraph::TIndex {
public:
    /// EInvalidObjectType when Nodes holds something that is not a node.
    TIndex(TScratch& scratch, TNodeList& nodes, const TEdgeList* edges)
        : nodes_(scratch.nodes), first_(scratch.first), outEdges_(scratch.outEdges) {
        IndexNodes(nodes);
        first_.assign(nodes_.size() + 1, 0);
        if (edges != nullptr) IndexEdges(*edges, scratch);
    }

    int NodeCount() const { return static_cast<int>(nodes_.size()); }
    TGraphNode* Node(int position) const { return nodes_[Slot(position)]; }
    /// -1 for none and for a node that is not in this graph.
    int PositionOf(const TGraphNode* node) const {
        if (node == nullptr || node->indexPass_ != pass_) return -1;
        return node->indexPosition_;
    }

    /// The out-edges of the node at position p are [First(p), First(p + 1)).
    int First(int position) const { return first_[Slot(position)]; }
    const TOutEdge& OutEdge(int k) const { return outEdges_[Slot(k)]; }

    /// False while every node and edge is of the plain class, whose hooks do nothing:
    /// then nobody can look at the graph while a search runs.
    bool HasHooks() const { return hasHooks_; }

    /// BuildOutEdges from the index. A node's old list is refilled rather than replaced:
    /// nobody may keep it across a rebuild, and one allocation per node is saved.
    void FillOutEdges() const {
        for (int p = 0; p < NodeCount(); ++p) {
            TGraphNode* node = Node(p);
            if (node->OutEdges == nullptr ||
                node->OutEdges->GetItemClass() != TGraphEdge::StaticClass())
                node->OutEdges = std::make_unique<TEdgeList>();
            std::vector<TObject*>& items = node->OutEdges->items_;
            items.resize(Slot(First(p + 1) - First(p)));
            for (int k = First(p); k < First(p + 1); ++k)
                items[Slot(k - First(p))] = OutEdge(k).edge;
        }
    }

private:
    void IndexNodes(TNodeList& nodes) {
        static std::atomic<std::uint64_t> lastPass{0};
        pass_ = ++lastPass;
        nodes_.clear();
        for (bool more = nodes.First(); more; more = nodes.Next()) {
            TObject* item = nodes.GetCurrent();
            if (!IsA<TGraphNode>(item)) throw EInvalidObjectType();
            auto* node = static_cast<TGraphNode*>(item);
            node->indexPass_ = pass_;  // a stamp nobody else reads: no visible change
            node->indexPosition_ = NodeCount();
            if (typeid(*node) != typeid(TGraphNode)) hasHooks_ = true;
            nodes_.push_back(node);
        }
    }

    // The position of an edge's end. The edge remembers where its ends were last time:
    // checking that guess against the position table is far cheaper than visiting the
    // node, and a guess gone stale only costs that visit.
    int Locate(const TGraphNode* node, int& guess) const {
        if (guess >= 0 && guess < NodeCount() && nodes_[Slot(guess)] == node) return guess;
        guess = PositionOf(node);
        return guess;
    }

    // Nodes per bucket in the first round of the sort below: a bucket's out-edges then
    // fit in the cache, where the second round's scattered writes stay.
    static constexpr int kBucketShift = 10;

    // A counting sort by start position in two rounds, both stable, so that each node's
    // edges keep the order of Edges. The first round appends each edge to the bucket of
    // its start node, a write stream per bucket; the second orders each bucket in place.
    // One round straight to the final places would miss the cache on almost every edge.
    void IndexEdges(const TEdgeList& edges, TScratch& scratch) {
        CountOutEdges(edges);
        outEdges_.resize(Slot(first_.back()));
        FillBuckets(edges, scratch.next);
        for (int node = 0; node < NodeCount(); node += 1 << kBucketShift)
            SortBucket(node, std::min(NodeCount(), node + (1 << kBucketShift)), scratch);
    }

    void CountOutEdges(const TEdgeList& edges) {
        for (TObject* item : edges.items_) {
            auto* edge = static_cast<TGraphEdge*>(item);
            const int from = Locate(edge->FromNode, edge->fromGuess_);
            Locate(edge->ToNode, edge->toGuess_);
            if (from >= 0) ++first_[Slot(from + 1)];
        }
        for (std::size_t p = 1; p < first_.size(); ++p) first_[p] += first_[p - 1];
    }

    void FillBuckets(const TEdgeList& edges, TBig<int>& next) {
        next.clear();
        for (int node = 0; node < NodeCount(); node += 1 << kBucketShift)
            next.push_back(First(node));
        for (TObject* item : edges.items_) {
            auto* edge = static_cast<TGraphEdge*>(item);
            const int from = edge->fromGuess_;  // settled, as the ToNode's, by CountOutEdges
            if (from < 0) continue;
            outEdges_[Slot(next[Slot(from >> kBucketShift)]++)] = {edge, edge->Weight.ToDouble(),
                                                                   edge->toGuess_, from};
            if (typeid(*edge) != typeid(TGraphEdge)) hasHooks_ = true;
        }
    }

    void SortBucket(int firstNode, int endNode, TScratch& scratch) {
        std::vector<TOutEdge>& bucket = scratch.bucket;
        bucket.assign(outEdges_.begin() + First(firstNode), outEdges_.begin() + First(endNode));
        TBig<int>& next = scratch.next;
        next.assign(first_.begin() + firstNode, first_.begin() + endNode);
        for (const TOutEdge& out : bucket)
            outEdges_[Slot(next[Slot(out.source - firstNode)]++)] = out;
    }

    std::uint64_t pass_ = 0;
    TBig<TGraphNode*>& nodes_;
    TBig<int>& first_;
    TBig<TOutEdge>& outEdges_;
    bool hasHooks_ = false;
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
class TMathGraph::TSearch {
public:
    TSearch(TScratch& scratch, const TIndex& index, int target)
        : index_(index),
          target_(target),
          through_(index.HasHooks()),
          distance_(scratch.distance),
          steps_(scratch.steps),
          heap_(scratch.heap, scratch.heapSlot, index.NodeCount()) {
        distance_.assign(Slot(index.NodeCount()), kInfinite);
        steps_.assign(Slot(index.NodeCount()), {nullptr, Real48::FromExtended(InfiniteDistance)});
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
            p = index_.PositionOf(edge->FromNode);
            // A loop of negative weight can close the PrevEdge links into a ring.
            if (p < 0 || passed[Slot(p)]) return;
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

    const TIndex& index_;
    const int target_;
    const bool through_;        // hooks are called: keep the nodes up to date
    double bound_ = kInfinite;  // the target's Distance as the search has seen it
    TBig<double>& distance_;
    TBig<TPathStep>& steps_;
    TNodeHeap heap_;
};

void TMathGraph::BuildOutEdges() {
    if (Nodes == nullptr) return;
    const TScratchLoan scratch;
    TIndex(*scratch, *Nodes, Edges.get()).FillOutEdges();
}

std::unique_ptr<TEdgeList> TMathGraph::ShortestPath(TGraphNode* source, TGraphNode* target) {
    auto result = std::make_unique<TEdgeList>();
    if (Nodes == nullptr) return result;
    const TScratchLoan scratch;
    const TIndex index(*scratch, *Nodes, Edges.get());
    const int from = index.PositionOf(source);
    const int to = index.PositionOf(target);
    if (from < 0 || to < 0) return result;
    index.FillOutEdges();
    TSearch search(*scratch, index, to);
    search.Run(from);
    search.WalkBack(*result);
    return result;
}

// ----------------------------------------------------------------------------
// Compare functions and node positions

namespace {

const TInteger& IntegerOf(TObject* object) {
    if (!IsA<TInteger>(object)) throw EInvalidCast();
    return *static_cast<const TInteger*>(object);
}

TArray& ArrayOf(TObject* object) {
    if (!IsA<TArray>(object)) throw EInvalidCast();
    return *static_cast<TArray*>(object);
}

}  // namespace

TCompareResult CompareInteger(TObject* a, TObject* b) {
    // Widened once each: a matrix being built compares every new cell with the one before.
    const double left = IntegerOf(a).Value.ToDouble();
    const double right = IntegerOf(b).Value.ToDouble();
    if (left < right) return crLess;
    if (left > right) return crGreater;
    return crEqual;
}

TCompareResult CompareArray(TObject* a, TObject* b) {
    if (IsA<TInteger>(a)) return CompareInteger(a, b);
    TArray& left = ArrayOf(a);
    TArray& right = ArrayOf(b);
    if (left.Count() != right.Count()) return left.Count() > right.Count() ? crGreater : crLess;
    const TCompareFunc compare = left.GetCompareFunction();
    for (int i = 1; i <= left.Count(); ++i) {
        const TCompareResult result = compare(left.GetItem(i), right.GetItem(i));
        if (result != crEqual) return result;
    }
    return crEqual;
}

int IndexOfNode(TNodeContainer* list, const TObject* node) {
    int position = 1;
    for (bool more = list->First(); more; more = list->Next(), ++position)
        if (list->GetCurrent() == node) return position;
    return 0;
}

TNodeIndex::TNodeIndex(TNodeContainer& list) {
    nodes_.reserve(static_cast<std::size_t>(list.Count()));
    positions_.reserve(static_cast<std::size_t>(list.Count()));
    for (bool more = list.First(); more; more = list.Next()) {
        auto* node = As<TGraphNode>(list.GetCurrent());
        nodes_.push_back(node);
        positions_.try_emplace(node, Count());  // a node held twice is found at its first place
    }
}

int TNodeIndex::PositionOf(const TObject* node) const {
    const auto found = positions_.find(node);
    return found != positions_.end() ? found->second : 0;
}

TGraphNode* TNodeIndex::NodeAt(int position) const {
    if (position < 1 || position > Count()) throw EInvalidIndex();
    return nodes_[Slot(position - 1)];
}

// ----------------------------------------------------------------------------
// The weight matrix

namespace {

/// Edges made but not yet handed to the graph: destroyed with the list unless released.
class TNewEdges {
public:
    TNewEdges() : list_(std::make_unique<TEdgeList>()) {}
    ~TNewEdges() {
        if (list_ == nullptr) return;
        for (int i = 0; i < list_->Count(); ++i) delete list_->Get(i);
    }
    TNewEdges(const TNewEdges&) = delete;
    TNewEdges& operator=(const TNewEdges&) = delete;

    void Add(std::unique_ptr<TGraphEdge> edge) {
        list_->Add(edge.get());
        edge.release();  // the list holds it now
    }
    std::unique_ptr<TEdgeList> Release() { return std::move(list_); }

private:
    std::unique_ptr<TEdgeList> list_;
};

std::unique_ptr<TArray> MakeZeroMatrix(int size) {
    auto matrix = std::make_unique<TArray>(TArray::StaticClass(), CompareArray, size, 0);
    for (int i = 0; i < size; ++i) {
        auto row = std::make_unique<TArray>(TInteger::StaticClass(), CompareInteger, size, 0);
        matrix->Add(row.get());
        row.release();
    }
    // Rows are filled only once all are in: compared while empty, they all count as equal,
    // and so do cells that are all 0, which makes every Sorted flag written true.
    for (int i = 1; i <= size; ++i) {
        TArray& row = ArrayOf(matrix->GetItem(i));
        for (int j = 0; j < size; ++j) {
            auto cell = std::make_unique<TInteger>(0);
            row.Add(cell.get());
            cell.release();
        }
    }
    return matrix;
}

}  // namespace

void TMathGraph::BuildMatrix() {
    Matrix.reset();
    const TNodeIndex index(*Nodes);
    auto matrix = MakeZeroMatrix(index.Count());
    for (int k = 0; k < Edges->Count(); ++k) {
        const TGraphEdge* edge = Edges->Get(k);
        const int from = index.PositionOf(edge->FromNode);
        const int to = index.PositionOf(edge->ToNode);
        TArray& row = ArrayOf(matrix->GetItem(from));
        // Changed in place, not replaced: the row's Sorted flag is not looked at again.
        static_cast<TInteger*>(row.GetItem(to))->Value = edge->GetWeight();
    }
    Matrix = std::move(matrix);
}

void TMathGraph::BuildEdgesFromMatrix() {
    const TNodeIndex index(*Nodes);
    TNewEdges edges;
    for (int i = 1; i <= Matrix->Count(); ++i) {
        TArray& row = ArrayOf(Matrix->GetItem(i));
        for (int j = 1; j <= row.Count(); ++j) {
            const Real48 weight = IntegerOf(row.GetItem(j)).Value;
            if (weight == Real48()) continue;
            auto edge = std::make_unique<TGraphEdge>(index.NodeAt(i), index.NodeAt(j));
            edge->Weight = weight;
            edges.Add(std::move(edge));
        }
    }
    std::unique_ptr<TEdgeList> old = std::exchange(Edges, edges.Release());
    if (old != nullptr)
        for (int k = 0; k < old->Count(); ++k) delete old->Get(k);
}
