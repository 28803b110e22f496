// A std allocator for the large arrays that are read at random, such as a search's arrays
// over a big graph's nodes and edges: with small pages nearly every such read would also
// miss the address cache.
#pragma once

#include <cstddef>
#include <memory>

#include "support/PageMemory.h"

/// Blocks of a huge page or more come from MapPages, aligned to huge pages and faulted in
/// at once; smaller ones from std::allocator. Stateless: any two compare equal.
template <class T>
struct THugePageAllocator {
    using value_type = T;

    THugePageAllocator() = default;
    template <class U>
    explicit THugePageAllocator(const THugePageAllocator<U>&) {}

    /// std::bad_alloc when there is no memory.
    T* allocate(std::size_t n) {
        if (n * sizeof(T) < kHugePageSize) return std::allocator<T>().allocate(n);
        return static_cast<T*>(MapPages(n * sizeof(T)));
    }
    void deallocate(T* block, std::size_t n) {
        if (n * sizeof(T) < kHugePageSize) return std::allocator<T>().deallocate(block, n);
        UnmapPages(block, n * sizeof(T));
    }
    friend bool operator==(const THugePageAllocator&, const THugePageAllocator&) { return true; }
};
