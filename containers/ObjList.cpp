#include "containers/ObjList.h"

#include <cstdlib>
#include <memory>
#include <set>

#include "support/ChangeCount.h"

IMPLEMENT_ABSTRACT_CLASS(TListNode, TNode)
IMPLEMENT_CLASS(TOrderedList, TNodeContainer)
IMPLEMENT_CLASS(TUnorderedList, TOrderedList)
IMPLEMENT_CLASS(TCircularList, TUnorderedList)

namespace {

std::unique_ptr<TListNode> MakeNode(TObject* item) {
    auto node = std::make_unique<TListNode>();
    node->Item = item;
    return node;
}

}  // namespace

TOrderedList::TOrderedList(TClassRef itemClass, TCompareFunc compareFunc)
    : TNodeContainer(itemClass, compareFunc) {}

TOrderedList::~TOrderedList() { TOrderedList::Clear(); }

// ----------------------------------------------------------------------------
// Walking

template <class Visit>
void TOrderedList::Walk(Visit&& visit) {
    const int count = Count();
    if (!First()) return;
    int calls = 0;
    do {
        visit(GetCurrent());
        // A circular list's Next never fails: stop after the last item instead.
        if (WrapsAround() && ++calls >= count) return;
    } while (Next());
}

void TOrderedList::ForEach(TForEachProc proc, void* arg) {
    Walk([&](TObject* item) { proc(item, arg); });
}

void TOrderedList::ForEachMethod(const TForEachMethod& method, void* arg) {
    Walk([&](TObject* item) { method(item, arg); });
}

bool TOrderedList::First() {
    SetMarker(Head, Head != nullptr ? 1 : 0);
    return Head != nullptr;
}

bool TOrderedList::Last() {
    SetMarker(Tail, Tail != nullptr ? ItemCount : 0);
    return Tail != nullptr;
}

bool TOrderedList::Next() {
    if (Marker == nullptr || Marker == Tail) return false;
    SetMarker(MarkerNode()->NextNode, markerIndex_ + 1);
    return true;
}

bool TOrderedList::Previous() {
    if (Marker == nullptr || Marker == Head) return false;
    SetMarker(MarkerNode()->PrevNode, markerIndex_ - 1);
    return true;
}

bool TCircularList::Next() {
    if (Count() == 0) return false;
    if (Marker == nullptr || Marker == Tail) return First();
    return TOrderedList::Next();
}

bool TCircularList::Previous() {
    if (Count() == 0) return false;
    if (Marker == nullptr || Marker == Head) return Last();
    return TOrderedList::Previous();
}

// Walks from whichever of head, tail and marker is nearest, so that callers
// enumerating by index in a loop pay for each step once.
TListNode* TOrderedList::NodeAt(int n) const {
    const int fromHead = n - 1;
    const int fromTail = ItemCount - n;
    const int fromMarker = Marker != nullptr ? std::abs(n - markerIndex_) : ItemCount;
    TListNode* node;
    int index;
    if (fromMarker <= fromHead && fromMarker <= fromTail) {
        node = MarkerNode(), index = markerIndex_;
    } else if (fromHead <= fromTail) {
        node = Head, index = 1;
    } else {
        node = Tail, index = ItemCount;
    }
    for (; index < n; ++index) node = node->NextNode;
    for (; index > n; --index) node = node->PrevNode;
    return node;
}

TObject* TOrderedList::GoToIndex(int n) {
    if (n < 1 || n > Count()) throw EInvalidIndex();
    SetMarker(NodeAt(n), n);
    return GetCurrent();
}

// ----------------------------------------------------------------------------
// Searching

bool TOrderedList::LocateOccurrence(TObject* item, int n) {
    CheckItemType(item);
    if (n < 1) throw EInvalidOccurrenceSought();
    TCompareResult r = crLess;  // what is reported when nothing is compared
    TListNode* node = Head;
    int index = 1;
    while (node != nullptr && n > 0) {
        r = CompareFunc(item, node->Item);
        if (r == crEqual || r == crLess) --n;
        if (n > 0) node = node->NextNode, ++index;
    }
    SetMarker(node, node != nullptr ? index : 0);
    return r == crEqual && n == 0;
}

bool TOrderedList::FindOccurrence(TObject* item, int n) {
    TNode* const savedMarker = Marker;
    const int savedIndex = markerIndex_;
    const bool found = LocateOccurrence(item, n);
    if (!found) SetMarker(static_cast<TListNode*>(savedMarker), savedIndex);
    return found;
}

bool TUnorderedList::FindOccurrence(TObject* item, int n) {
    CheckItemType(item);
    if (n < 1) throw EInvalidOccurrenceSought();
    TListNode* node = Head;
    int index = 1;
    while (node != nullptr && n > 0) {
        if (CompareFunc(item, node->Item) == crEqual) --n;
        if (n > 0) node = node->NextNode, ++index;
    }
    if (n == 0) SetMarker(node, index);
    return n == 0;
}

// ----------------------------------------------------------------------------
// Inserting and removing

// Every node linked in comes through here.
void TOrderedList::LinkBefore(TListNode* node, TListNode* before, int index) {
    NoteStructureChange();
    if (before == nullptr) {
        node->PrevNode = Tail;
        (Tail != nullptr ? Tail->NextNode : Head) = node;
        Tail = node;
    } else {
        node->NextNode = before;
        node->PrevNode = before->PrevNode;
        (before->PrevNode != nullptr ? before->PrevNode->NextNode : Head) = node;
        before->PrevNode = node;
    }
    ++ItemCount;
    SetMarker(node, index);
}

void TOrderedList::LinkAfterMarker(TListNode* node) {
    TListNode* const before = Marker != nullptr ? MarkerNode()->NextNode : nullptr;
    LinkBefore(node, before, before != nullptr ? markerIndex_ + 1 : ItemCount + 1);
}

void TOrderedList::Add(TObject* item) {
    CheckItemType(item);
    // Made first, so running out of memory moves nothing; it takes the item
    // only once linking can no longer fail, or a throwing compare would destroy it.
    auto node = std::make_unique<TListNode>();
    LocateOccurrence(item, 1);  // only where the marker stops counts
    node->Item = item;
    LinkBefore(node.release(), MarkerNode(), Marker != nullptr ? markerIndex_ : ItemCount + 1);
}

void TUnorderedList::Add(TObject* item) {
    CheckItemType(item);
    LinkAfterMarker(MakeNode(item).release());
}

void TUnorderedList::Append(TObject* item) {
    CheckItemType(item);
    LinkBefore(MakeNode(item).release(), nullptr, ItemCount + 1);
}

bool TOrderedList::DeleteOccurrence(TObject* item, int n) {
    CheckItemType(item);
    if (!FindOccurrence(item, n)) return false;
    DeleteCurrent();
    return true;
}

TObject* TOrderedList::RemoveCurrent() {
    if (Marker == nullptr) throw EContainerIsEmpty();
    NoteStructureChange();
    std::unique_ptr<TListNode> node(MarkerNode());
    TObject* const item = node->Item;
    node->Item = nullptr;
    if (node.get() == Head && node.get() == Tail) {
        Head = Tail = nullptr;
        SetMarker(nullptr, 0);
    } else if (node.get() == Tail) {
        Tail = node->PrevNode;
        Tail->NextNode = nullptr;
        SetMarker(Tail, markerIndex_ - 1);
    } else if (node.get() == Head) {
        Head = node->NextNode;
        Head->PrevNode = nullptr;
        SetMarker(Head, 1);
    } else {
        node->PrevNode->NextNode = node->NextNode;
        node->NextNode->PrevNode = node->PrevNode;
        SetMarker(node->NextNode, markerIndex_);  // the next node takes its position
    }
    --ItemCount;
    return item;
}

void TOrderedList::Clear() {
    if (Head != nullptr) NoteStructureChange();
    while (Head != nullptr) {
        std::unique_ptr<TListNode> node(Head);
        Head = node->NextNode;
        DisposeItem(node->Item);  // front to back
        node->Item = nullptr;
    }
    Tail = nullptr;
    ItemCount = 0;
    SetMarker(nullptr, 0);
}

// ----------------------------------------------------------------------------
// Items of a stream record

namespace {

/// A stored item and its node, as the index holds them.
struct TIndexEntry {
    TObject* item;
    TListNode* node;
};

/// An item being placed, as the index's searches take it.
struct TItemSought {
    TObject* item;
};

/// The list's own order. Under a total order the list is sorted, so a stored item's place
/// among the others is its place in the index; among equal items each new one goes
/// before the others, in the list by Add and in the index by the hint it is given.
struct TIndexOrder {
    using is_transparent = void;
    TCompareFunc compare;

    bool operator()(const TIndexEntry& a, const TIndexEntry& b) const {
        return compare(a.item, b.item) == crLess;
    }
    // Whether the item sought goes after the stored one: called with the item sought first,
    // as the walk calls the compare function.
    bool operator()(const TIndexEntry& stored, const TItemSought& sought) const {
        return compare(sought.item, stored.item) == crGreater;
    }
};

}  // namespace

struct TRecordItems::TIndex {
    explicit TIndex(TCompareFunc compare) : entries(TIndexOrder{compare}) {}
    std::multiset<TIndexEntry, TIndexOrder> entries;
};

TRecordItems::TRecordItems(TNodeContainer& container, TCompareKind kind)
    : container_(container),
      list_(container.ClassType() == TOrderedList::StaticClass() && kind != TCompareKind::Opaque
                ? static_cast<TOrderedList*>(&container)
                : nullptr),
      kind_(kind) {}

TRecordItems::~TRecordItems() {
    if (positionKnown_ || list_->Marker == nullptr) return;
    int position = 1;
    for (TListNode* node = list_->Head; node != list_->Marker; node = node->NextNode) ++position;
    list_->SetMarker(list_->MarkerNode(), position);
}

void TRecordItems::Add(TObject* item) {
    if (list_ == nullptr) return container_.Add(item);
    list_->CheckItemType(item);
    auto node = std::make_unique<TListNode>();  // first, as in Add
    TOrderedList& list = *list_;
    if (list.Head == nullptr) return LinkAtEnd(std::move(node), item, true);
    // The walk's own first comparison, so that an item the function refuses fails here.
    if (list.CompareFunc(item, list.Head->Item) != crGreater)
        return LinkAtEnd(std::move(node), item, true);
    if (list.Head == list.Tail || list.CompareFunc(item, list.Tail->Item) == crGreater)
        return LinkAtEnd(std::move(node), item, false);
    if (kind_ == TCompareKind::TotalOrder) {
        if (index_ == nullptr && LinkNearTail(node, item)) return;
        return LinkInside(std::move(node), item);
    }
    // Neither a constant nor the identity of a new item stops the walk inside the list.
    list.Add(item);
    positionKnown_ = true;
}

void TRecordItems::LinkAtEnd(std::unique_ptr<TListNode> node, TObject* item, bool atHead) {
    TOrderedList& list = *list_;
    if (index_ != nullptr)  // before linking: running out of memory here changes nothing
        index_->entries.emplace_hint(atHead ? index_->entries.begin() : index_->entries.end(),
                                     TIndexEntry{item, node.get()});
    node->Item = item;
    list.LinkBefore(node.release(), atHead ? list.Head : nullptr, atHead ? 1 : list.ItemCount + 1);
    positionKnown_ = true;
}

bool TRecordItems::LinkNearTail(std::unique_ptr<TListNode>& node, TObject* item) {
    // Stored in order, equal items still come one after another, each to go before the
    // ones already read: a few steps back from the tail find the place without an index.
    constexpr int kStepsBack = 4;
    TOrderedList& list = *list_;
    TListNode* before = list.Tail;  // item does not order after it, but after the head
    int position = list.ItemCount;
    for (int step = 0; step < kStepsBack; ++step, before = before->PrevNode, --position) {
        if (list.CompareFunc(item, before->PrevNode->Item) != crGreater) continue;
        node->Item = item;
        list.LinkBefore(node.release(), before, position);
        positionKnown_ = true;
        return true;
    }
    return false;
}

void TRecordItems::LinkInside(std::unique_ptr<TListNode> node, TObject* item) {
    if (index_ == nullptr) MakeIndex();
    // The first stored item that item does not order after; not past the end, since item
    // does not order after the tail.
    const auto place = index_->entries.lower_bound(TItemSought{item});
    TListNode* const before = place->node;
    index_->entries.emplace_hint(place, TIndexEntry{item, node.get()});
    node->Item = item;
    list_->LinkBefore(node.release(), before, 0);
    positionKnown_ = false;  // counted once, when the record is done
}

void TRecordItems::MakeIndex() {
    auto index = std::make_unique<TIndex>(list_->CompareFunc);
    for (TListNode* node = list_->Head; node != nullptr; node = node->NextNode)
        index->entries.emplace_hint(index->entries.end(), TIndexEntry{node->Item, node});
    index_ = std::move(index);
}
