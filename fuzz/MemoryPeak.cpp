#include "fuzz/MemoryPeak.h"

#include <malloc.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <new>
#include <string>

#include "support/AddressSanitizer.h"
#include "support/PageMemory.h"

// Under AddressSanitizer the counting goes through the sanitizer's allocation hooks, so
// that its own operator new and delete stay and keep telling a new[] freed by delete.
#if HAS_ADDRESS_SANITIZER
#define MEMORY_PEAK_BY_HOOKS 1
#endif

namespace {

// The program is single-threaded where it measures; plain counters keep allocation cheap.
// Signed: blocks made before counting began may be given back while it goes on.
std::int64_t heldBytes = 0;
std::int64_t peakBytes = 0;

void Count(std::size_t size) {
    heldBytes += static_cast<std::int64_t>(size);
    peakBytes = std::max(peakBytes, heldBytes);
}

void Uncount(std::size_t size) { heldBytes -= static_cast<std::int64_t>(size); }

// Pages mapped straight from the kernel pass by the heap, and by its hooks.
void CountMapping(std::ptrdiff_t change) {
    if (change >= 0)
        Count(static_cast<std::size_t>(change));
    else
        Uncount(static_cast<std::size_t>(-change));
}

/// Counts the mapped pages too while it lives.
class TMappingCount {
public:
    TMappingCount() : before_(SetMappingHook(&CountMapping)) {}
    ~TMappingCount() { SetMappingHook(before_); }
    TMappingCount(const TMappingCount&) = delete;
    TMappingCount& operator=(const TMappingCount&) = delete;

private:
    TMappingHook before_;
};

#ifndef MEMORY_PEAK_BY_HOOKS
void* Allocate(std::size_t size) {
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block != nullptr) Count(::malloc_usable_size(block));
    return block;
}

void* AllocateOrThrow(std::size_t size) {
    void* block = Allocate(size);
    if (block == nullptr) throw std::bad_alloc();
    return block;
}

void Release(void* block) {
    if (block == nullptr) return;
    Uncount(::malloc_usable_size(block));
    std::free(block);
}
#endif

/// A line "Name:   123 kB" of /proc/self/status, in bytes; 0 when it is missing.
std::size_t StatusBytes(const std::string& name) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.starts_with(name + ":")) return std::stoull(line.substr(name.size() + 1)) * 1024;
    return 0;
}

/// Makes the resident high-water mark start again from the present resident set.
bool ResetResidentPeak() {
    std::ofstream clearRefs("/proc/self/clear_refs");
    clearRefs << "5";
    clearRefs.flush();
    return clearRefs.good();
}

}  // namespace

std::size_t MemoryPeakDuring(const std::function<void()>& action) {
    const bool resident = ResetResidentPeak();
    const std::size_t residentStart = StatusBytes("VmRSS");
    const std::int64_t heapStart = heldBytes;
    peakBytes = heldBytes;
    {
        const TMappingCount mappings;
        action();
    }
    const auto heapPeak =
        static_cast<std::size_t>(std::max<std::int64_t>(peakBytes - heapStart, 0));
    if (!resident) return heapPeak;
    const std::size_t residentPeak = StatusBytes("VmHWM");
    return std::max(heapPeak, residentPeak > residentStart ? residentPeak - residentStart : 0);
}

#ifdef MEMORY_PEAK_BY_HOOKS
extern "C" {
std::size_t __sanitizer_get_allocated_size(const volatile void* block);
void __sanitizer_malloc_hook(const volatile void*, std::size_t size) { Count(size); }
void __sanitizer_free_hook(const volatile void* block) {
    Uncount(__sanitizer_get_allocated_size(block));
}
}
#else
void* operator new(std::size_t size) { return AllocateOrThrow(size); }
void* operator new[](std::size_t size) { return AllocateOrThrow(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* block) noexcept { Release(block); }
void operator delete[](void* block) noexcept { Release(block); }
void operator delete(void* block, std::size_t) noexcept { Release(block); }
void operator delete[](void* block, std::size_t) noexcept { Release(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { Release(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { Release(block); }
#endif
