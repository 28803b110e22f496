#include <gtest/gtest.h>

#include <algorithm>

#include "containers/ObjArray.h"
#include "persistence/ObjPerst.h"
#include "tests/persistence/StreamBytes.h"
#include "values/ObjBuckt.h"
#include "values/ObjCmp.h"

namespace {

/// Registered by one test only.
class TTwoVersions : public TObject {
    DECLARE_CLASS()
public:
    explicit TTwoVersions(TBlank) {}
    /// Another class record under an already registered name.
    static TClassRef Impostor() {
        static const TClass cls{"TIntegerBucket", TObject::StaticClass(),
                                []() -> TObject* { return new TTwoVersions(kBlank); }};
        return &cls;
    }
};

/// Registered in the order test only, under their own names.
template <int N>
class TPlaced : public TObject {
    DECLARE_CLASS()
public:
    explicit TPlaced(TBlank) {}
};

class TAbstract : public TObject {
    DECLARE_CLASS()
};

}  // namespace

IMPLEMENT_CLASS(TTwoVersions, TObject)
template <>
const TClass TPlaced<1>::classRecord_{"TPlacedA", TObject::StaticClass(),
                                      []() -> TObject* { return new TPlaced(kBlank); }};
template <>
const TClass TPlaced<2>::classRecord_{"TPlacedB", TObject::StaticClass(),
                                      []() -> TObject* { return new TPlaced(kBlank); }};
template <>
const TClass TPlaced<3>::classRecord_{"TPlacedC", TObject::StaticClass(),
                                      []() -> TObject* { return new TPlaced(kBlank); }};
IMPLEMENT_ABSTRACT_CLASS(TAbstract, TObject)

namespace {

void ReadV1(TObject*, TObjectReader&) {}
void ReadV2(TObject*, TObjectReader&) {}
void WriteV1(TObject*, TObjectWriter&) {}
void WriteV2(TObject*, TObjectWriter&) {}
TCompareResult CompareForAliases(TObject*, TObject*) { return crEqual; }
TCompareResult CompareUnderEmptyName(TObject*, TObject*) { return crLess; }
TCompareResult CompareOfTwoMinds(TObject*, TObject*) { return crGreater; }

template <class Entry>
std::vector<std::string> FirstNames(TUnorderedList* registry, std::size_t count) {
    std::vector<std::string> names;
    for (bool more = registry->First(); more && names.size() < count; more = registry->Next())
        names.push_back(static_cast<Entry*>(registry->GetCurrent())->Name);
    return names;
}

TEST(Startup, RegistersTheLibraryInItsOrder) {
    const std::vector<std::string> classes = {
        "TStringCombo",    "TBucket",     "TShortIntBucket", "TIntegerBucket", "TLongIntBucket",
        "TByteBucket",     "TWordBucket", "TCharBucket",     "TBooleanBucket", "TWordBoolBucket",
        "TLongBoolBucket", "TRealBucket", "TDateTimeBucket", "TSingleBucket",  "TDoubleBucket",
        "TExtendedBucket", "TCompBucket", "TMemoryStream",   "TOrderedList",   "TUnorderedList",
        "TCircularList",   "TStack",      "TArray"};
    EXPECT_EQ(FirstNames<TStreamableInterface>(StreamableRegistry(), classes.size()), classes);
    const std::vector<std::string> funcs = {"CompareStringCombo",    "CompareStringComboNoCase",
                                            "CompareShortIntBucket", "CompareIntegerBucket",
                                            "CompareLongIntBucket",  "CompareByteBucket",
                                            "CompareWordBucket",     "CompareCharBucket",
                                            "CompareBooleanBucket",  "CompareWordBoolBucket",
                                            "CompareLongBoolBucket", "CompareRealBucket",
                                            "CompareDateTimeBucket", "CompareSingleBucket",
                                            "CompareDoubleBucket",   "CompareExtendedBucket",
                                            "CompareCompBucket",     "CompareEqual",
                                            "CompareLess",           "CompareGreater"};
    EXPECT_EQ(FirstNames<TCompareFuncEntry>(CompareFuncRegistry(), funcs.size()), funcs);
    EXPECT_EQ(GetCompareFunc("CompareLess"), &CompareLess);
    EXPECT_EQ(GetCompareFuncName(&CompareGreater), "CompareGreater");
    EXPECT_EQ(FindStreamableInterface("TArray")->Version, 1);
}

TEST(ClassRegistry, NamesAreUniqueAndCaseSensitive) {
    EXPECT_EQ(MessageOf<EDuplicateRegisteredClass>(
                  [] { RegisterStreamableClass(TIntegerBucket::StaticClass(), {}, {}); }),
              "Duplicate registered class");
    EXPECT_THROW(RegisterStreamableClass(TTwoVersions::Impostor(), {}, {}),
                 EDuplicateRegisteredClass);
    EXPECT_EQ(GetStreamableClass("TIntegerBucket"), TIntegerBucket::StaticClass());
    EXPECT_EQ(MessageOf<EClassNotRegistered>([] { FindStreamableInterface("tintegerbucket"); }),
              "Class not registered");
}

TEST(ClassRegistry, NamesEqualUnderTheCollationFindTheEntry) {
    // The collation ignores a control character: the exact index misses and
    // the collation search still finds the class.
    EXPECT_EQ(GetStreamableClass(std::string("TArray\x01", 7)), TArray::StaticClass());
}

TEST(ClassRegistry, RefusesWhatTheStreamCouldNotReadIntoOrCall) {
    const int count = StreamableRegistry()->Count();
    EXPECT_EQ(MessageOf<EInvalidObjectType>(
                  [] { RegisterStreamableClass(TAbstract::StaticClass(), {&ReadV1}, {&WriteV1}); }),
              "Invalid object type in TContainer");
    EXPECT_THROW(RegisterStreamableClass(nullptr, {}, {}), EInvalidObjectType);
    EXPECT_THROW(RegisterStreamableClass(TPlaced<1>::StaticClass(), {nullptr}, {&WriteV1}),
                 EInvalidObjectType);
    EXPECT_THROW(RegisterStreamableClass(TPlaced<1>::StaticClass(), {&ReadV1}, {nullptr}),
                 EInvalidObjectType);
    EXPECT_EQ(StreamableRegistry()->Count(), count);
    EXPECT_THROW(FindStreamableInterface("TAbstract"), EClassNotRegistered);
}

template <class Entry>
std::vector<std::string> NamesFrom(TUnorderedList* registry, const std::string& first) {
    std::vector<std::string> names = FirstNames<Entry>(registry, registry->Count());
    names.erase(names.begin(), std::find(names.begin(), names.end(), first));
    return names;
}

TCompareResult CompareForB(TObject*, TObject*) { return crGreater; }
TCompareResult CompareForA(TObject*, TObject*) { return crLess; }

// A lookup moves the marker, and the next registration goes in right after it; the
// name of a function is still the first met from the front.
TEST(Registries, RegistrationGoesAfterTheMarkerAndLookupsAnswerAsTheWalk) {
    RegisterCompareFunc("CompareA", &CompareForA);
    RegisterCompareFunc("CompareB", &CompareForB);
    EXPECT_EQ(GetCompareFunc("CompareA"), &CompareForA);
    RegisterCompareFunc("CompareC", &CompareForB);
    EXPECT_EQ(NamesFrom<TCompareFuncEntry>(CompareFuncRegistry(), "CompareA"),
              (std::vector<std::string>{"CompareA", "CompareC", "CompareB"}));
    EXPECT_EQ(GetCompareFuncName(&CompareForB), "CompareC");
    EXPECT_EQ(static_cast<TCompareFuncEntry*>(CompareFuncRegistry()->GetCurrent())->Name,
              "CompareC");
    EXPECT_EQ(GetCompareFunc("CompareB"), &CompareForB);

    RegisterStreamableClass(TPlaced<1>::StaticClass(), {&ReadV1}, {&WriteV1});
    RegisterStreamableClass(TPlaced<2>::StaticClass(), {&ReadV1}, {&WriteV1});
    EXPECT_EQ(GetStreamableClass("TPlacedA"), TPlaced<1>::StaticClass());
    RegisterStreamableClass(TPlaced<3>::StaticClass(), {&ReadV1}, {&WriteV1});
    EXPECT_EQ(NamesFrom<TStreamableInterface>(StreamableRegistry(), "TPlacedA"),
              (std::vector<std::string>{"TPlacedA", "TPlacedC", "TPlacedB"}));
    EXPECT_EQ(GetStreamableClass("TPlacedB"), TPlaced<2>::StaticClass());
    EXPECT_EQ(static_cast<TStreamableInterface*>(StreamableRegistry()->GetCurrent())->Name,
              "TPlacedB");
}

TEST(ClassRegistry, EachVersionHasItsOwnProcedures) {
    RegisterStreamableClass(TTwoVersions::StaticClass(), {&ReadV1, &ReadV2}, {&WriteV1, &WriteV2});
    const TStreamableInterface* entry = FindStreamableInterface("TTwoVersions");
    EXPECT_EQ(entry->Version, 2);
    EXPECT_EQ(entry->GetReader(1), &ReadV1);
    EXPECT_EQ(entry->GetReader(2), &ReadV2);
    EXPECT_EQ(entry->GetWriter(2), &WriteV2);
    EXPECT_EQ(MessageOf<EClassVersionNotRegistered>([&] { entry->GetReader(3); }),
              "Class version not registered");
    EXPECT_THROW(entry->GetWriter(0), EClassVersionNotRegistered);
}

TEST(CompareFuncRegistry, NamesAreUniqueAndUnknownOnesRaise) {
    EXPECT_EQ(
        MessageOf<EDuplicateCompareFunc>([] { RegisterCompareFunc("CompareLess", &CompareEqual); }),
        "Duplicate compare function");
    EXPECT_EQ(GetCompareFunc("CompareLess"), &CompareLess);
    EXPECT_EQ(MessageOf<ECompareFuncNotRegistered>([] { GetCompareFunc("compareless"); }),
              "Compare function not registered");
    EXPECT_THROW(GetCompareFuncName(nullptr), ECompareFuncNotRegistered);
}

TEST(CompareFuncRegistry, FunctionUnderTwoNamesIsNamedByTheFirstAndAnEmptyNameIsNone) {
    RegisterCompareFunc("CompareAliasFirst", &CompareForAliases);
    RegisterCompareFunc("CompareAliasSecond", &CompareForAliases);
    EXPECT_EQ(GetCompareFunc("CompareAliasSecond"), &CompareForAliases);
    EXPECT_EQ(GetCompareFuncName(&CompareForAliases), "CompareAliasFirst");
    RegisterCompareFunc("", &CompareUnderEmptyName);
    RegisterCompareFunc("CompareAfterEmpty", &CompareUnderEmptyName);
    EXPECT_THROW(GetCompareFuncName(&CompareUnderEmptyName), ECompareFuncNotRegistered);
}

TEST(CompareFuncRegistry, KindIsWhatTheRegistrationsAgreeOnAndOpaqueOtherwise) {
    EXPECT_EQ(GetCompareFuncKind(&CompareGreater), TCompareKind::Constant);
    EXPECT_EQ(GetCompareFuncKind(&CompareIntegerBucket), TCompareKind::TotalOrder);
    EXPECT_EQ(GetCompareFuncKind(&CompareForAliases), TCompareKind::Opaque);  // none declared
    EXPECT_EQ(GetCompareFuncKind(nullptr), TCompareKind::Opaque);
    RegisterCompareFunc("CompareTwoMindsFirst", &CompareOfTwoMinds, TCompareKind::Constant);
    RegisterCompareFunc("CompareTwoMindsAgain", &CompareOfTwoMinds, TCompareKind::Constant);
    EXPECT_EQ(GetCompareFuncKind(&CompareOfTwoMinds), TCompareKind::Constant);
    RegisterCompareFunc("CompareTwoMindsOther", &CompareOfTwoMinds, TCompareKind::TotalOrder);
    EXPECT_EQ(GetCompareFuncKind(&CompareOfTwoMinds), TCompareKind::Opaque);
}

[[noreturn]] void ShutDownTwiceThenReopen() {
    ShutdownRegistries();
    ShutdownRegistries();
    const bool empty = StreamableRegistry()->Count() == 0;
    ShutdownRegistries();
    std::_Exit(empty ? 0 : 1);
}

TEST(RegistryShutdown, IsRepeatableAndLaterAccessStartsEmpty) {
    EXPECT_EXIT(ShutDownTwiceThenReopen(), ::testing::ExitedWithCode(0), "");
}

}  // namespace
