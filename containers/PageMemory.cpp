#include "containers/PageMemory.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

constexpr std::size_t kPage = 4096;
constexpr std::size_t kHugePage = std::size_t{2} << 20;

std::size_t RoundUp(std::size_t value, std::size_t step) {
    return (value + step - 1) / step * step;
}

/// A fresh mapping of bytes, which is a multiple of kPage; the start is aligned to a huge
/// page when bytes fill one, so that the kernel can back all of it with huge pages.
void* MapRegion(std::size_t bytes) {
    const std::size_t slack = bytes >= kHugePage ? kHugePage : 0;
    void* raw =
        ::mmap(nullptr, bytes + slack, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) throw std::bad_alloc();
    auto* start = static_cast<std::uint8_t*>(raw);
    if (slack > 0) {
        const auto address = reinterpret_cast<std::uintptr_t>(start);
        const std::size_t head = RoundUp(address, kHugePage) - address;
        if (head > 0) ::munmap(start, head);
        if (slack - head > 0) ::munmap(start + head + bytes, slack - head);
        start += head;
#ifdef MADV_HUGEPAGE
        ::madvise(start, bytes, MADV_HUGEPAGE);  // only advice: without, small pages serve
#endif
    }
    return start;
}

/// Faults the pages in with one call instead of one trap per page. Only a speed-up: on a
/// kernel without it the pages fault in as they are touched.
void Populate(void* start, std::size_t bytes) {
#ifdef MADV_POPULATE_WRITE
    ::madvise(start, bytes, MADV_POPULATE_WRITE);
#else
    (void)start, (void)bytes;
#endif
}

}  // namespace

void* MapPages(std::size_t bytes) {
    bytes = RoundUp(bytes, bytes >= kHugePage ? kHugePage : kPage);
    void* block = MapRegion(bytes);
    Populate(block, bytes);
    return block;
}

void UnmapPages(void* block, std::size_t bytes) {
    ::munmap(block, RoundUp(bytes, bytes >= kHugePage ? kHugePage : kPage));
}

// ----------------------------------------------------------------------------
// TByteBlock

TByteBlock::~TByteBlock() {
    if (IsMapped())
        ::munmap(data_, capacity_);
    else
        std::free(data_);
}

void TByteBlock::Swap(TByteBlock& other) noexcept {
    std::swap(data_, other.data_);
    std::swap(size_, other.size_);
    std::swap(capacity_, other.capacity_);
    std::swap(clean_, other.clean_);
    std::swap(faulted_, other.faulted_);
    std::swap(released_, other.released_);
}

void TByteBlock::ReleaseBefore(std::size_t end) {
    if (!IsMapped()) return;
    end = std::min(end, capacity_) / kHugePage * kHugePage;
    if (end <= released_) return;
    ::madvise(data_ + released_, end - released_, MADV_DONTNEED);  // zero when touched again
    released_ = end;
}

void TByteBlock::Resize(std::size_t size) {
    if (size > capacity_) Reserve(std::max(size, capacity_ * 2));
    if (size > size_) {
        // Bytes once handed out and dropped again may hold old values; fresh ones are zero.
        if (clean_ > size_) std::memset(data_ + size_, 0, std::min(size, clean_) - size_);
        Prefault(size);
    }
    size_ = size;
    clean_ = std::max(clean_, size);
}

void TByteBlock::Reserve(std::size_t capacity) {
    if (capacity <= capacity_) return;
    if (capacity < kMapThreshold || kHeapOnlyMemory) {
        MoveToHeap(capacity);
        return;
    }
    capacity = RoundUp(capacity, kHugePage);
    if (!IsMapped()) {
        MoveToPages(capacity);
        return;
    }
    void* moved = ::mremap(data_, capacity_, capacity, MREMAP_MAYMOVE);
    if (moved == MAP_FAILED) throw std::bad_alloc();
    data_ = static_cast<std::uint8_t*>(moved);
    capacity_ = capacity;
}

void TByteBlock::MoveToHeap(std::size_t capacity) {
    auto* fresh = static_cast<std::uint8_t*>(std::calloc(capacity, 1));
    if (fresh == nullptr) throw std::bad_alloc();
    if (size_ > 0) std::memcpy(fresh, data_, size_);
    std::free(data_);
    data_ = fresh;
    capacity_ = capacity;
    clean_ = size_;
}

void TByteBlock::MoveToPages(std::size_t capacity) {
    auto* fresh = static_cast<std::uint8_t*>(MapRegion(capacity));
    if (size_ > 0) std::memcpy(fresh, data_, size_);
    std::free(data_);
    data_ = fresh;
    capacity_ = capacity;
    clean_ = size_;
    faulted_ = RoundUp(size_, kPage);
}

void TByteBlock::Prefault(std::size_t end) {
    if (!IsMapped() || end <= faulted_) return;
    // A huge page ahead, so that appending in small pieces faults once per huge page.
    const std::size_t target = std::min(capacity_, RoundUp(end, kHugePage) + kHugePage);
    Populate(data_ + faulted_, target - faulted_);
    faulted_ = target;
}
