// A run of bytes that grows at its end, for the few big buffers of a load or a save (a
// whole file's bytes, a frame being built): from a megabyte on it lives in mapped pages,
// prefaulted ahead of the writer, and grows by remapping instead of copying.
#pragma once

#include <cstddef>
#include <cstdint>

/// A run of bytes that grows at its end, as a file being built or read whole needs.
/// Small runs live on the heap; from kMapThreshold on, the memory comes from MapPages and
/// grows in place or by moving page tables, never by copying the bytes.
/// Under AddressSanitizer the room beyond Size and the bytes given back by ReleaseBefore
/// are poisoned, so that a read of either is reported.
class TByteBlock {
public:
    static constexpr std::size_t kMapThreshold = std::size_t{1} << 20;

    TByteBlock() = default;
    ~TByteBlock();
    TByteBlock(const TByteBlock&) = delete;
    TByteBlock& operator=(const TByteBlock&) = delete;

    std::uint8_t* Data() { return data_; }
    const std::uint8_t* Data() const { return data_; }
    std::size_t Size() const { return size_; }
    std::size_t Capacity() const { return capacity_; }

    /// Bytes added at the end are zero. Room grows to at least size; the block may move.
    /// std::bad_alloc, with the block as it was, when there is no memory for it.
    void Resize(std::size_t size);
    /// Room for at least capacity bytes, so that Resize up to it neither moves the block
    /// nor fails. std::bad_alloc, with the block as it was.
    void Reserve(std::size_t capacity);
    /// Exchanges the contents of two blocks; never fails.
    void Swap(TByteBlock& other) noexcept;
    /// Gives the memory of the huge pages wholly below end back to the system, for a block
    /// read once from front to back; Size is kept. Those bytes are zero from then on, and
    /// nobody may read them again: under AddressSanitizer a read of them is reported.
    /// Does nothing to a block on the heap.
    void ReleaseBefore(std::size_t end);

private:
    bool IsMapped() const { return capacity_ >= kMapThreshold; }
    void MoveToHeap(std::size_t capacity);
    void MoveToPages(std::size_t capacity);
    void Remap(std::size_t capacity);
    void Prefault(std::size_t end);
    void PoisonUnused() const;

    std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
    // Bytes from here on have never been handed out since the memory was fresh: zero.
    std::size_t clean_ = 0;
    // Bytes below here have been faulted in.
    std::size_t faulted_ = 0;
    // Bytes below here have been given back by ReleaseBefore.
    std::size_t released_ = 0;
};
