#include <gtest/gtest.h>

#include "persistence/Filer.h"
#include "tests/persistence/StreamBytes.h"

namespace {

TBytes Written(const std::function<void(TWriter&)>& write) {
    TMemoryStream stream;
    write(*std::make_unique<TWriter>(&stream));  // released at the end, so flushed
    return ContentOf(&stream);
}

/// A reader over bytes that owns them.
struct TBytesReader {
    explicit TBytesReader(const TBytes& bytes) : stream(MemoryOf(bytes)), reader(stream.get()) {}
    std::unique_ptr<TMemoryStream> stream;
    TReader reader;
};

TEST(WriteInt, TakesTheSmallestTagAtEveryWidthBoundary) {
    const std::pair<std::int32_t, TBytes> cases[] = {
        {127, {2, 0x7F}},          {128, {3, 0x80, 0}},
        {-128, {2, 0x80}},         {-129, {3, 0x7F, 0xFF}},
        {32767, {3, 0xFF, 0x7F}},  {32768, {4, 0, 0x80, 0, 0}},
        {-32768, {3, 0x00, 0x80}}, {-32769, {4, 0xFF, 0x7F, 0xFF, 0xFF}},
    };
    for (const auto& [value, bytes] : cases) {
        EXPECT_EQ(Written([&](TWriter& w) { w.WriteInt(value); }), bytes) << value;
        EXPECT_EQ(TBytesReader(bytes).reader.ReadInt(), value);
    }
}

TEST(ReadInt, SignExtendsAndRefusesOtherTagsAfterConsumingThem) {
    TBytesReader in({3, 0xFF, 0xFF, 5, 2, 7});
    EXPECT_EQ(in.reader.ReadInt(), -1);
    EXPECT_EQ(MessageOf<EReadError>([&] { in.reader.ReadInt(); }), "Invalid property value");
    EXPECT_EQ(in.reader.ReadInt(), 7);
}

TEST(Text, ShortFormUpTo255BytesLongFormBeyondEitherAccepted) {
    EXPECT_EQ(Written([](TWriter& w) { w.WriteText(""); }), (Bytes({6, 0})));
    EXPECT_EQ(Written([](TWriter& w) { w.WriteText(std::string(255, 'x')); }),
              (Bytes({6, 255}) + TBytes(255, 'x')));
    EXPECT_EQ(Written([](TWriter& w) { w.WriteText(std::string(256, 'x')); }),
              (Bytes({12, 0, 1, 0, 0}) + TBytes(256, 'x')));
    TBytesReader in({12, 2, 0, 0, 0, 'a', 'b', 6, 1, 'c', 9});
    EXPECT_EQ(in.reader.ReadText(), "ab");
    EXPECT_EQ(in.reader.ReadText(), "c");
    EXPECT_EQ(MessageOf<EReadError>([&] { in.reader.ReadText(); }), "Invalid property value");
    // A length beyond the stream fails before anything is allocated.
    TBytesReader huge({12, 0xFF, 0xFF, 0xFF, 0x7F, 'a'});
    EXPECT_EQ(MessageOf<EReadError>([&] { huge.reader.ReadText(); }), "Stream read error");
}

TEST(ShortText, CutsTo255BytesWithoutTag) {
    const TBytes bytes = Written([](TWriter& w) { w.WriteShortText(std::string(300, 'y')); });
    EXPECT_EQ(bytes, Bytes({255}) + TBytes(255, 'y'));
    EXPECT_EQ(TBytesReader(bytes).reader.ReadShortText(), std::string(255, 'y'));
}

TEST(Bool, OnlyNineIsTrue) {
    EXPECT_EQ(Written([](TWriter& w) { w.WriteBool(true), w.WriteBool(false); }), (Bytes({9, 8})));
    TBytesReader in({8, 0, 7, 9});
    for (bool expected : {false, false, false, true}) EXPECT_EQ(in.reader.ReadBool(), expected);
}

TEST(Extended, TenBytesAfterTheTagOrElseAnInteger) {
    const TBytes one = Written([](TWriter& w) { w.WriteExtended(1.0L); });
    EXPECT_EQ(one, (Bytes({5, 0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F})));
    TBytesReader in(one + Bytes({2, 5, 6}));
    EXPECT_EQ(in.reader.ReadExtended(), 1.0L);
    EXPECT_EQ(in.reader.ReadExtended(), 5.0L);
    EXPECT_EQ(MessageOf<EReadError>([&] { in.reader.ReadExtended(); }), "Invalid property value");
}

TEST(Magic, IsTpf0) {
    EXPECT_EQ(Written([](TWriter& w) { w.WriteMagic(); }), BytesOf("TPF0"));
    EXPECT_EQ(MessageOf<EReadError>([] { TBytesReader(BytesOf("TPF1")).reader.ReadMagic(); }),
              "Invalid stream format");
}

TEST(FrameHeader, IsWhatTheWritersPrimitivesWrite) {
    EXPECT_EQ(BytesOf(EncodeFrameHeader("TInteger", 1)), FrameHeader("TInteger"));
    for (const std::string& name : {std::string(255, 'n'), std::string(256, 'n')}) {
        EXPECT_EQ(BytesOf(EncodeFrameHeader(name, 0x0102)), Written([&](TWriter& w) {
                      w.WriteMagic(), w.WriteText(name), w.WriteUInt16(0x0102);
                  }));
    }
}

TEST(Reader, ReleaseGivesBackTheReadAheadAndTheEndIsAReadError) {
    auto stream = MemoryOf(TBytes(5000, 7));
    TBytes chunk(4100);
    TReader(stream.get()).Read(chunk.data(), chunk.size());  // crosses a refill
    EXPECT_EQ(stream->Position(), 4100);
    EXPECT_EQ(MessageOf<EReadError>([&] { TReader(stream.get()).Read(chunk.data(), 901); }),
              "Stream read error");
}

TEST(Writer, HoldsAFullBufferUntilFlushAndReportsShortWrites) {
    TMemoryStream stream;
    TWriter writer(&stream);
    writer.Write(TBytes(5000, 1).data(), 5000);
    EXPECT_EQ(stream.Size(), 4096);
    struct THalfStream : TMemoryStream {
        std::size_t Write(const void*, std::size_t count) override { return count / 2; }
    } half;
    TWriter failing(&half);
    failing.WriteInt(1000);
    EXPECT_EQ(MessageOf<EWriteError>([&] { failing.Flush(); }), "Stream write error");
}

}  // namespace
