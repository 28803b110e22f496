// A container that keeps its items in one inner unordered list and forwards
// the container protocol to it.
#pragma once

#include <memory>

#include "containers/ObjList.h"

class TStack : public TContainer {
    DECLARE_CLASS()
public:
    /// An empty stack over a new inner list of the same item class and compare function.
    TStack(TClassRef itemClass, TCompareFunc compareFunc);
    ~TStack() override;

    int Count() const override;
    bool IsEmpty() const override;
    /// Sets the stack's own flag and the inner list's.
    void SetOwnsItems(bool value) override;
    void ForEach(TForEachProc proc, void* arg) override;
    void ForEachMethod(const TForEachMethod& method, void* arg) override;
    void Clear() override;

    /// Puts item on top (type-checked by the inner list).
    void Push(TObject* item);
    /// Takes the top item off. Caller owns the result. EContainerIsEmpty when empty.
    TObject* Pop();

    TUnorderedList* GetInnerList() const { return InnerList; }
    /// Takes list over as the inner list: how a stack read from a stream gets its items.
    /// REQUIRES: no inner list yet (a blank instance being read).
    void AdoptInnerList(std::unique_ptr<TUnorderedList> list);

protected:
    explicit TStack(TBlank blank) : TContainer(blank) {}

    TUnorderedList* InnerList = nullptr;  // owned
};
