#include "editor/SceneIndex.h"

#include <algorithm>
#include <cstdlib>
#include <type_traits>

namespace {

// An edge across more squares than this is looked at by every question instead: filing
// a long edge under every square it crosses would cost more than testing it.
constexpr std::int64_t kMostSquaresPerEdge = 16;

template <class T>
void EraseOne(std::vector<T>& items, T item) {
    const auto found = std::find(items.begin(), items.end(), item);
    if (found == items.end()) return;
    *found = items.back();
    items.pop_back();
}

const TGraphPoint* PointOf(const TGraphNode* node) { return static_cast<const TGraphPoint*>(node); }

bool Meets(const TGraphBox& box, std::int64_t x1, std::int64_t y1, std::int64_t x2,
           std::int64_t y2) {
    return x1 <= box.X2 && x2 >= box.X1 && y1 <= box.Y2 && y2 >= box.Y1;
}

bool Meets(const TGraphBox& box, const TGraphEdge& edge) {
    const TGraphPoint* a = PointOf(edge.FromNode);
    const TGraphPoint* b = PointOf(edge.ToNode);
    return Meets(box, std::min(a->X, b->X), std::min(a->Y, b->Y), std::max(a->X, b->X),
                 std::max(a->Y, b->Y));
}

bool Holds(const TGraphBox& box, const TGraphPoint& node) {
    return Meets(box, node.X, node.Y, node.X, node.Y);
}

template <class T>
bool AnyMeets(const std::vector<TGraphBox>& boxes, const T& element) {
    for (const TGraphBox& box : boxes)
        if constexpr (std::is_same_v<T, TGraphPoint>) {
            if (Holds(box, element)) return true;
        } else if (Meets(box, element)) {
            return true;
        }
    return false;
}

void Extend(std::optional<TGraphBox>& bounds, const TGraphPoint& node) {
    if (!bounds) {
        bounds = TGraphBox{node.X, node.Y, node.X, node.Y};
        return;
    }
    bounds->X1 = std::min<std::int64_t>(bounds->X1, node.X);
    bounds->Y1 = std::min<std::int64_t>(bounds->Y1, node.Y);
    bounds->X2 = std::max<std::int64_t>(bounds->X2, node.X);
    bounds->Y2 = std::max<std::int64_t>(bounds->Y2, node.Y);
}

}  // namespace

std::int64_t TSceneIndex::Square(std::int64_t v) {
    return v >= 0 ? v / kCell : -((-v + kCell - 1) / kCell);
}

std::int64_t TSceneIndex::Key(std::int64_t cx, std::int64_t cy) {
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(cx) << 32 ^
                                     static_cast<std::uint32_t>(cy));
}

void TSceneIndex::Reset(const TMathGraph& graph) {
    graph_ = &graph;
    valid_ = false;
}

void TSceneIndex::EnsureValid() {
    if (valid_ && nodes_.size() == static_cast<std::size_t>(graph_->Nodes->Count()) &&
        edges_.size() == static_cast<std::size_t>(graph_->Edges->Count()))
        return;
    Rebuild();
}

void TSceneIndex::Rebuild() {
    nodes_.clear();
    edges_.clear();
    nodeSquares_.clear();
    edgeSquares_.clear();
    longEdges_.clear();
    longestCaption_ = 0;
    bounds_.reset();
    boundsValid_ = true;
    const int nodeCount = graph_->Nodes->Count(), edgeCount = graph_->Edges->Count();
    nodes_.reserve(static_cast<std::size_t>(nodeCount));
    edges_.reserve(static_cast<std::size_t>(edgeCount));
    for (int i = 1; i <= nodeCount; ++i) {
        auto* node = static_cast<TGraphPoint*>(graph_->Nodes->GoToIndex(i));
        FileNode(node, static_cast<std::uint64_t>(i));
    }
    for (int k = 0; k < edgeCount; ++k)
        FileEdge(graph_->Edges->Get(k), static_cast<std::uint64_t>(k));
    nextNodeRank_ = static_cast<std::uint64_t>(nodeCount) + 1;
    nextEdgeRank_ = static_cast<std::uint64_t>(edgeCount);
    valid_ = true;
}

void TSceneIndex::FileNode(TGraphPoint* node, std::uint64_t rank) {
    const std::int64_t key = Key(Square(node->X), Square(node->Y));
    nodes_[node] = TNodeEntry{rank, key, node->X, node->Y, {}};
    nodeSquares_[key].push_back(node);
    if (boundsValid_) Extend(bounds_, *node);
    if (node->Caption) longestCaption_ = std::max(longestCaption_, node->Caption->Text.size());
}

void TSceneIndex::FileEdge(const TGraphEdge* edge, std::uint64_t rank) {
    TEdgeEntry& entry = edges_[edge];
    entry.rank = rank;
    FileEdgeSquares(edge, entry);
    for (const TGraphNode* end : {edge->FromNode, edge->ToNode}) {
        const auto found = nodes_.find(PointOf(end));
        if (found != nodes_.end()) found->second.edges.push_back(edge);
        if (edge->FromNode == edge->ToNode) break;  // a loop is at its node once
    }
}

void TSceneIndex::FileEdgeSquares(const TGraphEdge* edge, TEdgeEntry& entry) {
    const TGraphPoint* a = PointOf(edge->FromNode);
    const TGraphPoint* b = PointOf(edge->ToNode);
    entry.cx1 = Square(std::min(a->X, b->X));
    entry.cx2 = Square(std::max(a->X, b->X));
    entry.cy1 = Square(std::min(a->Y, b->Y));
    entry.cy2 = Square(std::max(a->Y, b->Y));
    entry.isLong = (entry.cx2 - entry.cx1 + 1) * (entry.cy2 - entry.cy1 + 1) > kMostSquaresPerEdge;
    if (entry.isLong) {
        longEdges_.push_back(edge);
        return;
    }
    for (std::int64_t cx = entry.cx1; cx <= entry.cx2; ++cx)
        for (std::int64_t cy = entry.cy1; cy <= entry.cy2; ++cy)
            edgeSquares_[Key(cx, cy)].push_back(edge);
}

void TSceneIndex::UnfileEdgeSquares(const TGraphEdge* edge, const TEdgeEntry& entry) {
    if (entry.isLong) {
        EraseOne(longEdges_, edge);
        return;
    }
    for (std::int64_t cx = entry.cx1; cx <= entry.cx2; ++cx)
        for (std::int64_t cy = entry.cy1; cy <= entry.cy2; ++cy)
            EraseOne(edgeSquares_[Key(cx, cy)], edge);
}

void TSceneIndex::NodeAppended(const TGraphPoint* node) {
    if (!valid_) return;
    FileNode(const_cast<TGraphPoint*>(node), nextNodeRank_++);
}

void TSceneIndex::EdgeAppended(const TGraphEdge* edge) {
    if (!valid_) return;
    FileEdge(edge, nextEdgeRank_++);
}

void TSceneIndex::NodeMoved(const TGraphPoint* node) {
    if (!valid_) return;
    const auto found = nodes_.find(node);
    if (found == nodes_.end()) return Invalidate();
    TNodeEntry& entry = found->second;
    const std::int64_t key = Key(Square(node->X), Square(node->Y));
    // A node that left the bounds' edge may have taken them in.
    if (boundsValid_ && bounds_ &&
        (entry.x == bounds_->X1 || entry.x == bounds_->X2 || entry.y == bounds_->Y1 ||
         entry.y == bounds_->Y2))
        boundsValid_ = false;
    if (boundsValid_) Extend(bounds_, *node);
    entry.x = node->X, entry.y = node->Y;
    if (key != entry.key) {
        EraseOne(nodeSquares_[entry.key], const_cast<TGraphPoint*>(node));
        nodeSquares_[key].push_back(const_cast<TGraphPoint*>(node));
        entry.key = key;
    }
    for (const TGraphEdge* edge : entry.edges) {
        TEdgeEntry& edgeEntry = edges_.at(edge);
        UnfileEdgeSquares(edge, edgeEntry);
        FileEdgeSquares(edge, edgeEntry);
    }
}

void TSceneIndex::NodeRemoved(const TGraphPoint* node) {
    if (!valid_) return;
    const auto found = nodes_.find(node);
    if (found == nodes_.end() || !found->second.edges.empty()) return Invalidate();
    EraseOne(nodeSquares_[found->second.key], const_cast<TGraphPoint*>(node));
    nodes_.erase(found);
    boundsValid_ = false;
}

void TSceneIndex::EdgeRemoved(const TGraphEdge* edge) {
    if (!valid_) return;
    const auto found = edges_.find(edge);
    if (found == edges_.end()) return Invalidate();
    UnfileEdgeSquares(edge, found->second);
    edges_.erase(found);
    for (const TGraphNode* end : {edge->FromNode, edge->ToNode})
        if (const auto at = nodes_.find(PointOf(end)); at != nodes_.end())
            EraseOne(at->second.edges, edge);
}

std::optional<TGraphBox> TSceneIndex::Bounds() {
    EnsureValid();
    if (!boundsValid_) {
        bounds_.reset();
        for (const auto& [node, entry] : nodes_) Extend(bounds_, *node);
        boundsValid_ = true;
    }
    return bounds_;
}

void TSceneIndex::CaptionSet(std::size_t bytes) {
    longestCaption_ = std::max(longestCaption_, bytes);
}

std::size_t TSceneIndex::LongestCaption() {
    EnsureValid();
    return longestCaption_;
}

TGraphPoint* TSceneIndex::FirstNodeNear(std::int64_t x, std::int64_t y, int distance) {
    EnsureValid();
    TGraphPoint* first = nullptr;
    std::uint64_t firstRank = 0;
    for (std::int64_t cx = Square(x - distance + 1); cx <= Square(x + distance - 1); ++cx)
        for (std::int64_t cy = Square(y - distance + 1); cy <= Square(y + distance - 1); ++cy) {
            const auto square = nodeSquares_.find(Key(cx, cy));
            if (square == nodeSquares_.end()) continue;
            for (TGraphPoint* node : square->second) {
                if (std::abs(x - node->X) >= distance || std::abs(y - node->Y) >= distance)
                    continue;
                const std::uint64_t rank = nodes_.at(node).rank;
                if (first == nullptr || rank < firstRank) first = node, firstRank = rank;
            }
        }
    return first;
}

bool TSceneIndex::WalkIsCheaper(const std::vector<TGraphBox>& boxes, std::size_t count) const {
    double squares = 0;
    for (const TGraphBox& box : boxes)
        squares += double(Square(box.X2) - Square(box.X1) + 1) *
                   double(Square(box.Y2) - Square(box.Y1) + 1);
    return squares > double(count) / 4;
}

std::vector<const TGraphPoint*> TSceneIndex::NodesWithin(const std::vector<TGraphBox>& boxes) {
    EnsureValid();
    std::vector<const TGraphPoint*> found;
    if (WalkIsCheaper(boxes, nodes_.size())) {
        for (int i = 1; i <= graph_->Nodes->Count(); ++i) {
            const auto* node = PointOf(static_cast<TGraphNode*>(graph_->Nodes->GoToIndex(i)));
            if (AnyMeets(boxes, *node)) found.push_back(node);
        }
        return found;
    }
    std::vector<TRanked<const TGraphPoint*>> ranked;
    for (const TGraphBox& box : boxes)
        for (std::int64_t cx = Square(box.X1); cx <= Square(box.X2); ++cx)
            for (std::int64_t cy = Square(box.Y1); cy <= Square(box.Y2); ++cy) {
                const auto square = nodeSquares_.find(Key(cx, cy));
                if (square == nodeSquares_.end()) continue;
                for (const TGraphPoint* node : square->second)
                    if (Holds(box, *node)) ranked.push_back({nodes_.at(node).rank, node});
            }
    // A node in several boxes is found once for each.
    std::sort(ranked.begin(), ranked.end(), [](auto& a, auto& b) { return a.rank < b.rank; });
    for (const auto& r : ranked)
        if (found.empty() || found.back() != r.element) found.push_back(r.element);
    return found;
}

std::vector<const TGraphEdge*> TSceneIndex::EdgesMeeting(const std::vector<TGraphBox>& boxes) {
    EnsureValid();
    std::vector<const TGraphEdge*> found;
    if (WalkIsCheaper(boxes, edges_.size())) {
        for (int k = 0; k < graph_->Edges->Count(); ++k)
            if (const TGraphEdge* edge = graph_->Edges->Get(k); AnyMeets(boxes, *edge))
                found.push_back(edge);
        return found;
    }
    std::vector<TRanked<const TGraphEdge*>> ranked;
    for (const TGraphBox& box : boxes) {
        for (std::int64_t cx = Square(box.X1); cx <= Square(box.X2); ++cx)
            for (std::int64_t cy = Square(box.Y1); cy <= Square(box.Y2); ++cy) {
                const auto square = edgeSquares_.find(Key(cx, cy));
                if (square == edgeSquares_.end()) continue;
                for (const TGraphEdge* edge : square->second)
                    if (Meets(box, *edge)) ranked.push_back({edges_.at(edge).rank, edge});
            }
        for (const TGraphEdge* edge : longEdges_)
            if (Meets(box, *edge)) ranked.push_back({edges_.at(edge).rank, edge});
    }
    // An edge filed under several squares, or in several boxes, is found once for each.
    std::sort(ranked.begin(), ranked.end(), [](auto& a, auto& b) { return a.rank < b.rank; });
    for (const auto& r : ranked)
        if (found.empty() || found.back() != r.element) found.push_back(r.element);
    return found;
}

const std::vector<const TGraphEdge*>& TSceneIndex::EdgesAt(const TGraphPoint* node) {
    EnsureValid();
    static const std::vector<const TGraphEdge*> none;
    const auto found = nodes_.find(node);
    return found == nodes_.end() ? none : found->second.edges;
}
