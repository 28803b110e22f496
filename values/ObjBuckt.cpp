#include "values/ObjBuckt.h"

#include <cmath>
#include <utility>

#include "values/ObjCmp.h"

IMPLEMENT_CLASS(TStringCombo, TObject)
IMPLEMENT_CLASS(TBucket, TObject)
IMPLEMENT_CLASS(TShortIntBucket, TBucket)
IMPLEMENT_CLASS(TIntegerBucket, TBucket)
IMPLEMENT_CLASS(TLongIntBucket, TBucket)
IMPLEMENT_CLASS(TByteBucket, TBucket)
IMPLEMENT_CLASS(TWordBucket, TBucket)
IMPLEMENT_CLASS(TCharBucket, TBucket)
IMPLEMENT_CLASS(TBooleanBucket, TBucket)
IMPLEMENT_CLASS(TWordBoolBucket, TBucket)
IMPLEMENT_CLASS(TLongBoolBucket, TBucket)
IMPLEMENT_CLASS(TRealBucket, TBucket)
IMPLEMENT_CLASS(TSingleBucket, TBucket)
IMPLEMENT_CLASS(TDoubleBucket, TBucket)
IMPLEMENT_CLASS(TExtendedBucket, TBucket)
IMPLEMENT_CLASS(TCompBucket, TBucket)
IMPLEMENT_CLASS(TDateTimeBucket, TBucket)

TStringCombo::TStringCombo(std::string str, TObject* obj, bool ownsObj)
    : OwnsObj(ownsObj), Str(std::move(str)), Obj(obj) {}

TStringCombo::~TStringCombo() {
    if (OwnsObj) delete Obj;  // flag read at destruction time, not at construction
}

TBucket::TBucket(std::uint16_t size, const void* value) { SetData(size, value); }

void TBucket::GetValue(void* buffer) const {
    if (!data_.empty()) std::memcpy(buffer, data_.data(), data_.size());
}

void TBucket::SetData(std::uint16_t size, const void* value) {
    std::vector<std::uint8_t> bytes(size);
    if (value != nullptr && size > 0) std::memcpy(bytes.data(), value, size);
    data_ = std::move(bytes);
}

TExtendedBucket::TExtendedBucket(long double value) : TBucket(kBlank) {
    std::uint8_t bytes[kExtendedBytes];
    ExtendedToBytes(value, bytes);
    SetData(kExtendedBytes, bytes);
}

long double TExtendedBucket::Value() const {
    std::uint8_t bytes[kExtendedBytes] = {};
    if (Size() > 0) std::memcpy(bytes, Data(), std::min<std::size_t>(Size(), kExtendedBytes));
    return ExtendedFromBytes(bytes);
}

namespace {

// Both arguments are checked before either is read, so a wrong one yields no result.
template <class T>
const T& Checked(TObject* obj) {
    if (!IsA<T>(obj)) throw EInvalidCast();
    return *static_cast<const T*>(obj);
}

template <class T>
TCompareResult Order(const T& a, const T& b) {
    if (a < b) return crLess;
    if (b < a) return crGreater;
    return crEqual;
}

// A NaN orders after every number and equals another NaN; without this rule a NaN would be
// "equal" to everything and break the transitivity that sorted containers rely on.
// Unnormal extended patterns compare unordered on the FPU and so count as NaNs here too.
TCompareResult OrderReals(long double a, long double b) {
    const bool aIsNaN = std::isnan(a);
    const bool bIsNaN = std::isnan(b);
    if (aIsNaN || bIsNaN) return aIsNaN == bIsNaN ? crEqual : aIsNaN ? crGreater : crLess;
    return Order(a, b);
}

template <class TKind>
TCompareResult CompareRaw(TObject* a, TObject* b) {
    const TKind& first = Checked<TKind>(a);
    const TKind& second = Checked<TKind>(b);
    return Order(first.RawValue(), second.RawValue());
}

template <class TKind>
TCompareResult CompareTruth(TObject* a, TObject* b) {
    const TKind& first = Checked<TKind>(a);
    const TKind& second = Checked<TKind>(b);
    return Order(first.Value(), second.Value());
}

template <class TKind>
TCompareResult CompareReal(TObject* a, TObject* b) {
    const TKind& first = Checked<TKind>(a);
    const TKind& second = Checked<TKind>(b);
    return OrderReals(first.Value(), second.Value());
}

}  // namespace

TCompareResult CompareStringCombo(TObject* a, TObject* b) {
    const TStringCombo& first = Checked<TStringCombo>(a);
    const TStringCombo& second = Checked<TStringCombo>(b);
    return CompareNames(first.Str, second.Str);
}

TCompareResult CompareStringComboNoCase(TObject* a, TObject* b) {
    const TStringCombo& first = Checked<TStringCombo>(a);
    const TStringCombo& second = Checked<TStringCombo>(b);
    return CompareNamesNoCase(first.Str, second.Str);
}

TCompareResult CompareShortIntBucket(TObject* a, TObject* b) {
    return CompareRaw<TShortIntBucket>(a, b);
}
TCompareResult CompareIntegerBucket(TObject* a, TObject* b) {
    return CompareRaw<TIntegerBucket>(a, b);
}
TCompareResult CompareLongIntBucket(TObject* a, TObject* b) {
    return CompareRaw<TLongIntBucket>(a, b);
}
TCompareResult CompareByteBucket(TObject* a, TObject* b) { return CompareRaw<TByteBucket>(a, b); }
TCompareResult CompareWordBucket(TObject* a, TObject* b) { return CompareRaw<TWordBucket>(a, b); }
TCompareResult CompareCharBucket(TObject* a, TObject* b) { return CompareRaw<TCharBucket>(a, b); }
TCompareResult CompareBooleanBucket(TObject* a, TObject* b) {
    return CompareRaw<TBooleanBucket>(a, b);
}
TCompareResult CompareWordBoolBucket(TObject* a, TObject* b) {
    return CompareTruth<TWordBoolBucket>(a, b);
}
TCompareResult CompareLongBoolBucket(TObject* a, TObject* b) {
    return CompareTruth<TLongBoolBucket>(a, b);
}
TCompareResult CompareRealBucket(TObject* a, TObject* b) {
    const TRealBucket& first = Checked<TRealBucket>(a);
    const TRealBucket& second = Checked<TRealBucket>(b);
    return OrderReals(first.Value().ToExtended(), second.Value().ToExtended());
}
TCompareResult CompareSingleBucket(TObject* a, TObject* b) {
    return CompareReal<TSingleBucket>(a, b);
}
TCompareResult CompareDoubleBucket(TObject* a, TObject* b) {
    return CompareReal<TDoubleBucket>(a, b);
}
TCompareResult CompareExtendedBucket(TObject* a, TObject* b) {
    return CompareReal<TExtendedBucket>(a, b);
}
TCompareResult CompareCompBucket(TObject* a, TObject* b) { return CompareRaw<TCompBucket>(a, b); }
TCompareResult CompareDateTimeBucket(TObject* a, TObject* b) {
    return CompareReal<TDateTimeBucket>(a, b);
}
