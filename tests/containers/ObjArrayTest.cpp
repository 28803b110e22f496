#include <gtest/gtest.h>

#include "containers/ObjArray.h"
#include "tests/containers/Probe.h"

namespace {

TEST(ArrayCreation, RejectsCapacityBelowOneAndStartsEmptySortedOwning) {
    EXPECT_THROW(TArray(TProbe::StaticClass(), CompareProbes, 0, 5), EInvalidArrayCapacity);
    TArray array(TProbe::StaticClass(), CompareProbes, 1, 0);
    EXPECT_EQ(array.Count(), 0);
    EXPECT_EQ(array.GetCapacity(), 1);
    EXPECT_TRUE(array.IsSorted());
    EXPECT_TRUE(array.GetOwnsItems());
}

TEST(ArrayGrowth, FixedSizeArrayRefusesTheItemThatDoesNotFit) {
    TArray array(TProbe::StaticClass(), CompareProbes, 2, 0);
    array.Add(new TProbe(1));
    array.Add(new TProbe(2));
    TProbe third(3);
    EXPECT_THROW(array.Add(&third), EContainerIsFull);
    EXPECT_EQ(array.Count(), 2);
}

TEST(ArrayGrowth, GrowsByItsStepAndKeepsItsItems) {
    TArray array(TProbe::StaticClass(), CompareProbes, 2, 5);
    auto* first = new TProbe(1);
    auto* second = new TProbe(2);
    array.Add(first);
    array.Add(second);
    array.Add(new TProbe(3));
    EXPECT_EQ(array.GetCapacity(), 7);
    EXPECT_EQ(array.GetItem(1), first);
    EXPECT_EQ(array.GetItem(2), second);
}

TEST(ArrayGrowth, AHugeStepStopsAtTheItemLimitInsteadOfOverflowing) {
    TArray array(TProbe::StaticClass(), CompareProbes, 1, 2147483647);
    array.Add(new TProbe(1));
    array.Add(new TProbe(2));
    EXPECT_EQ(array.GetCapacity(), TArray::kMaxItems);
}

TEST(ArrayIndex, OutOfRangeIndexesRaise) {
    TArray array(TProbe::StaticClass(), CompareProbes, 3, 0);
    EXPECT_THROW(array.GetItem(1), EInvalidIndex);
    array.Add(new TProbe(1));
    EXPECT_THROW(array.GetItem(0), EInvalidIndex);
    EXPECT_THROW(array.GetItem(2), EInvalidIndex);
    TStranger stranger;
    EXPECT_THROW(array.SetItem(5, &stranger), EInvalidObjectType);  // item checked first
    TProbe probe(1);
    EXPECT_THROW(array.SetItem(5, &probe), EInvalidIndex);
}

TEST(ArrayCapacity, ShrinksToItsItemsButNotBelow) {
    TArray array(TProbe::StaticClass(), CompareProbes, 10, 0);
    EXPECT_THROW(array.SetCapacity(0), EInvalidArrayCapacity);
    array.Add(new TProbe(1));
    array.Add(new TProbe(2));
    EXPECT_THROW(array.SetCapacity(1), ENewArraySizeTooSmall);
    array.SetCapacity(2);
    EXPECT_EQ(array.GetCapacity(), 2);
    EXPECT_EQ(static_cast<TProbe*>(array.GetItem(2))->Value, 2);
}

TEST(ArraySorted, OnceOutOfOrderStaysUnsortedUntilCleared) {
    TArray array(TProbe::StaticClass(), CompareProbes, 3, 0);
    for (int v : {1, 2, 3}) array.Add(new TProbe(v));
    EXPECT_TRUE(array.IsSorted());
    array.SetItem(2, new TProbe(5));  // 1 5 3
    EXPECT_FALSE(array.IsSorted());
    array.SetItem(2, new TProbe(2));  // in order again, still unsorted
    EXPECT_FALSE(array.IsSorted());
    array.Clear();
    EXPECT_TRUE(array.IsSorted());
    EXPECT_EQ(array.GetCapacity(), 3);
    for (int v : {3, 1}) array.Add(new TProbe(v));
    EXPECT_FALSE(array.IsSorted());
}

TEST(ArraySorted, ReplacingTheFirstSlotComparesWithTheSecond) {
    TArray array(TProbe::StaticClass(), CompareProbes, 3, 0);
    for (int v : {1, 2, 3}) array.Add(new TProbe(v));
    array.SetItem(1, new TProbe(2));  // equal neighbours are in order
    EXPECT_TRUE(array.IsSorted());
    array.SetItem(1, new TProbe(9));
    EXPECT_FALSE(array.IsSorted());
}

bool compareRaises = false;

TCompareResult RaisingWhenAsked(TObject* a, TObject* b) {
    if (compareRaises) throw EInvalidCast();
    return CompareProbes(a, b);
}

TEST(ArrayOwnership, ACompareThatRaisesLeavesTheArrayAsItWasAndTheItemWithTheCaller) {
    TArray array(TProbe::StaticClass(), RaisingWhenAsked, 2, 3);
    array.Add(new TProbe(1));
    array.Add(new TProbe(2));
    compareRaises = true;
    TProbe stranger(3);  // on the stack: the array must neither keep nor destroy it
    EXPECT_THROW(array.Add(&stranger), EInvalidCast);
    EXPECT_EQ(array.Count(), 2);
    EXPECT_EQ(array.GetCapacity(), 2);  // the growth for the refused item is undone
    EXPECT_THROW(array.SetItem(2, &stranger), EInvalidCast);
    EXPECT_EQ(static_cast<TProbe*>(array.GetItem(2))->Value, 2);
    compareRaises = false;
}

TEST(ArrayOwnership, ReplacedItemDiesOnlyWhenOwned) {
    TArray array(TProbe::StaticClass(), CompareProbes, 2, 0);
    auto* item = new TProbe(1);
    array.Add(item);
    const int before = TProbe::Destroyed;
    array.SetItem(1, item);  // the very object: kept
    EXPECT_EQ(TProbe::Destroyed, before);
    array.SetItem(1, new TProbe(2));
    EXPECT_EQ(TProbe::Destroyed, before + 1);

    TProbe survivor(3);
    array.SetOwnsItems(false);
    std::unique_ptr<TObject> replaced(array.GetItem(1));
    array.SetItem(1, &survivor);
    EXPECT_EQ(TProbe::Destroyed, before + 1);
}

TEST(ArrayWalk, ForEachVisitsSlotsInOrder) {
    TArray array(TProbe::StaticClass(), CompareProbes, 4, 0);
    for (int v : {4, 2, 7}) array.Add(new TProbe(v));
    std::vector<int> seen;
    array.ForEachMethod(
        [&](TObject* item, void*) { seen.push_back(static_cast<TProbe*>(item)->Value); }, nullptr);
    EXPECT_EQ(seen, (std::vector<int>{4, 2, 7}));
}

}  // namespace
