#include "algorithms/GraphSnapshot.h"

#if defined(__linux__)
#include <sys/mman.h>
#endif

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>

namespace {

/// Node addresses to positions, in one flat table: a million nodes and ten million
/// look-ups of edge ends, where a node-based hash map would miss the cache twice a look-up.
class TPositionTable {
public:
    explicit TPositionTable(std::size_t count)
        : bits_(std::max(4, static_cast<int>(std::bit_width(count + count / 2)))),
          slots_(Allocate(std::size_t{1} << bits_)) {
        std::uninitialized_fill_n(slots_.get(), Size(), TSlot{nullptr, 0});
    }

    /// Keeps the first position given for a node.
    void Insert(const TGraphNode* node, int position) {
        std::size_t i = Home(node);
        while (slots_[i].node != nullptr && slots_[i].node != node) i = (i + 1) & Mask();
        if (slots_[i].node == nullptr) slots_[i] = {node, position};
    }
    /// 0 when node is not held.
    int Find(const TGraphNode* node) const {
        for (std::size_t i = Home(node);; i = (i + 1) & Mask()) {
            if (slots_[i].node == node) return slots_[i].position;
            if (slots_[i].node == nullptr) return 0;
        }
    }
    void Prefetch(const TGraphNode* node) const { __builtin_prefetch(&slots_[Home(node)]); }

private:
    struct TSlot {
        const TGraphNode* node;
        int position;
    };
    struct TFree {
        void operator()(TSlot* slots) const { std::free(slots); }
    };
    static constexpr std::size_t kHugePage = std::size_t{2} << 20;

    // In huge pages where the system gives them: the look-ups land at random, and with
    // small pages almost each of them would also miss the address cache.
    static std::unique_ptr<TSlot[], TFree> Allocate(std::size_t count) {
        const std::size_t bytes = (count * sizeof(TSlot) + kHugePage - 1) / kHugePage * kHugePage;
        void* block = std::aligned_alloc(kHugePage, bytes);
        if (block == nullptr) throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
        madvise(block, bytes, MADV_HUGEPAGE);  // only advice: without, small pages serve
#endif
        return std::unique_ptr<TSlot[], TFree>(static_cast<TSlot*>(block));
    }
    std::size_t Size() const { return std::size_t{1} << bits_; }
    std::size_t Mask() const { return Size() - 1; }
    std::size_t Home(const TGraphNode* node) const {
        const auto key = reinterpret_cast<std::uintptr_t>(node) >> 4;
        return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> (64 - bits_));
    }

    int bits_;
    std::unique_ptr<TSlot[], TFree> slots_;
};

// How many edges ahead the ends' table slots are asked for.
constexpr std::size_t kLookAhead = 16;

}  // namespace

TGraphSnapshot::TGraphSnapshot(TMathGraph& graph) {
    for (bool more = graph.Nodes->First(); more; more = graph.Nodes->Next())
        nodes_.push_back(As<TGraphNode>(graph.Nodes->GetCurrent()));
    nodeCount_ = static_cast<int>(nodes_.size());
    TPositionTable positions(nodes_.size());
    for (std::size_t i = 0; i < nodes_.size(); ++i)
        positions.Insert(nodes_[i], static_cast<int>(i) + 1);
    const TEdgeList& edges = *graph.Edges;
    const int count = edges.Count();
    liveEdges_.resize(static_cast<std::size_t>(count));
    edges_.resize(liveEdges_.size());
    for (int k = 0; k < count; ++k) {
        if (k + static_cast<int>(kLookAhead) < count) {
            const TGraphEdge* ahead = edges.Get(k + static_cast<int>(kLookAhead));
            positions.Prefetch(ahead->FromNode);
            positions.Prefetch(ahead->ToNode);
        }
        TGraphEdge* edge = edges.Get(k);
        const auto place = static_cast<std::size_t>(k);
        liveEdges_[place] = edge;
        edges_[place] = {positions.Find(edge->FromNode), positions.Find(edge->ToNode),
                         edge->Weight.ToDouble()};
        if (edges_[place].from == 0 || edges_[place].to == 0) throw EInvalidIndex();
    }
    BuildGraph();
}

TGraphSnapshot::TGraphSnapshot(int nodeCount, const std::vector<TPlainEdge>& edges)
    : nodeCount_(nodeCount), edges_(edges) {
    for (const TPlainEdge& edge : edges_)
        if (edge.from < 1 || edge.from > nodeCount || edge.to < 1 || edge.to > nodeCount)
            throw EInvalidIndex();
    BuildGraph();
}

namespace {

/// An edge on its way into the graph's arrays.
struct TSorting {
    std::uint32_t from;
    std::uint32_t to;
    TSnapshotEdge edge;
};

// Vertices per bucket in the first round of the sort below: a bucket's edges then fit in
// the cache, where the second round's scattered writes stay.
constexpr int kBucketShift = 10;

}  // namespace

// A counting sort by start vertex in two rounds, both stable, so that each vertex's
// out-edges keep the order of Edges: the first appends each edge to the bucket of its
// start, a write stream per bucket; the second puts each bucket's edges in their places.
// One round straight to the final places would miss the cache on almost every edge.
void TGraphSnapshot::BuildGraph() {
    const auto n = static_cast<std::size_t>(nodeCount_);
    std::vector<std::uint32_t> start(n + 1, 0);
    for (const TPlainEdge& e : edges_) ++start[static_cast<std::size_t>(e.from)];
    for (std::size_t v = 0; v < n; ++v) start[v + 1] += start[v];
    std::vector<std::uint32_t> bucketNext;
    for (std::size_t v = 0; v < n; v += std::size_t{1} << kBucketShift)
        bucketNext.push_back(start[v]);
    std::vector<TSorting> bucketed(edges_.size());
    for (std::size_t k = 0; k < edges_.size(); ++k) {
        const TPlainEdge& e = edges_[k];
        const auto from = static_cast<std::uint32_t>(e.from - 1);
        bucketed[bucketNext[from >> kBucketShift]++] = {
            from, static_cast<std::uint32_t>(e.to - 1), {e.weight, static_cast<int>(k)}};
    }
    std::vector<std::uint32_t> sources(edges_.size()), targets(edges_.size());
    std::vector<TSnapshotEdge> properties(edges_.size());
    for (const TSorting& e : bucketed) {
        const std::uint32_t place = start[e.from]++;
        sources[place] = e.from, targets[place] = e.to, properties[place] = e.edge;
    }
    // Already in order: Boost only checks that and takes the arrays over.
    graph_ = TSnapshotGraph(boost::construct_inplace_from_sources_and_targets, sources, targets,
                            properties, static_cast<std::uint32_t>(n));
}

bool TGraphSnapshot::HasNegativeWeight(bool countLoops) const {
    return std::any_of(edges_.begin(), edges_.end(), [countLoops](const TPlainEdge& e) {
        return e.weight < 0 && (countLoops || e.from != e.to);
    });
}

void TGraphSnapshot::CheckPosition(int position) const {
    if (position < 1 || position > nodeCount_) throw EInvalidIndex();
}

TGraphNode* TGraphSnapshot::NodeAt(int position) const {
    return nodes_.empty() ? nullptr : nodes_[static_cast<std::size_t>(position - 1)];
}

TGraphEdge* TGraphSnapshot::EdgeAt(int k) const {
    return liveEdges_.empty() ? nullptr : liveEdges_[static_cast<std::size_t>(k)];
}

int TGraphSnapshot::PositionOf(const TGraphNode* node) const {
    const auto found = std::find(nodes_.begin(), nodes_.end(), node);
    return found == nodes_.end() ? 0 : static_cast<int>(found - nodes_.begin()) + 1;
}
