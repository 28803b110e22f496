// The doubly linked lists: sorted, insertion-ordered and circular.
#pragma once

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
