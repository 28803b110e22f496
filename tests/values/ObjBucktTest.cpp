#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "values/ObjBuckt.h"

namespace {

int destroyedProbes = 0;

class TProbe : public TObject {
public:
    ~TProbe() override { ++destroyedProbes; }
};

// A subclass the compare functions must accept in place of its base.
class TCountBucket : public TIntegerBucket {
    DECLARE_CLASS()
public:
    using TIntegerBucket::TIntegerBucket;

protected:
    explicit TCountBucket(TBlank) : TIntegerBucket(kBlank) {}
};
IMPLEMENT_CLASS(TCountBucket, TIntegerBucket)

// A bucket made the way the object stream makes one: blank, then filled.
template <class T>
std::unique_ptr<TObject> Filled(std::vector<std::uint8_t> bytes) {
    std::unique_ptr<TObject> object(T::StaticClass()->createBlank());
    static_cast<T*>(object.get())->SetData(static_cast<std::uint16_t>(bytes.size()), bytes.data());
    return object;
}

template <class T, class V>
TCompareResult Compare(TCompareFunc compare, V a, V b) {
    T first(a), second(b);
    return compare(&first, &second);
}

std::string CastError(TCompareFunc compare, TObject* a, TObject* b) {
    try {
        compare(a, b);
    } catch (const EInvalidCast& error) {
        return error.what();
    }
    return "no error";
}

}  // namespace

TEST(BucketOrder, SignedUnsignedAndCharacterKinds) {
    EXPECT_EQ((Compare<TIntegerBucket, std::int32_t>(CompareIntegerBucket, 5, -3)), crGreater);
    EXPECT_EQ((Compare<TWordBucket, std::uint16_t>(CompareWordBucket, 65535, 1)), crGreater);
    EXPECT_EQ((Compare<TCompBucket, std::int64_t>(CompareCompBucket, -(std::int64_t{1} << 40), 1)),
              crLess);
    EXPECT_EQ((Compare<TCharBucket, char>(CompareCharBucket, '\xE9', 'a')), crGreater);
    EXPECT_EQ(TCharBucket('\xE9').Value(), 0xE9);  // its code, as it orders
    const auto minusOne = Filled<TShortIntBucket>({0xFF}), one = Filled<TShortIntBucket>({0x01});
    EXPECT_EQ(CompareShortIntBucket(minusOne.get(), one.get()), crLess);
    const auto high = Filled<TByteBucket>({0xFF}), low = Filled<TByteBucket>({0x01});
    EXPECT_EQ(CompareByteBucket(high.get(), low.get()), crGreater);
}

TEST(BucketOrder, BooleanKinds) {
    const auto two = Filled<TBooleanBucket>({2}), one = Filled<TBooleanBucket>({1});
    EXPECT_EQ(CompareBooleanBucket(two.get(), one.get()), crGreater);
    const auto wordTwo = Filled<TWordBoolBucket>({2, 0}), wordOne = Filled<TWordBoolBucket>({1, 0});
    EXPECT_EQ(CompareWordBoolBucket(wordTwo.get(), wordOne.get()), crEqual);
    const auto longHigh = Filled<TLongBoolBucket>({0, 0, 0, 0x80});
    const TLongBoolBucket longFalse(false);
    EXPECT_EQ(CompareLongBoolBucket(const_cast<TLongBoolBucket*>(&longFalse), longHigh.get()),
              crLess);
}

TEST(BucketOrder, RealsNumericallyWithNaNLast) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ((Compare<TDoubleBucket, double>(CompareDoubleBucket, nan, 1e308)), crGreater);
    EXPECT_EQ((Compare<TDoubleBucket, double>(CompareDoubleBucket, -1e308, nan)), crLess);
    EXPECT_EQ((Compare<TDateTimeBucket, double>(CompareDateTimeBucket, nan, nan)), crEqual);
    EXPECT_EQ((Compare<TSingleBucket, float>(CompareSingleBucket, -0.0f, 0.0f)), crEqual);
    EXPECT_EQ((Compare<TExtendedBucket, long double>(CompareExtendedBucket, 1e-4000L, 0)),
              crGreater);
    // An unnormal extended, only possible from stored bytes, orders like a NaN.
    const auto unnormal = Filled<TExtendedBucket>({0, 0, 0, 0, 0, 0, 0, 0x40, 0xFF, 0x3F});
    TExtendedBucket one(1.0L);
    EXPECT_EQ(CompareExtendedBucket(unnormal.get(), &one), crGreater);
    const Real48 minusOne = Real48::FromExtended(-1), zero;
    EXPECT_EQ((Compare<TRealBucket, Real48>(CompareRealBucket, minusOne, zero)), crLess);
    const auto garbageZero = Filled<TRealBucket>({0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
    TRealBucket realZero(zero);
    EXPECT_EQ(CompareRealBucket(garbageZero.get(), &realZero), crEqual);
}

TEST(BucketOrder, WrongClassIsAnInvalidCast) {
    TIntegerBucket integer(1);
    TLongIntBucket longInt(1);
    TStringCombo combo("x");
    EXPECT_EQ(CastError(CompareIntegerBucket, &integer, &longInt), "Invalid class typecast");
    EXPECT_EQ(CastError(CompareLongIntBucket, &integer, &longInt), "Invalid class typecast");
    EXPECT_EQ(CastError(CompareIntegerBucket, &integer, nullptr), "Invalid class typecast");
    EXPECT_EQ(CastError(CompareStringCombo, &combo, &integer), "Invalid class typecast");
    TCountBucket derived(2);
    EXPECT_EQ(CompareIntegerBucket(&derived, &integer), crGreater);
}

TEST(StringComboOrder, UsesTheCollationWithAndWithoutCase) {
    TStringCombo lowerA("a"), upperB("B"), lower("abc"), upper("ABC");
    EXPECT_EQ(CompareStringCombo(&lowerA, &upperB), crLess);
    EXPECT_EQ(CompareStringComboNoCase(&lower, &upper), crEqual);
    EXPECT_NE(CompareStringCombo(&lower, &upper), crEqual);
}

TEST(StringComboOwnership, DestroysObjOnlyWhenOwningAtDestruction) {
    destroyedProbes = 0;
    { TStringCombo owning("a", new TProbe, true); }
    EXPECT_EQ(destroyedProbes, 1);
    TProbe borrowed;
    { TStringCombo viewing("b", &borrowed, false); }
    EXPECT_EQ(destroyedProbes, 1);
    {
        TStringCombo switched("c", new TProbe, false);
        switched.OwnsObj = true;
    }
    EXPECT_EQ(destroyedProbes, 2);
    { TStringCombo empty("d"); }
}

TEST(BucketData, HoldsItsOwnCopyOfTheBytes) {
    std::int32_t source = 0x12345678;
    TIntegerBucket bucket(source);
    source = 0;
    EXPECT_EQ(bucket.Size(), 4);
    EXPECT_EQ(bucket.Value(), 0x12345678);
    std::uint8_t out[4] = {};
    bucket.GetValue(out);
    EXPECT_EQ(std::vector<std::uint8_t>(out, out + 4),
              (std::vector<std::uint8_t>{0x78, 0x56, 0x34, 0x12}));
    const TExtendedBucket extended(0.1L);  // the x87 format's 10 bytes, not sizeof's 16
    EXPECT_EQ(extended.Size(), 10);
    EXPECT_EQ(extended.Value(), 0.1L);
}

TEST(BucketData, ShortBucketReadsMissingBytesAsZero) {
    const auto shortInteger = Filled<TIntegerBucket>({0x34, 0x12});
    EXPECT_EQ(static_cast<TIntegerBucket*>(shortInteger.get())->Value(), 0x1234);
    const auto empty = Filled<TExtendedBucket>({});
    EXPECT_EQ(static_cast<TExtendedBucket*>(empty.get())->Value(), 0.0L);
    EXPECT_EQ(CompareExtendedBucket(empty.get(), empty.get()), crEqual);
}

TEST(BlankInstances, EveryClassMakesAnEmptyInstanceOfItself) {
    for (TClassRef cls : {TStringCombo::StaticClass(), TBucket::StaticClass(),
                          TShortIntBucket::StaticClass(), TRealBucket::StaticClass(),
                          TExtendedBucket::StaticClass(), TDateTimeBucket::StaticClass()}) {
        std::unique_ptr<TObject> blank(cls->createBlank());
        EXPECT_EQ(blank->ClassType(), cls);
        if (auto* bucket = dynamic_cast<TBucket*>(blank.get())) {
            EXPECT_EQ(bucket->Size(), 0);
        }
    }
    std::unique_ptr<TObject> combo(TStringCombo::StaticClass()->createBlank());
    const auto& blankCombo = static_cast<TStringCombo&>(*combo);
    EXPECT_FALSE(blankCombo.OwnsObj);
    EXPECT_TRUE(blankCombo.Str.empty());
    EXPECT_EQ(blankCombo.Obj, nullptr);
}
