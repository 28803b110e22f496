#include <gtest/gtest.h>

#include "containers/ObjArray.h"
#include "containers/ObjStack.h"
#include "persistence/LibRecords.h"
#include "tests/persistence/StreamBytes.h"
#include "values/ObjBuckt.h"
#include "values/ObjCmp.h"

namespace {

TBytes Text(const std::string& s) {
    return Concat({6, static_cast<std::uint8_t>(s.size())}, BytesOf(s));
}

const TBytes kIntBucketHeader = Concat(Text("TIntegerBucket"), Text("CompareIntegerBucket"));

TBytes IntBucketFrame(std::uint8_t value) {
    return Concat(FrameHeader("TIntegerBucket"), {2, 4, value, 0, 0, 0});
}

int FramesIn(const TBytes& bytes) {
    const TBytes magic = BytesOf("TPF0");
    return static_cast<int>(std::count_if(
        bytes.begin(), bytes.end() - 3,
        [&](const std::uint8_t& b) { return std::equal(magic.begin(), magic.end(), &b); }));
}

template <class T>
std::unique_ptr<T> RoundTrip(TObject* object) {
    auto read = ObjectFrom(FrameOf(object));
    EXPECT_EQ(read->ClassType(), object->ClassType());
    return std::unique_ptr<T>(static_cast<T*>(read.release()));
}

std::vector<int> Values(TContainer& container) {
    std::vector<int> values;
    container.ForEachMethod(
        [&](TObject* item, void*) { values.push_back(As<TIntegerBucket>(item)->Value()); },
        nullptr);
    return values;
}

TEST(BucketRecord, SizeThenBytes) {
    TWordBucket word(513);
    EXPECT_EQ(FrameOf(&word), Concat(FrameHeader("TWordBucket"), {2, 2, 1, 2}));
    TBucket empty(0, nullptr);
    EXPECT_EQ(FrameOf(&empty), Concat(FrameHeader("TBucket"), {2, 0}));
    // Only the low 16 bits of the size count.
    auto read = ObjectFrom(Concat(FrameHeader("TBucket"), {4, 2, 0, 1, 0, 0xAA, 0xBB}));
    EXPECT_EQ(As<TBucket>(read.get())->Size(), 2);
    EXPECT_EQ(As<TBucket>(read.get())->Data()[1], 0xBB);
}

TEST(BucketRecord, EveryTypedBucketComesBackAsItsOwnClassAndBytes) {
    std::vector<std::unique_ptr<TBucket>> buckets;
    buckets.emplace_back(new TShortIntBucket(-5));
    buckets.emplace_back(new TIntegerBucket(-70000));
    buckets.emplace_back(new TLongIntBucket(123456));
    buckets.emplace_back(new TByteBucket(200));
    buckets.emplace_back(new TWordBucket(65535));
    buckets.emplace_back(new TCharBucket('q'));
    buckets.emplace_back(new TBooleanBucket(true));
    buckets.emplace_back(new TWordBoolBucket(true));
    buckets.emplace_back(new TLongBoolBucket(false));
    buckets.emplace_back(new TRealBucket(Real48::FromExtended(-0.75L)));
    buckets.emplace_back(new TDateTimeBucket(45000.5));
    buckets.emplace_back(new TSingleBucket(1.5f));
    buckets.emplace_back(new TDoubleBucket(-2.25));
    buckets.emplace_back(new TExtendedBucket(3.0L));
    buckets.emplace_back(new TCompBucket(INT64_MIN));
    for (const auto& bucket : buckets) {
        auto read = RoundTrip<TBucket>(bucket.get());
        EXPECT_EQ(TBytes(read->Data(), read->Data() + read->Size()),
                  TBytes(bucket->Data(), bucket->Data() + bucket->Size()))
            << bucket->ClassName();
    }
}

TEST(StringComboRecord, AbsentObjectIsOneFalseByteAndReadsBackOwning) {
    TStringCombo combo("s", nullptr, false);
    EXPECT_EQ(FrameOf(&combo), Concat(FrameHeader("TStringCombo"), {6, 1, 's', 8}));
    auto read = RoundTrip<TStringCombo>(&combo);
    EXPECT_EQ(read->Obj, nullptr);
    EXPECT_TRUE(read->OwnsObj);
}

TEST(ListRecord, HeaderNamesItemClassAndCompareFunction) {
    TUnorderedList list(TIntegerBucket::StaticClass(), &CompareIntegerBucket);
    list.Add(new TIntegerBucket(3));
    list.SetOwnsItems(false);
    const TBytes expected = Concat(
        Concat(Concat(FrameHeader("TUnorderedList"), kIntBucketHeader), {2, 1}), IntBucketFrame(3));
    EXPECT_EQ(FrameOf(&list), expected);
    list.SetOwnsItems(true);
    EXPECT_TRUE(ObjectFrom(expected).get() != nullptr);
    EXPECT_TRUE(As<TUnorderedList>(ObjectFrom(expected).get())->GetOwnsItems());
}

TEST(ListRecord, OrderedListReadsBackSortedWithEqualItemsReversed) {
    TOrderedList list(TStringCombo::StaticClass(), &CompareStringCombo);
    list.Add(new TStringCombo("k", new TIntegerBucket(1), true));
    list.Add(new TStringCombo("k", new TIntegerBucket(2), true));
    list.Add(new TStringCombo("a", new TIntegerBucket(0), true));
    auto read = RoundTrip<TOrderedList>(&list);
    std::vector<int> order;
    read->ForEachMethod(
        [&](TObject* item, void*) {
            order.push_back(As<TIntegerBucket>(As<TStringCombo>(item)->Obj)->Value());
        },
        nullptr);
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));  // stored as 0, 2, 1
}

TEST(ListRecord, UnorderedAndCircularListsKeepTheStoredOrder) {
    TCircularList ring(TIntegerBucket::StaticClass(), &CompareIntegerBucket);
    for (int v : {3, 1, 2}) ring.Add(new TIntegerBucket(v));
    const TBytes frame = FrameOf(&ring);
    EXPECT_EQ(FramesIn(frame), 1 + 3);
    auto read = RoundTrip<TCircularList>(&ring);
    EXPECT_EQ(Values(*read), (std::vector<int>{3, 1, 2}));
}

TEST(ListRecord, ItemOfAnotherClassOrUnknownNamesFailTheRead) {
    const TBytes wrongItem = Concat(
        Concat(Concat(FrameHeader("TUnorderedList"), Text("TWordBucket")), Text("CompareLess")),
        Concat({2, 1}, IntBucketFrame(1)));
    EXPECT_THROW(ObjectFrom(wrongItem), EInvalidObjectType);
    EXPECT_THROW(
        ObjectFrom(Concat(FrameHeader("TOrderedList"), Concat(Text("TNope"), Text("CompareLess")))),
        EClassNotRegistered);
    EXPECT_THROW(ObjectFrom(Concat(FrameHeader("TOrderedList"),
                                   Concat(Text("TBucket"), Text("CompareNope")))),
                 ECompareFuncNotRegistered);
    // A count the stream cannot hold fails before any item is read.
    EXPECT_EQ(MessageOf<EReadError>([&] {
                  ObjectFrom(Concat(Concat(FrameHeader("TOrderedList"), kIntBucketHeader),
                                    {4, 0, 0, 0, 1}));
              }),
              "Stream read error");
}

TCompareResult UnnamedCompare(TObject*, TObject*) { return crEqual; }

TEST(ListRecord, UnnamedCompareFunctionFailsAfterTheClassName) {
    TObjectStream objects(std::make_unique<TMemoryStream>());
    TUnorderedList list(TIntegerBucket::StaticClass(), &UnnamedCompare);
    EXPECT_THROW(objects.WriteObject(&list), ECompareFuncNotRegistered);
    EXPECT_EQ(ContentOf(*static_cast<TMemoryStream*>(objects.GetStream())),
              Concat(FrameHeader("TUnorderedList"), Text("TIntegerBucket")));
}

TEST(ArrayRecord, HeaderShapeThenItems) {
    TArray array(TIntegerBucket::StaticClass(), &CompareIntegerBucket, 2, 0);
    array.Add(new TIntegerBucket(4));
    array.Add(new TIntegerBucket(5));
    const TBytes expected =
        Concat(Concat(Concat(FrameHeader("TArray"), kIntBucketHeader), {2, 2, 2, 2, 2, 0, 9}),
               Concat(IntBucketFrame(4), IntBucketFrame(5)));
    EXPECT_EQ(FrameOf(&array), expected);
    array.SetItem(1, new TIntegerBucket(9));  // now out of order
    auto read = RoundTrip<TArray>(&array);
    EXPECT_EQ(Values(*read), (std::vector<int>{9, 5}));
    EXPECT_EQ(read->GetCapacity(), 2);
    EXPECT_FALSE(read->IsSorted());
}

TEST(ArrayRecord, BadShapesRaiseTheArraysOwnErrors) {
    const TBytes head = Concat(FrameHeader("TArray"), kIntBucketHeader);
    EXPECT_THROW(ObjectFrom(Concat(head, {2, 0, 2, 0, 2, 0, 9})), EInvalidArrayCapacity);
    const TBytes overfull =
        Concat(Concat(head, {2, 2, 2, 1, 2, 0, 9}), Concat(IntBucketFrame(1), IntBucketFrame(2)));
    EXPECT_THROW(ObjectFrom(overfull), EContainerIsFull);
    EXPECT_EQ(MessageOf<EReadError>([&] {
                  ObjectFrom(Concat(
                      head, {4, 0xFF, 0xFF, 0xFF, 0x7F, 4, 0xFF, 0xFF, 0xFF, 0x7F, 2, 0, 9}));
              }),
              "Stream read error");
}

TEST(StackRecord, InnerListTravelsAsANestedFrame) {
    TStack stack(TIntegerBucket::StaticClass(), &CompareIntegerBucket);
    for (int v : {1, 2, 3}) stack.Push(new TIntegerBucket(v));
    auto read = RoundTrip<TStack>(&stack);
    EXPECT_EQ(read->GetInnerList()->ClassType(), TUnorderedList::StaticClass());
    std::unique_ptr<TObject> top(read->Pop());
    EXPECT_EQ(As<TIntegerBucket>(top.get())->Value(), 3);
    EXPECT_TRUE(read->GetOwnsItems());

    TOrderedList notInner(TIntegerBucket::StaticClass(), &CompareIntegerBucket);
    const TBytes wrongInner =
        Concat(Concat(FrameHeader("TStack"), kIntBucketHeader), FrameOf(&notInner));
    EXPECT_EQ(MessageOf<EInvalidCast>([&] { ObjectFrom(wrongInner); }), "Invalid class typecast");
}

TEST(MemoryStreamRecord, SizeAndWholeContentFromTheStart) {
    TMemoryStream memory;
    memory.Write("abc", 3);
    EXPECT_EQ(FrameOf(&memory), Concat(FrameHeader("TMemoryStream"), {2, 3, 'a', 'b', 'c'}));
    auto read = RoundTrip<TMemoryStream>(&memory);
    EXPECT_EQ(ContentOf(*read), BytesOf("abc"));
    EXPECT_EQ(read->Position(), 0);
    EXPECT_EQ(MessageOf<EReadError>([] {
                  ObjectFrom(Concat(FrameHeader("TMemoryStream"), {2, 0xFF}));
              }),
              "Invalid property value");
    EXPECT_EQ(MessageOf<EReadError>([] {
                  ObjectFrom(Concat(FrameHeader("TMemoryStream"), {4, 0, 0, 0, 0x40}));
              }),
              "Stream read error");
}

}  // namespace
