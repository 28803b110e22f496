// Boxed values, so that plain strings and scalars can be held in containers and streams:
// the string combo, the byte bucket with its 15 typed kinds, and their compare functions.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "containers/ObjType.h"
#include "values/ExtendedBytes.h"
#include "values/Real48.h"

/// A string paired with an optional object. Compare functions look only at Str.
/// The object stream fills a blank combo through the public fields.
class TStringCombo : public TObject {
    DECLARE_CLASS()
public:
    /// The combo takes obj over when ownsObj is set.
    explicit TStringCombo(std::string str, TObject* obj = nullptr, bool ownsObj = true);
    /// Destroys Obj when OwnsObj is set.
    ~TStringCombo() override;

    const std::string& GetStr() const { return Str; }

    // Owning or not is decided at destruction time, like a container's OwnsItems.
    // Whoever replaces an owned Obj destroys the old one first.
    bool OwnsObj = false;
    std::string Str;
    TObject* Obj = nullptr;

protected:
    explicit TStringCombo(TBlank) {}
};

/// A boxed value of any fixed size: Size bytes, as they lie in memory (little-endian).
class TBucket : public TObject {
    DECLARE_CLASS()
public:
    /// Copies size bytes from value. REQUIRES: value points to size readable bytes; a null
    /// value gives size zero bytes.
    TBucket(std::uint16_t size, const void* value);

    /// Copies the Size() bytes into buffer. REQUIRES: buffer holds Size() bytes.
    void GetValue(void* buffer) const;

    std::uint16_t Size() const { return static_cast<std::uint16_t>(data_.size()); }
    /// The Size() bytes; may be null when Size() is 0.
    const std::uint8_t* Data() const { return data_.data(); }

    /// Replaces the bytes, for the object stream filling a blank bucket; same contract as
    /// the constructor. Size and data cannot disagree: both are one vector.
    void SetData(std::uint16_t size, const void* value);

protected:
    explicit TBucket(TBlank) {}

private:
    std::vector<std::uint8_t> data_;
};

/// The shared part of the typed buckets: Raw is how the Width bytes lie in Data, TValue what
/// Value() gives.
template <class Raw, class TValue = Raw, std::size_t Width = sizeof(Raw)>
class TScalarBucket : public TBucket {
    static_assert(Width <= sizeof(Raw));

public:
    /// The first Width bytes of Data as stored. A bucket shorter than Width (only a stream
    /// can make one) reads its missing high bytes as zero instead of beyond its block.
    Raw RawValue() const {
        Raw raw{};
        const std::size_t available = std::min<std::size_t>(Size(), Width);
        if (available > 0) std::memcpy(&raw, Data(), available);
        return raw;
    }
    TValue Value() const { return static_cast<TValue>(RawValue()); }

protected:
    explicit TScalarBucket(TValue value) : TBucket(kBlank) {
        const Raw raw = static_cast<Raw>(value);
        SetData(Width, &raw);
    }
    explicit TScalarBucket(TBlank) : TBucket(kBlank) {}
};

// Each typed bucket: a constructor from its value, a blank one for the object stream, and
// its own class record.
#define DECLARE_TYPED_BUCKET(Name, Raw, TValue, Width)        \
    class Name : public TScalarBucket<Raw, TValue, Width> {   \
        DECLARE_CLASS()                                       \
    public:                                                   \
        explicit Name(TValue value) : TScalarBucket(value) {} \
                                                              \
    protected:                                                \
        explicit Name(TBlank) : TScalarBucket(kBlank) {}      \
    };

DECLARE_TYPED_BUCKET(TShortIntBucket, std::int8_t, std::int8_t, 1)
DECLARE_TYPED_BUCKET(TIntegerBucket, std::int32_t, std::int32_t, 4)
DECLARE_TYPED_BUCKET(TLongIntBucket, std::int32_t, std::int32_t, 4)
DECLARE_TYPED_BUCKET(TByteBucket, std::uint8_t, std::uint8_t, 1)
DECLARE_TYPED_BUCKET(TWordBucket, std::uint16_t, std::uint16_t, 2)
// A character is its code, 0..255, as it orders.
DECLARE_TYPED_BUCKET(TCharBucket, unsigned char, unsigned char, 1)
// The boolean kinds keep the raw integer: any non-zero byte pattern may come from a stream.
DECLARE_TYPED_BUCKET(TBooleanBucket, std::uint8_t, bool, 1)
DECLARE_TYPED_BUCKET(TWordBoolBucket, std::uint16_t, bool, 2)
DECLARE_TYPED_BUCKET(TLongBoolBucket, std::uint32_t, bool, 4)
DECLARE_TYPED_BUCKET(TRealBucket, Real48, Real48, 6)
DECLARE_TYPED_BUCKET(TSingleBucket, float, float, 4)
DECLARE_TYPED_BUCKET(TDoubleBucket, double, double, 8)
DECLARE_TYPED_BUCKET(TCompBucket, std::int64_t, std::int64_t, 8)
DECLARE_TYPED_BUCKET(TDateTimeBucket, double, double, 8)  // days since 1899-12-30

#undef DECLARE_TYPED_BUCKET

/// An 80-bit extended real, held as its 10 bytes (values/ExtendedBytes.h).
class TExtendedBucket : public TBucket {
    DECLARE_CLASS()
public:
    explicit TExtendedBucket(long double value);
    /// A bucket shorter than 10 bytes (only a stream can make one) reads its missing high
    /// bytes as zero.
    long double Value() const;

protected:
    explicit TExtendedBucket(TBlank) : TBucket(kBlank) {}
};

// Compare functions. Each raises EInvalidCast ("Invalid class typecast") unless both
// arguments are present and of its class or a subclass.
// The strings: by the locale collation, case-sensitive or not (see CompareNames).
TCompareResult CompareStringCombo(TObject* a, TObject* b);
TCompareResult CompareStringComboNoCase(TObject* a, TObject* b);
// Integers by their signed or unsigned value, characters by unsigned code, Boolean by its
// raw byte; the wide booleans reduce to false before true.
TCompareResult CompareShortIntBucket(TObject* a, TObject* b);
TCompareResult CompareIntegerBucket(TObject* a, TObject* b);
TCompareResult CompareLongIntBucket(TObject* a, TObject* b);
TCompareResult CompareByteBucket(TObject* a, TObject* b);
TCompareResult CompareWordBucket(TObject* a, TObject* b);
TCompareResult CompareCharBucket(TObject* a, TObject* b);
TCompareResult CompareBooleanBucket(TObject* a, TObject* b);
TCompareResult CompareWordBoolBucket(TObject* a, TObject* b);
TCompareResult CompareLongBoolBucket(TObject* a, TObject* b);
// Reals numerically (-0 equals 0); a NaN orders after every number and two NaNs are equal,
// so that sorting and searching stay consistent.
TCompareResult CompareRealBucket(TObject* a, TObject* b);
TCompareResult CompareSingleBucket(TObject* a, TObject* b);
TCompareResult CompareDoubleBucket(TObject* a, TObject* b);
TCompareResult CompareExtendedBucket(TObject* a, TObject* b);
TCompareResult CompareCompBucket(TObject* a, TObject* b);
TCompareResult CompareDateTimeBucket(TObject* a, TObject* b);
