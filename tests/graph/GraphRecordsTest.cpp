#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "graph/GraphRecords.h"
#include "graph/ObjGraph.h"
#include "persistence/ObjPerst.h"
#include "support/MemoryLimit.h"
#include "tests/persistence/StreamBytes.h"

namespace {

// 80-bit extended values as WriteExtended lays them out: tag, significand, exponent.
const TBytes kZero = Bytes({5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
const TBytes kTwoAndAHalf = Bytes({5, 0, 0, 0, 0, 0, 0, 0, 0xA0, 0x00, 0x40});

const TBytes kNodeListHeader = Text("TGraphNode") + Text("CompareNodes");
const TBytes kOuterHeader = Text("TArray") + Text("CompareArray");
const TBytes kRowHeader = Text("TInteger") + Text("CompareInteger");
// Count, capacity and growth of a 2 x 2 matrix and its rows, then Sorted.
const TBytes kTwoByTwoSorted = Bytes({2, 2, 2, 2, 2, 0, 9});

TBytes NodeFrame(const std::string& caption) {
    return FrameHeader("TGraphNode") + FrameHeader("TStringObj") +
           Bytes({static_cast<std::uint8_t>(caption.size())}) + BytesOf(caption);
}

TBytes Cell(const TBytes& value) { return FrameHeader("TInteger") + value; }

std::unique_ptr<TMathGraph> GraphOf(const std::vector<std::string>& captions) {
    auto graph = std::make_unique<TMathGraph>();
    for (const std::string& caption : captions)
        graph->Nodes->Append(new TGraphNode(std::make_unique<TStringObj>(caption)));
    return graph;
}

TGraphNode* NodeAt(TMathGraph& graph, int position) {
    return static_cast<TGraphNode*>(graph.Nodes->GoToIndex(position));
}

void Connect(TMathGraph& graph, int from, int to, long double weight) {
    auto* edge = new TGraphEdge(NodeAt(graph, from), NodeAt(graph, to));
    edge->Weight = Real48::FromExtended(weight);
    graph.Edges->Add(edge);
}

std::unique_ptr<TMathGraph> RoundTrip(TMathGraph& graph) {
    std::unique_ptr<TObject> read = ObjectFrom(FrameOf(&graph));
    return std::unique_ptr<TMathGraph>(As<TMathGraph>(read.release()));
}

/// "A>B 2.5" for each edge, in the order of Edges.
std::vector<std::string> EdgesOf(const TMathGraph& graph) {
    std::vector<std::string> edges;
    for (int i = 0; i < graph.Edges->Count(); ++i) {
        const TGraphEdge* edge = graph.Edges->Get(i);
        std::ostringstream text;
        text << edge->FromNode->Caption->Text << ">" << edge->ToNode->Caption->Text << " "
             << static_cast<double>(edge->Weight.ToExtended());
        edges.push_back(text.str());
    }
    return edges;
}

std::vector<std::string> CaptionsOf(TMathGraph& graph) {
    std::vector<std::string> captions;
    for (int i = 1; i <= graph.Nodes->Count(); ++i)
        captions.push_back(NodeAt(graph, i)->Caption->Text);
    return captions;
}

TEST(GraphRecordBytes, TwoNodesAndAnEdgeAreTheNodeListThenTheWeightMatrix) {
    auto graph = GraphOf({"A", "B"});
    Connect(*graph, 1, 2, 2.5L);
    const TBytes expected =
        FrameHeader("TMathGraph") +
        (FrameHeader("TNodeList") + kNodeListHeader + Bytes({2, 2}) + NodeFrame("A") +
         NodeFrame("B")) +
        (FrameHeader("TArray") + kOuterHeader + kTwoByTwoSorted) +
        (FrameHeader("TArray") + kRowHeader + kTwoByTwoSorted + Cell(kZero) + Cell(kTwoAndAHalf)) +
        (FrameHeader("TArray") + kRowHeader + kTwoByTwoSorted + Cell(kZero) + Cell(kZero));
    TTempDir dir;
    SaveObjectToFile(graph.get(), dir.Path("g.stm"), true);
    EXPECT_EQ(FileBytes(dir.Path("g.stm")), expected);

    std::unique_ptr<TObject> read(LoadObjectFromFile(dir.Path("g.stm"), true));
    auto* back = As<TMathGraph>(read.get());
    EXPECT_EQ(CaptionsOf(*back), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(EdgesOf(*back), std::vector<std::string>{"A>B 2.5"});
    EXPECT_EQ(NodeAt(*back, 1)->OutEdges, nullptr);  // left to the first BuildOutEdges
}

TEST(GraphRecordBytes, SortedFlagsAreWrittenTrueHoweverTheCellsEndUp) {
    // Once the weights are in, row 1 orders after row 2, and row 2's cells are out of order.
    auto graph = GraphOf({"A", "B"});
    Connect(*graph, 1, 2, 9);
    Connect(*graph, 2, 1, 3);
    const TBytes nine = Bytes({5, 0, 0, 0, 0, 0, 0, 0, 0x90, 0x02, 0x40});
    const TBytes three = Bytes({5, 0, 0, 0, 0, 0, 0, 0, 0xC0, 0x00, 0x40});
    const TBytes matrix =
        (FrameHeader("TArray") + kOuterHeader + kTwoByTwoSorted) +
        (FrameHeader("TArray") + kRowHeader + kTwoByTwoSorted + Cell(kZero) + Cell(nine)) +
        (FrameHeader("TArray") + kRowHeader + kTwoByTwoSorted + Cell(three) + Cell(kZero));
    const TBytes frame = FrameOf(graph.get());
    ASSERT_GT(frame.size(), matrix.size());
    EXPECT_EQ(TBytes(frame.end() - static_cast<long>(matrix.size()), frame.end()), matrix);
}

TEST(GraphRoundTrip, EdgesComeBackInRowOrderOnePerPairWithoutZeros) {
    auto graph = GraphOf({"A", "B", "C"});
    Connect(*graph, 3, 1, 1);  // C>A
    Connect(*graph, 1, 2, 3);  // A>B
    Connect(*graph, 1, 2, 5);  // A>B again: the later weight wins
    Connect(*graph, 2, 1, 4);  // B>A: the other direction is another cell
    Connect(*graph, 2, 3, 0);  // weight 0 cannot be told from no edge
    auto back = RoundTrip(*graph);
    EXPECT_EQ(CaptionsOf(*back), (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_EQ(EdgesOf(*back), (std::vector<std::string>{"A>B 5", "B>A 4", "C>A 1"}));
}

TEST(GraphRoundTrip, WeightsExactAndCaptionsAsBytesCutTo255) {
    auto graph = GraphOf({std::string(300, 'x'), "\xE9t\xE9\x80", ""});
    // In row order, so that they come back in the order they were made.
    Connect(*graph, 1, 2, 0.1L);
    Connect(*graph, 1, 3, -1.7e38L);
    Connect(*graph, 2, 1, std::ldexp(1.0L, -128));  // the smallest magnitude
    Connect(*graph, 2, 3, 99999.5L);
    Connect(*graph, 3, 1, -3);
    auto back = RoundTrip(*graph);
    EXPECT_EQ(CaptionsOf(*back),
              (std::vector<std::string>{std::string(255, 'x'), "\xE9t\xE9\x80", ""}));
    ASSERT_EQ(back->Edges->Count(), 5);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(back->Edges->Get(i)->Weight.ToBytes(), graph->Edges->Get(i)->Weight.ToBytes());
}

TEST(GraphRecordWrite, WithoutNodesFailsAfterTheNodeListAndLeavesTheFile) {
    TMathGraph graph;
    TTempDir dir;
    WriteFileBytes(dir.Path("old.stm"), Bytes({1, 2, 3}));
    EXPECT_EQ(MessageOf<EInvalidArrayCapacity>(
                  [&] { SaveObjectToFile(&graph, dir.Path("old.stm"), true); }),
              "Invalid array capacity in TArray");
    EXPECT_EQ(FileBytes(dir.Path("old.stm")), Bytes({1, 2, 3}));

    TObjectStream objects(std::make_unique<TMemoryStream>());
    EXPECT_THROW(objects.WriteObject(&graph), EInvalidArrayCapacity);
    EXPECT_EQ(ContentOf(objects.GetStream()), FrameHeader("TMathGraph") + FrameHeader("TNodeList") +
                                                  kNodeListHeader + Bytes({2, 0}));
    EXPECT_EQ(graph.Matrix, nullptr);
}

TEST(GraphRecordWrite, MatrixBytesAreKnownFromTheNodeCountAlone) {
    for (const int n : {1, 2, 127, 128}) {
        std::vector<std::string> captions(static_cast<std::size_t>(n), "node");
        auto graph = GraphOf(captions);
        Connect(*graph, 1, n, 2.5L);
        const std::size_t whole = FrameOf(graph.get()).size();
        const std::size_t nodes = FrameOf(graph->Nodes.get()).size();
        EXPECT_EQ(whole - FrameHeader("TMathGraph").size() - nodes, MatrixFileBytes(n)) << n;
    }
}

/// Sets what the machine seems to have, for one test.
class TUsableMemory {
public:
    explicit TUsableMemory(std::uint64_t bytes) { SetUsableMemoryForTesting(bytes); }
    ~TUsableMemory() { SetUsableMemoryForTesting(0); }
};

TEST(GraphRecordWrite, AGraphBeyondTheMemoryIsRefusedAndLeavesFileAndGraph) {
    auto graph = GraphOf(std::vector<std::string>(300, "node"));
    Connect(*graph, 1, 2, 2.5L);
    TTempDir dir;
    WriteFileBytes(dir.Path("old.stm"), Bytes({1, 2, 3}));
    {
        const TUsableMemory machine(2'000'000);  // 300 nodes need 2.4 MB of file, 2.2 of cells
        EXPECT_EQ(MessageOf<EGraphTooLarge>(
                      [&] { SaveObjectToFile(graph.get(), dir.Path("old.stm"), true); }),
                  "The graph's file would take 3 MB: too large to save");
        EXPECT_EQ(FileBytes(dir.Path("old.stm")), Bytes({1, 2, 3}));
        EXPECT_EQ(graph->Matrix, nullptr);  // refused before anything was built
    }
    SaveObjectToFile(graph.get(), dir.Path("old.stm"), true);
    EXPECT_EQ(EdgesOf(*RoundTrip(*graph)), std::vector<std::string>{"node>node 2.5"});
    EXPECT_EQ(MessageOf<EGraphTooLarge>([] { throw EGraphTooLarge(27.2e9L); }),
              "The graph's file would take 28 GB: too large to save");
}

TEST(GraphRecordRead, DamagedFilesGiveALibraryErrorOrAGraph) {
    auto graph = GraphOf({"A", "B", "C"});
    Connect(*graph, 1, 2, 2.5L);
    Connect(*graph, 3, 1, 1);
    ExpectDamageGivesLibraryErrors(FrameOf(graph.get()));
}

// ----------------------------------------------------------------------------
// Matrix, positions and compare functions

TEST(GraphMatrix, EdgesFromABadMatrixRaiseAndLeaveTheEdges) {
    auto graph = GraphOf({"A", "B"});
    Connect(*graph, 1, 2, 1);
    const TGraphEdge* edge = graph->Edges->Get(0);
    auto matrix = std::make_unique<TArray>(TArray::StaticClass(), CompareArray, 3, 0);
    for (int i = 0; i < 3; ++i) {
        auto* row = new TArray(TInteger::StaticClass(), CompareInteger, 3, 0);
        matrix->Add(row);
        for (int j = 0; j < 3; ++j) row->Add(new TInteger(i == 2 && j == 0 ? 7 : 1));
    }
    graph->Matrix = std::move(matrix);
    EXPECT_EQ(MessageOf<EInvalidIndex>([&] { graph->BuildEdgesFromMatrix(); }),
              "Invalid index in TContainer");
    graph->Matrix = std::make_unique<TArray>(TInteger::StaticClass(), CompareInteger, 1, 0);
    graph->Matrix->Add(new TInteger(1));
    EXPECT_EQ(MessageOf<EInvalidCast>([&] { graph->BuildEdgesFromMatrix(); }),
              "Invalid class typecast");
    ASSERT_EQ(graph->Edges->Count(), 1);
    EXPECT_EQ(graph->Edges->Get(0), edge);
}

TEST(GraphMatrix, AnEdgeToAForeignNodeCannotBeWritten) {
    auto graph = GraphOf({"A"});
    TGraphNode stranger(std::make_unique<TStringObj>("S"));
    graph->Edges->Add(new TGraphEdge(NodeAt(*graph, 1), &stranger));
    EXPECT_EQ(MessageOf<EInvalidIndex>([&] { graph->BuildMatrix(); }),
              "Invalid index in TContainer");
    EXPECT_EQ(graph->Matrix, nullptr);
}

TEST(NodePositions, FromOneAndZeroWhenAbsent) {
    auto graph = GraphOf({"A", "B", "C"});
    TGraphNode stranger(std::make_unique<TStringObj>("S"));
    EXPECT_EQ(IndexOfNode(graph->Nodes.get(), NodeAt(*graph, 3)), 3);
    EXPECT_EQ(IndexOfNode(graph->Nodes.get(), &stranger), 0);
    const TNodeIndex index(*graph->Nodes);
    EXPECT_EQ(index.PositionOf(NodeAt(*graph, 2)), 2);
    EXPECT_EQ(index.PositionOf(&stranger), 0);
    EXPECT_EQ(index.NodeAt(1), NodeAt(*graph, 1));
    EXPECT_THROW(index.NodeAt(4), EInvalidIndex);
    EXPECT_THROW(index.NodeAt(0), EInvalidIndex);
}

TEST(GraphCompareFuncs, RowsByCountThenCellsNodesByIdentity) {
    auto row = [](std::vector<int> values) {
        auto array = std::make_unique<TArray>(TInteger::StaticClass(), CompareInteger, 4, 0);
        for (int v : values) array->Add(new TInteger(v));
        return array;
    };
    EXPECT_EQ(CompareArray(row({1, 2}).get(), row({1, 3}).get()), crLess);
    EXPECT_EQ(CompareArray(row({5}).get(), row({1, 1}).get()), crLess);
    EXPECT_EQ(CompareArray(row({1, 1}).get(), row({5}).get()), crGreater);
    EXPECT_EQ(CompareArray(row({}).get(), row({}).get()), crEqual);
    TInteger two(2), one(1);
    EXPECT_EQ(CompareInteger(&two, &one), crGreater);
    EXPECT_EQ(CompareArray(&one, &two), crLess);
    TGraphNode a(std::make_unique<TStringObj>("A")), b(std::make_unique<TStringObj>("B"));
    EXPECT_EQ(CompareNodes(&a, &a), crEqual);
    EXPECT_EQ(CompareNodes(&a, &b), crGreater);
    EXPECT_EQ(CompareNodes(&b, &a), crGreater);
    EXPECT_EQ(MessageOf<EInvalidCast>([&] { CompareInteger(&one, &a); }), "Invalid class typecast");
    EXPECT_THROW(CompareArray(&a, &a), EInvalidCast);
}

TEST(GraphStartup, RegistersInOrderAndOnlyOnce) {
    ObjGraphStartup();  // already run by main: nothing more happens
    std::vector<std::string> classes, funcs;
    TUnorderedList* registry = StreamableRegistry();
    for (bool more = registry->Last(); more && classes.size() < 5; more = registry->Previous())
        classes.insert(classes.begin(), As<TStreamableInterface>(registry->GetCurrent())->Name);
    registry = CompareFuncRegistry();
    for (bool more = registry->Last(); more && funcs.size() < 3; more = registry->Previous())
        funcs.insert(funcs.begin(), As<TCompareFuncEntry>(registry->GetCurrent())->Name);
    EXPECT_EQ(classes, (std::vector<std::string>{"TGraphNode", "TMathGraph", "TInteger",
                                                 "TNodeList", "TStringObj"}));
    EXPECT_EQ(funcs, (std::vector<std::string>{"CompareArray", "CompareInteger", "CompareNodes"}));
    EXPECT_EQ(FindStreamableInterface("TMathGraph")->Version, 1);
}

}  // namespace
