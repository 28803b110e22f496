#include "persistence/Filer.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

constexpr char kMagic[4] = {'T', 'P', 'F', '0'};
constexpr std::size_t kExtendedBytes = 10;

static_assert(sizeof(long double) >= kExtendedBytes, "extended floats travel as 10 bytes");

std::int32_t FromLittleEndian(const std::uint8_t* bytes, int count) {
    std::uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i) value = (value << 8) | bytes[i];
    return static_cast<std::int32_t>(value);
}

}  // namespace

TFiler::TFiler(TStream* stream)
    : Stream(stream), Buffer(std::make_unique<std::uint8_t[]>(kBufferSize)) {}

// ----------------------------------------------------------------------------
// TReader

TReader::TReader(TStream* stream) : TFiler(stream) {}

TReader::~TReader() {
    // Give back what was read ahead, so the next reader starts after this one's bytes.
    if (BufferPos != BufferEnd) Stream->Seek(BufferPos - BufferEnd);
}

void TReader::Refill() {
    BufferEnd = static_cast<int>(Stream->Read(Buffer.get(), BufferSize));
    BufferPos = 0;
    if (BufferEnd == 0) throw EReadError();
}

void TReader::ReadThroughStream(void* buffer, std::size_t count) {
    auto* out = static_cast<std::uint8_t*>(buffer);
    while (count > 0) {
        if (BufferEnd - BufferPos <= 0) Refill();
        const std::size_t n = std::min(count, static_cast<std::size_t>(BufferEnd - BufferPos));
        std::memcpy(out, Buffer.get() + BufferPos, n);
        BufferPos += static_cast<int>(n);
        out += n;
        count -= n;
    }
}

void TReader::CheckAvailable(std::uint64_t count) {
    const auto buffered = static_cast<std::uint64_t>(BufferEnd - BufferPos);
    if (count <= buffered || !Stream->SizeIsKnown()) return;
    const std::int64_t inStream = Stream->Size() - Stream->Position();
    if (inStream < 0 || count - buffered > static_cast<std::uint64_t>(inStream)) throw EReadError();
}

std::int32_t TReader::ReadInt() {
    std::uint8_t bytes[4];
    switch (ReadByte()) {
        case tagInt8:
            Read(bytes, 1);
            return static_cast<std::int8_t>(bytes[0]);
        case tagInt16:
            Read(bytes, 2);
            return static_cast<std::int16_t>(FromLittleEndian(bytes, 2));
        case tagInt32:
            Read(bytes, 4);
            return FromLittleEndian(bytes, 4);
        default:
            throw EReadError(kInvalidPropertyValue);
    }
}

std::size_t TReader::GrowthStep(std::size_t done, std::size_t left) {
    return std::min(left, std::max<std::size_t>(done, kBufferSize));
}

std::string TReader::ReadCharacters(std::uint64_t length) {
    CheckAvailable(length);
    std::string text;
    while (text.size() < length) {
        const std::size_t done = text.size();
        const std::size_t piece = GrowthStep(done, static_cast<std::size_t>(length - done));
        text.resize(done + piece);
        Read(text.data() + done, piece);
    }
    return text;
}

std::string TReader::ReadText() {
    std::uint8_t bytes[4];
    switch (ReadByte()) {
        case tagString:
            return ReadCharacters(ReadByte());
        case tagLString:
            Read(bytes, 4);
            return ReadCharacters(static_cast<std::uint32_t>(FromLittleEndian(bytes, 4)));
        default:
            throw EReadError(kInvalidPropertyValue);
    }
}

std::string TReader::ReadShortText() { return ReadCharacters(ReadByte()); }

bool TReader::ReadBool() { return ReadByte() == tagTrue; }

long double TReader::ReadExtended() {
    if (ReadByte() != tagExtended) {
        --BufferPos;  // the tag was just taken from the buffer, so it is still there
        return ReadInt();
    }
    long double value = 0;
    Read(&value, kExtendedBytes);
    return value;
}

Real48 TReader::ReadReal48() {
    // Narrowed where the bytes lie: a trip through the x87 registers costs more than the rest.
    if (BufferEnd - BufferPos >= static_cast<int>(1 + kExtendedBytes) &&
        Buffer[static_cast<std::size_t>(BufferPos)] == tagExtended) {
        const std::uint8_t* bytes = Buffer.get() + BufferPos + 1;
        BufferPos += static_cast<int>(1 + kExtendedBytes);
        return Real48::FromExtendedBytes(bytes);
    }
    return Real48::FromExtended(ReadExtended());
}

void TReader::ReadMagic() {
    char bytes[4];
    Read(bytes, 4);
    if (std::memcmp(bytes, kMagic, 4) != 0) throw EReadError(kInvalidStreamFormat);
}

std::uint16_t TReader::ReadUInt16() {
    std::uint8_t bytes[2];
    Read(bytes, 2);
    return static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8));
}

// ----------------------------------------------------------------------------
// TWriter

TWriter::~TWriter() {
    try {
        Flush();
    } catch (...) {
        // Only reached while another error is on its way out, which is the one to report.
    }
}

void TWriter::Flush() {
    const int pending = BufferPos;
    if (pending == 0) return;
    BufferPos = 0;
    if (Stream->Write(Buffer.get(), pending) != static_cast<std::size_t>(pending))
        throw EWriteError();
}

void TWriter::WriteThroughStream(const void* buffer, std::size_t count) {
    const auto* in = static_cast<const std::uint8_t*>(buffer);
    while (count > 0) {
        if (BufferSize - BufferPos <= 0) Flush();
        const std::size_t n = std::min(count, static_cast<std::size_t>(BufferSize - BufferPos));
        std::memcpy(Buffer.get() + BufferPos, in, n);
        BufferPos += static_cast<int>(n);
        in += n;
        count -= n;
    }
}

void TWriter::WriteInt(std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    const std::uint8_t bytes[4] = {
        static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
        static_cast<std::uint8_t>(bits >> 16), static_cast<std::uint8_t>(bits >> 24)};
    std::uint8_t tag = tagInt32;
    int width = 4;
    if (value >= -128 && value <= 127) {
        tag = tagInt8, width = 1;
    } else if (value >= -32768 && value <= 32767) {
        tag = tagInt16, width = 2;
    }
    Write(&tag, 1);
    Write(bytes, width);
}

void TWriter::WriteText(const std::string& text) {
    if (text.size() <= 255) {
        const std::uint8_t head[2] = {tagString, static_cast<std::uint8_t>(text.size())};
        Write(head, 2);
    } else {
        if (text.size() > UINT32_MAX) throw EWriteError();  // the length field has 4 bytes
        const auto length = static_cast<std::uint32_t>(text.size());
        const std::uint8_t head[5] = {
            tagLString, static_cast<std::uint8_t>(length), static_cast<std::uint8_t>(length >> 8),
            static_cast<std::uint8_t>(length >> 16), static_cast<std::uint8_t>(length >> 24)};
        Write(head, 5);
    }
    Write(text.data(), text.size());
}

void TWriter::WriteShortText(const std::string& text) {
    const auto length = static_cast<std::uint8_t>(std::min<std::size_t>(text.size(), 255));
    Write(&length, 1);
    Write(text.data(), length);
}

void TWriter::WriteBool(bool value) {
    const std::uint8_t tag = value ? tagTrue : tagFalse;
    Write(&tag, 1);
}

void TWriter::WriteExtended(long double value) {
    const std::uint8_t tag = tagExtended;
    Write(&tag, 1);
    Write(&value, kExtendedBytes);
}

void TWriter::WriteReal48(Real48 value) {
    std::uint8_t bytes[1 + kExtendedBytes];
    // Straight into the buffer when it has room: bytes stored piecewise and copied again
    // at once would stall the copy.
    const bool fits = BufferSize - BufferPos >= static_cast<int>(sizeof bytes);
    std::uint8_t* out = fits ? Buffer.get() + BufferPos : bytes;
    out[0] = tagExtended;
    value.ToExtendedBytes(out + 1);
    if (fits)
        BufferPos += static_cast<int>(sizeof bytes);
    else
        Write(bytes, sizeof bytes);
}

void TWriter::WriteMagic() { Write(kMagic, 4); }

void TWriter::WriteUInt16(std::uint16_t value) {
    const std::uint8_t bytes[2] = {static_cast<std::uint8_t>(value),
                                   static_cast<std::uint8_t>(value >> 8)};
    Write(bytes, 2);
}
