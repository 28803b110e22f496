// Reading a TOrderedList record against the plain walk of sorted insertion, for every
// compare function the library and the graph model register: seeded random items with
// many duplicates and equal items that differ in their bytes, and items of other classes,
// so that the order, the error and the item it happens at can all differ.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "containers/ObjArray.h"
#include "containers/ObjList.h"
#include "graph/ObjGraph.h"
#include "persistence/ObjPerst.h"
#include "tests/persistence/StreamBytes.h"
#include "values/ObjBuckt.h"

namespace {

using TRandom = std::mt19937;
using TItems = std::vector<std::unique_ptr<TObject>>;

int Below(TRandom& random, int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); }

const char* const kBucketClasses[] = {
    "TBucket",         "TShortIntBucket", "TIntegerBucket",  "TLongIntBucket",
    "TByteBucket",     "TWordBucket",     "TCharBucket",     "TBooleanBucket",
    "TWordBoolBucket", "TLongBoolBucket", "TRealBucket",     "TDateTimeBucket",
    "TSingleBucket",   "TDoubleBucket",   "TExtendedBucket", "TCompBucket"};

/// A bucket of the class: from a few patterns per run, so that values repeat, cut to any
/// length up to 12 bytes, so that equal values come with different bytes after them.
TObject* Bucket(const std::string& className, TRandom& random) {
    static const std::vector<std::uint8_t> kPatterns[] = {
        {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2},
        {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 3, 4},
        {1, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x7F, 5, 6},   // NaNs and infinities
        {0, 0, 0, 0, 0, 0, 0, 0, 0, 0x80, 7, 8},         // negative zeros
        {0x81, 0, 0, 0, 0, 0, 0, 0, 0x01, 0x40, 9, 10},  // an unnormal extended
        {0x81, 0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0, 0x3F, 11, 12}};
    const auto& pattern = kPatterns[Below(random, std::size(kPatterns))];
    std::vector<std::uint8_t> bytes(pattern.begin(), pattern.begin() + Below(random, 13));
    for (std::uint8_t& byte : bytes)
        if (Below(random, 8) == 0) byte = static_cast<std::uint8_t>(Below(random, 256));
    auto* bucket = static_cast<TBucket*>(GetStreamableClass(className)->createBlank());
    bucket->SetData(static_cast<std::uint16_t>(bytes.size()), bytes.data());
    return bucket;
}

TObject* AnyBucket(TRandom& random) {
    return Bucket(kBucketClasses[Below(random, std::size(kBucketClasses))], random);
}

TObject* Combo(TRandom& random) {
    static const char* const kTexts[] = {"",    "a",    "A",    "ab",  "Ab",        "aB",
                                         "b",   "\xE9", "e",    "E",   "\xC9t\xE9", "ete",
                                         "a-b", "ab ",  "\x81", "\xFF"};
    // The tag object is not compared: it tells equal strings apart in the bytes.
    TObject* tag = Below(random, 2) == 0 ? new TIntegerBucket(Below(random, 100)) : nullptr;
    return new TStringCombo(kTexts[Below(random, std::size(kTexts))], tag, true);
}

TInteger* Integer(TRandom& random) {
    auto* number = new TInteger(Below(random, 5) - 2);
    if (Below(random, 4) == 0) {  // a zero with stray fraction bits, or a far exponent
        std::array<std::uint8_t, 6> bytes{};
        for (std::uint8_t& byte : bytes) byte = static_cast<std::uint8_t>(Below(random, 256));
        if (Below(random, 2) == 0) bytes[0] = 0;
        number->Value = Real48::FromBytes(bytes);
    }
    return number;
}

TObject* Array(TRandom& random) {
    static const char* const kCompares[] = {"CompareInteger", "CompareEqual", "CompareLess",
                                            "CompareGreater", "CompareArray"};
    const int count = Below(random, 3);
    auto array = std::make_unique<TArray>(TInteger::StaticClass(),
                                          GetCompareFunc(kCompares[Below(random, 5)]), 2, 0);
    for (int i = 0; i < count; ++i) array->Add(Integer(random));
    return array.release();
}

TObject* Node(TRandom& random) {
    return new TGraphNode(std::make_unique<TStringObj>(std::string(1, 'a' + Below(random, 3))));
}

/// The record's item class and a maker of its items, for one compare function.
struct TItemKind {
    std::string itemClass;
    std::function<TObject*(TRandom&)> make;
};

/// Mostly items the function takes; now and then one of another class, which the function
/// refuses (EInvalidCast) or the item check does (EInvalidObjectType).
TItemKind KindFor(const std::string& compare) {
    if (compare == "CompareEqual" || compare == "CompareLess" || compare == "CompareGreater")
        return {"TBucket", AnyBucket};
    if (compare == "CompareStringCombo" || compare == "CompareStringComboNoCase")
        return {"TStringCombo", [](TRandom& r) { return Below(r, 25) ? Combo(r) : AnyBucket(r); }};
    if (compare == "CompareInteger")
        return {"TInteger", [](TRandom& r) { return Below(r, 25) ? Integer(r) : Combo(r); }};
    if (compare == "CompareArray")
        return {"TArray", [](TRandom& r) { return Below(r, 25) ? Array(r) : Combo(r); }};
    if (compare == "CompareNodes")
        return {"TGraphNode", [](TRandom& r) { return Below(r, 25) ? Node(r) : Combo(r); }};
    const std::string bucketClass = "T" + compare.substr(7);  // CompareXBucket: TXBucket
    if (compare.starts_with("Compare") && compare.ends_with("Bucket"))
        return {"TBucket", [bucketClass](TRandom& r) {
                    return Below(r, 20) ? Bucket(bucketClass, r) : AnyBucket(r);
                }};
    return {"", nullptr};
}

/// The walk of sorted insertion over the items in the record's order: the frames of the
/// list it builds and the position of the last item added, or the error it meets.
struct TOutcome {
    std::vector<TBytes> frames;
    int marker = 0;
    std::string error;
};

TOutcome Walk(const TItems& items, TClassRef itemClass, TCompareFunc compare) {
    TOutcome outcome;
    std::vector<TObject*> sorted;
    try {
        for (const auto& item : items) {
            if (!item->InheritsFrom(itemClass)) throw EInvalidObjectType();
            std::size_t place = 0;
            while (place < sorted.size() && compare(item.get(), sorted[place]) == crGreater)
                ++place;
            sorted.insert(sorted.begin() + static_cast<std::ptrdiff_t>(place), item.get());
            outcome.marker = static_cast<int>(place) + 1;
        }
    } catch (const Exception& error) {
        return {{}, 0, error.what()};
    }
    for (TObject* item : sorted) outcome.frames.push_back(FrameOf(item));
    return outcome;
}

/// The record read: the frames of its items in list order, and marker when the list, going
/// from where it counts its marker to be, finds the item read last at that position.
TOutcome Read(const TItems& items, const std::string& itemClass, const std::string& compare,
              int marker) {
    TBytes record = FrameHeader("TOrderedList") + Text(itemClass) + Text(compare) +
                    Bytes({2, static_cast<std::uint8_t>(items.size())});
    for (const auto& item : items) record = record + FrameOf(item.get());
    TOutcome outcome;
    try {
        const std::unique_ptr<TObject> object = ObjectFrom(record);
        auto* list = As<TOrderedList>(object.get());
        if (list->Count() > 0) {  // one step on, so that a position counted as 0 shows too
            const bool stepped = list->Next();
            const TObject* current = list->GetCurrent();
            const int position = stepped ? marker + 1 : marker;
            outcome.marker = list->GoToIndex(position) == current ? marker : -1;
        }
        for (int i = 1; i <= list->Count(); ++i)
            outcome.frames.push_back(FrameOf(list->GoToIndex(i)));
    } catch (const Exception& error) {
        return {{}, 0, error.what()};
    }
    return outcome;
}

TEST(SortedListRead, EveryRegisteredCompareFunctionGivesTheWalksOrderAndErrors) {
    // Taken out first: every read looks its compare function up, which moves the
    // registry's marker.
    TUnorderedList* registry = CompareFuncRegistry();
    std::vector<const TCompareFuncEntry*> entries;
    for (bool more = registry->First(); more; more = registry->Next())
        entries.push_back(static_cast<TCompareFuncEntry*>(registry->GetCurrent()));
    int functions = 0;
    for (const TCompareFuncEntry* entry : entries) {
        const TItemKind kind = KindFor(entry->Name);
        ASSERT_TRUE(kind.make) << "no items made for " << entry->Name;
        ++functions;
        std::map<std::string, int> outcomes;  // so that both orders and errors are met
        for (unsigned seed = 1; seed <= 300; ++seed) {
            TRandom random(seed);
            TItems items(static_cast<std::size_t>(Below(random, 40)));
            for (auto& item : items) item.reset(kind.make(random));
            const TOutcome walked = Walk(items, GetStreamableClass(kind.itemClass), entry->Func);
            const TOutcome read = Read(items, kind.itemClass, entry->Name, walked.marker);
            ASSERT_EQ(read.error, walked.error) << entry->Name << ", seed " << seed;
            ASSERT_EQ(read.frames, walked.frames) << entry->Name << ", seed " << seed;
            ASSERT_EQ(read.marker, walked.marker) << entry->Name << ", seed " << seed;
            ++outcomes[walked.error];
        }
        EXPECT_GT(outcomes[""], 100) << entry->Name;
        if (GetCompareFuncKind(entry->Func) != TCompareKind::Constant) {
            EXPECT_GT(outcomes.size(), 1u) << entry->Name << " never met an error";
        }
    }
    EXPECT_EQ(functions, 23);
}

}  // namespace
