#include "containers/ObjStack.h"

#include <cassert>

IMPLEMENT_CLASS(TStack, TContainer)

TStack::TStack(TClassRef itemClass, TCompareFunc compareFunc)
    : TContainer(itemClass), InnerList(new TUnorderedList(itemClass, compareFunc)) {
    CompareFunc = compareFunc;
}

TStack::~TStack() {
    TStack::Clear();
    delete InnerList;
}

int TStack::Count() const { return InnerList != nullptr ? InnerList->Count() : 0; }

bool TStack::IsEmpty() const { return InnerList == nullptr || InnerList->IsEmpty(); }

void TStack::SetOwnsItems(bool value) {
    TContainer::SetOwnsItems(value);
    if (InnerList != nullptr) InnerList->SetOwnsItems(value);
}

void TStack::ForEach(TForEachProc proc, void* arg) {
    if (InnerList != nullptr) InnerList->ForEach(proc, arg);
}

void TStack::ForEachMethod(const TForEachMethod& method, void* arg) {
    if (InnerList != nullptr) InnerList->ForEachMethod(method, arg);
}

void TStack::Clear() {
    if (InnerList != nullptr) InnerList->Clear();
}

void TStack::Push(TObject* item) {
    if (InnerList == nullptr) throw EInvalidObjectType();
    InnerList->Append(item);
}

TObject* TStack::Pop() {
    if (IsEmpty()) throw EContainerIsEmpty();
    InnerList->Last();
    return InnerList->RemoveCurrent();
}

void TStack::AdoptInnerList(std::unique_ptr<TUnorderedList> list) {
    assert(InnerList == nullptr);
    InnerList = list.release();
}
