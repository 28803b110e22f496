// The hit test through the index against the plain scan of every node, and the lookups of
// an area against filtering every element, while presses, drags, deletions and undos
// change the graph.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

#include "editor/GraphView.h"

namespace {

TGraphPoint* FirstNear(const TGraphView& view, int x, int y) {
    for (int i = 1; i <= view.Graph().Nodes->Count(); ++i) {
        auto* node = static_cast<TGraphPoint*>(view.Graph().Nodes->GoToIndex(i));
        if (TGraphView::PointNearNode(*node, x, y)) return node;
    }
    return nullptr;
}

// Random presses and drags over a small field, so that nodes crowd and hit squares
// overlap; a deletion or an undo now and then.
class IndexedView {
public:
    explicit IndexedView(unsigned seed) : random_(seed) {}

    void Step() {
        const int kind = Uniform(0, 9);
        const int x = Uniform(-150, 450), y = Uniform(-150, 450);
        if (kind < 4) {
            Keep(view_.GraphControlMouseDown(
                kind == 0 ? TMouseButton::mbRight : TMouseButton::mbLeft, x, y));
        } else if (kind < 7) {
            Keep(view_.GraphControlMouseMove(true, x, y));
        } else if (kind == 7) {
            Keep(view_.DeleteSelection());
        } else if (!steps_.empty()) {
            view_.Undo(*steps_.back());
            steps_.pop_back();
        }
    }
    int Uniform(int from, int to) { return std::uniform_int_distribution<int>(from, to)(random_); }
    TGraphView& View() { return view_; }

private:
    void Keep(TViewChanges changes) {
        if (changes.Edit) steps_.push_back(std::move(changes.Edit));
    }
    TGraphView view_;
    std::vector<std::unique_ptr<TGraphEdit>> steps_;  // after the view: they may hold nodes
    std::mt19937 random_;
};

TEST(SceneIndexHitTest, FindsTheNodeTheScanFindsAtRandomPoints) {
    const unsigned seed = 20261208u;
    IndexedView indexed(seed);
    for (int round = 0; round < 600; ++round) {
        indexed.Step();
        for (int probe = 0; probe < 20; ++probe) {
            const int x = indexed.Uniform(-200, 500), y = indexed.Uniform(-200, 500);
            ASSERT_EQ(indexed.View().getIntersectingNode(x, y), FirstNear(indexed.View(), x, y))
                << "seed " << seed << ", round " << round << ", at " << x << "," << y;
        }
    }
    EXPECT_GT(indexed.View().Graph().Nodes->Count(), 40);
}

TEST(SceneIndexAreas, FindsWhatFilteringEveryElementFindsInListOrder) {
    IndexedView indexed(99u);
    for (int round = 0; round < 300; ++round) indexed.Step();
    const TMathGraph& graph = indexed.View().Graph();
    TSceneIndex index;
    index.Reset(graph);
    for (int probe = 0; probe < 50; ++probe) {
        const std::int64_t x = indexed.Uniform(-200, 400), y = indexed.Uniform(-200, 400);
        const std::vector<TGraphBox> boxes{{x, y, x + indexed.Uniform(0, 90), y + 40},
                                           {y, x, y + 30, x + indexed.Uniform(0, 200)}};
        const auto holds = [&](std::int64_t px, std::int64_t py) {
            for (const TGraphBox& b : boxes)
                if (px >= b.X1 && px <= b.X2 && py >= b.Y1 && py <= b.Y2) return true;
            return false;
        };
        std::vector<const TGraphPoint*> nodes;
        for (int i = 1; i <= graph.Nodes->Count(); ++i) {
            const auto* node = static_cast<const TGraphPoint*>(graph.Nodes->GoToIndex(i));
            if (holds(node->X, node->Y)) nodes.push_back(node);
        }
        EXPECT_EQ(index.NodesWithin(boxes), nodes) << probe;
        std::vector<const TGraphEdge*> edges;
        for (int k = 0; k < graph.Edges->Count(); ++k) {
            const TGraphEdge* edge = graph.Edges->Get(k);
            const auto* a = static_cast<const TGraphPoint*>(edge->FromNode.Get());
            const auto* b = static_cast<const TGraphPoint*>(edge->ToNode.Get());
            const TGraphBox span{std::min(a->X, b->X), std::min(a->Y, b->Y), std::max(a->X, b->X),
                                 std::max(a->Y, b->Y)};
            for (const TGraphBox& box : boxes)
                if (span.X1 <= box.X2 && span.X2 >= box.X1 && span.Y1 <= box.Y2 &&
                    span.Y2 >= box.Y1) {
                    edges.push_back(edge);
                    break;
                }
        }
        EXPECT_EQ(index.EdgesMeeting(boxes), edges) << probe;
    }
}

}  // namespace
