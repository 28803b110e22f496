#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "support/AddressSanitizer.h"
#include "support/ByteBlock.h"

namespace {

// Past the heap's range, through a move to mapped pages and then a remapping.
constexpr std::size_t kLarge = 3 * TByteBlock::kMapThreshold + 12345;

void Fill(TByteBlock& block, std::uint8_t value) {
    for (std::size_t i = 0; i < block.Size(); ++i) block.Data()[i] = value;
}

bool AllBytesAre(const TByteBlock& block, std::size_t from, std::size_t to, std::uint8_t value) {
    for (std::size_t i = from; i < to; ++i)
        if (block.Data()[i] != value) return false;
    return true;
}

/// Reads a byte as a faulty caller would, so that the compiler keeps the read.
std::uint8_t Peek(const std::uint8_t* byte) {
    return *static_cast<const volatile std::uint8_t*>(byte);
}

TEST(ByteBlock, KeepsItsBytesWhileGrowingFromTheHeapToMappedPages) {
    TByteBlock block;
    std::vector<std::uint8_t> expected;
    for (std::size_t size = 1; size < kLarge; size = size * 3 + 1) {
        const std::size_t old = block.Size();
        block.Resize(size);
        EXPECT_TRUE(AllBytesAre(block, old, size, 0)) << "grown to " << size;
        for (std::size_t i = old; i < size; ++i) block.Data()[i] = static_cast<std::uint8_t>(i * 7);
    }
    for (std::size_t i = 0; i < block.Size(); ++i)
        ASSERT_EQ(block.Data()[i], static_cast<std::uint8_t>(i * 7)) << "at " << i;
}

TEST(ByteBlock, BytesDroppedAndGrownAgainAreZeroOnTheHeapAndOnPages) {
    for (const std::size_t size : {std::size_t{100}, kLarge}) {
        TByteBlock block;
        block.Resize(size);
        Fill(block, 0xAB);
        block.Resize(size / 2);
        block.Resize(size);
        EXPECT_TRUE(AllBytesAre(block, 0, size / 2, 0xAB)) << size;
        EXPECT_TRUE(AllBytesAre(block, size / 2, size, 0)) << size;
    }
}

TEST(ByteBlock, ReserveMakesRoomWithoutMovingLaterResizes) {
    TByteBlock block;
    block.Reserve(kLarge);
    const std::uint8_t* data = block.Data();
    block.Resize(kLarge);
    EXPECT_EQ(block.Data(), data);
    EXPECT_GE(block.Capacity(), kLarge);
}

TEST(ByteBlock, SwapExchangesContents) {
    TByteBlock small, large;
    small.Resize(10);
    Fill(small, 1);
    large.Resize(kLarge);
    Fill(large, 2);
    small.Swap(large);
    EXPECT_EQ(small.Size(), kLarge);
    EXPECT_TRUE(AllBytesAre(small, 0, kLarge, 2));
    EXPECT_EQ(large.Size(), 10u);
    EXPECT_TRUE(AllBytesAre(large, 0, 10, 1));
}

TEST(ByteBlock, ReleasedBytesAreZeroAndTheRestIsKept) {
    const std::size_t size = 5 * TByteBlock::kMapThreshold;  // past two huge pages
    TByteBlock block;
    block.Resize(size);
    Fill(block, 7);
    const std::size_t half = size / 2;
    block.ReleaseBefore(half);
    EXPECT_EQ(block.Size(), size);
    // Whole huge pages only: the bytes up to the last boundary below half. Under the
    // sanitizer they are poisoned, and only this test may look at them.
    std::size_t released = 0;
    while (released < half && IsPoisoned(block.Data() + released)) ++released;
    UnpoisonBytes(block.Data(), released);
    std::size_t zeroUpTo = 0;
    while (zeroUpTo < half && block.Data()[zeroUpTo] == 0) ++zeroUpTo;
    EXPECT_TRUE(!kAddressSanitizer || released == zeroUpTo);
    EXPECT_TRUE(AllBytesAre(block, zeroUpTo, size, 7));
    EXPECT_GT(zeroUpTo, 0u);
    EXPECT_LE(zeroUpTo, half);
    PoisonBytes(block.Data(), released);
    // Grown again after a shrink below them, released bytes are handed out as zero.
    block.Resize(100);
    block.Resize(size);
    EXPECT_TRUE(AllBytesAre(block, 0, 100, 0) && AllBytesAre(block, 100, size, 0));
}

TEST(ByteBlockUnderSanitizer, AReadPastTheSizeOrBehindTheReleaseIsReported) {
    if (!kAddressSanitizer) GTEST_SKIP() << "only AddressSanitizer sees these reads";
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (const std::size_t size : {std::size_t{100}, kLarge}) {
        TByteBlock block;
        block.Resize(size);
        EXPECT_EQ(Peek(block.Data() + size - 1), 0);
        EXPECT_DEATH(Peek(block.Data() + size), "AddressSanitizer") << size;
        block.Resize(size / 2);
        EXPECT_DEATH(Peek(block.Data() + size / 2), "use-after-poison") << size;
    }
    TByteBlock block;
    block.Resize(kLarge);
    block.ReleaseBefore(kLarge);
    EXPECT_DEATH(Peek(block.Data()), "use-after-poison");
    EXPECT_EQ(Peek(block.Data() + kLarge - 1), 0);  // beyond the last whole huge page
}

}  // namespace
