#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <thread>
#include <vector>

#include "support/AddressSanitizer.h"
#include "support/SlotPool.h"

namespace {

TEST(SlotPool, SlotsAreDistinctAlignedAndWholeForEverySize) {
    for (std::size_t size = 1; size <= kMaxSlotSize + 16; size += 5) {
        std::vector<void*> slots;
        for (int i = 0; i < 20000; ++i) {  // beyond the first block
            void* slot = AllocateSlot(size);
            EXPECT_EQ(reinterpret_cast<std::uintptr_t>(slot) % kSlotAlignment, 0u);
            std::memset(slot, i & 0xFF, size);
            slots.push_back(slot);
        }
        for (std::size_t i = 0; i < slots.size(); ++i)
            ASSERT_EQ(*static_cast<std::uint8_t*>(slots[i]), i & 0xFF) << "size " << size;
        EXPECT_EQ(std::set<void*>(slots.begin(), slots.end()).size(), slots.size());
        for (void* slot : slots) FreeSlot(slot, size);
    }
}

TEST(SlotPool, AFreedSlotIsTheNextOneHandedOut) {
    void* first = AllocateSlot(16);
    FreeSlot(first, 16);
    void* second = AllocateSlot(16);
    EXPECT_EQ(second, first);
    FreeSlot(second, 16);
}

TEST(SlotPoolUnderSanitizer, AUseAfterFreeAndAnAccessPastTheSizeAreReported) {
    if (!kAddressSanitizer) GTEST_SKIP() << "only AddressSanitizer sees these accesses";
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    auto* slot = static_cast<volatile std::uint8_t*>(AllocateSlot(20));  // in a slot of 32
    slot[19] = 1;
    EXPECT_DEATH(slot[20] = 1, "use-after-poison");
    FreeSlot(const_cast<std::uint8_t*>(slot), 20);
    EXPECT_DEATH(slot[0] = 1, "use-after-poison");
    EXPECT_DEATH(slot[12] = 1, "use-after-poison");
}

TEST(SlotPool, SlotsMadeOnOneThreadMayBeFreedOnAnotherThatThenEnds) {
    std::vector<void*> slots;
    for (int i = 0; i < 1000; ++i) slots.push_back(AllocateSlot(32));
    std::thread([&] {
        for (void* slot : slots) FreeSlot(slot, 32);
        void* reused = AllocateSlot(32);  // from this thread's own free slots
        std::memset(reused, 0, 32);
        FreeSlot(reused, 32);
    }).join();
    // The ended thread's slots are handed on: taking as many again stays sound.
    std::vector<void*> again;
    for (int i = 0; i < 2000; ++i) again.push_back(AllocateSlot(32));
    EXPECT_EQ(std::set<void*>(again.begin(), again.end()).size(), again.size());
    for (void* slot : again) FreeSlot(slot, 32);
}

}  // namespace
