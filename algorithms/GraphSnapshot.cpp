#include "algorithms/GraphSnapshot.h"

#include <algorithm>
#include <bit>
#include <boost/iterator/counting_iterator.hpp>
#include <boost/iterator/transform_iterator.hpp>
#include <cstdint>

namespace {

/// Node addresses to positions, in one flat table: a million nodes and ten million
/// look-ups of edge ends, where a node-based hash map would miss the cache twice a look-up.
class TPositionTable {
public:
    explicit TPositionTable(std::size_t count)
        : bits_(std::max(4, static_cast<int>(std::bit_width(count + count / 2)))),
          slots_(std::size_t{1} << bits_, TSlot{nullptr, 0}) {}

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
    std::size_t Mask() const { return slots_.size() - 1; }
    std::size_t Home(const TGraphNode* node) const {
        const auto key = reinterpret_cast<std::uintptr_t>(node) >> 4;
        return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> (64 - bits_));
    }

    int bits_;
    std::vector<TSlot> slots_;
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
    const int count = graph.Edges->Count();
    liveEdges_.resize(static_cast<std::size_t>(count));
    for (int k = 0; k < count; ++k) liveEdges_[static_cast<std::size_t>(k)] = graph.Edges->Get(k);
    edges_.resize(liveEdges_.size());
    for (std::size_t k = 0; k < liveEdges_.size(); ++k) {
        if (k + kLookAhead < liveEdges_.size()) {
            positions.Prefetch(liveEdges_[k + kLookAhead]->FromNode);
            positions.Prefetch(liveEdges_[k + kLookAhead]->ToNode);
        }
        const TGraphEdge& edge = *liveEdges_[k];
        edges_[k] = {positions.Find(edge.FromNode), positions.Find(edge.ToNode),
                     edge.Weight.ToDouble()};
        if (edges_[k].from == 0 || edges_[k].to == 0) throw EInvalidIndex();
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

void TGraphSnapshot::BuildGraph() {
    using TEnds = std::pair<std::uint32_t, std::uint32_t>;
    const auto ends = [](const TPlainEdge& e) {
        return TEnds(static_cast<std::uint32_t>(e.from - 1), static_cast<std::uint32_t>(e.to - 1));
    };
    const auto property = [this](int k) {
        return TSnapshotEdge{edges_[static_cast<std::size_t>(k)].weight, k};
    };
    // Boost's counting sort is stable: each vertex's out-edges keep the order of Edges.
    graph_ = TSnapshotGraph(boost::edges_are_unsorted_multi_pass,
                            boost::make_transform_iterator(edges_.cbegin(), ends),
                            boost::make_transform_iterator(edges_.cend(), ends),
                            boost::make_transform_iterator(boost::counting_iterator<int>(0), property),
                            static_cast<std::uint32_t>(nodeCount_));
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
