#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <future>
#include <thread>

#include "containers/ObjArray.h"
#include "containers/ObjStack.h"
#include "persistence/LibRecords.h"
#include "persistence/ObjStream.h"
#include "support/AddressSanitizer.h"
#include "tests/persistence/StreamBytes.h"
#include "values/ObjBuckt.h"
#include "values/ObjCmp.h"

namespace {
class TUnregistered : public TObject {
    DECLARE_CLASS()
};
}  // namespace

IMPLEMENT_ABSTRACT_CLASS(TUnregistered, TObject)

namespace {

const TBytes kBucket1000 = FrameHeader("TIntegerBucket") + Bytes({2, 4, 0xE8, 3, 0, 0});

TEST(ObjectFrame, IntegerBucketIs28Bytes) {
    TIntegerBucket bucket(1000);
    EXPECT_EQ(FrameOf(&bucket), kBucket1000);
    EXPECT_EQ(kBucket1000.size(), 28u);
    EXPECT_EQ(As<TIntegerBucket>(ObjectFrom(kBucket1000).get())->Value(), 1000);
}

TEST(ObjectFrame, NestedStringComboIs49Bytes) {
    TStringCombo outer("ab", new TStringCombo("c"), true);
    const TBytes expected = FrameHeader("TStringCombo") + Bytes({6, 2, 'a', 'b', 9}) +
                            FrameHeader("TStringCombo") + Bytes({6, 1, 'c', 8});
    EXPECT_EQ(expected.size(), 49u);
    EXPECT_EQ(FrameOf(&outer), expected);
    auto read = ObjectFrom(expected);
    auto* inner = As<TStringCombo>(As<TStringCombo>(read.get())->Obj);
    EXPECT_EQ(inner->Str, "c");
    EXPECT_EQ(inner->Obj, nullptr);
}

TEST(ObjectFrame, TwoTopLevelFramesOnOneStreamReadBackInOrder) {
    TIntegerBucket first(1);
    TWordBucket second(2);
    TObjectStream writing(std::make_unique<TMemoryStream>());
    writing.WriteObject(&first);
    writing.WriteObject(&second);
    TObjectStream reading(MemoryOf(ContentOf(writing.GetStream())));
    std::unique_ptr<TObject> a(reading.ReadObject()), b(reading.ReadObject());
    EXPECT_EQ(As<TIntegerBucket>(a.get())->Value(), 1);
    EXPECT_EQ(As<TWordBucket>(b.get())->Value(), 2);
    EXPECT_EQ(reading.GetStream()->Position(), reading.GetStream()->Size());
}

// What one stream remembers of a class must not answer for another class, version or
// registry.
TEST(ObjectFrame, AlternatingClassesAndVersionsOnOneStreamEachGetTheirOwn) {
    TWordBucket word(2);
    TBytes version2 = kBucket1000;
    version2[20] = 2;
    TObjectStream objects(MemoryOf(kBucket1000 + FrameOf(&word) + kBucket1000 + version2 +
                                   FrameOf(&word) + kBucket1000));
    std::vector<std::string> seen;
    for (int i = 0; i < 6; ++i) {
        try {
            std::unique_ptr<TObject> object(objects.ReadObject());
            seen.push_back(object->ClassName());
        } catch (const EClassVersionNotRegistered&) {
            seen.push_back("version 2");
            objects.GetStream()->Seek(6);  // over the record of the frame refused
        }
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"TIntegerBucket", "TWordBucket", "TIntegerBucket",
                                              "version 2", "TWordBucket", "TIntegerBucket"}));
}

int freshReads = 0;
void CountedBucketRead(TObject* bucket, TObjectReader& reader) {
    ++freshReads;
    ReadBucketRecord(bucket, reader);
}

[[noreturn]] void ReadOnAcrossAShutdown() {
    TObjectStream objects(MemoryOf(kBucket1000 + kBucket1000));
    delete objects.ReadObject();
    ShutdownRegistries();
    RegisterStreamableClass(TIntegerBucket::StaticClass(), {&CountedBucketRead},
                            {&WriteBucketRecord});
    delete objects.ReadObject();
    std::_Exit(freshReads == 1 ? 0 : 1);
}

TEST(ObjectFrame, NothingRememberedOutlivesTheRegistries) {
    EXPECT_EXIT(ReadOnAcrossAShutdown(), ::testing::ExitedWithCode(0), "");
}

/// The failure's text, after checking that it left the object stream usable.
template <class Error>
std::string ReadFailure(const TBytes& bytes) {
    TObjectStream objects(MemoryOf(bytes + kBucket1000));
    const std::string message = MessageOf<Error>([&] { delete objects.ReadObject(); });
    EXPECT_EQ(objects.GetDepth(), 0);
    try {
        delete objects.ReadObject();  // reads on from where the failure stopped
    } catch (const Exception&) {
    }
    EXPECT_EQ(objects.GetDepth(), 0);
    return message;
}

TEST(ReadObjectFailures, RaiseTheirErrorsAndLeaveTheStreamUsable) {
    EXPECT_EQ(MessageOf<EReadError>([] { ObjectFrom({}); }), "Stream read error");
    EXPECT_EQ(ReadFailure<EReadError>(BytesOf("TPF1")), "Invalid stream format");
    EXPECT_EQ(ReadFailure<EClassNotRegistered>(FrameHeader("TNoSuchClass")),
              "Class not registered");
    TBytes version0 = kBucket1000, version2 = kBucket1000, badTag = kBucket1000;
    version0[20] = 0;
    version2[20] = 2;
    badTag[22] = 7;
    EXPECT_EQ(ReadFailure<EClassVersionNotRegistered>(version0), "Class version not registered");
    EXPECT_EQ(ReadFailure<EClassVersionNotRegistered>(version2), "Class version not registered");
    EXPECT_EQ(ReadFailure<EReadError>(badTag), "Invalid property value");
    const TBytes cut(kBucket1000.begin(), kBucket1000.end() - 1);
    EXPECT_EQ(MessageOf<EReadError>([&] { ObjectFrom(cut); }), "Stream read error");
}

TBytes NestedCombos(int depth) {
    TBytes bytes;
    for (int i = 1; i < depth; ++i) bytes = bytes + FrameHeader("TStringCombo") + Bytes({6, 0, 9});
    return bytes + FrameHeader("TStringCombo") + Bytes({6, 0, 8});
}

TEST(ReadObjectFailures, NestingIsCappedAtAThousandFrames) {
    EXPECT_NE(ObjectFrom(NestedCombos(TObjectStream::kMaxDepth)), nullptr);
    EXPECT_EQ(ReadFailure<EReadError>(NestedCombos(TObjectStream::kMaxDepth + 1)),
              "Object nesting too deep");
}

// What could not be read back is not written either.
TEST(WriteObjectFailures, NestingIsCappedAsForReading) {
    auto chain = std::make_unique<TStringCombo>("", nullptr, true);
    for (int depth = 2; depth <= TObjectStream::kMaxDepth; ++depth)
        chain = std::make_unique<TStringCombo>("", chain.release(), true);
    TObjectStream objects(std::make_unique<TMemoryStream>());
    objects.WriteObject(chain.get());
    TStringCombo tooDeep("", chain.release(), true);
    EXPECT_EQ(MessageOf<EWriteError>([&] { objects.WriteObject(&tooDeep); }),
              "Object nesting too deep");
    EXPECT_EQ(objects.GetDepth(), 0);
}

TEST(WriteObjectFailures, UnregisteredClassWritesNothingOfItsFrameButKeepsItsParents) {
    TObjectStream objects(std::make_unique<TMemoryStream>());
    TUnregistered loner;
    EXPECT_EQ(MessageOf<EClassNotRegistered>([&] { objects.WriteObject(&loner); }),
              "Class not registered");
    TStringCombo parent("p", new TUnregistered, true);
    EXPECT_THROW(objects.WriteObject(&parent), EClassNotRegistered);
    EXPECT_EQ(objects.GetDepth(), 0);
    EXPECT_EQ(ContentOf(objects.GetStream()), FrameHeader("TStringCombo") + Bytes({6, 1, 'p', 9}));
}

// One frame with every kind of record in it, to be damaged.
TBytes RichFrame() {
    TStack stack(TStringCombo::StaticClass(), &CompareStringCombo);
    auto array = std::make_unique<TArray>(TBucket::StaticClass(), &CompareLess, 2, 1);
    array->Add(new TIntegerBucket(5));
    array->Add(new TWordBucket(7));
    auto memory = std::make_unique<TMemoryStream>();
    memory->Write("xyz", 3);
    auto ring = std::make_unique<TCircularList>(TBucket::StaticClass(), &CompareEqual);
    ring->Add(new TRealBucket(Real48::FromExtended(2.5L)));
    ring->Add(new TExtendedBucket(-1.0L));
    stack.Push(new TStringCombo("a", array.release(), true));
    stack.Push(new TStringCombo("b", memory.release(), true));
    stack.Push(new TStringCombo(std::string(300, 'c')));
    stack.Push(new TStringCombo("d", ring.release(), true));
    return FrameOf(&stack);
}

TEST(DamagedFrames, TruncatedOrFlippedGiveALibraryErrorOrAnObject) {
    const TBytes frame = RichFrame();
    ASSERT_EQ(ObjectFrom(frame)->ClassType(), TStack::StaticClass());
    ExpectDamageGivesLibraryErrors(frame);
}

// ----------------------------------------------------------------------------
// Files

TEST(ObjectFiles, RoundTripBufferedAndUnbuffered) {
    TTempDir dir;
    TIntegerBucket bucket(1000);
    for (bool buffered : {true, false}) {
        SaveObjectToFile(&bucket, dir.Path("b.stm"), buffered);
        EXPECT_EQ(FileBytes(dir.Path("b.stm")), kBucket1000);
        std::unique_ptr<TObject> read(LoadObjectFromFile(dir.Path("b.stm"), buffered));
        EXPECT_EQ(As<TIntegerBucket>(read.get())->Value(), 1000);
    }
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"b.stm"});
}

// A load gives back the memory behind its reader as it goes: every byte of a file far
// larger than the pieces given back must still arrive, in both the saved and the loaded
// direction, through the large blocks and their growth.
TEST(ObjectFiles, LargeFilesRoundTripWhole) {
    TTempDir dir;
    constexpr std::size_t kSize = 24u << 20;
    TMemoryStream big;
    big.SetSize(kSize);
    for (std::size_t i = 0; i < kSize; ++i) big.Memory()[i] = static_cast<std::uint8_t>(i % 251);
    SaveObjectToFile(&big, dir.Path("m.stm"), true);
    std::unique_ptr<TObject> read(LoadObjectFromFile(dir.Path("m.stm"), true));
    const auto* loaded = As<TMemoryStream>(read.get());
    ASSERT_EQ(loaded->Size(), big.Size());
    EXPECT_EQ(std::memcmp(loaded->Memory(), big.Memory(), kSize), 0);
}

// In a child process, with a bound on memory where the build allows one: loading a device
// whole would take all there is.
[[noreturn]] void LoadEndlessAndPseudoFiles() {
    ::alarm(60);
    if (!kAddressSanitizer) {  // AddressSanitizer needs far more address space than it uses
        const rlimit limit{1u << 30, 1u << 30};
        ::setrlimit(RLIMIT_AS, &limit);
    }
    bool allFailedAtTheSignature = true;
    for (const char* path : {"/dev/zero", "/proc/self/status"}) {
        for (bool buffered : {true, false}) {
            const std::string message =
                MessageOf<EReadError>([&] { delete LoadObjectFromFile(path, buffered); });
            std::fprintf(stderr, "%s %d: %s\n", path, buffered, message.c_str());
            allFailedAtTheSignature &= message == "Invalid stream format";
        }
    }
    std::_Exit(allFailedAtTheSignature ? 0 : 1);
}

TEST(ObjectFiles, DevicesAndPseudoFilesAreReadOnlyAsFarAsTheFrameGoes) {
    EXPECT_EXIT(LoadEndlessAndPseudoFiles(), ::testing::ExitedWithCode(0), "");
}

// The writer keeps the pipe open after the frame: a load that waited for the end would
// only return when the writer gives up.
TEST(ObjectFiles, FifoCarryingAFrameLoadsWhileItsWriterStaysOpen) {
    TTempDir dir;
    const std::string fifo = dir.Path("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    TMemoryStream big;  // more than a pipe holds: the writer waits for the reader
    big.SetSize(200000);
    for (int i = 0; i < 200000; ++i) big.Memory()[i] = static_cast<std::uint8_t>(i % 253);
    const TBytes frame = FrameOf(&big);
    std::promise<void> loaded;
    bool writerGaveUp = false;
    std::thread writer([&, done = loaded.get_future()] {
        const int fd = ::open(fifo.c_str(), O_WRONLY | O_CLOEXEC);
        for (std::size_t at = 0; fd >= 0 && at < frame.size();) {
            const ssize_t n = ::write(fd, frame.data() + at, frame.size() - at);
            if (n <= 0) break;
            at += static_cast<std::size_t>(n);
        }
        writerGaveUp = done.wait_for(std::chrono::seconds(20)) != std::future_status::ready;
        if (fd >= 0) ::close(fd);
    });
    std::unique_ptr<TObject> read;
    EXPECT_NO_THROW(read.reset(LoadObjectFromFile(fifo, true)));
    loaded.set_value();
    writer.join();
    EXPECT_FALSE(writerGaveUp);
    const auto* memory = As<TMemoryStream>(read.get());
    ASSERT_NE(memory, nullptr);
    EXPECT_EQ(ContentOf(memory), ContentOf(&big));
}

TEST(ObjectFiles, OpenAndCreateFailuresNameTheFile) {
    TTempDir dir;
    const std::string missing = dir.Path("none/x.stm");
    TIntegerBucket bucket(1);
    for (bool buffered : {true, false}) {
        EXPECT_EQ(MessageOf<EFOpenError>([&] { LoadObjectFromFile(missing, buffered); }),
                  "Cannot open file " + missing);
        EXPECT_EQ(MessageOf<EFCreateError>([&] { SaveObjectToFile(&bucket, missing, buffered); }),
                  "Cannot create file " + missing);
        const std::string folder = dir.Path("");  // opens, but reads as nothing
        EXPECT_EQ(MessageOf<EFOpenError>([&] { LoadObjectFromFile(folder, buffered); }),
                  "Cannot open file " + folder);
    }
    WriteFileBytes(dir.Path("empty.stm"), {});
    EXPECT_EQ(MessageOf<EReadError>([&] { LoadObjectFromFile(dir.Path("empty.stm"), true); }),
              "Stream read error");
}

TEST(ObjectFiles, FailedBufferedSaveLeavesTheOldFileUnbufferedKeepsWhatWasFlushed) {
    TTempDir dir;
    const std::string path = dir.Path("g.stm");
    WriteFileBytes(path, kBucket1000);
    TStringCombo unwritable("x", new TUnregistered, true);
    EXPECT_THROW(SaveObjectToFile(&unwritable, path, true), EClassNotRegistered);
    EXPECT_EQ(FileBytes(path), kBucket1000);
    EXPECT_THROW(SaveObjectToFile(&unwritable, path, false), EClassNotRegistered);
    EXPECT_EQ(FileBytes(path), FrameHeader("TStringCombo") + Bytes({6, 1, 'x', 9}));
}

// In a child process: the file-size limit makes the disk refuse bytes, even to root.
[[noreturn]] void SaveUnderFileSizeLimit(TObject* object, const std::string& path) {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{4096, 4096};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    const std::string message =
        MessageOf<EWriteError>([&] { SaveObjectToFile(object, path, true); });
    std::_Exit(message == "Stream write error" ? 0 : 1);
}

TEST(ObjectFiles, ShortWriteOnSaveLeavesTheOldFileAndNoStrayFile) {
    TTempDir dir;
    const std::string path = dir.Path("g.stm");
    WriteFileBytes(path, kBucket1000);
    TMemoryStream big;
    big.SetSize(100000);
    EXPECT_EXIT(SaveUnderFileSizeLimit(&big, path), ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(FileBytes(path), kBucket1000);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"g.stm"});
}

// A 64 KiB tmpfs on a fresh directory for the guard's life: a disk that fills up.
class TSmallFilesystem {
public:
    explicit TSmallFilesystem(const std::string& dir) : dir_(dir) {
        ::mkdir(dir.c_str(), 0755);
        if (::mount("tmpfs", dir.c_str(), "tmpfs", 0, "size=64k") != 0) error_ = errno;
    }
    TSmallFilesystem(const TSmallFilesystem&) = delete;
    TSmallFilesystem& operator=(const TSmallFilesystem&) = delete;
    ~TSmallFilesystem() {
        if (error_ == 0) ::umount2(dir_.c_str(), MNT_DETACH);
    }
    /// Why the mount was refused; empty when it is in place.
    std::string Refusal() const { return error_ == 0 ? "" : std::strerror(error_); }

private:
    std::string dir_;
    int error_ = 0;
};

std::vector<std::string> EntriesOf(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    return names;
}

TEST(ObjectFiles, FullDiskOnSaveLeavesTheOldFileAndNoStrayFile) {
    TTempDir dir;
    const std::string disk = dir.Path("disk");
    TSmallFilesystem filesystem(disk);
    if (!filesystem.Refusal().empty())
        GTEST_SKIP() << "cannot mount a small tmpfs here: " << filesystem.Refusal();
    const std::string path = disk + "/g.stm";
    WriteFileBytes(path, kBucket1000);
    TMemoryStream big;
    big.SetSize(100000);
    EXPECT_EQ(MessageOf<EWriteError>([&] { SaveObjectToFile(&big, path, true); }),
              "Stream write error");
    EXPECT_EQ(FileBytes(path), kBucket1000);
    EXPECT_EQ(EntriesOf(disk), std::vector<std::string>{"g.stm"});
}

// In a child process, as a user who may not write to the folder: root may write anywhere,
// so root's child becomes nobody first.
[[noreturn]] void SaveWithoutWriteRights(TObject* object, const std::string& path) {
    constexpr uid_t kNobody = 65534;
    if (::geteuid() == 0 &&
        (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
        std::_Exit(2);
    const std::string message =
        MessageOf<EFCreateError>([&] { SaveObjectToFile(object, path, true); });
    std::fputs(message.c_str(), stderr);  // shown when the status says it is wrong
    std::_Exit(message == "Cannot create file " + path ? 0 : 1);
}

TEST(ObjectFiles, FolderWithoutWritePermissionRefusesTheSaveAndKeepsTheOldFile) {
    TTempDir dir;
    const std::string path = dir.Path("g.stm");
    WriteFileBytes(path, kBucket1000);
    ::chmod(path.c_str(), 0666);  // the file may be written: only its folder refuses
    ::chmod(dir.Path("").c_str(), ::geteuid() == 0 ? 0755 : 0555);
    TIntegerBucket bucket(7);
    EXPECT_EXIT(SaveWithoutWriteRights(&bucket, path), ::testing::ExitedWithCode(0), "");
    EXPECT_EXIT(SaveWithoutWriteRights(&bucket, dir.Path("new.stm")), ::testing::ExitedWithCode(0),
                "");
    ::chmod(dir.Path("").c_str(), 0700);
    EXPECT_EQ(FileBytes(path), kBucket1000);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"g.stm"});
}

}  // namespace
