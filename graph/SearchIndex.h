// Private to the search (ShortestPath.cpp and SearchIndex.cpp), never included from
// outside graph/: the index a search works from, and the workspace that holds its arrays
// from one search to the next.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "graph/NodeIndex.h"
#include "graph/ObjGraph.h"
#include "graph/ShortestPath.h"
#include "support/HugePageAllocator.h"

namespace search {

/// The search reads its arrays at random: big ones get huge pages.
template <class T>
using TBig = std::vector<T, THugePageAllocator<T>>;

inline std::size_t Slot(int index) { return static_cast<std::size_t>(index); }

struct TOutEdge {
    TGraphEdge* edge;
    double weight;  // exact: a Real48 has 40 bits of significand and a narrow exponent
    int target;     // the position of ToNode; -1 when that is not a node of this graph
    int source;     // the position of FromNode
};

/// Where an edge's FromNode and ToNode stood in Nodes when the graph last indexed its
/// edges, by the edge's place in Edges: a guess, checked before use, that spares the
/// search a look-up of each end.
struct TEndGuess {
    int from = -1;
    int to = -1;
};

/// A node's PrevEdge and Distance as the search has set them. Apart from the widened
/// distances and the heap slots, which the search reads far more often and which stay in
/// the cache better in arrays of their own.
struct TPathStep {
    TGraphEdge* previous;
    Real48 stored;
};

struct THeapEntry {
    double key;
    int position;
};

}  // namespace search

/// The arrays of a graph's searches, by node position or out-edge. A graph keeps them
/// from one search to the next, so that a large graph pays for fresh memory once and not
/// on every search, and so that what the last search learnt of positions still serves.
struct TSearchWorkspace {
    TNodeIndex nodes;
    search::TBig<search::TEndGuess> ends;  // by place in Edges
    search::TBig<int> first;               // out-edges of position p: [first[p], first[p + 1])
    search::TBig<int> next;
    search::TBig<search::TOutEdge> outEdges;
    std::vector<search::TOutEdge> bucket;
    search::TBig<double> distance;          // by position: Distance, widened
    search::TBig<int> heapSlot;             // by position: index in the heap, or a mark
    search::TBig<search::TPathStep> steps;  // by position
    search::TBig<int> cameFrom;             // by position: where PrevEdge starts, once there is one
    search::TBig<search::THeapEntry> heap;
};

/// The graph's nodes by 0-based position and, for each position, the edges that start
/// there in the order of Edges, with their ends' positions and their weights widened.
/// Building it changes nothing that anyone can see.
class TSearchIndex {
public:
    /// EInvalidObjectType when Nodes holds something that is not a node.
    TSearchIndex(TSearchWorkspace& workspace, TNodeList& nodes, const TEdgeList* edges);

    int NodeCount() const { return static_cast<int>(nodes_.size()); }
    TGraphNode* Node(int position) const { return nodes_[search::Slot(position)]; }
    /// -1 for none and for a node that is not in this graph.
    int PositionOf(const TGraphNode* node) const { return positions_.PositionOf(node) - 1; }

    /// The out-edges of the node at position p are [First(p), First(p + 1)).
    int First(int position) const { return first_[search::Slot(position)]; }
    const search::TOutEdge& OutEdge(int k) const { return outEdges_[search::Slot(k)]; }

    /// False while no node or edge is of a class that declares it observes the search:
    /// then nobody can look at the graph while a search runs.
    bool HasHooks() const { return hasHooks_; }

    /// BuildOutEdges from the index.
    void FillOutEdges() const;

private:
    void IndexNodes(TNodeList& nodes);
    int Locate(const TGraphNode* node, int& guess) const;
    void IndexEdges(const TEdgeList& edges, TSearchWorkspace& workspace);
    void CountOutEdges(const TEdgeList& edges, search::TBig<search::TEndGuess>& ends);
    void FillBuckets(const TEdgeList& edges, const search::TBig<search::TEndGuess>& ends,
                     search::TBig<int>& next);
    void SortBucket(int firstNode, int endNode, TSearchWorkspace& workspace);

    TNodeIndex& positions_;
    std::span<TGraphNode* const> nodes_;
    search::TBig<int>& first_;
    search::TBig<search::TOutEdge>& outEdges_;
    bool hasHooks_ = false;
};
