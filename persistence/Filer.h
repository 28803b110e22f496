// The buffered reader and writer beneath the object stream, with the byte
// encoding of every primitive value a record is made of.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "persistence/Streams.h"
#include "values/Real48.h"

/// Tag bytes that say what follows in the stream.
enum TValueTag : std::uint8_t {
    tagInt8 = 2,
    tagInt16 = 3,
    tagInt32 = 4,
    tagExtended = 5,
    tagString = 6,
    tagFalse = 8,
    tagTrue = 9,
    tagLString = 12,
};

/// Moves bytes between a byte stream and its own transfer buffer.
class TFiler {
public:
    static constexpr int kBufferSize = 4096;

    /// stream is borrowed and must outlive the filer.
    explicit TFiler(TStream* stream);
    TFiler(const TFiler&) = delete;
    TFiler& operator=(const TFiler&) = delete;
    virtual ~TFiler() = default;

    TStream* GetStream() const { return Stream; }

protected:
    TStream* Stream;
    std::unique_ptr<std::uint8_t[]> Buffer;
    int BufferSize = kBufferSize;
    int BufferPos = 0;  // next byte of Buffer to use
};

/// Reads ahead up to a buffer's worth; on release the stream is moved back so
/// that it stands just after the last byte consumed.
class TReader : public TFiler {
public:
    explicit TReader(TStream* stream);
    ~TReader() override;

    /// Exactly count bytes; EReadError ("Stream read error") when the stream ends first.
    void Read(void* buffer, std::size_t count) {
        // Nearly every read is a few bytes that the buffer already holds.
        const int buffered = BufferEnd - BufferPos;
        if (buffered >= 0 && count <= static_cast<std::size_t>(buffered)) {
            if (count > 0) std::memcpy(buffer, Buffer.get() + BufferPos, count);  // may be none
            BufferPos += static_cast<int>(count);
            return;
        }
        ReadThroughStream(buffer, count);
    }

    /// Any of the three integer tags, sign-extended; another tag raises
    /// EReadError ("Invalid property value") with the tag consumed.
    std::int32_t ReadInt();
    /// tagString or tagLString whatever the length; another tag: "Invalid property value".
    std::string ReadText();
    /// A length byte and that many bytes, no tag.
    std::string ReadShortText();
    /// True only for tagTrue; every other byte reads as false.
    bool ReadBool();
    /// tagExtended and 10 bytes, or else an integer (the tag given back and read
    /// by ReadInt) widened to a float.
    long double ReadExtended();
    /// Real48::FromExtended(ReadExtended()), its errors raised with the value consumed.
    Real48 ReadReal48();
    void ReadBytes(void* buffer, std::size_t count) { Read(buffer, count); }
    /// When the next count bytes, already read ahead, are these, takes them and returns
    /// true; otherwise takes nothing and returns false.
    bool SkipIfAhead(const std::uint8_t* bytes, std::size_t count) {
        const int buffered = BufferEnd - BufferPos;
        if (buffered < 0 || count > static_cast<std::size_t>(buffered) ||
            !SameBytes(Buffer.get() + BufferPos, bytes, count))
            return false;
        BufferPos += static_cast<int>(count);
        return true;
    }
    /// EReadError ("Invalid stream format") unless the next 4 bytes are "TPF0".
    void ReadMagic();
    /// Two raw bytes, little-endian.
    std::uint16_t ReadUInt16();

    /// Raises what reading on would raise, EReadError ("Stream read error"),
    /// when fewer than count bytes are left and the stream's size says so.
    /// Called before a count or length from the stream drives an allocation.
    void CheckAvailable(std::uint64_t count);
    /// How many more bytes to make room for while reading a block whose length the stream
    /// announced: what is left, but never more than doubling what has arrived, so that on a
    /// stream of unknown size the memory taken follows the bytes that really come.
    static std::size_t GrowthStep(std::size_t done, std::size_t left);

protected:
    int BufferEnd = 0;  // number of valid bytes in Buffer

private:
    // A frame header is 8 to 16 bytes: two overlapping words compare it without a call.
    static bool SameBytes(const std::uint8_t* a, const std::uint8_t* b, std::size_t count) {
        if (count < 8 || count > 16) return std::memcmp(a, b, count) == 0;
        std::uint64_t a0, a1, b0, b1;
        std::memcpy(&a0, a, 8);
        std::memcpy(&b0, b, 8);
        std::memcpy(&a1, a + count - 8, 8);
        std::memcpy(&b1, b + count - 8, 8);
        return a0 == b0 && a1 == b1;
    }
    void Refill();
    void ReadThroughStream(void* buffer, std::size_t count);
    std::uint8_t ReadByte() {
        if (BufferPos < BufferEnd) return Buffer[static_cast<std::size_t>(BufferPos++)];
        std::uint8_t b;
        ReadThroughStream(&b, 1);
        return b;
    }
    std::string ReadCharacters(std::uint64_t length);
};

/// Collects bytes in its buffer; they reach the byte stream only through Flush.
class TWriter : public TFiler {
public:
    explicit TWriter(TStream* stream) : TFiler(stream) {}
    /// Flushes what is left, swallowing a failure: a destructor cannot report
    /// it. Call Flush first wherever the failure matters.
    ~TWriter() override;

    void Write(const void* buffer, std::size_t count) {
        const int room = BufferSize - BufferPos;
        if (room >= 0 && count <= static_cast<std::size_t>(room)) {
            if (count > 0) std::memcpy(Buffer.get() + BufferPos, buffer, count);  // may be none
            BufferPos += static_cast<int>(count);
            return;
        }
        WriteThroughStream(buffer, count);
    }
    /// Writes the buffered bytes; EWriteError ("Stream write error") when the
    /// stream takes fewer. The buffer is empty afterwards either way.
    void Flush();

    /// The smallest of tagInt8, tagInt16 and tagInt32 that holds value.
    void WriteInt(std::int32_t value);
    /// tagString up to 255 bytes, tagLString beyond.
    void WriteText(const std::string& text);
    /// A length byte and at most the first 255 bytes.
    void WriteShortText(const std::string& text);
    void WriteBool(bool value);
    void WriteExtended(long double value);
    /// WriteExtended(value.ToExtended()).
    void WriteReal48(Real48 value);
    void WriteBytes(const void* buffer, std::size_t count) { Write(buffer, count); }
    void WriteMagic();
    void WriteUInt16(std::uint16_t value);

private:
    void WriteThroughStream(const void* buffer, std::size_t count);
};
