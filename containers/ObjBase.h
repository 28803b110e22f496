// The node base class and the abstract containers: item-class check, ownership
// rule and the marker protocol that the linked lists implement.
#pragma once

#include "containers/ObjType.h"

/// The base of all node classes. A node destroys its Item when it is destroyed,
/// but the containers always empty Item first, so whether an item dies is
/// decided by the container's ownership flag alone.
class TNode : public TObject {
    DECLARE_CLASS()
public:
    TNode() = default;
    ~TNode() override;

    TObject* Item = nullptr;
};

/// Abstract container. Every check precedes every change: an operation that
/// raises leaves the container exactly as it was.
class TContainer : public TObject {
    DECLARE_CLASS()
public:
    // Destruction disposes the items through the concrete class's Clear, which
    // a base destructor cannot reach: each concrete container's destructor calls it.
    ~TContainer() override = default;

    virtual int Count() const { return ItemCount; }
    virtual bool IsEmpty() const { return ItemCount == 0; }
    virtual bool GetOwnsItems() const { return OwnsItems; }
    /// Takes effect for every later drop, including items already held.
    virtual void SetOwnsItems(bool value) { OwnsItems = value; }
    /// Calls proc(item, arg) once for every item, in the container's order.
    virtual void ForEach(TForEachProc proc, void* arg) = 0;
    virtual void ForEachMethod(const TForEachMethod& method, void* arg) = 0;
    /// Removes every item, disposing each one; afterwards Count() = 0.
    virtual void Clear() = 0;

    /// EInvalidObjectType unless item is present and an instance of the item class.
    void CheckItemType(const TObject* item) const;
    /// Destroys item when the container owns its items; an absent item is ignored.
    void DisposeItem(TObject* item);

    TClassRef GetItemClass() const { return ItemClass; }
    TCompareFunc GetCompareFunction() const { return CompareFunc; }

    /// Sets the header that a stream record holds: item class and compare
    /// function; the container then owns its items and counts none.
    /// REQUIRES: the container holds no items (a blank instance being read).
    void RestoreHeader(TClassRef itemClass, TCompareFunc compareFunc);

protected:
    explicit TContainer(TClassRef itemClass) : ItemClass(itemClass), OwnsItems(true) {}
    explicit TContainer(TBlank) {}

    TClassRef ItemClass = nullptr;
    TCompareFunc CompareFunc = nullptr;
    int ItemCount = 0;
    bool OwnsItems = false;
};

/// A container whose items sit in nodes, with one node current: the marker.
/// In every list the marker is empty exactly when the list is empty.
class TNodeContainer : public TContainer {
    DECLARE_CLASS()
public:
    /// The item of the marker's node; EContainerIsEmpty without a marker.
    virtual TObject* GetCurrent() const;
    /// Replaces the marker's item (not type-checked), disposing the old one
    /// unless it is the very object given. EContainerIsEmpty without a marker.
    virtual void SetCurrent(TObject* item);
    /// Marker to the n-th node (1-based) and its item; EInvalidIndex unless 1 <= n <= Count.
    virtual TObject* GoToIndex(int n) = 0;
    /// Inserts item (type-checked); the marker ends on the new node.
    virtual void Add(TObject* item) = 0;
    /// Finds the n-th occurrence as FindOccurrence does and deletes it.
    virtual bool DeleteOccurrence(TObject* item, int n) = 0;
    /// Unlinks the marker's node and returns its item undisposed; the caller
    /// then decides its fate. EContainerIsEmpty without a marker.
    virtual TObject* RemoveCurrent() = 0;
    /// RemoveCurrent, then DisposeItem of the item.
    virtual void DeleteCurrent();
    /// Searches from the first node for the n-th occurrence of item. Found: the
    /// marker is on it. Not found: the marker is back where it was.
    /// EInvalidObjectType for a bad item (checked first), EInvalidOccurrenceSought for n < 1.
    virtual bool FindOccurrence(TObject* item, int n) = 0;
    virtual bool First() = 0;
    virtual bool Last() = 0;
    virtual bool Next() = 0;
    virtual bool Previous() = 0;

protected:
    TNodeContainer(TClassRef itemClass, TCompareFunc compareFunc);
    explicit TNodeContainer(TBlank blank) : TContainer(blank) {}

    TNode* Marker = nullptr;
};
