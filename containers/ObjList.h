// The doubly linked lists: sorted, insertion-ordered and circular.
#pragma once

#include <memory>

#include "containers/ObjBase.h"

/// A node of a linked list. The chain is never closed into a ring.
class TListNode : public TNode {
    DECLARE_CLASS()
public:
    TListNode* PrevNode = nullptr;
    TListNode* NextNode = nullptr;
};

/// Keeps its items in non-descending order under its compare function; among
/// equal items the one added last comes first.
///
/// The list remembers the marker's position, so GoToIndex walks from the
/// nearest of head, tail and marker: enumerating by GoToIndex(1..Count) costs
/// O(Count) in total. The marker each call leaves is the same as a walk from
/// the nearer end would leave.
class TOrderedList : public TNodeContainer {
    DECLARE_CLASS()
public:
    TOrderedList(TClassRef itemClass, TCompareFunc compareFunc);
    ~TOrderedList() override;

    void ForEach(TForEachProc proc, void* arg) override;
    void ForEachMethod(const TForEachMethod& method, void* arg) override;
    void Clear() override;

    TObject* GoToIndex(int n) override;
    /// Sorted insertion: before the first item that the new one does not order after.
    void Add(TObject* item) override;
    bool DeleteOccurrence(TObject* item, int n) override;
    TObject* RemoveCurrent() override;
    /// Counts, from the front, the items that item does not order after; found
    /// when the n-th of them compares equal.
    bool FindOccurrence(TObject* item, int n) override;
    bool First() override;
    bool Last() override;
    bool Next() override;
    bool Previous() override;

    /// The ordered search shared by Add and FindOccurrence; leaves the marker
    /// where the search stopped (empty when it ran past the tail).
    bool LocateOccurrence(TObject* item, int n);

protected:
    explicit TOrderedList(TBlank blank) : TNodeContainer(blank) {}

    /// Links node into the chain before `before` (after the tail when before is
    /// empty) and makes it the marker at position index.
    void LinkBefore(TListNode* node, TListNode* before, int index);
    /// Links node after the marker (or as the only node) and makes it the marker.
    void LinkAfterMarker(TListNode* node);
    /// Whether Next and Previous wrap around: the walk of ForEach then counts items.
    virtual bool WrapsAround() const { return false; }

    TListNode* MarkerNode() const { return static_cast<TListNode*>(Marker); }
    /// Every move of the marker goes through here, so its position stays known.
    void SetMarker(TListNode* node, int index) {
        Marker = node;
        markerIndex_ = index;
    }

    TListNode* Tail = nullptr;
    TListNode* Head = nullptr;
    int markerIndex_ = 0;  // 1-based position of Marker; 0 when there is none

private:
    friend class TRecordItems;
    template <class Visit>
    void Walk(Visit&& visit);
    TListNode* NodeAt(int n) const;
};

/// Keeps its items in insertion order: Add inserts after the marker.
class TUnorderedList : public TOrderedList {
    DECLARE_CLASS()
public:
    using TOrderedList::TOrderedList;

    /// Inserts after the marker; successive Adds therefore append in call order.
    void Add(TObject* item) override;
    /// Counts the items that compare equal with item.
    bool FindOccurrence(TObject* item, int n) override;
    /// Links item after the tail, whatever the marker.
    void Append(TObject* item);

protected:
    explicit TUnorderedList(TBlank blank) : TOrderedList(blank) {}
};

/// An unordered list whose Next and Previous wrap around at the ends; while it
/// holds items they never return false.
class TCircularList : public TUnorderedList {
    DECLARE_CLASS()
public:
    using TUnorderedList::TUnorderedList;

    bool Next() override;
    bool Previous() override;

protected:
    explicit TCircularList(TBlank blank) : TUnorderedList(blank) {}
    bool WrapsAround() const override { return true; }
};

/// Puts the items of one stream record into a container, each where the container's own
/// Add puts it, with Add's errors at the same item and the marker Add leaves. A
/// TOrderedList (the class itself: a subclass may place items its own way) is spared the
/// walk from the front where kind allows: under a Constant or an Identity compare function
/// the first and the last item decide, under a TotalOrder a search over an index of the
/// nodes finds the place in O(log Count) comparisons. Anything else goes through Add.
class TRecordItems {
public:
    /// kind: what the registration of the container's compare function declares of it.
    TRecordItems(TNodeContainer& container, TCompareKind kind);
    /// The marker's position, which the index does not count, is settled here.
    ~TRecordItems();
    TRecordItems(const TRecordItems&) = delete;
    TRecordItems& operator=(const TRecordItems&) = delete;

    /// The container's Add(item), in effect; the container owns item once this returns.
    /// REQUIRES: item is a new object, held by no container; between the calls nothing
    /// else changes the container.
    void Add(TObject* item);

private:
    struct TIndex;
    void LinkAtEnd(std::unique_ptr<TListNode> node, TObject* item, bool atHead);
    bool LinkNearTail(std::unique_ptr<TListNode>& node, TObject* item);
    void LinkInside(std::unique_ptr<TListNode> node, TObject* item);
    void MakeIndex();

    TNodeContainer& container_;
    TOrderedList* list_;  // none when the container's own Add places the items
    TCompareKind kind_;
    std::unique_ptr<TIndex> index_;  // made when an item first goes between two others
    bool positionKnown_ = true;      // whether the list counts the marker's position right
};
