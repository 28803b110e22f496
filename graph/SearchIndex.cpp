#include "graph/SearchIndex.h"

#include <algorithm>

using search::Slot;
using search::TBig;
using search::TEndGuess;
using search::TOutEdge;

// Only the class itself: a subclass may walk its nodes its own way.
bool TSearchWorkspace::TStamp::Holds(const TNodeList& list, const TEdgeList* edges) const {
    return valid && builtAt == StructureChanges() && nodesOf == &list && edgesOf == edges &&
           list.ClassType() == TNodeList::StaticClass();
}

TSearchWorkspace::TStamp TSearchWorkspace::StampNow(const TNodeList& list, const TEdgeList* edges) {
    return {true, StructureChanges(), &list, edges};
}

bool TSearchWorkspace::IsCurrentFor(const TNodeList& list, const TEdgeList* edges) const {
    return current_.Holds(list, edges);
}

void TSearchWorkspace::MarkCurrent(const TNodeList& list, const TEdgeList* edges) {
    current_ = StampNow(list, edges);
}

bool TSearchWorkspace::EndsAreCurrentFor(const TNodeList& list, const TEdgeList* edges) const {
    return current_.Holds(list, edges) || endsCurrent_.Holds(list, edges);
}

void TSearchWorkspace::MarkEndsCurrent(const TNodeList& list, const TEdgeList* edges) {
    endsCurrent_ = StampNow(list, edges);
}

TSearchIndex::TSearchIndex(TSearchWorkspace& workspace, TNodeList& nodes, const TEdgeList* edges,
                           TIndexDepth depth)
    : positions_(workspace.nodes),
      first_(workspace.first),
      outEdges_(workspace.outEdges),
      outLists_(workspace.outLists) {
    if (depth == TIndexDepth::Full ? workspace.IsCurrentFor(nodes, edges)
                                   : workspace.EndsAreCurrentFor(nodes, edges)) {
        nodes_ = positions_.Nodes();
        hasHooks_ = false;  // only a search without hooks marks its index current
        reused_ = true;
        nodes.Last();  // where the walk over the nodes ends
        return;
    }
    workspace.MarkStale();
    IndexNodes(nodes);
    first_.assign(nodes_.size() + 1, 0);
    if (edges != nullptr) IndexEdges(*edges, workspace, depth);
    if (depth == TIndexDepth::EndsOnly) workspace.MarkEndsCurrent(nodes, edges);
}

void TSearchIndex::IndexNodes(TNodeList& nodes) {
    try {
        positions_.Rebuild(nodes);
    } catch (const EInvalidCast&) {
        throw EInvalidObjectType();  // a stranger in Nodes is of the wrong type to the graph
    }
    nodes_ = positions_.Nodes();
    hasHooks_ = positions_.ObservesSearch();
}

// A node's old list is refilled rather than replaced: nobody may keep it across a rebuild,
// and one allocation per node is saved. Filled from the back, so that a node held twice
// ends with the list of its first place, where its edges are counted.
void TSearchIndex::FillOutEdges() const {
    outLists_.resize(nodes_.size());
    for (int p = NodeCount() - 1; p >= 0; --p) {
        TGraphNode* node = Node(p);
        if (node->OutEdges == nullptr ||
            node->OutEdges->GetItemClass() != TGraphEdge::StaticClass())
            node->OutEdges = std::make_unique<TEdgeList>();
        std::vector<TObject*>& items = node->OutEdges->items_;
        items.resize(Slot(First(p + 1) - First(p)));
        for (int k = First(p); k < First(p + 1); ++k) items[Slot(k - First(p))] = OutEdge(k).edge;
        outLists_[Slot(p)] = node->OutEdges.get();
    }
}

// The position of an edge's end. Checking the guess from the last search against the
// node array is far cheaper than a look-up, and a guess gone stale only costs that. A
// node put in or taken out in front of a node moves it by one place: tried next.
int TSearchIndex::Locate(const TGraphNode* node, int& guess) const {
    if (guess >= 0 && guess < NodeCount() && nodes_[Slot(guess)] == node) return guess;
    for (const int near : {guess + 1, guess - 1})
        if (near >= 0 && near < NodeCount() && nodes_[Slot(near)] == node) return guess = near;
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
void TSearchIndex::IndexEdges(const TEdgeList& edges, TSearchWorkspace& workspace,
                              TIndexDepth depth) {
    workspace.ends.resize(edges.items_.size());
    CountOutEdges(edges, workspace.ends);
    if (depth == TIndexDepth::EndsOnly) return;
    outEdges_.resize(Slot(first_.back()));
    FillBuckets(edges, workspace.ends, workspace.next);
    for (int node = 0; node < NodeCount(); node += 1 << kBucketShift)
        SortBucket(node, std::min(NodeCount(), node + (1 << kBucketShift)), workspace);
}

// How many edges ahead the look-up of ends without a guess is asked of the cache.
static constexpr std::size_t kLookAhead = 16;

void TSearchIndex::CountOutEdges(const TEdgeList& edges, TBig<TEndGuess>& ends) {
    for (std::size_t k = 0; k < edges.items_.size(); ++k) {
        // A first index of a large graph looks up every end at random in the table.
        if (k + kLookAhead < edges.items_.size() && ends[k + kLookAhead].from < 0) {
            const auto* ahead = static_cast<const TGraphEdge*>(edges.items_[k + kLookAhead]);
            positions_.Prefetch(ahead->FromNode);
            positions_.Prefetch(ahead->ToNode);
        }
        auto* edge = static_cast<TGraphEdge*>(edges.items_[k]);
        const int from = Locate(edge->FromNode, ends[k].from);
        Locate(edge->ToNode, ends[k].to);
        if (from >= 0) ++first_[Slot(from + 1)];
    }
    for (std::size_t p = 1; p < first_.size(); ++p) first_[p] += first_[p - 1];
}

void TSearchIndex::FillBuckets(const TEdgeList& edges, const TBig<TEndGuess>& ends,
                               TBig<int>& next) {
    next.clear();
    for (int node = 0; node < NodeCount(); node += 1 << kBucketShift) next.push_back(First(node));
    TClassRef checked = nullptr;  // the class of the edge before: most graphs have one
    for (std::size_t k = 0; k < edges.items_.size(); ++k) {
        auto* edge = static_cast<TGraphEdge*>(edges.items_[k]);
        const TEndGuess end = ends[k];  // settled by CountOutEdges
        if (end.from < 0) continue;
        outEdges_[Slot(next[Slot(end.from >> kBucketShift)]++)] = {edge, edge->Weight.ToDouble(),
                                                                   end.to, end.from};
        const TClassRef cls = edge->ClassType();
        if (cls == checked) continue;
        hasHooks_ = hasHooks_ || TObject::ClassObservesSearch(cls);
        checked = cls;
    }
}

void TSearchIndex::SortBucket(int firstNode, int endNode, TSearchWorkspace& workspace) {
    std::vector<TOutEdge>& bucket = workspace.bucket;
    bucket.assign(outEdges_.begin() + First(firstNode), outEdges_.begin() + First(endNode));
    TBig<int>& next = workspace.next;
    next.assign(first_.begin() + firstNode, first_.begin() + endNode);
    for (const TOutEdge& out : bucket) outEdges_[Slot(next[Slot(out.source - firstNode)]++)] = out;
}
