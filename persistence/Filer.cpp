#include "persistence/Filer.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "values/ExtendedBytes.h"

namespace {

constexpr char kMagic[4] = {'T', 'P', 'F', '0'};
constexpr std::size_t kMaxTextHead = 5;

std::int32_t FromLittleEndian(const std::uint8_t* bytes, int count) {
    std::uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i) value = (value << 8) | bytes[i];
    return static_cast<std::int32_t>(value);
}

/// The tag and length that WriteText puts before a text of length bytes; returns how many
/// bytes of head they take. EWriteError when the length does not fit its 4 bytes.
std::size_t EncodeTextHead(std::size_t length, std::uint8_t (&head)[kMaxTextHead]) {
    if (length <= 255) {
        head[0] = tagString;
        head[1] = static_cast<std::uint8_t>(length);
        return 2;
    }
    if (length > UINT32_MAX) throw EWriteError();
    head[0] = tagLString;
    for (int i = 0; i < 4; ++i) head[1 + i] = static_cast<std::uint8_t>(length >> (8 * i));
    return 5;
}

void EncodeUInt16(std::uint16_t value, std::uint8_t (&bytes)[2]) {
    bytes[0] = static_cast<std::uint8_t>(value);
    bytes[1] = static_cast<std::uint8_t>(value >> 8);
}

}  // namespace

std::string EncodeFrameHeader(const std::string& className, std::uint16_t version) {
    std::uint8_t head[kMaxTextHead];
    const std::size_t headSize = EncodeTextHead(className.size(), head);
    std::uint8_t versionBytes[2];
    EncodeUInt16(version, versionBytes);
    std::string header(kMagic, sizeof kMagic);
    header.append(reinterpret_cast<const char*>(head), headSize);
    header += className;
    header.append(reinterpret_cast<const char*>(versionBytes), sizeof versionBytes);
    return header;
}

TFiler::TFiler(TStream* stream)
    : Stream(stream), Buffer(std::make_unique<std::uint8_t[]>(kBufferSize)) {}

// ----------------------------------------------------------------------------
// TReader

TReader::TReader(TStream* stream) : TFiler(stream) {}

TReader::~TReader() {
    try {
        GiveBackReadAhead();
    } catch (...) {
        // Only reached while another error is on its way out, which is the one to report.
    }
}

void TReader::GiveBackReadAhead() {
    // So that the next reader starts after this one's bytes.
    const int ahead = BufferEnd - BufferPos;
    BufferPos = BufferEnd = 0;
    if (ahead > 0) Stream->Seek(-ahead);
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

void TReader::SkipThroughStream(std::size_t count) {
    while (count > 0) {
        if (BufferEnd - BufferPos <= 0) Refill();
        const std::size_t n = std::min(count, static_cast<std::size_t>(BufferEnd - BufferPos));
        BufferPos += static_cast<int>(n);
        count -= n;
    }
}

void TReader::CheckAvailable(std::uint64_t count) {
    const auto buffered = static_cast<std::uint64_t>(BufferEnd - BufferPos);
    if (count <= buffered || !Stream->SizeIsKnown()) return;
    const std::int64_t inStream = Stream->Size() - Stream->Position();
    if (inStream < 0 || count - buffered > static_cast<std::uint64_t>(inStream)) throw EReadError();
}

std::int32_t TReader::ReadIntAfterTag(std::uint8_t tag) {
    std::uint8_t bytes[4];
    switch (tag) {
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
    const std::uint8_t tag = ReadByte();
    if (tag != tagExtended) return ReadIntAfterTag(tag);
    std::uint8_t bytes[kExtendedBytes];
    Read(bytes, sizeof bytes);
    return ExtendedFromBytes(bytes);
}

Real48 TReader::ReadReal48() {
    // Narrowed where the bytes lie: a trip through the x87 registers costs more than the rest.
    constexpr std::size_t kTagged = 1 + kExtendedBytes;
    const std::uint8_t* ahead = Peek(kTagged);
    if (ahead == nullptr || ahead[0] != tagExtended) return Real48::FromExtended(ReadExtended());
    BufferPos += static_cast<int>(kTagged);  // the bytes stay in the buffer until the next read
    return Real48::FromExtendedBytes(ahead + 1);
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
    std::uint8_t head[kMaxTextHead];
    Write(head, EncodeTextHead(text.size(), head));
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
    std::uint8_t bytes[1 + kExtendedBytes] = {tagExtended};
    ExtendedToBytes(value, bytes + 1);
    Write(bytes, sizeof bytes);
}

void TWriter::WriteReal48(Real48 value) {
    // Straight into the buffer when it has room: bytes stored piecewise and copied again
    // at once would stall the copy.
    std::uint8_t bytes[1 + kExtendedBytes];
    std::uint8_t* claimed = Claim(sizeof bytes);
    std::uint8_t* out = claimed != nullptr ? claimed : bytes;
    out[0] = tagExtended;
    value.ToExtendedBytes(out + 1);
    if (claimed == nullptr) Write(bytes, sizeof bytes);
}

void TWriter::WriteMagic() { Write(kMagic, sizeof kMagic); }

void TWriter::WriteUInt16(std::uint16_t value) {
    std::uint8_t bytes[2];
    EncodeUInt16(value, bytes);
    Write(bytes, sizeof bytes);
}
