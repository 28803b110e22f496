#include "containers/ObjArray.h"

#include <algorithm>
#include <cstdint>

IMPLEMENT_CLASS(TArray, TContainer)

namespace {
// Room made up front for a new array; a larger capacity fills in as items arrive.
constexpr int kEagerSlots = 1 << 16;
}  // namespace

TArray::TArray(TClassRef itemClass, TCompareFunc compareFunc, int capacity, int growth)
    : TContainer(itemClass) {
    if (capacity < 1) throw EInvalidArrayCapacity();
    CompareFunc = compareFunc;
    Capacity = capacity;
    Growth = growth;
    Sorted = true;
    Items.reserve(std::min(capacity, kEagerSlots));
}

TArray::~TArray() { TArray::Clear(); }

void TArray::RestoreShape(int capacity, int growth, bool sorted, int itemsExpected) {
    if (capacity < 1) throw EInvalidArrayCapacity();
    Capacity = capacity;
    Growth = growth;
    Sorted = sorted;
    Items.reserve(std::clamp(itemsExpected, 0, capacity));
}

void TArray::SetItem(int index, TObject* item) {
    CheckItemType(item);
    CheckIndex(index);
    TObject*& slot = Items[index - 1];
    TObject* const old = slot;
    slot = item;
    try {
        UpdateSorted(index);
    } catch (...) {
        slot = old;  // a compare that raises leaves the array as it was, item with the caller
        throw;
    }
    if (old != item) DisposeItem(old);  // storing what is already there must not destroy it
}

void TArray::Add(TObject* item) {
    CheckItemType(item);
    if (ItemCount == kMaxItems) throw EContainerIsFull();
    const int oldCapacity = Capacity;
    const int oldCount = ItemCount;
    if (ItemCount >= Capacity) {
        if (Growth == 0) throw EContainerIsFull();
        const std::int64_t grown = std::int64_t{Capacity} + Growth;  // no int overflow
        SetCapacity(static_cast<int>(std::min<std::int64_t>(grown, kMaxItems)));
    }
    try {
        Items.push_back(item);
        ++ItemCount;
        UpdateSorted(ItemCount);
    } catch (...) {
        // A compare that raises, or no memory for the slot, leaves the array as it was
        // and the item with the caller.
        Items.resize(static_cast<std::size_t>(oldCount));
        ItemCount = oldCount;
        Capacity = oldCapacity;
        throw;
    }
}

void TArray::SetCapacity(int newCapacity) {
    if (newCapacity < 1) throw EInvalidArrayCapacity();
    if (newCapacity == Capacity) return;
    if (newCapacity < ItemCount) throw ENewArraySizeTooSmall();
    Capacity = newCapacity;
    if (static_cast<std::size_t>(newCapacity) < Items.capacity()) Items.shrink_to_fit();
}

bool TArray::OutOfOrder(int index) const {
    return CompareFunc(Items[index - 1], Items[index]) == crGreater;
}

void TArray::UpdateSorted(int index) {
    if (ItemCount < 2 || !Sorted) return;
    if (index == ItemCount) {
        Sorted = !OutOfOrder(index - 1);
    } else if (index == 1) {
        Sorted = !OutOfOrder(1);
    } else {
        Sorted = !(OutOfOrder(index - 1) || OutOfOrder(index));
    }
}

void TArray::ForEach(TForEachProc proc, void* arg) {
    const int count = Count();
    for (int i = 0; i < count && i < ItemCount; ++i) proc(Items[i], arg);
}

void TArray::ForEachMethod(const TForEachMethod& method, void* arg) {
    const int count = Count();
    for (int i = 0; i < count && i < ItemCount; ++i) method(Items[i], arg);
}

void TArray::Clear() {
    for (TObject* item : Items) DisposeItem(item);
    Items.clear();
    ItemCount = 0;
    Sorted = true;
}
