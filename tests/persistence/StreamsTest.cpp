#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <set>

#include "persistence/Filer.h"
#include "persistence/Streams.h"
#include "tests/persistence/StreamBytes.h"

namespace {

TEST(MemoryStream, WritesAtItsPositionAndRefusesSeeksBeforeTheStart) {
    TMemoryStream stream;
    stream.Write("hello", 5);
    EXPECT_EQ(stream.Seek(-3), 2);
    stream.Write("LLOW", 4);
    EXPECT_EQ(ContentOf(&stream), BytesOf("heLLOW"));
    EXPECT_EQ(stream.Seek(-7), -1);
    EXPECT_EQ(stream.Position(), 6);
    char out[8];
    EXPECT_EQ(stream.Read(out, sizeof out), 0u);
}

// Memory given back behind a reader reads as zeros: reaching it must be an error instead.
TEST(MemoryStream, ReadsAndSeeksBelowTheReleasedMarkAreErrors) {
    constexpr std::int64_t kMark = 6 << 20;  // beyond a huge page, so memory really goes back
    TMemoryStream stream;
    stream.SetSize(8 << 20);
    std::memset(stream.Memory(), 7, 8 << 20);
    stream.SetPosition(kMark + 100);
    stream.ReleaseBefore(kMark);
    EXPECT_EQ(MessageOf<EReadError>([&] { stream.Seek(-101); }), "Stream read error");
    EXPECT_THROW(stream.SetPosition(0), EReadError);
    EXPECT_EQ(stream.Position(), kMark + 100);
    EXPECT_EQ(stream.SetPosition(kMark), kMark);
    std::uint8_t byte = 0;
    EXPECT_EQ(stream.Read(&byte, 1), 1u);
    EXPECT_EQ(byte, 7);
    // A reader that read ahead and is sent back behind the mark reports it.
    stream.SetPosition(kMark + 10);
    TReader reader(&stream);
    reader.ReadBytes(&byte, 1);
    stream.ReleaseBefore(kMark + 1000);
    EXPECT_EQ(MessageOf<EReadError>([&] { reader.GiveBackReadAhead(); }), "Stream read error");
}

TEST(Streams, AbsolutePositionsAndBytesInMemoryThroughTheBaseClass) {
    TTempDir dir;
    WriteFileBytes(dir.Path("f"), BytesOf("abcdef"));
    TFileStream file(dir.Path("f"), TFileStream::TMode::OpenRead);
    auto memory = MemoryOf(BytesOf("abcdef"));
    for (TStream* stream : {static_cast<TStream*>(&file), static_cast<TStream*>(memory.get())}) {
        stream->Seek(5);
        EXPECT_EQ(stream->SetPosition(2), 2);
        char c = 0;
        stream->Read(&c, 1);
        EXPECT_EQ(c, 'c');
        EXPECT_EQ(stream->SetPosition(-1), -1);
        EXPECT_EQ(stream->Position(), 3);
    }
    const TStream* inMemory = memory.get();
    EXPECT_EQ(inMemory->Memory(), memory->Memory());
    EXPECT_EQ(static_cast<const TStream&>(file).Memory(), nullptr);
}

TEST(MemoryStream, GrowsGeometricallyUnderSmallWrites) {
    TMemoryStream stream;
    std::set<const std::uint8_t*> blocks;
    for (int i = 0; i < 1000000; ++i) {
        stream.Write("x", 1);
        blocks.insert(stream.Memory());
    }
    EXPECT_LT(blocks.size(), 60u);  // fixed steps would move the block thousands of times
}

TEST(MemoryStream, FailedLoadKeepsTheContent) {
    TTempDir dir;
    TMemoryStream stream;
    stream.Write("old", 3);
    EXPECT_EQ(MessageOf<EFOpenError>([&] { stream.LoadFromFile(dir.Path("none")); }),
              "Cannot open file " + dir.Path("none"));
    EXPECT_EQ(ContentOf(&stream), BytesOf("old"));
}

TEST(FileStream, CreateTruncatesAndOpenFailuresNameTheFile) {
    TTempDir dir;
    WriteFileBytes(dir.Path("f"), BytesOf("a long old content"));
    TFileStream(dir.Path("f"), TFileStream::TMode::Create).Write("new", 3);
    EXPECT_EQ(TFileStream(dir.Path("f"), TFileStream::TMode::OpenRead).Size(), 3);
    EXPECT_EQ(MessageOf<EFCreateError>(
                  [&] { TFileStream(dir.Path("no/f"), TFileStream::TMode::Create); }),
              "Cannot create file " + dir.Path("no/f"));
}

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

TEST(AtomicWrite, KeepsTheTargetsModeAndGivesNewFilesTheUmasksMode) {
    TTempDir dir;
    WriteFileBytes(dir.Path("old"), BytesOf("x"));
    ::chmod(dir.Path("old").c_str(), 0640);
    WriteFileAtomically(dir.Path("old"), "new", 3);
    EXPECT_EQ(FileBytes(dir.Path("old")), BytesOf("new"));
    EXPECT_EQ(ModeOf(dir.Path("old")), 0640u);
    const mode_t mask = ::umask(022);
    WriteFileAtomically(dir.Path("fresh"), "", 0);
    ::umask(mask);
    EXPECT_EQ(ModeOf(dir.Path("fresh")), 0644u);
    EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"fresh", "old"}));
}

TEST(AtomicWrite, ReplacesTheFileBehindASymbolicLink) {
    TTempDir dir;
    WriteFileBytes(dir.Path("real"), BytesOf("x"));
    ASSERT_EQ(::symlink(dir.Path("real").c_str(), dir.Path("link").c_str()), 0);
    WriteFileAtomically(dir.Path("link"), "via", 3);
    struct stat st {};
    ::lstat(dir.Path("link").c_str(), &st);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(FileBytes(dir.Path("real")), BytesOf("via"));
}

TEST(AtomicWrite, UnreplaceableTargetsAreCreateErrorsWithoutLeftovers) {
    TTempDir dir;
    ::mkdir(dir.Path("sub").c_str(), 0755);
    EXPECT_EQ(MessageOf<EFCreateError>([&] { WriteFileAtomically(dir.Path("sub"), "x", 1); }),
              "Cannot create file " + dir.Path("sub"));
    EXPECT_THROW(WriteFileAtomically(dir.Path("none/x"), "x", 1), EFCreateError);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"sub"});
}

TEST(AtomicWrite, NamesAsLongAsTheFileSystemTakesAreSaved) {
    TTempDir dir;
    std::string accented;  // two-byte characters across the place where a name is cut
    while (accented.size() < 254) accented += "\xC3\xA9";
    for (const std::string& name : {std::string(240, 'n'), std::string(255, 'n'), accented}) {
        WriteFileAtomically(dir.Path(name), "old", 3);
        WriteFileAtomically(dir.Path(name), "new", 3);
        EXPECT_EQ(FileBytes(dir.Path(name)), BytesOf("new")) << name.size();
        EXPECT_EQ(dir.Entries(), std::vector<std::string>{name});
        ::unlink(dir.Path(name).c_str());
    }
}

// In a child process: a save that the file-size limit's signal ends part-way, as a kill
// would, leaving its temporary file.
[[noreturn]] void SaveKilledPartWay(const std::string& path) {
    ::signal(SIGXFSZ, SIG_DFL);
    const rlimit limit{4096, 4096};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    const std::vector<char> big(100000);
    WriteFileAtomically(path, big.data(), big.size());
    std::_Exit(0);
}

TEST(AtomicWrite, ASaveRemovesWhatInterruptedSavesLeftButNotAFileBeingWritten) {
    TTempDir dir;
    for (const std::string& name : {std::string("g.stm"), std::string(255, 'g')}) {
        const std::string path = dir.Path(name);
        WriteFileAtomically(path, "old", 3);
        for (int i = 0; i < 3; ++i)
            EXPECT_EXIT(SaveKilledPartWay(path), ::testing::KilledBySignal(SIGXFSZ), "");
        std::vector<std::string> entries = dir.Entries();
        ASSERT_EQ(entries.size(), 4u);
        EXPECT_EQ(FileBytes(path), BytesOf("old"));
        // Another save's file under the same stem, locked while that save writes it.
        const std::string stem = entries[0].substr(0, entries[0].size() - 6);
        const int writing = ::open(dir.Path(stem + "Wr1tin").c_str(), O_CREAT | O_RDWR, 0600);
        ASSERT_EQ(::flock(writing, LOCK_EX | LOCK_NB), 0);
        WriteFileAtomically(dir.Path("other"), "x", 1);  // another name leaves them be
        EXPECT_EQ(dir.Entries().size(), 6u);
        WriteFileAtomically(path, "new", 3);
        EXPECT_EQ(dir.Entries(), (std::vector<std::string>{stem + "Wr1tin", name, "other"}));
        EXPECT_EQ(FileBytes(path), BytesOf("new"));
        ::close(writing);
        for (const std::string& entry : dir.Entries()) ::unlink(dir.Path(entry).c_str());
    }
}

}  // namespace
