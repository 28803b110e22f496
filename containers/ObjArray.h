// The growable array of item references, indexed from 1, that tracks whether
// its items are in order under its compare function.
#pragma once

#include <vector>

#include "containers/ObjBase.h"

class TArray : public TContainer {
    DECLARE_CLASS()
public:
    static constexpr int kMaxItems = 536870911;  // 2^29 - 1

    /// EInvalidArrayCapacity when capacity < 1. Growth is the number of slots
    /// Add adds when full; 0 makes the array fixed-size.
    TArray(TClassRef itemClass, TCompareFunc compareFunc, int capacity, int growth);
    ~TArray() override;

    void ForEach(TForEachProc proc, void* arg) override;
    void ForEachMethod(const TForEachMethod& method, void* arg) override;
    /// Disposes every item; keeps the capacity; the array is sorted again.
    void Clear() override;
    /// Replaces the item at index, disposing the old one unless it is the very
    /// object given. EInvalidObjectType (checked first), then EInvalidIndex.
    virtual void SetItem(int index, TObject* item);

    /// EInvalidIndex unless 1 <= index <= Count.
    TObject* GetItem(int index) const {
        CheckIndex(index);
        return Items[static_cast<std::size_t>(index - 1)];
    }
    /// Appends item, growing by Growth slots when full. EInvalidObjectType;
    /// EContainerIsFull when fixed-size and full, or at kMaxItems items.
    void Add(TObject* item);
    /// EInvalidArrayCapacity below 1; ENewArraySizeTooSmall below Count.
    void SetCapacity(int newCapacity);
    void CheckIndex(int index) const {
        if (index < 1 || index > Count()) throw EInvalidIndex();
    }
    /// Re-examines the neighbours of a changed slot; an unsorted array stays unsorted.
    void UpdateSorted(int index);

    int GetCapacity() const { return Capacity; }
    int GetGrowth() const { return Growth; }
    bool IsSorted() const { return Sorted; }

    /// Sets the shape that a stream record holds after its header. Room is made
    /// only for the itemsExpected that follow, not for a capacity the record
    /// could never fill. EInvalidArrayCapacity when capacity < 1.
    /// REQUIRES: the array holds no items (a blank instance being read).
    void RestoreShape(int capacity, int growth, bool sorted, int itemsExpected);

protected:
    explicit TArray(TBlank blank) : TContainer(blank) {}

    int Capacity = 0;
    int Growth = 0;
    bool Sorted = false;
    // Holds exactly the ItemCount items: Capacity is the logical number of
    // slots, while the memory grows as items arrive.
    std::vector<TObject*> Items;

private:
    bool OutOfOrder(int index) const;  // slot index orders after slot index + 1
};
