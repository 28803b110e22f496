// Graphviz's engines through the library: positions fitted into the view.
#include <gtest/gtest.h>

#include <algorithm>

#include "interchange/Dot.h"
#include "interchange/Layout.h"
#include "tests/interchange/DocumentCompare.h"

namespace {

constexpr TLayoutBox kBox{495, 548, 20};

TGraphDocument Chain(int nodes) {
    TGraphDocument document;
    for (int i = 0; i < nodes; ++i) document.Nodes.push_back(Node("n" + std::to_string(i)));
    for (int i = 0; i + 1 < nodes; ++i) document.Edges.push_back(Edge(i, i + 1));
    document.Edges.push_back(Edge(0, 0));  // loops and parallel edges are laid out too
    if (nodes > 1) document.Edges.push_back(Edge(0, 1));
    if (nodes > 3) document.Edges.push_back(Edge(nodes - 1, 2));  // a cycle for dot to break
    return document;
}

}  // namespace

TEST(LayOut, EveryEngineFitsTheNodesIntoTheBoxLessItsMargin) {
    const TGraphDocument document = Chain(12);
    for (const char* name : {"neato", "sfdp", "dot", "circo", "twopi"}) {
        SCOPED_TRACE(name);
        const std::vector<TPosition> positions = LayOut(document, *LayoutEngineNamed(name), kBox);
        ASSERT_EQ(positions.size(), document.Nodes.size());
        const auto [left, right] =
            std::minmax_element(positions.begin(), positions.end(),
                                [](const TPosition& a, const TPosition& b) { return a.X < b.X; });
        const auto [top, bottom] =
            std::minmax_element(positions.begin(), positions.end(),
                                [](const TPosition& a, const TPosition& b) { return a.Y < b.Y; });
        EXPECT_GE(left->X, 20);
        EXPECT_LE(right->X, 475);
        EXPECT_GE(top->Y, 20);
        EXPECT_LE(bottom->Y, 528);
        // Scaled to fit: the drawing spans the box one way or the other.
        EXPECT_TRUE((left->X == 20 && right->X == 475) || (top->Y == 20 && bottom->Y == 528));
        EXPECT_EQ(positions, LayOut(document, *LayoutEngineNamed(name), kBox));
    }
}

TEST(LayOut, StandsAsGraphvizDrawsItAndCentresASingleNode) {
    // dot ranks a chain from the top down: the first node highest in the view.
    const std::vector<TPosition> ranks = LayOut(Chain(3), TLayoutEngine::Dot, kBox);
    EXPECT_LT(ranks[0].Y, ranks[1].Y);
    EXPECT_LT(ranks[1].Y, ranks[2].Y);
    EXPECT_EQ(LayOut(Chain(1), TLayoutEngine::Neato, kBox), (std::vector<TPosition>{{248, 274}}));
    EXPECT_TRUE(LayOut(TGraphDocument(), TLayoutEngine::Sfdp, kBox).empty());
}

TEST(LayoutGraphDot, IsTheSameGraphForGraphvizsCommandLine) {
    TWarnings warnings;
    const TGraphDocument graph = ReadDot(LayoutGraphDot(Chain(5)), warnings);
    EXPECT_EQ(graph.Nodes.size(), 5u);
    EXPECT_EQ(graph.Edges.size(), 7u);
}

TEST(DefaultLayoutEngine, NeatoUpToAThousandNodesThenSfdp) {
    EXPECT_EQ(DefaultLayoutEngine(1000), TLayoutEngine::Neato);
    EXPECT_EQ(DefaultLayoutEngine(1001), TLayoutEngine::Sfdp);
    EXPECT_EQ(LayoutEngineNamed("fdp"), std::nullopt);
    EXPECT_STREQ(LayoutEngineName(TLayoutEngine::Twopi), "twopi");
}
