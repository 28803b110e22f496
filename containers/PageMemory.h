// Large blocks of memory taken from the kernel page by page, for the few big buffers of a
// load or a save (a whole file's bytes, the cells of a weight matrix). On such sizes the
// first touch of each fresh page costs more than filling it, so these blocks ask for huge
// pages and are prefaulted in large steps, and they grow by remapping instead of copying.
#pragma once

#include <cstddef>
#include <cstdint>

/// True when AddressSanitizer instruments this build: the big blocks and the object pools
/// then come from the ordinary heap, so that the sanitizer sees every access.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kHeapOnlyMemory = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool kHeapOnlyMemory = true;
#else
inline constexpr bool kHeapOnlyMemory = false;
#endif
#else
inline constexpr bool kHeapOnlyMemory = false;
#endif

/// Zeroed memory of at least bytes, a whole number of pages, asked to be backed by huge
/// pages and faulted in at once. Caller unmaps it with UnmapPages. std::bad_alloc when
/// the system refuses. REQUIRES: bytes > 0.
void* MapPages(std::size_t bytes);
/// REQUIRES: block and bytes as MapPages gave them.
void UnmapPages(void* block, std::size_t bytes);

/// A run of bytes that grows at its end, as a file being built or read whole needs.
/// Small runs live on the heap; from kMapThreshold on, the memory comes from MapPages and
/// grows in place or by moving page tables, never by copying the bytes.
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
    /// read once from front to back; those bytes read as zero afterwards, and Size is kept.
    /// Does nothing to a block on the heap.
    void ReleaseBefore(std::size_t end);

private:
    bool IsMapped() const { return capacity_ >= kMapThreshold && !kHeapOnlyMemory; }
    void MoveToHeap(std::size_t capacity);
    void MoveToPages(std::size_t capacity);
    void Prefault(std::size_t end);

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
