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
/// search a look-up of each end; exact while the ends are current (EndsAreCurrentFor).
using TEndGuess = TEdgeEndPositions;

/// What the search knows of a node, by position, in one place: a relaxation then misses
/// the cache once. The Distance stored is distance narrowed, which is exact: it was
/// widened from a Real48.
struct TNodeState {
    double distance;
    int heapSlot;  // index in the heap, or a mark
    int previous;  // the out-edge (index into outEdges) that set distance, or -1
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
    search::TBig<search::TNodeState> state;  // by position
    search::TBig<search::THeapEntry> heap;
    search::TBig<TEdgeList*> outLists;  // by position: the OutEdges list last filled

    /// Whether the index built last still describes nodes and edges: nothing has changed
    /// since it was built and the search that built it ended well.
    bool IsCurrentFor(const TNodeList& list, const TEdgeList* edges) const;
    /// Says that the index, the out-edge lists and the positions all describe nodes and
    /// edges as they are now.
    void MarkCurrent(const TNodeList& list, const TEdgeList* edges);
    /// Whether nodes and ends still give every edge's ends as they are now: the whole
    /// index is current, or an index of the ends alone was built since the last change.
    bool EndsAreCurrentFor(const TNodeList& list, const TEdgeList* edges) const;
    /// Says that nodes and ends describe them as they are now; the rest may not.
    void MarkEndsCurrent(const TNodeList& list, const TEdgeList* edges);
    /// Says that none of them may.
    void MarkStale() { current_ = endsCurrent_ = {}; }

private:
    /// When, and from which lists, something was built.
    struct TStamp {
        bool valid = false;
        std::uint64_t builtAt = 0;  // StructureChanges() when marked
        const TNodeList* nodesOf = nullptr;
        const TEdgeList* edgesOf = nullptr;

        bool Holds(const TNodeList& list, const TEdgeList* edges) const;
    };
    static TStamp StampNow(const TNodeList& list, const TEdgeList* edges);

    TStamp current_;      // the whole index, the out-edge lists and the positions
    TStamp endsCurrent_;  // nodes and ends only
};

/// How much of the index a caller needs.
enum class TIndexDepth {
    Full,     // everything the search reads
    EndsOnly  // nodes and each edge's end positions (the workspace's ends); no out-edges
};

/// The graph's nodes by 0-based position and, for each position, the edges that start
/// there in the order of Edges, with their ends' positions and their weights widened.
/// Building it changes nothing that anyone can see.
class TSearchIndex {
public:
    /// Takes the workspace's last index over while it IsCurrentFor nodes and edges (for
    /// EndsOnly, while its ends are current), and then leaves the marker of nodes where a
    /// walk over them would. An EndsOnly index gives Node and PositionOf, and the
    /// workspace's ends; nothing else of it may be read.
    /// EInvalidObjectType when Nodes holds something that is not a node.
    TSearchIndex(TSearchWorkspace& workspace, TNodeList& nodes, const TEdgeList* edges,
                 TIndexDepth depth = TIndexDepth::Full);

    int NodeCount() const { return static_cast<int>(nodes_.size()); }
    TGraphNode* Node(int position) const { return nodes_[search::Slot(position)]; }
    /// -1 for none and for a node that is not in this graph.
    int PositionOf(const TGraphNode* node) const { return positions_.PositionOf(node) - 1; }

    /// The out-edges of the node at position p are [First(p), First(p + 1)).
    int First(int position) const { return first_[search::Slot(position)]; }
    const search::TOutEdge& OutEdge(int k) const { return outEdges_[search::Slot(k)]; }
    /// Asks the cache for the out-edges of the node at position p, to be read soon.
    void PrefetchOutEdges(int position) const {
        __builtin_prefetch(outEdges_.data() + First(position));
    }

    /// False while no node or edge is of a class that declares it observes the search:
    /// then nobody can look at the graph while a search runs.
    bool HasHooks() const { return hasHooks_; }

    /// BuildOutEdges from the index.
    void FillOutEdges() const;
    /// Whether the index was taken over from the last build, nothing having changed since.
    bool IsReused() const { return reused_; }
    /// Whether the node at position p still holds the OutEdges list that the last
    /// FillOutEdges filled, which then still holds what it did.
    /// REQUIRES: IsReused().
    bool HoldsFilledOutEdges(int position) const {
        return Node(position)->OutEdges.get() == outLists_[search::Slot(position)];
    }

private:
    void IndexNodes(TNodeList& nodes);
    int Locate(const TGraphNode* node, int& guess) const;
    void IndexEdges(const TEdgeList& edges, TSearchWorkspace& workspace, TIndexDepth depth);
    void CountOutEdges(const TEdgeList& edges, search::TBig<search::TEndGuess>& ends);
    void FillBuckets(const TEdgeList& edges, const search::TBig<search::TEndGuess>& ends,
                     search::TBig<int>& next);
    void SortBucket(int firstNode, int endNode, TSearchWorkspace& workspace);

    TNodeIndex& positions_;
    std::span<TGraphNode* const> nodes_;
    search::TBig<int>& first_;
    search::TBig<search::TOutEdge>& outEdges_;
    search::TBig<TEdgeList*>& outLists_;
    bool hasHooks_ = false;
    bool reused_ = false;
};
