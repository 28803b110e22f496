// Byte streams beneath the object stream: an open file and a growable block
// of memory, both read and written at a current position.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "containers/ObjType.h"
#include "support/ByteBlock.h"

/// A sequence of bytes with a current position.
class TStream : public TObject {
    DECLARE_CLASS()
public:
    /// Reads up to count bytes at the position into buffer; returns how many
    /// were read (0 at the end) and advances the position by that many.
    /// EReadError when the system fails the read.
    virtual std::size_t Read(void* buffer, std::size_t count) = 0;
    /// Writes count bytes at the position; returns how many were written.
    virtual std::size_t Write(const void* buffer, std::size_t count) = 0;
    /// Moves the position by offset from where it is; returns the new position.
    /// A target before the start is refused: the position stays and -1 is returned.
    virtual std::int64_t Seek(std::int64_t offset) = 0;
    virtual std::int64_t Position() const = 0;
    virtual std::int64_t Size() const = 0;
    /// Whether Size() is the number of bytes a reader can still get from the
    /// start: false for pipes, devices and the kernel's pseudo-files, whose end
    /// shows only when reached.
    virtual bool SizeIsKnown() const { return true; }
    /// The whole content, Size() bytes, when the stream lies in memory; none
    /// otherwise. Valid until the next write or change of size.
    virtual const std::uint8_t* Memory() const { return nullptr; }

    /// Moves the position to position bytes from the start, as Seek does.
    std::int64_t SetPosition(std::int64_t position) { return Seek(position - Position()); }
};

/// A stream over a file opened by name; the file is closed with the stream.
class TFileStream : public TStream {
    DECLARE_CLASS()
public:
    enum class TMode { OpenRead, Create };

    /// OpenRead: the existing file, for reading only; EFOpenError ("Cannot open
    /// file %s") when it cannot be opened. Create: the file made anew or
    /// truncated, for writing; EFCreateError ("Cannot create file %s").
    TFileStream(const std::string& fileName, TMode mode);
    ~TFileStream() override;

    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;
    std::int64_t Seek(std::int64_t offset) override;
    std::int64_t Position() const override;
    std::int64_t Size() const override;
    /// True only for a regular file on a disk that tells its size.
    bool SizeIsKnown() const override { return sizeKnown_; }

private:
    int fd_ = -1;
    bool sizeKnown_ = false;
};

/// A stream over a block of memory that grows as it is written.
class TMemoryStream : public TStream {
    DECLARE_CLASS()
public:
    TMemoryStream() = default;

    /// EReadError ("Stream read error") at a position before the mark of ReleaseBefore.
    std::size_t Read(void* buffer, std::size_t count) override;
    /// Writing past the end grows the block, at least doubling its room, so that writing
    /// n bytes in small pieces costs O(n); a large block grows without copying.
    std::size_t Write(const void* buffer, std::size_t count) override;
    /// EReadError ("Stream read error") for a target before the mark of ReleaseBefore.
    std::int64_t Seek(std::int64_t offset) override;
    std::int64_t Position() const override { return position_; }
    std::int64_t Size() const override { return static_cast<std::int64_t>(data_.Size()); }

    /// The whole content; valid until the next write or SetSize.
    std::uint8_t* Memory() { return data_.Data(); }
    const std::uint8_t* Memory() const override { return data_.Data(); }
    /// New bytes are zero; the position is kept, even beyond the new end.
    void SetSize(std::size_t size);
    /// For a stream read once from front to back: the bytes before position are done
    /// with, and a large stream gives their memory back to the system in large pieces.
    /// From then on reading there or seeking there raises EReadError ("Stream read
    /// error"), and Memory() may show zeros there. Size and position are kept.
    void ReleaseBefore(std::int64_t position);
    /// Replaces the content with the whole file, as LoadFromStream does. EFOpenError
    /// ("Cannot open file %s") when the file cannot be opened.
    void LoadFromFile(const std::string& fileName);
    /// Replaces the content with the rest of source, from its position to its end, and
    /// moves the position to the start. A source that knows its size is read at once into
    /// a block of that size. EReadError ("Stream read error") when the source fails or
    /// ends early. On failure the content is as it was.
    void LoadFromStream(TStream& source);
    /// Writes the whole content to the file so that it is either the new
    /// content or left as it was: see WriteFileAtomically.
    void SaveToFile(const std::string& fileName) const;

private:
    explicit TMemoryStream(TBlank) {}

    TByteBlock data_;
    std::int64_t position_ = 0;
    std::int64_t released_ = 0;  // bytes before here are given back
};

/// Replaces the file's content with the size bytes at data, or leaves the file
/// as it was: the bytes go to a new file beside it, ".NAME.saving-XXXXXX" (NAME
/// cut and given a hash when the whole would be too long a name), locked while it
/// is written, are flushed to the disk, and only then is that file renamed over
/// the target. The target keeps its permission bits (a new file gets 0666 less
/// the umask); a symbolic link is followed, so the file it points to is replaced
/// and the link stays. After the rename, the files that earlier saves of the
/// same target left when they were killed part-way are removed: those of ours
/// under that stem that no process holds locked.
/// EFCreateError ("Cannot create file %s") when the file cannot be created or
/// replaced, or is write-protected; EWriteError ("Stream write error") when the
/// bytes cannot all be written. No stray file is left behind on failure.
void WriteFileAtomically(const std::string& fileName, const void* data, std::size_t size);
