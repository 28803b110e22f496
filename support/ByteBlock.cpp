#include "support/ByteBlock.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

#include "support/AddressSanitizer.h"
#include "support/PageMemory.h"

namespace {

std::size_t RoundUp(std::size_t value, std::size_t step) {
    return (value + step - 1) / step * step;
}

std::size_t RoundDown(std::size_t value, std::size_t step) { return value / step * step; }

}  // namespace

TByteBlock::~TByteBlock() {
    if (IsMapped()) {
        UnmapPages(data_, capacity_);
        return;
    }
    UnpoisonBytes(data_, capacity_);
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
    end = RoundDown(std::min(end, capacity_), kHugePageSize);
    if (end <= released_) return;
    ReleasePages(data_ + released_, end - released_);  // zero when touched again
    PoisonBytes(data_ + released_, end - released_);
    released_ = end;
}

void TByteBlock::Resize(std::size_t size) {
    if (size > capacity_) Reserve(std::max(size, capacity_ * 2));
    if (size > size_) {
        // Bytes handed out again are no longer given back: they are zero and usable.
        std::size_t usable = size_;
        if (released_ > size_) usable = released_ = RoundDown(size_, kHugePageSize);
        UnpoisonBytes(data_ + usable, size - usable);
        // Bytes once handed out and dropped again may hold old values; fresh ones are zero.
        if (clean_ > size_) std::memset(data_ + size_, 0, std::min(size, clean_) - size_);
        Prefault(size);
    } else {
        PoisonBytes(data_ + size, size_ - size);
    }
    size_ = size;
    clean_ = std::max(clean_, size);
}

void TByteBlock::Reserve(std::size_t capacity) {
    if (capacity <= capacity_) return;
    if (capacity < kMapThreshold) {
        MoveToHeap(capacity);
        return;
    }
    capacity = RoundUp(capacity, kHugePageSize);
    if (IsMapped())
        Remap(capacity);
    else
        MoveToPages(capacity);
}

void TByteBlock::MoveToHeap(std::size_t capacity) {
    auto* fresh = static_cast<std::uint8_t*>(std::calloc(capacity, 1));
    if (fresh == nullptr) throw std::bad_alloc();
    if (size_ > 0) std::memcpy(fresh, data_, size_);
    UnpoisonBytes(data_, capacity_);
    std::free(data_);
    data_ = fresh;
    capacity_ = capacity;
    clean_ = size_;
    PoisonUnused();
}

void TByteBlock::MoveToPages(std::size_t capacity) {
    auto* fresh = static_cast<std::uint8_t*>(MapPages(capacity, false));
    if (size_ > 0) std::memcpy(fresh, data_, size_);
    UnpoisonBytes(data_, capacity_);
    std::free(data_);
    data_ = fresh;
    capacity_ = capacity;
    clean_ = size_;
    faulted_ = RoundUp(size_, kPageSize);
    PoisonUnused();
}

void TByteBlock::Remap(std::size_t capacity) {
    try {
        data_ = static_cast<std::uint8_t*>(RemapPages(data_, capacity_, capacity));
        capacity_ = capacity;
    } catch (const std::bad_alloc&) {
        PoisonUnused();  // the block stays where it was, and so must its marks
        throw;
    }
    PoisonUnused();
}

void TByteBlock::Prefault(std::size_t end) {
    if (!IsMapped() || end <= faulted_) return;
    // A huge page ahead, so that appending in small pieces faults once per huge page.
    const std::size_t target = std::min(capacity_, RoundUp(end, kHugePageSize) + kHugePageSize);
    PrefaultPages(data_ + faulted_, target - faulted_);
    faulted_ = target;
}

void TByteBlock::PoisonUnused() const {
    PoisonBytes(data_, released_);
    PoisonBytes(data_ + size_, capacity_ - size_);
}
