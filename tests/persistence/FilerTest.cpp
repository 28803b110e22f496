#include <gtest/gtest.h>

#include "persistence/Filer.h"
#include "tests/persistence/StreamBytes.h"

namespace {

TBytes Written(const std::function<void(TWriter&)>& write) {
    TMemoryStream stream;
    {
        TWriter writer(&stream);
        write(writer);
    }
    return ContentOf(stream);
}

TEST(WriteInt, TakesTheSmallestTagAtEveryWidthBoundary) {
    const std::pair<std::int32_t, TBytes> cases[] = {
        {127, {2, 0x7F}},          {128, {3, 0x80, 0}},
        {-128, {2, 0x80}},         {-129, {3, 0x7F, 0xFF}},
        {32767, {3, 0xFF, 0x7F}},  {32768, {4, 0, 0x80, 0, 0}},
        {-32768, {3, 0x00, 0x80}}, {-32769, {4, 0xFF, 0x7F, 0xFF, 0xFF}},
    };
    for (const auto& [value, bytes] : cases) {
        EXPECT_EQ(Written([&](TWriter& w) { w.WriteInt(value); }), bytes) << value;
        auto stream = MemoryOf(bytes);
        EXPECT_EQ(TReader(stream.get()).ReadInt(), value);
    }
}

TEST(ReadInt, SignExtendsAndRefusesOtherTagsAfterConsumingThem) {
    auto stream = MemoryOf({3, 0xFF, 0xFF, 5, 2, 7});
    TReader reader(stream.get());
    EXPECT_EQ(reader.ReadInt(), -1);
    EXPECT_EQ(MessageOf<EReadError>([&] { reader.ReadInt(); }), "Invalid property value");
    EXPECT_EQ(reader.ReadInt(), 7);  // the bad tag is gone, the next value reads
}

TEST(WriteText, ShortAndLongFormsSwitchAt256Bytes) {
    EXPECT_EQ(Written([](TWriter& w) { w.WriteText(""); }), (TBytes{6, 0}));
    const TBytes short255 = Written([](TWriter& w) { w.WriteText(std::string(255, 'x')); });
    EXPECT_EQ(TBytes(short255.begin(), short255.begin() + 2), (TBytes{6, 255}));
    const TBytes long256 = Written([](TWriter& w) { w.WriteText(std::string(256, 'x')); });
    EXPECT_EQ(long256.size(), 5u + 256u);
    EXPECT_EQ(TBytes(long256.begin(), long256.begin() + 5), (TBytes{12, 0, 1, 0, 0}));
}

TEST(ReadText, AcceptsEitherTagWhateverTheLength) {
    auto stream = MemoryOf({12, 2, 0, 0, 0, 'a', 'b', 6, 1, 'c', 9});
    TReader reader(stream.get());
    EXPECT_EQ(reader.ReadText(), "ab");
    EXPECT_EQ(reader.ReadText(), "c");
    EXPECT_EQ(MessageOf<EReadError>([&] { reader.ReadText(); }), "Invalid property value");
}

TEST(ReadText, LengthBeyondTheStreamFailsBeforeAllocating) {
    auto stream = MemoryOf({12, 0xFF, 0xFF, 0xFF, 0x7F, 'a'});
    TReader reader(stream.get());
    EXPECT_EQ(MessageOf<EReadError>([&] { reader.ReadText(); }), "Stream read error");
}

TEST(ShortText, CutsTo255BytesWithoutTag) {
    const TBytes bytes = Written([](TWriter& w) { w.WriteShortText(std::string(300, 'y')); });
    ASSERT_EQ(bytes.size(), 256u);
    EXPECT_EQ(bytes[0], 0xFF);
    auto stream = MemoryOf(bytes);
    EXPECT_EQ(TReader(stream.get()).ReadShortText(), std::string(255, 'y'));
}

TEST(ReadBool, OnlyNineIsTrue) {
    EXPECT_EQ(Written([](TWriter& w) { w.WriteBool(true), w.WriteBool(false); }), (TBytes{9, 8}));
    auto stream = MemoryOf({8, 0, 7, 9});
    TReader reader(stream.get());
    EXPECT_FALSE(reader.ReadBool());
    EXPECT_FALSE(reader.ReadBool());
    EXPECT_FALSE(reader.ReadBool());
    EXPECT_TRUE(reader.ReadBool());
}

TEST(Extended, TenBytesAfterTagOrAnIntegerGivenBack) {
    const TBytes bytes = Written([](TWriter& w) { w.WriteExtended(1.0L); });
    EXPECT_EQ(bytes, (TBytes{5, 0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}));
    auto stream = MemoryOf(Concat(bytes, {2, 5, 6}));
    TReader reader(stream.get());
    EXPECT_EQ(reader.ReadExtended(), 1.0L);
    EXPECT_EQ(reader.ReadExtended(), 5.0L);
    EXPECT_EQ(MessageOf<EReadError>([&] { reader.ReadExtended(); }), "Invalid property value");
}

TEST(Magic, IsTpf0) {
    EXPECT_EQ(Written([](TWriter& w) { w.WriteMagic(); }), BytesOf("TPF0"));
    auto stream = MemoryOf(BytesOf("TPF1"));
    EXPECT_EQ(MessageOf<EReadError>([&] { TReader(stream.get()).ReadMagic(); }),
              "Invalid stream format");
}

TEST(Reader, EndOfStreamIsAReadErrorAndReleaseGivesBackTheReadAhead) {
    auto stream = MemoryOf(TBytes(5000, 7));
    {
        TReader reader(stream.get());
        TBytes chunk(4100);
        reader.Read(chunk.data(), chunk.size());  // crosses a refill
        EXPECT_EQ(stream->Position(), 5000);
    }
    EXPECT_EQ(stream->Position(), 4100);
    TReader reader(stream.get());
    TBytes rest(901);
    EXPECT_EQ(MessageOf<EReadError>([&] { reader.Read(rest.data(), rest.size()); }),
              "Stream read error");
}

TEST(Writer, ReachesTheStreamInBlocksAndReportsAShortWrite) {
    TMemoryStream stream;
    TWriter writer(&stream);
    const TBytes big(5000, 1);
    writer.Write(big.data(), big.size());
    EXPECT_EQ(stream.Size(), 4096);  // nothing beyond a full buffer before Flush
    writer.Flush();
    EXPECT_EQ(stream.Size(), 5000);

    struct TFullStream : TMemoryStream {
        std::size_t Write(const void*, std::size_t count) override { return count / 2; }
    } full;
    TWriter failing(&full);
    failing.WriteInt(1000);
    EXPECT_EQ(MessageOf<EWriteError>([&] { failing.Flush(); }), "Stream write error");
}

}  // namespace
