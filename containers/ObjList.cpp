#include "containers/ObjList.h"

#include <cstdlib>
#include <memory>

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

void TOrderedList::LinkBefore(TListNode* node, TListNode* before, int index) {
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
