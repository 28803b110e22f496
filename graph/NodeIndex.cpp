#include "graph/NodeIndex.h"

#include <bit>

#include "graph/ObjGraph.h"

namespace {

// Look-ups by scanning after a change: a few scans cost less than building the table.
constexpr int kScans = 4;

}  // namespace

void TNodeIndex::Rebuild(TNodeContainer& list) {
    try {
        Walk(list);
    } catch (...) {
        nodes_.clear();
        tableValid_ = false;
        throw;
    }
}

// The nodes are compared with those of the last walk as they are stored: the table of a
// list that did not change still holds.
void TNodeIndex::Walk(TNodeContainer& list) {
    const std::size_t count = static_cast<std::size_t>(list.Count());
    bool same = count == nodes_.size();
    nodes_.resize(count);
    observesSearch_ = false;
    TClassRef checked = nullptr;  // the class of the node before: most lists hold one class
    std::size_t p = 0;
    for (bool more = list.First(); more && p < count; more = list.Next(), ++p) {
        TObject* item = list.GetCurrent();
        const TClassRef cls = item != nullptr ? item->ClassType() : nullptr;
        if (cls != checked) {
            if (!TObject::ClassInheritsFrom(cls, TGraphNode::StaticClass())) throw EInvalidCast();
            observesSearch_ = observesSearch_ || TObject::ClassObservesSearch(cls);
            checked = cls;
        }
        auto* node = static_cast<TGraphNode*>(item);
        same = same && nodes_[p] == node;
        nodes_[p] = node;
    }
    tableValid_ = tableValid_ && same;
    scansLeft_ = kScans;
}

std::size_t TNodeIndex::Home(const TObject* node) const {
    const auto bits = reinterpret_cast<std::uintptr_t>(node) >> 4;  // objects are 16-aligned
    return static_cast<std::size_t>((bits * 0x9E3779B97F4A7C15u) >> tableShift_);
}

void TNodeIndex::BuildTable() const {
    // At most half full, so that a probe ends after a step or two.
    const std::size_t size = std::bit_ceil(2 * nodes_.size() + 2);
    tableShift_ = 64 - std::countr_zero(size);
    table_.assign(size, TEntry{nullptr, 0});
    const std::size_t mask = size - 1;
    for (std::size_t p = 0; p < nodes_.size(); ++p) {
        std::size_t i = Home(nodes_[p]);
        while (table_[i].node != nullptr && table_[i].node != nodes_[p]) i = (i + 1) & mask;
        // A node held twice is found at its first place.
        if (table_[i].node == nullptr) table_[i] = {nodes_[p], static_cast<int>(p) + 1};
    }
    tableValid_ = true;
}

int TNodeIndex::Scan(const TObject* node) const {
    for (std::size_t p = 0; p < nodes_.size(); ++p)
        if (nodes_[p] == node) return static_cast<int>(p) + 1;
    return 0;
}

int TNodeIndex::PositionOf(const TObject* node) const {
    if (node == nullptr) return 0;
    if (!tableValid_ && scansLeft_ > 0) {
        --scansLeft_;
        return Scan(node);
    }
    if (!tableValid_) BuildTable();
    const std::size_t mask = table_.size() - 1;
    for (std::size_t i = Home(node);; i = (i + 1) & mask) {
        if (table_[i].node == node) return table_[i].position;
        if (table_[i].node == nullptr) return 0;
    }
}

TGraphNode* TNodeIndex::NodeAt(int position) const {
    if (position < 1 || position > Count()) throw EInvalidIndex();
    return nodes_[static_cast<std::size_t>(position - 1)];
}
