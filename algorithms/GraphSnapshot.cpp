#include "algorithms/GraphSnapshot.h"

#include <algorithm>
#include <cstdint>

#include "support/LargeVector.h"

// The graph keeps where its edges' ends stand from one search or snapshot to the next, so
// that a snapshot of a graph unchanged since then looks up no end at all.
TGraphSnapshot::TGraphSnapshot(TMathGraph& graph) {
    const TEdgeEndIndex index = graph.EdgeEnds();
    nodes_.assign(index.nodes.begin(), index.nodes.end());
    nodeCount_ = static_cast<int>(nodes_.size());
    ReserveLarge(liveEdges_, index.ends.size());
    ReserveLarge(edges_, index.ends.size());
    for (std::size_t k = 0; k < index.ends.size(); ++k) {
        const TEdgeEndPositions ends = index.ends[k];
        if (ends.from < 0 || ends.to < 0) throw EInvalidIndex();
        TGraphEdge* edge = graph.Edges->Get(static_cast<int>(k));
        liveEdges_.push_back(edge);
        edges_.push_back({ends.from + 1, ends.to + 1, edge->Weight.ToDouble()});
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

/// An edge on its way to its place in the graph's arrays.
struct TSorting {
    std::uint32_t from;
    std::uint32_t to;
    TSnapshotEdge edge;
};

// Vertices per bucket in the first round of the sort below: a bucket's edges then fit in
// the cache, where the second round's scattered writes stay.
constexpr std::size_t kBucketShift = 10;

}  // namespace

// A counting sort by start vertex in two rounds, both stable, so that each vertex's
// out-edges keep the order of Edges: the first appends each edge to the bucket of its
// start, a write stream per bucket; the second puts each bucket's edges in their places.
// One round straight to the final places would miss the cache on almost every edge. Both
// rounds work in the graph's own arrays, with a bucket's worth of scratch: fresh memory
// is the dearest part of a large snapshot.
void TGraphSnapshot::BuildGraph() {
    const auto n = static_cast<std::size_t>(nodeCount_);
    std::vector<std::uint32_t> start(n + 1, 0);
    for (const TPlainEdge& e : edges_) ++start[static_cast<std::size_t>(e.from)];
    for (std::size_t v = 0; v < n; ++v) start[v + 1] += start[v];
    std::vector<std::uint32_t> bucketNext;
    for (std::size_t v = 0; v < n; v += std::size_t{1} << kBucketShift)
        bucketNext.push_back(start[v]);
    auto sources = LargeVector<std::uint32_t>(edges_.size());
    auto targets = LargeVector<std::uint32_t>(edges_.size());
    auto properties = LargeVector<TSnapshotEdge>(edges_.size());
    for (std::size_t k = 0; k < edges_.size(); ++k) {
        const TPlainEdge& e = edges_[k];
        const auto from = static_cast<std::uint32_t>(e.from - 1);
        const std::uint32_t place = bucketNext[from >> kBucketShift]++;
        sources[place] = from, targets[place] = static_cast<std::uint32_t>(e.to - 1);
        properties[place] = {e.weight, static_cast<int>(k)};
    }
    std::vector<TSorting> bucket;
    for (std::size_t first = 0; first < n; first += std::size_t{1} << kBucketShift) {
        const std::uint32_t begin = start[first];
        const std::uint32_t end = start[std::min(n, first + (std::size_t{1} << kBucketShift))];
        bucket.clear();
        for (std::uint32_t i = begin; i < end; ++i)
            bucket.push_back({sources[i], targets[i], properties[i]});
        for (const TSorting& e : bucket) {
            const std::uint32_t place = start[e.from]++;
            sources[place] = e.from, targets[place] = e.to, properties[place] = e.edge;
        }
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
