// Where a graph's nodes and edges lie, by squares of the graph's plane: hit tests and
// drawing look at the few squares they need instead of the whole graph, and still find
// the elements in the order of their lists.
#pragma once

#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

#include "editor/GraphPoint.h"
#include "graph/ObjGraph.h"

/// A box of the graph's plane, bounds included.
struct TGraphBox {
    std::int64_t X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
};

/// Follows one graph as its owner reports each change; a change not reported (or one
/// reported only as Invalidate) makes the index rebuild itself from the graph at the
/// next question, which costs a walk of both lists. It also rebuilds whenever its counts
/// differ from the graph's. REQUIRES: every node of the graph is a TGraphPoint.
class TSceneIndex {
public:
    /// The side of a square, in graph units: a hit test looks at four at most.
    static constexpr int kCell = 64;

    /// Forgets everything: the next question rebuilds from graph, which must outlive the
    /// index or be replaced by the next Reset.
    void Reset(const TMathGraph& graph);
    void Invalidate() { valid_ = false; }

    // Changes, each as it is made. REQUIRES: the index is valid or invalidated.
    void NodeAppended(const TGraphPoint* node);
    void EdgeAppended(const TGraphEdge* edge);
    /// node (and so its edges) now at its new place.
    void NodeMoved(const TGraphPoint* node);
    /// A caption of bytes bytes was given to a node.
    void CaptionSet(std::size_t bytes);
    /// Taken out of the graph; the order of the others stays.
    void NodeRemoved(const TGraphPoint* node);
    void EdgeRemoved(const TGraphEdge* edge);

    /// The box of every node's centre; none for a graph without nodes.
    std::optional<TGraphBox> Bounds();

    /// The earliest node of Nodes whose centre differs from (x, y) by less than distance
    /// in both coordinates, or none.
    TGraphPoint* FirstNodeNear(std::int64_t x, std::int64_t y, int distance);
    /// The nodes whose centre lies in one of boxes, each once, in the order of Nodes.
    std::vector<const TGraphPoint*> NodesWithin(const std::vector<TGraphBox>& boxes);
    /// The edges whose ends' bounding box meets one of boxes, each once, in the order of
    /// Edges.
    std::vector<const TGraphEdge*> EdgesMeeting(const std::vector<TGraphBox>& boxes);
    /// The edges that start or end at node, in no order.
    const std::vector<const TGraphEdge*>& EdgesAt(const TGraphPoint* node);
    /// No caption is longer, in bytes; some may be shorter than they were.
    std::size_t LongestCaption();

private:
    struct TNodeEntry {
        std::uint64_t rank;
        std::int64_t key;
        std::int32_t x, y;  // where it was filed
        std::vector<const TGraphEdge*> edges;
    };
    struct TEdgeEntry {
        std::uint64_t rank;
        std::int64_t cx1, cy1, cx2, cy2;  // the squares it is filed under
        bool isLong;
    };
    template <class T>
    struct TRanked {
        std::uint64_t rank;
        T element;
    };

    void EnsureValid();
    void Rebuild();
    void FileNode(TGraphPoint* node, std::uint64_t rank);
    void FileEdge(const TGraphEdge* edge, std::uint64_t rank);
    void FileEdgeSquares(const TGraphEdge* edge, TEdgeEntry& entry);
    void UnfileEdgeSquares(const TGraphEdge* edge, const TEdgeEntry& entry);
    /// Whether walking the list costs less than looking at the squares of box.
    bool WalkIsCheaper(const std::vector<TGraphBox>& boxes, std::size_t count) const;
    static std::int64_t Square(std::int64_t v);
    static std::int64_t Key(std::int64_t cx, std::int64_t cy);

    const TMathGraph* graph_ = nullptr;
    bool valid_ = false;
    std::uint64_t nextNodeRank_ = 0;
    std::uint64_t nextEdgeRank_ = 0;
    std::size_t longestCaption_ = 0;
    std::optional<TGraphBox> bounds_;
    bool boundsValid_ = false;  // a node taken out may have held them
    std::unordered_map<const TGraphPoint*, TNodeEntry> nodes_;
    std::unordered_map<const TGraphEdge*, TEdgeEntry> edges_;
    std::unordered_map<std::int64_t, std::vector<TGraphPoint*>> nodeSquares_;
    std::unordered_map<std::int64_t, std::vector<const TGraphEdge*>> edgeSquares_;
    std::vector<const TGraphEdge*> longEdges_;  // across too many squares to file
};
