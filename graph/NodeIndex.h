// The nodes of a node list by position and back: the one index that the search, the weight
// matrix and the tools use instead of walking the list for each look-up.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "containers/ObjList.h"
#include "support/HugePageAllocator.h"

class TGraphNode;

/// The nodes of a node list by 1-based position and back, from one walk over the list:
/// GoToIndex and IndexOfNode for many look-ups at the cost of one. Holds until the list
/// changes; the list's marker is left where the walk stopped. Not for two threads at once.
class TNodeIndex {
public:
    TNodeIndex() = default;
    /// EInvalidCast ("Invalid class typecast") when the list holds something that is not
    /// a node.
    explicit TNodeIndex(TNodeContainer& list) { Rebuild(list); }

    /// Walks the list afresh. An index kept from one walk to the next finds positions
    /// without building its table again while the list holds the same nodes in the same
    /// order. EInvalidCast as above, and the index is then empty.
    void Rebuild(TNodeContainer& list);

    int Count() const { return static_cast<int>(nodes_.size()); }
    /// As IndexOfNode: 0 when node is none or not in the list.
    int PositionOf(const TObject* node) const;
    /// Asks the cache for where PositionOf(node) will look, once the table is built.
    void Prefetch(const TObject* node) const {
        if (tableValid_) __builtin_prefetch(&table_[Home(node)]);
    }
    /// As GoToIndex: EInvalidIndex ("Invalid index in TContainer") unless
    /// 1 <= position <= Count.
    TGraphNode* NodeAt(int position) const;
    /// The nodes in list order: Nodes()[p] is the node at position p + 1.
    std::span<TGraphNode* const> Nodes() const { return nodes_; }
    /// Whether the class of some node declares that it observes the search
    /// (TObject::ClassObservesSearch).
    bool ObservesSearch() const { return observesSearch_; }

private:
    struct TEntry {
        const TObject* node;  // none: a free entry
        int position;
    };

    void Walk(TNodeContainer& list);
    void BuildTable() const;
    int Scan(const TObject* node) const;
    std::size_t Home(const TObject* node) const;

    std::vector<TGraphNode*, THugePageAllocator<TGraphNode*>> nodes_;
    bool observesSearch_ = false;
    // Positions by node, open addressing. After a change the first few look-ups scan the
    // nodes instead: a search that only looks up its two ends then makes no table.
    mutable std::vector<TEntry, THugePageAllocator<TEntry>> table_;
    mutable int tableShift_ = 63;
    mutable bool tableValid_ = false;
    mutable int scansLeft_ = 0;
};
