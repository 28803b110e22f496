// Slots of one small size for classes with millions of instances, such as the cells of a
// weight matrix: the general heap spends a header and a lock-free bin walk on each of them,
// which for a 16-byte object doubles its memory and most of its cost.
#pragma once

#include <cstddef>

/// The slot sizes served: multiples of 16 up to kMaxSlotSize.
inline constexpr std::size_t kSlotAlignment = 16;
inline constexpr std::size_t kMaxSlotSize = 64;

/// Hands out a slot of at least size bytes, aligned to 16: from the calling thread's own
/// free slots when it has any, else carved from a large prefaulted block. Sizes beyond
/// kMaxSlotSize go to the ordinary heap. std::bad_alloc when there is no memory. Freed only
/// with FreeSlot and the same size. Under AddressSanitizer only its size bytes are usable,
/// and only until it is freed: the rest of the slot and every free slot are poisoned.
void* AllocateSlot(std::size_t size);
/// Gives the slot back to the calling thread's free slots, which it reuses first; a
/// thread's free slots pass to the other threads when it ends, if it ever took a slot
/// itself (slots a thread only frees stay with it). The blocks themselves stay with the
/// process. REQUIRES: slot came from AllocateSlot(size), or is none.
void FreeSlot(void* slot, std::size_t size) noexcept;
