// The graph model: boxed string and real, nodes, directed weighted edges, the lists
// that hold them, the graph itself and its shortest-path search.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "containers/ObjArray.h"
#include "containers/ObjList.h"
#include "graph/NodeIndex.h"
#include "graph/ShortestPath.h"
#include "support/ChangeCount.h"
#include "support/SlotPool.h"
#include "values/Real48.h"

class TGraphEdge;
class TGraphNode;
class TEdgeList;

/// An edge's weight: a Real48 whose every assignment is noted (NoteStructureChange), so
/// that what the graph's search keeps of its edges holds while none is made.
/// REQUIRES: written by assignment only, never through a Real48 reference to it.
class TEdgeWeight : public Real48 {
public:
    TEdgeWeight() = default;
    TEdgeWeight(Real48 value) : Real48(value) {}  // NOLINT: a weight is a Real48
    TEdgeWeight(const TEdgeWeight&) = default;
    TEdgeWeight& operator=(Real48 value) {
        Real48::operator=(value);
        NoteStructureChange();
        return *this;
    }
    TEdgeWeight& operator=(const TEdgeWeight& value) { return *this = Real48(value); }
};

/// An end of an edge: a node reference whose every assignment is noted, as TEdgeWeight.
class TEdgeEnd {
public:
    TEdgeEnd() = default;
    TEdgeEnd(TGraphNode* node) : node_(node) {}  // NOLINT: an end is a node reference
    TEdgeEnd(const TEdgeEnd&) = default;
    TEdgeEnd& operator=(TGraphNode* node) {
        node_ = node;
        NoteStructureChange();
        return *this;
    }
    TEdgeEnd& operator=(const TEdgeEnd& end) { return *this = end.node_; }

    operator TGraphNode*() const { return node_; }  // NOLINT: used as the node it names
    TGraphNode* operator->() const { return node_; }
    TGraphNode* Get() const { return node_; }

private:
    TGraphNode* node_ = nullptr;
};

/// A boxed string; a node's caption.
class TStringObj : public TObject {
    DECLARE_CLASS()
public:
    explicit TStringObj(std::string text) : Text(std::move(text)) {}

    std::string Text;  // 8-bit Windows-1252 bytes, as typed and as stored in files

private:
    explicit TStringObj(TBlank) {}
};

/// A boxed real, in spite of its name: the cells of the weight matrix.
class TInteger : public TObject {
    DECLARE_CLASS()
public:
    /// Every 32-bit integer is exact in Real48, so this never raises.
    explicit TInteger(std::int32_t value);

    /// From the slot pool: a weight matrix holds N * N cells, made and destroyed in bulk.
    static void* operator new(std::size_t size) { return AllocateSlot(size); }
    static void operator delete(void* cell, std::size_t size) noexcept { FreeSlot(cell, size); }

    Real48 Value;

private:
    explicit TInteger(TBlank) {}
};

/// A plain growable list of references, positions from 0, that never destroys what it
/// holds and silently refuses objects that are not of its item class.
class TTypedList : public TObject {
    DECLARE_CLASS()
public:
    /// A new list is a change: it may take the place of one that went, and be given to
    /// a node as its OutEdges list.
    explicit TTypedList(TClassRef itemClass) : ItemClass(itemClass) { NoteStructureChange(); }

    TClassRef GetItemClass() const { return ItemClass; }

    int Count() const { return static_cast<int>(items_.size()); }
    /// EListError ("List index out of bounds (%d)") unless 0 <= index < Count.
    TObject* Get(int index) const {
        if (index < 0 || index >= Count()) throw EListError(index);
        return items_[static_cast<std::size_t>(index)];
    }
    /// Appends item when it is an instance of ItemClass; otherwise does nothing at all.
    void Add(TObject* item);
    /// Drops the first entry that is this very object; its former position, or -1.
    int Remove(const TObject* item);
    /// Puts item at index, the entries from there on one place further, when it is an
    /// instance of ItemClass; otherwise does nothing at all. EListError ("List index out
    /// of bounds (%d)") unless 0 <= index <= Count.
    void Insert(int index, TObject* item);
    /// Drops the entry at index; destroys nothing. EListError unless 0 <= index < Count.
    void Delete(int index);
    /// Drops every entry; destroys none.
    void Clear() {
        if (!items_.empty()) NoteStructureChange();
        items_.clear();
    }

protected:
    explicit TTypedList(TBlank) { NoteStructureChange(); }

    TClassRef ItemClass = nullptr;

private:
    friend class TSearchIndex;  // fills out-edge lists with edges it has already checked
    std::vector<TObject*> items_;
};

/// The graph's edges, each node's OutEdges and every shortest-path result.
class TEdgeList : public TTypedList {
    DECLARE_CLASS()
public:
    TEdgeList();

    /// As TTypedList::Get; Add lets only edges in, so every entry is one.
    TGraphEdge* Get(int index) const;

private:
    explicit TEdgeList(TBlank blank) : TTypedList(blank) {}
};

/// The graph's node list: a class of its own so that it is stored under its own name.
class TNodeList : public TUnorderedList {
    DECLARE_CLASS()
public:
    using TUnorderedList::TUnorderedList;

private:
    explicit TNodeList(TBlank blank) : TUnorderedList(blank) {}
};

class TGraphNode : public TObject {
    DECLARE_CLASS()
public:
    /// Takes caption over and starts with an empty OutEdges list.
    explicit TGraphNode(std::unique_ptr<TStringObj> caption);

    /// Called by the search right after it has lowered this node's Distance, with the node
    /// it came from and the Weight of the edge used. Does nothing here.
    /// REQUIRES: a class that overrides it declares so in its class record
    /// (IMPLEMENT_SEARCH_OBSERVER_CLASS), or the search may not call it; an override
    /// changes no node, edge or list of the graph being searched.
    virtual void Relaxed(TGraphNode* fromNode, Real48 weight);

    std::unique_ptr<TStringObj> Caption;
    TGraphEdge* PrevEdge = nullptr;       // the edge the last search came in by
    std::unique_ptr<TEdgeList> OutEdges;  // as the last BuildOutEdges left it, or none
    Real48 Distance;                      // from the last search's source

protected:
    explicit TGraphNode(TBlank) {}
};

/// A directed edge: followed only from FromNode to ToNode; owns neither.
class TGraphEdge : public TObject {
    DECLARE_CLASS()
public:
    /// Weighs 1.0.
    TGraphEdge(TGraphNode* fromNode, TGraphNode* toNode);

    virtual Real48 GetWeight() const { return Weight; }
    /// Called by the search on every edge leaving a node it is about to expand, with that
    /// node, before any of them is relaxed. Does nothing here.
    /// REQUIRES: a class that overrides it declares so in its class record
    /// (IMPLEMENT_SEARCH_OBSERVER_CLASS), or the search may not call it; an override
    /// changes no node, edge or list of the graph being searched.
    virtual void Scanned(TGraphNode* fromNode);

    TEdgeEnd FromNode;
    TEdgeEnd ToNode;
    TEdgeWeight Weight;

protected:
    explicit TGraphEdge(TBlank) {}
};

/// crEqual for the very same object, crGreater otherwise: finds a node by identity.
TCompareResult CompareNodes(TObject* a, TObject* b);
/// Orders two TIntegers by Value. EInvalidCast ("Invalid class typecast") when either is
/// not a TInteger.
TCompareResult CompareInteger(TObject* a, TObject* b);
/// CompareInteger when a is a TInteger. Otherwise both must be TArrays (EInvalidCast):
/// the one with fewer items orders first; with equal counts, the first item pair that a's
/// own compare function does not find equal decides. Two empty arrays are equal.
TCompareResult CompareArray(TObject* a, TObject* b);

/// The 1-based position of node in list, found by identity, or 0 when it is not there.
/// Walks the list from its first node and leaves the marker where the walk stopped.
int IndexOfNode(TNodeContainer* list, const TObject* node);

/// Where an edge's FromNode and ToNode stand in Nodes, from 0; -1 for an end that is not
/// a node of Nodes.
struct TEdgeEndPositions {
    int from = -1;
    int to = -1;
};

/// A graph's nodes in the order of Nodes, and its edges' ends as positions in it by place
/// in Edges: ends[k] for the edge at place k.
struct TEdgeEndIndex {
    std::span<TGraphNode* const> nodes;
    std::span<const TEdgeEndPositions> ends;
};

/// The graph. It owns Nodes (which owns the nodes, which own their captions and
/// OutEdges lists), the edges held in Edges, and Matrix. Every edge's ends are nodes of
/// Nodes; OutEdges, PrevEdge and search results only refer to edges held in Edges.
class TMathGraph : public TObject {
    DECLARE_CLASS()
public:
    /// No matrix, no nodes, no edges.
    TMathGraph();
    /// Destroys the edges in Edges, then the lists, the nodes and the matrix.
    ~TMathGraph() override;

    /// Gives every node of Nodes an OutEdges list holding, in the order of Edges, the
    /// edges that start at it. EInvalidObjectType, before anything changes, when Nodes
    /// holds something that is not a node.
    void BuildOutEdges();

    /// True when some edge of Edges ends at node; edges that only start there don't count.
    bool IsEdgeTarget(const TGraphNode* node) const;

    /// The cheapest path of length below InfiniteDistance from source to target, as its
    /// edges from the target back to the source; empty when there is none or when source
    /// is target. Rebuilds every OutEdges list, sets every node's Distance (the best
    /// length found, InfiniteDistance when unreached) and PrevEdge, and calls the hooks
    /// Scanned and Relaxed. Ties go to the node earlier in Nodes and, between edges from
    /// the same node, to the edge earlier in Edges.
    /// With negative weights a node already expanded may still be lowered but is not
    /// expanded again; a PrevEdge loop ends the result at the first node met twice.
    /// EOverflow ("Floating point overflow") when a distance leaves the Real48 range:
    /// the search stops there, with what it stored so far left in place.
    /// A source or target that is none or not in Nodes: an empty result, nothing changed.
    /// EInvalidObjectType as for BuildOutEdges.
    /// Caller owns the result; the edges in it stay the graph's.
    /// Runs in O((N + E) log N). Its working arrays, some 100 bytes a node and 32 an edge,
    /// stay with the graph for its next search and go with it.
    std::unique_ptr<TEdgeList> ShortestPath(TGraphNode* source, TGraphNode* target);

    /// The nodes and where each edge's ends stand among them, for copying the graph's
    /// shape without a look-up per end. Kept with the search's working arrays: given as
    /// they are while nothing has changed since they were found, otherwise found afresh
    /// (a walk over Nodes, which leaves its marker where the walk ends, as a walk kept does,
    /// and one over Edges). A node held twice counts at its first place. Changes nothing
    /// anyone can see: OutEdges, Distance and PrevEdge stay as they are.
    /// EInvalidObjectType as for BuildOutEdges. Empty without Nodes; no ends without Edges.
    /// Valid until the graph is next changed, searched or asked again.
    TEdgeEndIndex EdgeEnds();

    /// Replaces Matrix by the weight matrix of Nodes and Edges, for writing: N rows of N
    /// TIntegers (N = Nodes.Count), cell (i, j) the GetWeight of the last edge of Edges from
    /// the node at position i to the one at j, 0 where there is none. The outer array holds
    /// TArrays under CompareArray, the rows TIntegers under CompareInteger, all with
    /// capacity N and growth 0.
    /// The old Matrix is destroyed first, also when this fails: EInvalidArrayCapacity
    /// ("Invalid array capacity in TArray") without nodes, EInvalidIndex ("Invalid index in
    /// TContainer") for an edge with an end that is not in Nodes; Matrix is then none.
    void BuildMatrix();
    /// Replaces Edges by one edge per cell of Matrix that is not 0, in row order: the cell
    /// (i, j) becomes an edge from the node at position i of Nodes to the one at j. The
    /// edges that Edges held are destroyed; OutEdges lists are left to BuildOutEdges.
    /// EInvalidCast when Matrix holds something other than TArrays of TIntegers;
    /// EInvalidIndex for a cell that is not 0 beyond Nodes.Count in either direction.
    /// A failure leaves Edges as it was.
    /// REQUIRES: Nodes and Matrix are present.
    void BuildEdgesFromMatrix();

    std::unique_ptr<TArray> Matrix;    // the weight matrix last built or read, or none
    std::unique_ptr<TNodeList> Nodes;  // of TGraphNode under CompareNodes, owning
    std::unique_ptr<TEdgeList> Edges;  // the graph's edges, destroyed with the graph

private:
    explicit TMathGraph(TBlank) {}

    TSearchWorkspacePtr workspace_;  // none until the first search or BuildOutEdges
};
