#include "support/SlotPool.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <mutex>
#include <new>
#include <utility>
#include <vector>

#include "support/AddressSanitizer.h"
#include "support/PageMemory.h"

namespace {

constexpr std::size_t kSizeClasses = kMaxSlotSize / kSlotAlignment;
constexpr std::size_t kFirstBlock = std::size_t{64} << 10;
// Blocks are prefaulted whole: the cap bounds what a pool holds beyond its slots in use.
constexpr std::size_t kLargestBlock = std::size_t{4} << 20;

struct TFreeSlot {
    TFreeSlot* next;
};

/// One thread's slots of one size: the ones given back, then the untouched rest of the
/// last block it took. Trivial, so that reaching it costs no guard on each call.
struct TLocalSlots {
    TFreeSlot* free = nullptr;
    std::uint8_t* next = nullptr;
    std::uint8_t* end = nullptr;
};

thread_local TLocalSlots tLocalSlots[kSizeClasses];

/// What threads share, under one lock taken only when a thread runs out of slots or
/// ends: the free slots of threads that have ended, each thread's list kept whole so that
/// handing it over costs nothing, and the size of the next block of each size.
struct TSharedSlots {
    std::mutex lock;
    std::vector<TFreeSlot*> endedLists[kSizeClasses];
    std::vector<std::pair<std::uint8_t*, std::uint8_t*>> endedRests[kSizeClasses];
    std::size_t nextBlock[kSizeClasses];

    TSharedSlots() { std::fill(std::begin(nextBlock), std::end(nextBlock), kFirstBlock); }
};

// Never destroyed: objects in slots may be destroyed by other static destructors.
TSharedSlots& Shared() {
    static TSharedSlots& shared = *new TSharedSlots;
    return shared;
}

/// Hands a thread's slots to the others when the thread ends.
struct TThreadEnd {
    ~TThreadEnd() {
        TSharedSlots& shared = Shared();
        const std::lock_guard<std::mutex> guard(shared.lock);
        for (std::size_t c = 0; c < kSizeClasses; ++c) {
            TLocalSlots& local = tLocalSlots[c];
            if (local.free != nullptr) shared.endedLists[c].push_back(local.free);
            if (local.next != local.end) shared.endedRests[c].emplace_back(local.next, local.end);
            local = TLocalSlots{};
        }
    }
};

std::size_t SizeClass(std::size_t size) { return size == 0 ? 0 : (size - 1) / kSlotAlignment; }
std::size_t SlotSize(std::size_t sizeClass) { return (sizeClass + 1) * kSlotAlignment; }

/// Refills an empty local supply: an ended thread's slots first, else a new block.
void Refill(TLocalSlots& local, std::size_t sizeClass) {
    thread_local TThreadEnd threadEnd;
    (void)threadEnd;  // made on the first refill, so that the thread's end hands slots on
    TSharedSlots& shared = Shared();
    const std::lock_guard<std::mutex> guard(shared.lock);
    if (!shared.endedLists[sizeClass].empty()) {
        local.free = shared.endedLists[sizeClass].back();
        shared.endedLists[sizeClass].pop_back();
        return;
    }
    if (!shared.endedRests[sizeClass].empty()) {
        local.next = shared.endedRests[sizeClass].back().first;
        local.end = shared.endedRests[sizeClass].back().second;
        shared.endedRests[sizeClass].pop_back();
        return;
    }
    std::size_t& bytes = shared.nextBlock[sizeClass];
    auto* block = static_cast<std::uint8_t*>(MapPages(bytes));
    PoisonBytes(block, bytes);  // each slot is made usable as it is handed out
    local.next = block;
    local.end = block + bytes / SlotSize(sizeClass) * SlotSize(sizeClass);
    if (bytes < kLargestBlock) bytes *= 2;  // a pool that is used much gets larger blocks
}

/// A free slot's link, which only the pool may read.
TFreeSlot* NextFree(TFreeSlot* slot) {
    UnpoisonBytes(slot, sizeof(TFreeSlot));
    TFreeSlot* next = slot->next;
    PoisonBytes(slot, sizeof(TFreeSlot));
    return next;
}

/// A slot of size bytes from the local supply. REQUIRES: the supply is not empty.
void* TakeSlot(TLocalSlots& local, std::size_t sizeClass, std::size_t size) {
    void* slot = local.free;
    if (slot != nullptr) {
        local.free = NextFree(local.free);
    } else {
        slot = local.next;
        local.next += SlotSize(sizeClass);
    }
    UnpoisonBytes(slot, size);
    return slot;
}

// Out of line and reached by a tail call, so that the common path saves no registers.
[[gnu::noinline]] void* RefillAndTakeSlot(TLocalSlots& local, std::size_t sizeClass,
                                          std::size_t size) {
    Refill(local, sizeClass);
    return TakeSlot(local, sizeClass, size);
}

}  // namespace

void* AllocateSlot(std::size_t size) {
    if (size > kMaxSlotSize) return ::operator new(size);
    const std::size_t sizeClass = SizeClass(size);
    TLocalSlots& local = tLocalSlots[sizeClass];
    if (local.free == nullptr && local.next == local.end)
        return RefillAndTakeSlot(local, sizeClass, size);
    return TakeSlot(local, sizeClass, size);
}

void FreeSlot(void* slot, std::size_t size) noexcept {
    if (slot == nullptr) return;
    if (size > kMaxSlotSize) {
        ::operator delete(slot);
        return;
    }
    const std::size_t sizeClass = SizeClass(size);
    TLocalSlots& local = tLocalSlots[sizeClass];
    UnpoisonBytes(slot, sizeof(TFreeSlot));
    local.free = new (slot) TFreeSlot{local.free};
    PoisonBytes(slot, SlotSize(sizeClass));
}
