#include <gtest/gtest.h>

#include "editor/GraphAnalysis.h"

namespace {

// A → B (2), B → A (w), B → C (1.5), C → C (1): a cycle of A and B, and a loop.
class GraphAnalysisTest : public ::testing::Test {
protected:
    void Make(long double w) {
        for (const char* caption : {"A", "B", "C"}) {
            nodes.push_back(new TGraphPoint(0, 0, caption));
            graph.Nodes->Append(nodes.back());
        }
        const std::tuple<int, int, long double> edges[] = {
            {0, 1, 2.0L}, {1, 0, w}, {1, 2, 1.5L}, {2, 2, 1.0L}};
        for (auto [from, to, weight] : edges) {
            auto* edge = new TGraphEdge(nodes[from], nodes[to]);
            edge->Weight = Real48::FromExtended(weight);
            graph.Edges->Add(edge);
        }
    }
    TResultText Text(TAnalysisKind kind, int from = 0, int to = 0) {
        const TGraphSnapshot snapshot(graph);
        findings = RunAnalysis(snapshot, {kind, from, to, 3});
        return AnalysisText(snapshot, findings, ',');
    }
    TColor ColourOf(int edge) const {
        const auto found = findings.Overlay.Colours.find(graph.Edges->Get(edge));
        return found == findings.Overlay.Colours.end() ? clBlack : found->second;
    }

    TMathGraph graph;
    std::vector<TGraphNode*> nodes;
    TAnalysisFindings findings;
};

TEST_F(GraphAnalysisTest, ANegativeCycleIsRefusedInTheToolsWordsAndDrawnRed) {
    Make(-2.5L);
    EXPECT_EQ(Text(TAnalysisKind::DistancesFrom, 3),
              (TResultText{"Distances from C", {"C: 0", "No path to A, B"}}));
    EXPECT_EQ(Text(TAnalysisKind::DistancesFrom, 1),
              (TResultText{"Distances from A", {"Negative cycle: 1 2 1", "A \u2192 B \u2192 A"}}));
    EXPECT_EQ(ColourOf(0), kCutColour);
    EXPECT_EQ(ColourOf(1), kCutColour);
    EXPECT_EQ(ColourOf(2), clBlack);
    EXPECT_EQ(Text(TAnalysisKind::CheapestPaths, 1, 3).Lines,
              std::vector<std::string>{"Negative weights are not allowed here"});
}

TEST_F(GraphAnalysisTest, TreeOrderAndFlowAreToldWithCaptionsAndTheLocalesSeparator) {
    Make(0.5L);
    EXPECT_EQ(Text(TAnalysisKind::SpanningTree),
              (TResultText{"Minimum spanning tree",
                           {"weight 2, 2 edges", "B \u2192 A: 0,5", "B \u2192 C: 1,5"}}));
    EXPECT_EQ(ColourOf(1), kTreeColour);
    EXPECT_EQ(ColourOf(0), clBlack);
    EXPECT_EQ(Text(TAnalysisKind::TopologicalOrder).Lines,
              (std::vector<std::string>{"No order: the graph has a cycle", "A \u2192 B \u2192 A"}));
    EXPECT_EQ(
        Text(TAnalysisKind::MaximumFlow, 1, 3),
        (TResultText{"Maximum flow from A to C", {"value 1,5, cut of 1 edge", "B \u2192 C: 1,5"}}));
    EXPECT_EQ(ColourOf(2), kCutColour);
}

}  // namespace
