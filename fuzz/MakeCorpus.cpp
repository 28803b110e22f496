// Writes the seed corpus of graph_file_fuzzer into the directory given: graph files as
// the editor and stmtool write them, and one frame of every registered class, so that
// mutations start from every record the reader knows (graph-trip.stm is byte for byte what
// the README's stmtool new example writes). Run once; the files are committed:
//   build-fuzz/bin/make_fuzz_corpus fuzz/corpus
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "containers/ObjArray.h"
#include "containers/ObjStack.h"
#include "editor/GraphPoint.h"
#include "editor/Units.h"
#include "values/ObjBuckt.h"
#include "values/ObjCmp.h"

namespace {

std::string outDir;

void Save(const std::string& name, TObject* object) {
    SaveObjectToFile(object, outDir + "/" + name, true);
}

/// A graph made as the editor makes one: nodes appended, then edges with their weights.
struct TGraphShape {
    struct TNode {
        int x, y;
        std::string caption;
    };
    struct TEdge {
        int from, to;
        long double weight;
    };
    std::vector<TNode> nodes;
    std::vector<TEdge> edges;
};

void SaveGraph(const std::string& name, const TGraphShape& shape) {
    TMathGraph graph;
    std::vector<TGraphNode*> nodes;
    for (const auto& n : shape.nodes) {
        auto point = std::make_unique<TGraphPoint>(n.x, n.y, n.caption);
        nodes.push_back(point.get());
        graph.Nodes->Append(point.release());
    }
    for (const auto& e : shape.edges) {
        auto edge = std::make_unique<TGraphEdge>(nodes[e.from], nodes[e.to]);
        edge->Weight = Real48::FromExtended(e.weight);
        graph.Edges->Add(edge.release());
    }
    Save(name, &graph);
}

/// The editor loads a graph without nodes but cannot save one: its bytes are put together here.
void SaveGraphWithoutNodes() {
    TMemoryStream memory;
    TWriter header(&memory);
    header.WriteMagic();
    header.WriteText("TMathGraph");
    header.WriteUInt16(1);
    header.Flush();
    TObjectStream objects{std::unique_ptr<TStream>(&memory)};
    objects.OwnsStream = false;  // it lives on this function's stack
    TNodeList nodes(TGraphNode::StaticClass(), &CompareNodes);
    objects.WriteObject(&nodes);
    TArray matrix(TArray::StaticClass(), &CompareArray, 1, 0);
    objects.WriteObject(&matrix);
    memory.SaveToFile(outDir + "/graph-no-nodes.stm");
}

void SaveGraphs() {
    SaveGraph("graph-one-node.stm", {{{40, 60, ""}}, {}});
    SaveGraph("graph-trip.stm", {{{40, 60, "Start"}, {200, 60, "Caf\xE9"}, {200, 180, "Goal"}},
                                 {{0, 1, 1.5L}, {1, 2, 2}, {0, 2, 4}}});
    // Parallel edges (the last weight stays), both directions, a loop, a weight of 0.
    SaveGraph("graph-parallel.stm", {{{0, 0, "A"}, {-5, 120, "B"}},
                                     {{0, 1, 3}, {0, 1, 5}, {1, 0, 2}, {0, 0, 1}, {1, 1, 0}}});
    SaveGraph("graph-extremes.stm",
              {{{2147483647, -2147483647 - 1, std::string(255, 'x')}, {-32769, 32768, "\x01\xFF"}},
               {{0, 1, -1e30L}, {1, 0, 1.7e38L}, {0, 0, 2.9e-39L}}});
    TGraphShape grid;
    for (int i = 0; i < 12; ++i) grid.nodes.push_back({i * 30, (i % 3) * 40, std::to_string(i)});
    for (int i = 0; i < 12; ++i)
        for (int j : {1, 3, 5}) grid.edges.push_back({i, (i + j) % 12, 0.25L * (i + j)});
    SaveGraph("graph-grid.stm", grid);
    SaveGraphWithoutNodes();
    // A graph of plain nodes, which the editor refuses for want of positions.
    TMathGraph plain;
    plain.Nodes->Append(new TGraphNode(std::make_unique<TStringObj>("plain")));
    Save("graph-plain-nodes.stm", &plain);
}

template <class List>
std::unique_ptr<List> IntegerList(std::initializer_list<int> values) {
    auto list = std::make_unique<List>(TIntegerBucket::StaticClass(), &CompareIntegerBucket);
    for (int v : values) list->Add(new TIntegerBucket(v));
    return list;
}

void SaveBuckets() {
    const std::vector<std::pair<std::string, std::function<TObject*()>>> buckets = {
        {"TBucket", [] { return new TBucket(3, "abc"); }},
        {"TShortIntBucket", [] { return new TShortIntBucket(-5); }},
        {"TIntegerBucket", [] { return new TIntegerBucket(1000); }},
        {"TLongIntBucket", [] { return new TLongIntBucket(-70000); }},
        {"TByteBucket", [] { return new TByteBucket(200); }},
        {"TWordBucket", [] { return new TWordBucket(513); }},
        {"TCharBucket", [] { return new TCharBucket('z'); }},
        {"TBooleanBucket", [] { return new TBooleanBucket(true); }},
        {"TWordBoolBucket", [] { return new TWordBoolBucket(true); }},
        {"TLongBoolBucket", [] { return new TLongBoolBucket(false); }},
        {"TRealBucket", [] { return new TRealBucket(Real48::FromExtended(2.5L)); }},
        {"TDateTimeBucket", [] { return new TDateTimeBucket(45000.5); }},
        {"TSingleBucket", [] { return new TSingleBucket(1.5f); }},
        {"TDoubleBucket", [] { return new TDoubleBucket(-0.1); }},
        {"TExtendedBucket", [] { return new TExtendedBucket(3.25L); }},
        {"TCompBucket", [] { return new TCompBucket(1LL << 40); }},
    };
    for (const auto& [name, make] : buckets) {
        std::unique_ptr<TObject> bucket(make());
        Save("frame-" + name + ".stm", bucket.get());
    }
}

void SaveContainers() {
    Save("frame-TOrderedList.stm", IntegerList<TOrderedList>({3, 1, 2}).get());
    Save("frame-TUnorderedList.stm", IntegerList<TUnorderedList>({3, 1, 2}).get());
    Save("frame-TCircularList.stm", IntegerList<TCircularList>({7, 8}).get());
    TStack stack(TStringCombo::StaticClass(), &CompareStringCombo);
    stack.Push(new TStringCombo("bottom"));
    stack.Push(new TStringCombo("top", new TWordBucket(1), true));
    Save("frame-TStack.stm", &stack);
    TArray array(TBucket::StaticClass(), &CompareLess, 2, 3);
    for (int v : {5, 4, 9}) array.Add(new TIntegerBucket(v));
    Save("frame-TArray.stm", &array);
    TMemoryStream memory;
    memory.Write("memory", 6);
    Save("frame-TMemoryStream.stm", &memory);
    TStringCombo combo(std::string(300, 'L'), new TStringCombo("inner"), true);
    Save("frame-TStringCombo.stm", &combo);
    TStringObj text("caption");
    Save("frame-TStringObj.stm", &text);
    TInteger number(-7);
    Save("frame-TInteger.stm", &number);
    TGraphPoint point(3, -4, "p");
    Save("frame-TGraphPoint.stm", &point);
    TGraphNode node(std::make_unique<TStringObj>("n"));
    Save("frame-TGraphNode.stm", &node);
    TNodeList nodes(TGraphNode::StaticClass(), &CompareNodes);
    nodes.Append(new TGraphPoint(1, 2, "in a list"));
    Save("frame-TNodeList.stm", &nodes);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_fuzz_corpus DIR\n");
        return 2;
    }
    outDir = argv[1];
    RegisterAllUnits();
    try {
        SaveGraphs();
        SaveBuckets();
        SaveContainers();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_fuzz_corpus: %s\n", e.what());
        return 1;
    }
    return 0;
}
