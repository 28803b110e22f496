#include <gtest/gtest.h>

#include "containers/ObjStack.h"
#include "tests/containers/Probe.h"

namespace {

TEST(Stack, ForwardsCountOwnershipAndDisposalToItsInnerList) {
    const int before = TProbe::Destroyed;
    {
        TStack stack(TProbe::StaticClass(), CompareProbes);
        stack.Push(new TProbe(1));
        stack.Push(new TProbe(2));
        EXPECT_EQ(stack.Count(), 2);
        EXPECT_EQ(stack.GetInnerList()->Count(), 2);
        std::unique_ptr<TObject> top(stack.Pop());
        EXPECT_EQ(static_cast<TProbe*>(top.get())->Value, 2);
        stack.SetOwnsItems(false);
        EXPECT_FALSE(stack.GetInnerList()->GetOwnsItems());
        stack.SetOwnsItems(true);
    }
    EXPECT_EQ(TProbe::Destroyed, before + 2);  // the popped one and the one left inside
}

TEST(Stack, NonOwningStackLeavesItemsAlive) {
    TProbe kept(1);
    {
        TStack stack(TProbe::StaticClass(), CompareProbes);
        stack.SetOwnsItems(false);
        stack.Push(&kept);
    }
    EXPECT_EQ(kept.Value, 1);
}

TEST(Stack, PopOnAnEmptyStackRaises) {
    TStack stack(TProbe::StaticClass(), CompareProbes);
    EXPECT_THROW(stack.Pop(), EContainerIsEmpty);
}

}  // namespace
