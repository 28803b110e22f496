#include "support/MemoryLimit.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

namespace {

std::uint64_t usableForTesting = 0;

std::uint64_t PhysicalMemory() {
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0) return UINT64_MAX;  // unknown: nothing is refused
    return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize);
}

/// The address space the process already takes, from /proc/self/statm; 0 when unknown.
std::uint64_t AddressSpaceInUse() {
    std::FILE* statm = std::fopen("/proc/self/statm", "r");
    if (statm == nullptr) return 0;
    unsigned long long pages = 0;
    const bool read = std::fscanf(statm, "%llu", &pages) == 1;
    std::fclose(statm);
    return read ? pages * static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE)) : 0;
}

std::uint64_t AddressSpaceLeft() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return UINT64_MAX;
    const std::uint64_t used = AddressSpaceInUse();
    return limit.rlim_cur > used ? limit.rlim_cur - used : 0;
}

}  // namespace

std::uint64_t UsableMemory() {
    if (usableForTesting != 0) return usableForTesting;
    return std::min(PhysicalMemory(), AddressSpaceLeft());
}

void SetUsableMemoryForTesting(std::uint64_t bytes) { usableForTesting = bytes; }
