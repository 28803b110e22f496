// How much memory a piece of work takes at its worst. Linking this unit replaces the
// global operator new and delete of the whole program with counting ones, or, under
// AddressSanitizer, counts through the sanitizer's allocation hooks; pages mapped for the
// pools and the byte blocks are counted through the page mapper's hook.
#pragma once

#include <cstddef>
#include <functional>

/// The most memory held at once while action ran, beyond what was held when it began:
/// the larger of the bytes obtained through operator new (under AddressSanitizer, from
/// the allocator by any means) or mapped through support/PageMemory and not yet given back
/// (which sees room reserved but never touched) and the growth of the resident set (which
/// also sees pages mapped by anything else). The second is left out where the system does
/// not let a process reset its resident high-water mark. An exception from action passes
/// through.
std::size_t MemoryPeakDuring(const std::function<void()>& action);
