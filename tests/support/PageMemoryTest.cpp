#include <gtest/gtest.h>

#include <cstdint>

#include "support/PageMemory.h"

namespace {

std::ptrdiff_t gMapped = 0;
void CountMapped(std::ptrdiff_t change) { gMapped += change; }

TEST(MappedPages, AreZeroedAndWritableToTheirEndAndToldToTheHook) {
    const TMappingHook before = SetMappingHook(&CountMapped);
    gMapped = 0;
    const std::size_t bytes = 5 * kPageSize + 1;
    auto* block = static_cast<std::uint8_t*>(MapPages(bytes));
    EXPECT_EQ(gMapped, static_cast<std::ptrdiff_t>(6 * kPageSize));
    EXPECT_TRUE(block[0] == 0 && block[bytes - 1] == 0);
    block[bytes - 1] = 1;
    block = static_cast<std::uint8_t*>(RemapPages(block, bytes, kHugePageSize + 1));
    EXPECT_EQ(gMapped, static_cast<std::ptrdiff_t>(2 * kHugePageSize));
    EXPECT_EQ(block[bytes - 1], 1);
    EXPECT_EQ(block[2 * kHugePageSize - 1], 0);
    UnmapPages(block, kHugePageSize + 1);
    EXPECT_EQ(gMapped, 0);
    EXPECT_EQ(SetMappingHook(before), &CountMapped);
}

}  // namespace
