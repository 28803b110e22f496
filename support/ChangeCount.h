// A process-wide count of changes to what caches of whole structures are built from.
#pragma once

#include <atomic>
#include <cstdint>

namespace change_count_detail {
inline std::atomic<std::uint64_t> count{0};
}  // namespace change_count_detail

/// Counts one change to a list's items, or to an edge's ends or weight. A cache built from
/// such structures keeps StructureChanges() as it was when the cache was made, and holds
/// only while it has not moved. Any thread may call it.
inline void NoteStructureChange() noexcept {
    change_count_detail::count.fetch_add(1, std::memory_order_relaxed);
}

/// The number of changes noted so far.
inline std::uint64_t StructureChanges() noexcept {
    return change_count_detail::count.load(std::memory_order_relaxed);
}
