// How much memory this process can hope to have, for refusing work that could never fit
// before any of it is allocated.
#pragma once

#include <cstdint>

/// The machine's physical memory, or what is left of the address space when that is
/// limited (RLIMIT_AS) and smaller; the figure set by SetUsableMemoryForTesting instead
/// while one is set.
std::uint64_t UsableMemory();

/// Makes UsableMemory() report bytes, so that a test can meet the limit without a machine's
/// worth of data; 0 goes back to the real figures. Not for two threads at once.
void SetUsableMemoryForTesting(std::uint64_t bytes);
