#include "persistence/LibraryStartup.h"

#include <cstdlib>

#include "containers/ObjArray.h"
#include "containers/ObjList.h"
#include "containers/ObjStack.h"
#include "persistence/LibRecords.h"
#include "persistence/ObjPerst.h"
#include "values/ObjBuckt.h"
#include "values/ObjCmp.h"

namespace {

void RegisterWithOneVersion(TClassRef cls, TObjectReadProc reader, TObjectWriteProc writer) {
    RegisterStreamableClass(cls, {reader}, {writer});
}

void RegisterBucketClasses() {
    const TClassRef buckets[] = {
        TBucket::StaticClass(),         TShortIntBucket::StaticClass(),
        TIntegerBucket::StaticClass(),  TLongIntBucket::StaticClass(),
        TByteBucket::StaticClass(),     TWordBucket::StaticClass(),
        TCharBucket::StaticClass(),     TBooleanBucket::StaticClass(),
        TWordBoolBucket::StaticClass(), TLongBoolBucket::StaticClass(),
        TRealBucket::StaticClass(),     TDateTimeBucket::StaticClass(),
        TSingleBucket::StaticClass(),   TDoubleBucket::StaticClass(),
        TExtendedBucket::StaticClass(), TCompBucket::StaticClass(),
    };
    for (TClassRef cls : buckets)
        RegisterWithOneVersion(cls, &ReadBucketRecord, &WriteBucketRecord);
}

void RegisterBucketCompareFuncs() {
    const struct {
        const char* name;
        TCompareFunc func;
    } funcs[] = {
        {"CompareStringCombo", &CompareStringCombo},
        {"CompareStringComboNoCase", &CompareStringComboNoCase},
        {"CompareShortIntBucket", &CompareShortIntBucket},
        {"CompareIntegerBucket", &CompareIntegerBucket},
        {"CompareLongIntBucket", &CompareLongIntBucket},
        {"CompareByteBucket", &CompareByteBucket},
        {"CompareWordBucket", &CompareWordBucket},
        {"CompareCharBucket", &CompareCharBucket},
        {"CompareBooleanBucket", &CompareBooleanBucket},
        {"CompareWordBoolBucket", &CompareWordBoolBucket},
        {"CompareLongBoolBucket", &CompareLongBoolBucket},
        {"CompareRealBucket", &CompareRealBucket},
        {"CompareDateTimeBucket", &CompareDateTimeBucket},
        {"CompareSingleBucket", &CompareSingleBucket},
        {"CompareDoubleBucket", &CompareDoubleBucket},
        {"CompareExtendedBucket", &CompareExtendedBucket},
        {"CompareCompBucket", &CompareCompBucket},
    };
    // Each orders the values of its own class and raises for any other object.
    for (const auto& f : funcs) RegisterCompareFunc(f.name, f.func, TCompareKind::TotalOrder);
}

}  // namespace

void ObjBucktStartup() {
    RegisterWithOneVersion(TStringCombo::StaticClass(), &ReadStringComboRecord,
                           &WriteStringComboRecord);
    RegisterBucketClasses();
    RegisterBucketCompareFuncs();
}

void ObjPerstStartup() {
    StreamableRegistry();
    CompareFuncRegistry();
    HashFuncRegistry();
    // The toolkit's bitmap, icon and metafile are unknown down here: only the memory stream.
    RegisterWithOneVersion(TMemoryStream::StaticClass(), &ReadMemoryStreamRecord,
                           &WriteMemoryStreamRecord);
    static const bool shutdownArranged = std::atexit(&ShutdownRegistries) == 0;
    (void)shutdownArranged;
}

void ObjCmpStartup() {
    RegisterCompareFunc("CompareEqual", &CompareEqual, TCompareKind::Constant);
    RegisterCompareFunc("CompareLess", &CompareLess, TCompareKind::Constant);
    RegisterCompareFunc("CompareGreater", &CompareGreater, TCompareKind::Constant);
}

void ObjBaseStartup() {}

void ObjListStartup() {
    RegisterWithOneVersion(TOrderedList::StaticClass(), &ReadListRecord, &WriteListRecord);
    RegisterWithOneVersion(TUnorderedList::StaticClass(), &ReadListRecord, &WriteListRecord);
    RegisterWithOneVersion(TCircularList::StaticClass(), &ReadListRecord, &WriteListRecord);
}

void ObjStackStartup() {
    RegisterWithOneVersion(TStack::StaticClass(), &ReadStackRecord, &WriteStackRecord);
}

void ObjArrayStartup() {
    RegisterWithOneVersion(TArray::StaticClass(), &ReadArrayRecord, &WriteArrayRecord);
}

void RegisterLibraryUnits() {
    static bool registered = false;
    if (registered) return;
    registered = true;
    ObjTypeStartup();
    ObjBucktStartup();
    ObjPerstStartup();
    ObjCmpStartup();
    ObjBaseStartup();
    ObjListStartup();
    ObjStackStartup();
    ObjArrayStartup();
}
