#include "support/PageMemory.h"

#include <sys/mman.h>

#include <atomic>
#include <new>

#include "support/AddressSanitizer.h"

namespace {

std::atomic<TMappingHook> gMappingHook{nullptr};

void Tell(std::ptrdiff_t change) {
    if (const TMappingHook hook = gMappingHook.load(std::memory_order_relaxed)) hook(change);
}

std::size_t RoundUp(std::size_t value, std::size_t step) {
    return (value + step - 1) / step * step;
}

void AdviseHugePages(void* start, std::size_t bytes) {
#ifdef MADV_HUGEPAGE
    ::madvise(start, bytes, MADV_HUGEPAGE);  // only advice: without, small pages serve
#else
    (void)start, (void)bytes;
#endif
}

/// A fresh mapping of bytes, a multiple of kPageSize; the start is aligned to a huge page
/// when bytes fill one, so that the kernel can back all of it with huge pages.
void* MapRegion(std::size_t bytes) {
    const std::size_t slack = bytes >= kHugePageSize ? kHugePageSize : 0;
    void* raw =
        ::mmap(nullptr, bytes + slack, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) throw std::bad_alloc();
    auto* start = static_cast<std::uint8_t*>(raw);
    if (slack > 0) {
        const auto address = reinterpret_cast<std::uintptr_t>(start);
        const std::size_t head = RoundUp(address, kHugePageSize) - address;
        if (head > 0) ::munmap(start, head);
        if (slack - head > 0) ::munmap(start + head + bytes, slack - head);
        start += head;
        AdviseHugePages(start, bytes);
    }
    return start;
}

}  // namespace

std::size_t MappedSize(std::size_t bytes) {
    return RoundUp(bytes, bytes >= kHugePageSize ? kHugePageSize : kPageSize);
}

void* MapPages(std::size_t bytes, bool prefault) {
    bytes = MappedSize(bytes);
    void* block = MapRegion(bytes);
    if (prefault) PrefaultPages(block, bytes);
    Tell(static_cast<std::ptrdiff_t>(bytes));
    return block;
}

void* RemapPages(void* block, std::size_t bytes, std::size_t newBytes) {
    bytes = MappedSize(bytes);
    newBytes = MappedSize(newBytes);
    // The sanitizer's marks stay with the addresses, not with the pages that move away.
    UnpoisonBytes(block, bytes);
    void* moved = ::mremap(block, bytes, newBytes, MREMAP_MAYMOVE);
    if (moved == MAP_FAILED) throw std::bad_alloc();
    Tell(static_cast<std::ptrdiff_t>(newBytes - bytes));
    return moved;
}

void UnmapPages(void* block, std::size_t bytes) {
    bytes = MappedSize(bytes);
    UnpoisonBytes(block, bytes);  // a later mapping may get these addresses
    ::munmap(block, bytes);
    Tell(-static_cast<std::ptrdiff_t>(bytes));
}

void PrefaultPages(void* start, std::size_t bytes) {
#ifdef MADV_POPULATE_WRITE
    ::madvise(start, bytes, MADV_POPULATE_WRITE);  // without, the pages fault in as touched
#else
    (void)start, (void)bytes;
#endif
}

void AdviseHugePagesWithin(void* start, std::size_t bytes) {
    const auto begin = reinterpret_cast<std::uintptr_t>(start);
    const std::uintptr_t first = RoundUp(begin, kHugePageSize);
    const std::uintptr_t end = (begin + bytes) / kHugePageSize * kHugePageSize;
    if (first < end) AdviseHugePages(reinterpret_cast<void*>(first), end - first);
}

void ReleasePages(void* start, std::size_t bytes) { ::madvise(start, bytes, MADV_DONTNEED); }

TMappingHook SetMappingHook(TMappingHook hook) { return gMappingHook.exchange(hook); }
