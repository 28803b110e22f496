#include <gtest/gtest.h>

#include "editor/ResultText.h"

namespace {

TEST(ResultTextPath, NodesFromSourceToTargetTheEdgeCountAndTheTargetsDistance) {
    TMathGraph graph;
    auto* a = new TGraphPoint(10, 20, "A");
    auto* b = new TGraphPoint(30, -40, "");
    auto* c = new TGraphPoint(50, 60, "\xE9t\xE9");
    for (TGraphPoint* p : {a, b, c}) graph.Nodes->Append(p);
    for (auto [from, to, weight] : {std::tuple{a, b, 0.5L}, std::tuple{b, c, 1.0L}}) {
        auto* edge = new TGraphEdge(from, to);
        edge->Weight = Real48::FromExtended(weight);
        graph.Edges->Add(edge);
    }
    const auto path = graph.ShortestPath(a, c);
    EXPECT_EQ(ShortestPathText(*a, *c, *path, ','),
              (TResultText{"Shortest path from A to \u00e9t\u00e9",
                           {"A \u2192 (30, -40) \u2192 \u00e9t\u00e9", "2 edges, cost 1,5"}}));
    const auto none = graph.ShortestPath(c, a);
    EXPECT_EQ(ShortestPathText(*c, *a, *none, '.').Lines, std::vector<std::string>{"No path"});
    const auto itself = graph.ShortestPath(b, b);
    EXPECT_EQ(ShortestPathText(*b, *b, *itself, '.').Lines,
              (std::vector<std::string>{"(30, -40)", "0 edges, cost 0"}));
    EXPECT_EQ(GraphSizeText(graph), "3 nodes, 2 edges");
    delete graph.Edges->Get(0);
    graph.Edges->Delete(0);
    EXPECT_EQ(GraphSizeText(graph), "3 nodes, 1 edge");
}

}  // namespace
