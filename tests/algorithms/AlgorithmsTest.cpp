// The algorithms' edge cases on graphs built in memory; their agreement with NetworkX on
// random graphs is checked by networkx_diff.py.
#include <gtest/gtest.h>

#include <atomic>

#include "algorithms/CheapestPaths.h"
#include "algorithms/Components.h"
#include "algorithms/Distances.h"
#include "algorithms/GraphStats.h"
#include "algorithms/MaximumFlow.h"
#include "algorithms/SpanningForest.h"
#include "algorithms/TopologicalOrder.h"

namespace {

using TPositions = std::vector<int>;

TGraphSnapshot Snapshot(int nodes, const std::vector<TPlainEdge>& edges) {
    return TGraphSnapshot(nodes, edges);
}

std::vector<TGraphNode*> AppendNodes(TMathGraph& graph, int count) {
    std::vector<TGraphNode*> nodes;
    for (int i = 0; i < count; ++i) {
        nodes.push_back(new TGraphNode(std::make_unique<TStringObj>(std::string(1, 'a' + i))));
        graph.Nodes->Append(nodes.back());
    }
    return nodes;
}

TEST(GraphSnapshot, MapsPositionsAndPlacesBackToTheLiveGraph) {
    TMathGraph graph;
    const std::vector<TGraphNode*> nodes = AppendNodes(graph, 3);
    auto* edge = new TGraphEdge(nodes[2], nodes[0]);
    edge->Weight = Real48::FromExtended(2.5L);
    graph.Edges->Add(edge);
    const TGraphSnapshot snapshot(graph);
    EXPECT_EQ(snapshot.NodeAt(3), nodes[2]);
    EXPECT_EQ(snapshot.EdgeAt(0), edge);
    EXPECT_EQ(snapshot.PositionOf(nodes[1]), 2);
    EXPECT_EQ(snapshot.Edge(0).from, 3);
    EXPECT_EQ(snapshot.Edge(0).weight, 2.5);

    TGraphNode stranger(std::make_unique<TStringObj>("x"));
    graph.Edges->Add(new TGraphEdge(nodes[0], &stranger));
    EXPECT_THROW(TGraphSnapshot{graph}, EInvalidIndex);
}

// The graph keeps the ends' positions between snapshots: each kind of change must undo that.
TEST(GraphSnapshot, SeesEveryChangeMadeSinceTheLastOneAndFillsNoOutEdges) {
    TMathGraph graph;
    const std::vector<TGraphNode*> nodes = AppendNodes(graph, 3);
    auto* edge = new TGraphEdge(nodes[2], nodes[0]);
    graph.Edges->Add(edge);
    EXPECT_EQ(TGraphSnapshot(graph).Edge(0).from, 3);
    edge->FromNode = nodes[1];
    EXPECT_EQ(TGraphSnapshot(graph).Edge(0).from, 2);
    graph.ShortestPath(nodes[1], nodes[0]);  // the search keeps its index too
    edge->Weight = Real48::FromExtended(4.0L);
    EXPECT_EQ(TGraphSnapshot(graph).Edge(0).weight, 4.0);

    graph.Nodes->GoToIndex(1);
    const std::unique_ptr<TObject> first(graph.Nodes->RemoveCurrent());
    EXPECT_THROW(TGraphSnapshot{graph}, EInvalidIndex);  // its ToNode is gone
    edge->ToNode = nodes[2];
    const TGraphSnapshot after(graph);
    EXPECT_EQ(after.NodeCount(), 2);
    EXPECT_EQ(after.Edge(0).from, 1);
    EXPECT_EQ(after.Edge(0).to, 2);
    graph.Edges->Add(new TGraphEdge(nodes[2], nodes[1]));
    EXPECT_EQ(TGraphSnapshot(graph).Edge(1).from, 2);
    EXPECT_EQ(nodes[2]->OutEdges->Count(), 0);  // the search's lists are left as they were
}

TEST(CheapestPaths, WalksAroundRingsOfZeroWeightThatLeadBackToTheStart) {
    // 1 -> 2 -> 1 costs nothing, and 2 sorts before 3: a walk that took 2 would find
    // the target only through 1 again.
    const TGraphSnapshot s = Snapshot(4, {{1, 2, 0}, {2, 1, 0}, {1, 3, 1}, {3, 4, 1}});
    const std::vector<TPath> paths = CheapestPaths(s, 1, 4, 3);
    ASSERT_EQ(paths.size(), 1u);
    EXPECT_EQ(paths[0].nodes, (TPositions{1, 3, 4}));
    EXPECT_EQ(paths[0].edges, (TPositions{2, 3}));
    EXPECT_EQ(paths[0].cost, 2);
}

TEST(CheapestPaths, TakesTheCheapestParallelEdgeAndNeverALoop) {
    const TGraphSnapshot s = Snapshot(2, {{1, 2, 3}, {1, 1, -5}, {1, 2, 2}, {1, 2, 2}});
    const std::vector<TPath> paths = CheapestPaths(s, 1, 2, 5);
    ASSERT_EQ(paths.size(), 1u);
    EXPECT_EQ(paths[0].edges, (TPositions{2}));  // of the two of weight 2, the first
    EXPECT_EQ(CheapestPaths(s, 2, 2, 5)[0].nodes, (TPositions{2}));
    EXPECT_TRUE(CheapestPaths(s, 2, 1, 5).empty());
    EXPECT_THROW(CheapestPaths(s, 1, 3, 1), EInvalidIndex);
    try {
        CheapestPaths(Snapshot(2, {{1, 2, -1}}), 1, 2, 1);
        FAIL();
    } catch (const ENegativeWeight& e) {
        EXPECT_STREQ(e.what(), "Negative weights are not allowed here");
    }
}

TEST(Distances, ReportANegativeCycleFromItsSmallestNode) {
    const TGraphSnapshot s = Snapshot(4, {{1, 3, 1}, {3, 4, -2}, {4, 2, 0}, {2, 3, 1}});
    try {
        DistancesFrom(s, 1);
        FAIL();
    } catch (const ENegativeCycle& e) {
        EXPECT_STREQ(e.what(), "Negative cycle: 2 3 4 2");
    }
    // A negative loop is a cycle, but only for the sources that reach it.
    const TGraphSnapshot loop = Snapshot(2, {{2, 1, 1}, {2, 2, -1}});
    EXPECT_EQ(DistancesFrom(loop, 1).distance[1], std::numeric_limits<double>::infinity());
    try {
        DistancesFrom(loop, 2);
        FAIL();
    } catch (const ENegativeCycle& e) {
        EXPECT_EQ(e.Cycle(), (TPositions{2, 2}));
    }
    EXPECT_THROW(AllDistances(loop), ENegativeCycle);
}

TEST(TopologicalOrder, ALoopIsACycleOfOneEdge) {
    EXPECT_EQ(TopologicalOrder(Snapshot(3, {{1, 2, 1}, {3, 3, 1}})).cycle, (TPositions{3, 3}));
    EXPECT_EQ(TopologicalOrder(Snapshot(3, {{3, 1, 1}, {2, 1, 1}})).order, (TPositions{2, 3, 1}));
}

TEST(SpanningForest, CountsTheLighterOfOppositeEdgesAndNoLoops) {
    const TSpanningForest forest =
        MinimumSpanningForest(Snapshot(4, {{1, 2, 5}, {2, 1, 3}, {3, 3, -9}, {4, 3, 1}}));
    EXPECT_EQ(forest.edges, (TPositions{3, 1}));
    EXPECT_EQ(forest.weight, 4);
}

TEST(MaximumFlow, AddsParallelCapacitiesAndRefusesBadEnds) {
    const TGraphSnapshot s = Snapshot(3, {{1, 2, 1.5}, {1, 2, 2}, {2, 2, 7}, {2, 3, 9}});
    const TMaximumFlow flow = MaximumFlow(s, 1, 3);
    EXPECT_EQ(flow.value, 3.5);
    EXPECT_EQ(flow.sourceSide, (TPositions{1}));
    EXPECT_EQ(flow.cutEdges, (TPositions{0, 1}));
    EXPECT_THROW(MaximumFlow(s, 2, 2), ESourceIsSink);
    EXPECT_THROW(MaximumFlow(Snapshot(2, {{1, 2, -1}}), 1, 2), ENegativeCapacity);
}

TEST(GraphStats, LeaveOutWhatAnEmptyGraphCannotHave) {
    const TGraphStats empty = GraphStats(Snapshot(0, {}));
    EXPECT_FALSE(empty.density || empty.degree || empty.diameter);
    const TGraphStats one = GraphStats(Snapshot(1, {{1, 1, 2}}));
    EXPECT_FALSE(one.density);
    EXPECT_TRUE(one.hasCycle);
    EXPECT_EQ(one.degree->max, 2);
    EXPECT_EQ(one.diameter, 0.0);
}

TEST(RunControl, AFlagSetOnAnotherThreadStopsTheRunAndProgressStaysWithinOne) {
    std::vector<TPlainEdge> chain;
    for (int i = 1; i < 20000; ++i) chain.push_back({i, i + 1, 1});
    const TGraphSnapshot s = Snapshot(20000, chain);
    std::vector<double> shares;
    std::atomic<bool> cancel{false};
    TRunControl control{&cancel, [&](double share) { shares.push_back(share); }};
    EXPECT_EQ(DistancesFrom(s, 1, control).distance.back(), 19999);
    ASSERT_FALSE(shares.empty());
    for (double share : shares) EXPECT_TRUE(share > 0 && share <= 1);
    cancel = true;
    EXPECT_THROW(DistancesFrom(s, 1, control), ECancelled);
    EXPECT_THROW(StrongComponents(s, control), ECancelled);
    EXPECT_THROW(MaximumFlow(s, 1, 20000, control), ECancelled);
}

}  // namespace
