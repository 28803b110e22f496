// Whether AddressSanitizer instruments this build, and the marks that tell it which bytes
// of our own pools and blocks nobody may touch: the sanitizer only knows the heap's.
#pragma once

#include <cstddef>

#if defined(__SANITIZE_ADDRESS__)
#define HAS_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define HAS_ADDRESS_SANITIZER 1
#endif
#endif
#ifndef HAS_ADDRESS_SANITIZER
#define HAS_ADDRESS_SANITIZER 0
#endif

#if HAS_ADDRESS_SANITIZER
#include <sanitizer/asan_interface.h>
#endif

/// True when AddressSanitizer instruments this build (HAS_ADDRESS_SANITIZER is 1).
inline constexpr bool kAddressSanitizer = HAS_ADDRESS_SANITIZER;

/// Marks bytes that nobody may touch until UnpoisonBytes: the sanitizer reports any access
/// to them. Does nothing without the sanitizer.
inline void PoisonBytes([[maybe_unused]] const void* start, [[maybe_unused]] std::size_t bytes) {
#if HAS_ADDRESS_SANITIZER
    ASAN_POISON_MEMORY_REGION(start, bytes);
#endif
}

/// Makes bytes usable again. Does nothing without the sanitizer.
inline void UnpoisonBytes([[maybe_unused]] const void* start, [[maybe_unused]] std::size_t bytes) {
#if HAS_ADDRESS_SANITIZER
    ASAN_UNPOISON_MEMORY_REGION(start, bytes);
#endif
}

/// Whether the sanitizer would report an access to the byte; false without it.
inline bool IsPoisoned([[maybe_unused]] const void* byte) {
#if HAS_ADDRESS_SANITIZER
    return __asan_address_is_poisoned(byte) != 0;
#else
    return false;
#endif
}
