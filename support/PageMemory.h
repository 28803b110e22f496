// Memory taken from the kernel page by page, for the few big buffers of a load, a save or a
// search and for the slot pools' blocks. On such sizes the first touch of each fresh page
// costs more than filling it, so these mappings ask for huge pages and can be faulted in
// with one call, and they grow by remapping instead of copying.
#pragma once

#include <cstddef>
#include <cstdint>

/// The page of the kernel's mappings, and the huge page it backs large ones with.
inline constexpr std::size_t kPageSize = 4096;
inline constexpr std::size_t kHugePageSize = std::size_t{2} << 20;

/// What a mapping of bytes really takes: whole pages, and whole huge pages from one on.
std::size_t MappedSize(std::size_t bytes);

/// Zeroed memory of MappedSize(bytes), aligned to a huge page and asked to be backed by huge
/// pages when it fills one; with prefault, faulted in at once. Caller unmaps it with
/// UnmapPages. std::bad_alloc when the system refuses. REQUIRES: bytes > 0.
void* MapPages(std::size_t bytes, bool prefault = true);
/// Grows a mapping to MappedSize(newBytes), moving its page tables if it must; the bytes it
/// held are kept, the new ones are zero. std::bad_alloc, with the mapping as it was, when the
/// system refuses. Either way the block's bytes are no longer poisoned (AddressSanitizer.h).
/// REQUIRES: block and bytes as MapPages or RemapPages gave them, newBytes > bytes.
void* RemapPages(void* block, std::size_t bytes, std::size_t newBytes);
/// REQUIRES: block and bytes as MapPages or RemapPages gave them.
void UnmapPages(void* block, std::size_t bytes);
/// Faults the pages of a mapping in at once instead of one trap per page; only a speed-up.
void PrefaultPages(void* start, std::size_t bytes);
/// Asks for huge pages behind the whole huge pages within [start, start + bytes): for a
/// large block from the heap, before its first touch. Only advice.
void AdviseHugePagesWithin(void* start, std::size_t bytes);
/// Gives the memory of the pages back to the system; they read as zero when touched again.
/// The mapping stays, and so do the bytes the pages count for in MappedBytes.
/// REQUIRES: start and bytes lie in one mapping and are whole pages.
void ReleasePages(void* start, std::size_t bytes);

/// Told of every mapping made, grown or unmapped through this unit, with the change in
/// bytes; for tools that measure memory, as the heap's own hooks tell them of the heap.
/// Called on the thread that maps, and must not map itself.
using TMappingHook = void (*)(std::ptrdiff_t change);
/// The hook in place from now on, or none. Returns the one that was.
TMappingHook SetMappingHook(TMappingHook hook);
