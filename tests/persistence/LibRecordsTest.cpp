#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <tuple>

#include "containers/ObjArray.h"
#include "containers/ObjStack.h"
#include "persistence/LibRecords.h"
#include "tests/persistence/StreamBytes.h"
#include "values/ObjBuckt.h"
#include "values/ObjCmp.h"

namespace {

const TBytes kBucketHeader = Text("TIntegerBucket") + Text("CompareIntegerBucket");

TBytes BucketFrame(std::uint8_t value) {
    return FrameHeader("TIntegerBucket") + Bytes({2, 4, value, 0, 0, 0});
}

template <class T>
std::unique_ptr<T> RoundTrip(TObject* object) {
    auto read = ObjectFrom(FrameOf(object));
    EXPECT_EQ(read->ClassType(), object->ClassType());
    return std::unique_ptr<T>(static_cast<T*>(read.release()));
}

/// The values of the buckets, or of the buckets held by combos, in container order.
std::vector<int> Values(TContainer& container) {
    std::vector<int> values;
    container.ForEachMethod(
        [&](TObject* item, void*) {
            if (IsA<TStringCombo>(item)) item = static_cast<TStringCombo*>(item)->Obj;
            values.push_back(As<TIntegerBucket>(item)->Value());
        },
        nullptr);
    return values;
}

TEST(BucketRecord, SizeThenBytesOfWhichOnlyTheLow16BitsOfTheSizeCount) {
    TWordBucket word(513);
    EXPECT_EQ(FrameOf(&word), FrameHeader("TWordBucket") + Bytes({2, 2, 1, 2}));
    TBucket empty(0, nullptr);
    EXPECT_EQ(FrameOf(&empty), FrameHeader("TBucket") + Bytes({2, 0}));
    auto read = ObjectFrom(FrameHeader("TBucket") + Bytes({4, 2, 0, 1, 0, 0xAA, 0xBB}));
    EXPECT_EQ(As<TBucket>(read.get())->Size(), 2);
    EXPECT_EQ(As<TBucket>(read.get())->Data()[1], 0xBB);
}

TEST(BucketRecord, EveryTypedBucketComesBackAsItsOwnClassWithItsBytes) {
    std::unique_ptr<TBucket> buckets[] = {
        std::make_unique<TShortIntBucket>(-5),
        std::make_unique<TIntegerBucket>(-70000),
        std::make_unique<TLongIntBucket>(123456),
        std::make_unique<TByteBucket>(200),
        std::make_unique<TWordBucket>(65535),
        std::make_unique<TCharBucket>('q'),
        std::make_unique<TBooleanBucket>(true),
        std::make_unique<TWordBoolBucket>(true),
        std::make_unique<TLongBoolBucket>(false),
        std::make_unique<TDateTimeBucket>(45000.5),
        std::make_unique<TSingleBucket>(1.5f),
        std::make_unique<TDoubleBucket>(-2.25),
        std::make_unique<TExtendedBucket>(3.0L),
        std::make_unique<TCompBucket>(INT64_MIN),
        std::make_unique<TRealBucket>(Real48::FromExtended(-0.75L)),
    };
    for (const auto& bucket : buckets) {
        auto read = RoundTrip<TBucket>(bucket.get());
        EXPECT_EQ(TBytes(read->Data(), read->Data() + read->Size()),
                  TBytes(bucket->Data(), bucket->Data() + bucket->Size()))
            << bucket->ClassName();
    }
}

TEST(StringComboRecord, AbsentObjectIsOneFalseByteAndReadsBackOwning) {
    TStringCombo combo("s", nullptr, false);
    EXPECT_EQ(FrameOf(&combo), FrameHeader("TStringCombo") + Bytes({6, 1, 's', 8}));
    auto read = RoundTrip<TStringCombo>(&combo);
    EXPECT_EQ(read->Obj, nullptr);
    EXPECT_TRUE(read->OwnsObj);
}

TEST(ListRecord, HeaderCountItemsAndTheListReadsBackOwning) {
    TUnorderedList list(TIntegerBucket::StaticClass(), &CompareIntegerBucket);
    list.Add(new TIntegerBucket(3));
    list.Add(new TIntegerBucket(1));
    list.SetOwnsItems(false);
    const TBytes expected = FrameHeader("TUnorderedList") + kBucketHeader + Bytes({2, 2}) +
                            BucketFrame(3) + BucketFrame(1);
    list.SetOwnsItems(true);
    EXPECT_EQ(FrameOf(&list), expected);
    auto read = ObjectFrom(expected);
    EXPECT_TRUE(As<TUnorderedList>(read.get())->GetOwnsItems());
    EXPECT_EQ(Values(*As<TUnorderedList>(read.get())), (std::vector<int>{3, 1}));
}

TEST(ListRecord, OrderedListReadsBackSortedWithEqualItemsReversed) {
    TOrderedList list(TStringCombo::StaticClass(), &CompareStringCombo);
    list.Add(new TStringCombo("k", new TIntegerBucket(1), true));
    list.Add(new TStringCombo("k", new TIntegerBucket(2), true));
    list.Add(new TStringCombo("a", new TIntegerBucket(0), true));
    EXPECT_EQ(Values(list), (std::vector<int>{0, 2, 1}));
    EXPECT_EQ(Values(*RoundTrip<TOrderedList>(&list)), (std::vector<int>{0, 1, 2}));
}

std::int64_t comparisons = 0;
TCompareResult CountedGreater(TObject*, TObject*) { return ++comparisons, crGreater; }
TCompareResult CountedIntegerOrder(TObject* a, TObject* b) {
    return ++comparisons, CompareIntegerBucket(a, b);
}

/// A TOrderedList record of the values, as integer buckets, under the named function.
TBytes SortedListFrame(const std::string& compare, const std::vector<int>& values) {
    const auto count = static_cast<std::uint32_t>(values.size());
    TBytes frame =
        FrameHeader("TOrderedList") + Text("TIntegerBucket") + Text(compare) +
        Bytes({4, static_cast<std::uint8_t>(count), static_cast<std::uint8_t>(count >> 8),
               static_cast<std::uint8_t>(count >> 16), 0});
    for (const int value : values) {
        TIntegerBucket bucket(value);
        const TBytes item = FrameOf(&bucket);
        frame.insert(frame.end(), item.begin(), item.end());
    }
    return frame;
}

TEST(ListRecord, SortedListReadsInFewComparisonsWhateverTheStoredOrder) {
    RegisterCompareFunc("CompareCountedGreater", &CountedGreater, TCompareKind::Constant);
    RegisterCompareFunc("CompareCountedIntegers", &CountedIntegerOrder, TCompareKind::TotalOrder);
    constexpr int kCount = 10000;  // the walk: 50 million comparisons for each list below
    std::vector<int> ascending(kCount);
    for (int i = 0; i < kCount; ++i) ascending[static_cast<std::size_t>(i)] = i / 3;
    std::vector<int> shuffled = ascending;
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(7));
    const std::vector<int> descending(ascending.rbegin(), ascending.rend());
    for (const auto& [compare, values, perItem] :
         {std::tuple{"CompareCountedGreater", ascending, 2},
          {"CompareCountedIntegers", ascending, 4},
          {"CompareCountedIntegers", descending, 1},
          {"CompareCountedIntegers", shuffled, 25}}) {
        comparisons = 0;
        const auto list = ObjectFrom(SortedListFrame(compare, values));
        EXPECT_LE(comparisons, std::int64_t{perItem} * kCount) << compare;
        const std::vector<int> read = Values(*As<TOrderedList>(list.get()));
        EXPECT_EQ(read, std::string(compare) == "CompareCountedGreater" ? values : ascending);
    }
}

TEST(ListRecord, CircularListWritesExactlyCountItems) {
    TCircularList ring(TIntegerBucket::StaticClass(), &CompareIntegerBucket);
    for (int v : {3, 1, 2}) ring.Add(new TIntegerBucket(v));
    ring.GoToIndex(2);  // the walk starts at the first node whatever the marker
    EXPECT_EQ(FrameOf(&ring), FrameHeader("TCircularList") + kBucketHeader + Bytes({2, 3}) +
                                  BucketFrame(3) + BucketFrame(1) + BucketFrame(2));
    EXPECT_EQ(Values(*RoundTrip<TCircularList>(&ring)), (std::vector<int>{3, 1, 2}));
}

TCompareResult UnnamedCompare(TObject*, TObject*) { return crEqual; }

TEST(ListRecord, BadHeadersItemsAndCountsFailTheRead) {
    const TBytes list = FrameHeader("TOrderedList");
    EXPECT_THROW(ObjectFrom(list + Text("TNope") + Text("CompareLess")), EClassNotRegistered);
    EXPECT_THROW(ObjectFrom(list + Text("TBucket") + Text("CompareNope")),
                 ECompareFuncNotRegistered);
    EXPECT_THROW(ObjectFrom(list + Text("TWordBucket") + Text("CompareLess") + Bytes({2, 1}) +
                            BucketFrame(1)),
                 EInvalidObjectType);
    // A count the stream cannot hold fails before any item is read.
    EXPECT_EQ(MessageOf<EReadError>([&] {
                  ObjectFrom(list + kBucketHeader + Bytes({4, 0, 0, 0, 1}));
              }),
              "Stream read error");
    // Writing: the class name goes out before the unnamed function is found out.
    TObjectStream objects(std::make_unique<TMemoryStream>());
    TUnorderedList unnamed(TIntegerBucket::StaticClass(), &UnnamedCompare);
    EXPECT_THROW(objects.WriteObject(&unnamed), ECompareFuncNotRegistered);
    EXPECT_EQ(ContentOf(objects.GetStream()),
              FrameHeader("TUnorderedList") + Text("TIntegerBucket"));
}

TEST(ArrayRecord, HeaderShapeThenItemsAndAStoredUnsortedStaysUnsorted) {
    TArray array(TIntegerBucket::StaticClass(), &CompareIntegerBucket, 2, 0);
    array.Add(new TIntegerBucket(4));
    array.Add(new TIntegerBucket(5));
    EXPECT_EQ(FrameOf(&array), FrameHeader("TArray") + kBucketHeader +
                                   Bytes({2, 2, 2, 2, 2, 0, 9}) + BucketFrame(4) + BucketFrame(5));
    array.SetItem(1, new TIntegerBucket(9));
    auto read = RoundTrip<TArray>(&array);
    EXPECT_EQ(Values(*read), (std::vector<int>{9, 5}));
    EXPECT_EQ(read->GetCapacity(), 2);
    EXPECT_FALSE(read->IsSorted());
}

TEST(ArrayRecord, BadShapesRaiseTheArraysOwnErrors) {
    const TBytes head = FrameHeader("TArray") + kBucketHeader;
    EXPECT_THROW(ObjectFrom(head + Bytes({2, 0, 2, 0, 2, 0, 9})), EInvalidArrayCapacity);
    EXPECT_THROW(ObjectFrom(head + Bytes({2, 2, 2, 1, 2, 0, 9}) + BucketFrame(1) + BucketFrame(2)),
                 EContainerIsFull);
    const TBytes huge = {4, 0xFF, 0xFF, 0xFF, 0x7F};
    EXPECT_EQ(MessageOf<EReadError>([&] {
                  ObjectFrom(head + huge + huge + Bytes({2, 0, 9}));
              }),
              "Stream read error");
}

TEST(StackRecord, InnerListTravelsAsANestedFrameThatMustBeAnUnorderedList) {
    TStack stack(TIntegerBucket::StaticClass(), &CompareIntegerBucket);
    for (int v : {1, 2, 3}) stack.Push(new TIntegerBucket(v));
    auto read = RoundTrip<TStack>(&stack);
    EXPECT_EQ(read->GetInnerList()->ClassType(), TUnorderedList::StaticClass());
    EXPECT_EQ(Values(*read), (std::vector<int>{1, 2, 3}));
    TOrderedList notInner(TIntegerBucket::StaticClass(), &CompareIntegerBucket);
    EXPECT_EQ(MessageOf<EInvalidCast>(
                  [&] { ObjectFrom(FrameHeader("TStack") + kBucketHeader + FrameOf(&notInner)); }),
              "Invalid class typecast");
}

TEST(MemoryStreamRecord, SizeAndWholeContentFromTheStart) {
    TMemoryStream memory;
    memory.Write("abc", 3);
    EXPECT_EQ(FrameOf(&memory), FrameHeader("TMemoryStream") + Bytes({2, 3, 'a', 'b', 'c'}));
    EXPECT_EQ(ContentOf(RoundTrip<TMemoryStream>(&memory).get()), BytesOf("abc"));
    EXPECT_EQ(MessageOf<EReadError>([] {
                  ObjectFrom(FrameHeader("TMemoryStream") + Bytes({2, 0xFF}));
              }),
              "Invalid property value");
    EXPECT_EQ(MessageOf<EReadError>([] {
                  ObjectFrom(FrameHeader("TMemoryStream") + Bytes({4, 0, 0, 0, 0x40}));
              }),
              "Stream read error");
}

}  // namespace
