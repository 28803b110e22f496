#include <gtest/gtest.h>

#include "containers/ObjList.h"
#include "tests/MessageOf.h"
#include "tests/containers/Probe.h"

namespace {

TEST(ClassIdentity, InstanceOfAcceptsDerivedClassesAndNamesItsOwnClass) {
    TDerivedProbe derived(1);
    EXPECT_STREQ(derived.ClassName(), "TDerivedProbe");
    EXPECT_TRUE(derived.InheritsFrom(TProbe::StaticClass()));
    EXPECT_TRUE(derived.InheritsFrom(TObject::StaticClass()));
    EXPECT_FALSE(TProbe(1).InheritsFrom(TDerivedProbe::StaticClass()));
    EXPECT_EQ(TDerivedProbe::StaticClass()->parent, TProbe::StaticClass());
    EXPECT_EQ(TOrderedList::StaticClass()->parent, TNodeContainer::StaticClass());
}

TEST(ClassIdentity, BlankInstancesComeOnlyFromConcreteStreamableClasses) {
    EXPECT_EQ(TContainer::StaticClass()->createBlank, nullptr);
    std::unique_ptr<TObject> blank(TUnorderedList::StaticClass()->createBlank());
    auto* list = static_cast<TUnorderedList*>(blank.get());
    EXPECT_STREQ(blank->ClassName(), "TUnorderedList");
    EXPECT_EQ(list->Count(), 0);
    EXPECT_FALSE(list->GetOwnsItems());  // no constructor ran
}

TEST(ErrorTexts, AreExact) {
    EXPECT_STREQ(EInvalidObjectType().what(), "Invalid object type in TContainer");
    EXPECT_STREQ(EContainerIsEmpty().what(), "TContainer is empty");
    EXPECT_STREQ(EContainerIsFull().what(), "TContainer is full");
    EXPECT_STREQ(EInvalidIndex().what(), "Invalid index in TContainer");
    EXPECT_STREQ(ENewArraySizeTooSmall().what(), "TArray new size is too small");
    EXPECT_STREQ(EInvalidOccurrenceSought().what(), "Invalid occurrence sought in TContainer");
    EXPECT_STREQ(EInvalidArrayCapacity().what(), "Invalid array capacity in TArray");
    EXPECT_STREQ(EClassNotRegistered().what(), "Class not registered");
    EXPECT_STREQ(ECompareFuncNotRegistered().what(), "Compare function not registered");
    EXPECT_STREQ(EClassVersionNotRegistered().what(), "Class version not registered");
    EXPECT_STREQ(EDuplicateCompareFunc().what(), "Duplicate compare function");
    EXPECT_STREQ(EDuplicateRegisteredClass().what(), "Duplicate registered class");
    EXPECT_STREQ(EListError(7).what(), "List index out of bounds (7)");
    EXPECT_STREQ(EFOpenError("a.stm").what(), "Cannot open file a.stm");
    EXPECT_STREQ(EFCreateError("b.stm").what(), "Cannot create file b.stm");
    EXPECT_STREQ(EOverflow().what(), "Floating point overflow");
    EXPECT_STREQ(EInvalidCast().what(), "Invalid class typecast");
}

TEST(ContainerBase, NewContainerIsEmptyAndOwning) {
    TUnorderedList list(TProbe::StaticClass(), CompareProbes);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_TRUE(list.GetOwnsItems());
}

TEST(ContainerBase, ItemCheckAcceptsDerivedAndRejectsAbsentAndUnrelated) {
    TUnorderedList list(TProbe::StaticClass(), CompareProbes);
    TDerivedProbe derived(1);
    EXPECT_NO_THROW(list.CheckItemType(&derived));
    EXPECT_EQ(MessageOf<EInvalidObjectType>([&] { list.CheckItemType(nullptr); }),
              "Invalid object type in TContainer");
    TStranger stranger;
    EXPECT_THROW(list.CheckItemType(&stranger), EInvalidObjectType);
}

TEST(ContainerOwnership, SetCurrentDisposesTheReplacedItemOnlyWhenOwning) {
    TUnorderedList list(TProbe::StaticClass(), CompareProbes);
    list.Add(new TProbe(1));
    const int before = TProbe::Destroyed;
    auto* second = new TProbe(2);
    list.SetCurrent(second);
    EXPECT_EQ(TProbe::Destroyed, before + 1);

    list.SetOwnsItems(false);
    TProbe survivor(3);
    list.SetCurrent(&survivor);
    EXPECT_EQ(TProbe::Destroyed, before + 1);
    delete second;
}

TEST(ContainerOwnership, StoringTheSameObjectAgainKeepsItAlive) {
    TUnorderedList list(TProbe::StaticClass(), CompareProbes);
    auto* item = new TProbe(1);
    list.Add(item);
    const int before = TProbe::Destroyed;
    list.SetCurrent(item);
    EXPECT_EQ(TProbe::Destroyed, before);
    EXPECT_EQ(static_cast<TProbe*>(list.GetCurrent())->Value, 1);
}

TEST(ContainerOwnership, DeleteCurrentDestroysOnlyWhenOwning) {
    TUnorderedList list(TProbe::StaticClass(), CompareProbes);
    TProbe kept(1);
    list.SetOwnsItems(false);
    list.Add(&kept);
    list.DeleteCurrent();
    EXPECT_EQ(kept.Value, 1);

    list.SetOwnsItems(true);
    list.Add(new TProbe(2));
    const int before = TProbe::Destroyed;
    list.DeleteCurrent();
    EXPECT_EQ(TProbe::Destroyed, before + 1);
}

TEST(ContainerOwnership, DestroyingDisposesEachItemOnceOrNone) {
    const int before = TProbe::Destroyed;
    {
        TCircularList owning(TProbe::StaticClass(), CompareProbes);
        for (int i = 0; i < 3; ++i) owning.Add(new TProbe(i));
    }
    EXPECT_EQ(TProbe::Destroyed, before + 3);

    TProbe a(1), b(2);
    {
        TOrderedList viewing(TProbe::StaticClass(), CompareProbes);
        viewing.SetOwnsItems(false);
        viewing.Add(&a);
        viewing.Add(&b);
    }
    EXPECT_EQ(TProbe::Destroyed, before + 3);
}

}  // namespace
