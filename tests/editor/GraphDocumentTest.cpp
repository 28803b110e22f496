// The editor's graph and the interchange document, both ways, and what a graph file
// cannot hold of a document.
#include <gtest/gtest.h>

#include "editor/GraphDocument.h"
#include "editor/GraphPoint.h"

namespace {

TDocumentEdge Edge(int from, int to, long double weight) {
    return {from, to, Real48::FromExtended(weight)};
}

}  // namespace

TEST(GraphDocument, BothWaysKeepCaptionsPositionsAndEdgesInOrder) {
    TMathGraph graph;
    auto* a = new TGraphPoint(10, -20, "Z\xFCrich \x80");        // Windows-1252
    auto* b = new TGraphNode(std::make_unique<TStringObj>(""));  // a node without a position
    graph.Nodes->Append(a);
    graph.Nodes->Append(b);
    for (auto* edge : {new TGraphEdge(b, a), new TGraphEdge(a, b), new TGraphEdge(a, a)}) {
        edge->Weight = Real48::FromExtended(2.5L);
        graph.Edges->Add(edge);
    }
    const TGraphDocument document = DocumentOfGraph(graph);
    ASSERT_EQ(document.Nodes.size(), 2u);
    EXPECT_EQ(document.Nodes[0].Id, "n1");
    EXPECT_EQ(document.Nodes[0].Caption, "Zürich €");
    EXPECT_EQ(document.Nodes[0].Position, (TPosition{10, -20}));
    EXPECT_EQ(document.Nodes[1].Position, std::nullopt);
    ASSERT_EQ(document.Edges.size(), 3u);
    EXPECT_EQ(document.Edges[0].From, 1);
    EXPECT_EQ(document.Edges[2].To, 0);

    TWarnings warnings;
    const std::unique_ptr<TMathGraph> back = GraphOfDocument(document, warnings);
    EXPECT_TRUE(warnings.Empty());
    const TGraphDocument again = DocumentOfGraph(*back);
    EXPECT_EQ(again.Nodes[0].Caption, document.Nodes[0].Caption);
    EXPECT_EQ(again.Nodes[1].Position, (TPosition{0, 0}));  // every node the editor makes has one
    EXPECT_EQ(again.Edges.size(), 3u);
    EXPECT_EQ(again.Edges[0].Weight, document.Edges[0].Weight);
}

TEST(GraphDocument, ParallelEdgesAndWeightZeroAreCountedAsAGraphFileLosesThem) {
    TGraphDocument document;
    document.Nodes = {{"a", "a", TPosition{}}, {"b", "日本", TPosition{}}};
    // The file keeps the last of the three a -> b, and that one weighs 0: all three go.
    document.Edges = {Edge(0, 1, 1), Edge(0, 1, 2), Edge(1, 0, 4), Edge(0, 1, 0)};
    TWarnings warnings;
    GraphOfDocument(document, warnings);
    NoteGraphFileLosses(document, warnings);
    EXPECT_EQ(warnings.Lines(),
              (std::vector<std::string>{
                  "characters outside Windows-1252 replaced by \"?\": 1 (first: node \"b\")",
                  "parallel edges left out, the last of each kept: 2 (first: edge \"a\" -> \"b\")",
                  "edges of weight 0 left out: 1 (first: edge \"a\" -> \"b\")"}));
}

TEST(PlaceNodes, LaysOutOnlyWhatLacksPositionsUnlessAnEngineIsGiven) {
    TGraphDocument document;
    document.Nodes = {{"a", "a", TPosition{1000, 1000}}, {"b", "b", TPosition{-1, -1}}};
    document.Edges = {Edge(0, 1, 1)};
    TWarnings warnings;
    PlaceNodes(document, std::nullopt, warnings);
    EXPECT_EQ(document.Nodes[0].Position, (TPosition{1000, 1000}));
    PlaceNodes(document, TLayoutEngine::Dot, warnings);
    EXPECT_EQ(document.Nodes[0].Position->X, document.Nodes[1].Position->X);  // one above the other
    EXPECT_EQ(document.Nodes[0].Position->Y, kStartViewBox.Margin);
    EXPECT_EQ(document.Nodes[1].Position->Y, kStartViewBox.Height - kStartViewBox.Margin);
    EXPECT_TRUE(warnings.Empty());
}
