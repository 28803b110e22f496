#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "containers/ObjArray.h"
#include "editor/GraphPoint.h"
#include "fuzz/GraphFileCheck.h"
#include "fuzz/MemoryPeak.h"
#include "support/ByteBlock.h"
#include "tests/persistence/StreamBytes.h"
#include "values/ObjBuckt.h"

namespace {

// Far below the gigabytes that the counts and lengths in these files ask for, and above
// what the sanitizers' bookkeeping adds to a load.
constexpr std::size_t kSmallMemory = std::size_t{32} << 20;

std::vector<std::filesystem::path> FilesIn(const std::string& dir) {
    std::vector<std::filesystem::path> files;
    if (!std::filesystem::is_directory(dir)) return files;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        if (entry.is_regular_file()) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

struct TOutcome {
    TGraphFileCheck check;
    std::size_t memory = 0;
};

TOutcome Check(const TBytes& bytes) {
    TOutcome outcome;
    outcome.memory =
        MemoryPeakDuring([&] { outcome.check = CheckGraphFile(bytes.data(), bytes.size()); });
    return outcome;
}

/// The refusal of a file that asks for far more than it holds, after checking that it
/// was refused without taking memory for what it asked.
std::string RefusalOfGreedy(const TBytes& bytes) {
    const TOutcome outcome = Check(bytes);
    EXPECT_LT(outcome.memory, kSmallMemory + bytes.size());
    EXPECT_EQ(outcome.check.Fault, "");
    return outcome.check.Refusal;
}

TBytes Int32(std::uint32_t value) {
    return {4, static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
}

const TBytes kGraph = FrameHeader("TMathGraph");
const TBytes kNodeListHead = FrameHeader("TNodeList") + Text("TGraphNode") + Text("CompareNodes");

TBytes OnePointNodeList() {
    TNodeList nodes(TGraphNode::StaticClass(), &CompareNodes);
    nodes.Append(new TGraphPoint(1, 2, "a"));
    return FrameOf(&nodes);
}

/// The head of a TArray record up to its Sorted flag.
TBytes ArrayHead(const std::string& itemClass, const std::string& compare, const TBytes& count,
                 const TBytes& capacity) {
    return FrameHeader("TArray") + Text(itemClass) + Text(compare) + count + capacity +
           Bytes({2, 0, 9});
}

const TBytes kMaxItems = Int32(536870911);  // the largest capacity an array can have

TEST(MemoryPeak, SeesRoomReservedInMappedPages) {
    // Untouched and past the heap: only the page mapper's hook can tell of it.
    const std::size_t room = std::size_t{64} << 20;
    TByteBlock block;
    EXPECT_GE(MemoryPeakDuring([&] { block.Reserve(room); }), room);
}

TEST(GraphFileSeeds, GraphsLoadAndSurviveASaveAndALoadOtherFramesAreRefused) {
    const auto seeds = FilesIn(FUZZ_DIR "/corpus");
    ASSERT_GT(seeds.size(), 30u);
    for (const auto& seed : seeds) {
        const std::string name = seed.filename().string();
        const bool editorGraph = name.starts_with("graph-") && name != "graph-plain-nodes.stm";
        const TGraphFileCheck check = Check(FileBytes(seed.string())).check;
        EXPECT_EQ(check.Fault, "") << name;
        EXPECT_EQ(check.Refusal, editorGraph ? "" : "Invalid class typecast") << name;
    }
}

TEST(GraphFileRegressions, EveryInputThatOnceFailedIsRefusedOrLoadsSoundly) {
    for (const auto& input : FilesIn(FUZZ_DIR "/regressions"))
        EXPECT_EQ(Check(FileBytes(input.string())).check.Fault, "") << input;
}

TEST(GraphFileLimits, NestingStopsAtTheCapHoweverDeepTheFileGoes) {
    const TBytes level = FrameHeader("TStringCombo") + Bytes({6, 0, 9});  // holds the next
    TBytes nested = kGraph;
    for (int i = 0; i < 100000; ++i) nested.insert(nested.end(), level.begin(), level.end());
    EXPECT_EQ(RefusalOfGreedy(nested), "Object nesting too deep");
}

TEST(GraphFileLimits, CountsAndLengthsBeyondTheFileFailBeforeAnythingIsAllocated) {
    const TBytes point = FrameOf(std::make_unique<TGraphPoint>(0, 0, "p").get());
    EXPECT_EQ(RefusalOfGreedy(kGraph + kNodeListHead + Int32(0x7FFFFFFF) + point),
              "Stream read error");
    const TBytes huge = Bytes({12, 0xFF, 0xFF, 0xFF, 0xFF}) + BytesOf("TMathGraph");
    EXPECT_EQ(RefusalOfGreedy(BytesOf("TPF0") + huge), "Stream read error");
    EXPECT_EQ(RefusalOfGreedy(kGraph + FrameHeader("TNodeList") + huge), "Stream read error");
    EXPECT_EQ(RefusalOfGreedy(FrameHeader("TMemoryStream") + Int32(0x7FFFFFFF) + BytesOf("ab")),
              "Stream read error");
    EXPECT_EQ(RefusalOfGreedy(kGraph + OnePointNodeList() +
                              ArrayHead("TArray", "CompareArray", Int32(0x7FFFFFFF), kMaxItems)),
              "Stream read error");
}

TEST(GraphFileLimits, AHugeArrayCapacityIsKeptWithoutMakingItsSlots) {
    const TBytes cell = FrameHeader("TInteger") + Bytes({2, 3});
    const TBytes graph = kGraph + OnePointNodeList() +
                         ArrayHead("TArray", "CompareArray", Bytes({2, 1}), kMaxItems) +
                         ArrayHead("TInteger", "CompareInteger", Bytes({2, 1}), kMaxItems) + cell;
    const TOutcome outcome = Check(graph);
    EXPECT_EQ(outcome.check.Refusal, "");
    EXPECT_EQ(outcome.check.Fault, "");
    EXPECT_LT(outcome.memory, kSmallMemory);
    // The capacity is the array's own and goes back into the file as it came.
    const TBytes array =
        ArrayHead("TIntegerBucket", "CompareIntegerBucket", Bytes({2, 2}), kMaxItems) +
        FrameOf(std::make_unique<TIntegerBucket>(1).get()) +
        FrameOf(std::make_unique<TIntegerBucket>(2).get());
    std::unique_ptr<TObject> read;
    EXPECT_LT(MemoryPeakDuring([&] { read = ObjectFrom(array); }), kSmallMemory);
    EXPECT_EQ(As<TArray>(read.get())->GetCapacity(), 536870911);
    EXPECT_EQ(FrameOf(read.get()), array);
}

/// Loads bytes unbuffered from a pipe, whose size shows only when it ends.
std::string RefusalFromPipe(const TBytes& bytes) {
    int ends[2];
    EXPECT_EQ(::pipe(ends), 0);
    EXPECT_EQ(::write(ends[1], bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    ::close(ends[1]);
    std::string refusal = "(loaded)";
    const std::size_t memory = MemoryPeakDuring([&] {
        try {
            delete LoadObjectFromFile("/proc/self/fd/" + std::to_string(ends[0]), false);
        } catch (const Exception& e) {
            refusal = e.what();
        }
    });
    ::close(ends[0]);
    EXPECT_LT(memory, kSmallMemory);
    return refusal;
}

TEST(GraphFileLimits, AStreamOfUnknownSizeTakesMemoryOnlyForTheBytesThatArrive) {
    EXPECT_EQ(RefusalFromPipe(BytesOf("TPF0") + Bytes({12, 0xFF, 0xFF, 0xFF, 0xFF}) +
                              BytesOf("TMathGraph")),
              "Stream read error");
    EXPECT_EQ(RefusalFromPipe(FrameHeader("TMemoryStream") + Int32(0x7FFFFFFF) + BytesOf("ab")),
              "Stream read error");
    EXPECT_EQ(
        RefusalFromPipe(ArrayHead("TArray", "CompareArray", Int32(0x7FFFFFFF), Int32(0x7FFFFFFF))),
        "Stream read error");
}

}  // namespace
