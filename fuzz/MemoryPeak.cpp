#include "fuzz/MemoryPeak.h"

#include <malloc.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <new>
#include <string>

namespace {

// The program is single-threaded where it measures; plain counters keep new cheap.
std::size_t heldBytes = 0;
std::size_t peakBytes = 0;

void* Allocate(std::size_t size) {
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block == nullptr) return nullptr;
    heldBytes += ::malloc_usable_size(block);
    peakBytes = std::max(peakBytes, heldBytes);
    return block;
}

void* AllocateOrThrow(std::size_t size) {
    void* block = Allocate(size);
    if (block == nullptr) throw std::bad_alloc();
    return block;
}

void Release(void* block) {
    if (block == nullptr) return;
    heldBytes -= ::malloc_usable_size(block);
    std::free(block);
}

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
    const std::size_t heapStart = heldBytes;
    peakBytes = heldBytes;
    action();
    const std::size_t heapPeak = peakBytes - heapStart;
    if (!resident) return heapPeak;
    const std::size_t residentPeak = StatusBytes("VmHWM");
    return std::max(heapPeak, residentPeak > residentStart ? residentPeak - residentStart : 0);
}

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
