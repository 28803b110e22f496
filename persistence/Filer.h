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
    /// Gives back the read-ahead as GiveBackReadAhead does, swallowing a failure: a
    /// destructor cannot report it. Call GiveBackReadAhead first wherever it matters.
    ~TReader() override;

    /// Exactly count bytes; EReadError ("Stream read error") when the stream ends first.
    void Read(void* buffer, std::size_t count) {
        // Nearly every read is a few bytes that the buffer already holds.
        if (const std::uint8_t* ahead = Peek(count)) {
            if (count > 0) std::memcpy(buffer, ahead, count);  // may be none
            BufferPos += static_cast<int>(count);
            return;
        }
        ReadThroughStream(buffer, count);
    }
    /// The next count bytes when the buffer holds them already, else none; nothing is
    /// consumed and the stream is not read. Valid until the next read.
    const std::uint8_t* Peek(std::size_t count) const {
        const int buffered = BufferEnd - BufferPos;
        if (buffered < 0 || count > static_cast<std::size_t>(buffered)) return nullptr;
        return Buffer.get() + BufferPos;
    }
    /// Passes over count bytes, as Read does without keeping them.
    void Skip(std::size_t count) {
        if (Peek(count) != nullptr)
            BufferPos += static_cast<int>(count);
        else
            SkipThroughStream(count);
    }
    /// Moves the stream back over what was read ahead, so that it stands just after the
    /// last byte consumed, and empties the buffer. Raises what the stream's Seek raises.
    void GiveBackReadAhead();

    /// Any of the three integer tags, sign-extended; another tag raises
    /// EReadError ("Invalid property value") with the tag consumed.
    std::int32_t ReadInt() { return ReadIntAfterTag(ReadByte()); }
    /// tagString or tagLString whatever the length; another tag: "Invalid property value".
    std::string ReadText();
    /// A length byte and that many bytes, no tag.
    std::string ReadShortText();
    /// True only for tagTrue; every other byte reads as false.
    bool ReadBool();
    /// tagExtended and 10 bytes, or else an integer (read as ReadInt reads it, the tag
    /// included) widened to a float.
    long double ReadExtended();
    /// Real48::FromExtended(ReadExtended()), its errors raised with the value consumed.
    Real48 ReadReal48();
    void ReadBytes(void* buffer, std::size_t count) { Read(buffer, count); }
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
    void Refill();
    void ReadThroughStream(void* buffer, std::size_t count);
    void SkipThroughStream(std::size_t count);
    std::uint8_t ReadByte() {
        if (BufferPos < BufferEnd) return Buffer[static_cast<std::size_t>(BufferPos++)];
        std::uint8_t b;
        ReadThroughStream(&b, 1);
        return b;
    }
    /// The integer whose tag has just been consumed.
    std::int32_t ReadIntAfterTag(std::uint8_t tag);
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
        if (std::uint8_t* room = Claim(count)) {
            if (count > 0) std::memcpy(room, buffer, count);  // may be none
            return;
        }
        WriteThroughStream(buffer, count);
    }
    /// The next count bytes of the buffer, counted as written, when it has room for
    /// them; none otherwise, and nothing is claimed. The caller fills every byte claimed
    /// before the next write.
    std::uint8_t* Claim(std::size_t count) {
        const int room = BufferSize - BufferPos;
        if (room < 0 || count > static_cast<std::size_t>(room)) return nullptr;
        std::uint8_t* claimed = Buffer.get() + BufferPos;
        BufferPos += static_cast<int>(count);
        return claimed;
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

/// The bytes that WriteMagic, WriteText(className) and WriteUInt16(version) write: the
/// header of a frame, before its record. EWriteError ("Stream write error") for a name
/// whose length does not fit the 4 length bytes.
std::string EncodeFrameHeader(const std::string& className, std::uint16_t version);
