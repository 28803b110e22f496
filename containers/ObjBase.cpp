#include "containers/ObjBase.h"

#include "support/ChangeCount.h"

IMPLEMENT_ABSTRACT_CLASS(TNode, TObject)
IMPLEMENT_ABSTRACT_CLASS(TContainer, TObject)
IMPLEMENT_ABSTRACT_CLASS(TNodeContainer, TContainer)

TNode::~TNode() { delete Item; }

void TContainer::CheckItemType(const TObject* item) const {
    if (item == nullptr || !item->InheritsFrom(ItemClass)) throw EInvalidObjectType();
}

void TContainer::DisposeItem(TObject* item) {
    if (GetOwnsItems()) delete item;  // flag read at drop time, not at insert
}

void TContainer::RestoreHeader(TClassRef itemClass, TCompareFunc compareFunc) {
    ItemClass = itemClass;
    CompareFunc = compareFunc;
    OwnsItems = true;
    ItemCount = 0;
}

TNodeContainer::TNodeContainer(TClassRef itemClass, TCompareFunc compareFunc)
    : TContainer(itemClass) {
    CompareFunc = compareFunc;
}

TObject* TNodeContainer::GetCurrent() const {
    if (Marker == nullptr) throw EContainerIsEmpty();
    return Marker->Item;
}

void TNodeContainer::SetCurrent(TObject* item) {
    if (Marker == nullptr) throw EContainerIsEmpty();
    TObject* old = Marker->Item;
    if (old == item) return;  // storing what is already there must not destroy it
    NoteStructureChange();
    Marker->Item = item;
    DisposeItem(old);
}

void TNodeContainer::DeleteCurrent() { DisposeItem(RemoveCurrent()); }
