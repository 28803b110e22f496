#include <gtest/gtest.h>

#include <vector>

#include "containers/ObjList.h"
#include "tests/containers/Probe.h"

namespace {

int ValueOf(TObject* item) { return static_cast<TProbe*>(item)->Value; }

/// The values front to back, read without touching the marker's owner's state
/// more than a walk does; the marker is put back afterwards by the caller if needed.
std::vector<int> Values(TOrderedList& list) {
    std::vector<int> values;
    list.ForEachMethod([&](TObject* item, void*) { values.push_back(ValueOf(item)); }, nullptr);
    return values;
}

template <class List>
struct Filled {
    explicit Filled(std::initializer_list<int> values) {
        for (int v : values) list.Add(new TProbe(v));
    }
    List list{TProbe::StaticClass(), CompareProbes};
};

TEST(EmptyList, WalksFailAndMarkerOperationsRaise) {
    TUnorderedList list(TProbe::StaticClass(), CompareProbes);
    EXPECT_FALSE(list.First());
    EXPECT_FALSE(list.Last());
    EXPECT_FALSE(list.Next());
    EXPECT_FALSE(list.Previous());
    EXPECT_THROW(list.GetCurrent(), EContainerIsEmpty);
    EXPECT_THROW(list.RemoveCurrent(), EContainerIsEmpty);
    EXPECT_THROW(list.GoToIndex(1), EInvalidIndex);
    TProbe probe(1);
    EXPECT_FALSE(list.FindOccurrence(&probe, 1));
    int calls = 0;
    list.ForEach([](TObject*, void* arg) { ++*static_cast<int*>(arg); }, &calls);
    EXPECT_EQ(calls, 0);
    list.Clear();
}

TEST(OccurrenceSearch, ChecksTheItemFirstThenTheOccurrenceNumber) {
    TOrderedList list(TProbe::StaticClass(), CompareProbes);
    TProbe probe(1);
    EXPECT_THROW(list.FindOccurrence(&probe, 0), EInvalidOccurrenceSought);
    EXPECT_THROW(list.FindOccurrence(nullptr, 0), EInvalidObjectType);
    EXPECT_THROW(list.DeleteOccurrence(nullptr, 1), EInvalidObjectType);
}

TEST(RemoveCurrent, MarkerMovesToTheNeighbourThatTakesThePlace) {
    Filled<TUnorderedList> f{1, 2, 3, 4};
    f.list.GoToIndex(2);
    delete f.list.RemoveCurrent();  // middle: the next node
    EXPECT_EQ(ValueOf(f.list.GetCurrent()), 3);
    f.list.Last();
    delete f.list.RemoveCurrent();  // tail: the new tail
    EXPECT_EQ(ValueOf(f.list.GetCurrent()), 3);
    f.list.First();
    delete f.list.RemoveCurrent();  // head: the new head
    EXPECT_EQ(ValueOf(f.list.GetCurrent()), 3);
    delete f.list.RemoveCurrent();  // the only node
    EXPECT_TRUE(f.list.IsEmpty());
    EXPECT_THROW(f.list.GetCurrent(), EContainerIsEmpty);
}

TEST(UnorderedList, AddInsertsAfterTheMarkerAndAppendAtTheEnd) {
    Filled<TUnorderedList> f{1, 2, 3};
    TProbe two(2);
    ASSERT_TRUE(f.list.FindOccurrence(&two, 1));
    f.list.Add(new TProbe(10));
    EXPECT_EQ(ValueOf(f.list.GetCurrent()), 10);
    f.list.Append(new TProbe(20));
    EXPECT_EQ(Values(f.list), (std::vector<int>{1, 2, 10, 3, 20}));
}

TEST(OrderedList, KeepsOrderAndPutsANewEqualItemFirst) {
    Filled<TOrderedList> f{3, 1, 2};
    EXPECT_EQ(Values(f.list), (std::vector<int>{1, 2, 3}));
    auto* second2 = new TProbe(2);
    f.list.Add(second2);
    f.list.GoToIndex(2);
    EXPECT_EQ(f.list.GetCurrent(), second2);
}

TEST(OrderedList, FailedSearchLeavesMarkerWhereItWasAndCountsEqualOccurrences) {
    Filled<TOrderedList> f{1, 2, 2, 4};
    f.list.GoToIndex(4);
    TProbe three(3), two(2);
    EXPECT_FALSE(f.list.FindOccurrence(&three, 1));
    EXPECT_EQ(ValueOf(f.list.GetCurrent()), 4);
    ASSERT_TRUE(f.list.FindOccurrence(&two, 2));
    f.list.Next();
    EXPECT_EQ(ValueOf(f.list.GetCurrent()), 4);  // the second 2 was at position 3
    EXPECT_FALSE(f.list.DeleteOccurrence(&two, 3));
    EXPECT_EQ(f.list.Count(), 4);
}

TEST(OrderedList, AThrowingCompareLeavesTheNewItemWithTheCaller) {
    TOrderedList list(TObject::StaticClass(),
                      [](TObject*, TObject*) -> TCompareResult { throw EInvalidCast(); });
    list.Add(new TProbe(1));  // nothing to compare with yet
    TProbe second(2);
    EXPECT_THROW(list.Add(&second), EInvalidCast);
    EXPECT_EQ(list.Count(), 1);
}

TEST(CircularList, WalksWrapAroundAndNeverFailWhileNotEmpty) {
    Filled<TCircularList> f{1, 2, 3};
    f.list.Last();
    ASSERT_TRUE(f.list.Next());
    EXPECT_EQ(ValueOf(f.list.GetCurrent()), 1);
    f.list.First();
    ASSERT_TRUE(f.list.Previous());
    EXPECT_EQ(ValueOf(f.list.GetCurrent()), 3);

    Filled<TCircularList> single{7};
    EXPECT_TRUE(single.list.Next());
    EXPECT_TRUE(single.list.Previous());
    EXPECT_EQ(ValueOf(single.list.GetCurrent()), 7);
    TCircularList empty(TProbe::StaticClass(), CompareProbes);
    EXPECT_FALSE(empty.Next());
    EXPECT_FALSE(empty.Previous());
}

TEST(CircularList, ForEachVisitsEachItemOnceAndEndsOnTheLast) {
    Filled<TCircularList> f{1, 2, 3};
    EXPECT_EQ(Values(f.list), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(ValueOf(f.list.GetCurrent()), 3);
}

TEST(GoToIndex, ReachesBothEndsAndRejectsOutOfRange) {
    Filled<TUnorderedList> f{1, 2, 3};
    EXPECT_EQ(ValueOf(f.list.GoToIndex(3)), 3);
    EXPECT_EQ(ValueOf(f.list.GoToIndex(1)), 1);
    EXPECT_THROW(f.list.GoToIndex(0), EInvalidIndex);
    EXPECT_THROW(f.list.GoToIndex(4), EInvalidIndex);
    EXPECT_EQ(ValueOf(f.list.GetCurrent()), 1);  // a failed call does not move the marker
}

TEST(ListOwnership, NonOwningListLeavesItemsAlive) {
    TProbe a(1), b(2);
    const int before = TProbe::Destroyed;
    {
        TUnorderedList list(TProbe::StaticClass(), CompareProbes);
        list.SetOwnsItems(false);
        list.Add(&a);
        list.Add(&b);
        EXPECT_TRUE(list.DeleteOccurrence(&a, 1));
        list.Clear();
        list.Add(&b);
    }
    EXPECT_EQ(TProbe::Destroyed, before);
}

}  // namespace
