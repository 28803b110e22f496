#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <sstream>

#include "editor/GraphEdit.h"
#include "editor/GraphView.h"
#include "tests/MessageOf.h"

namespace {

// Everything of a graph that a file or a search can tell apart, objects by identity.
std::string Snapshot(const TMathGraph& graph) {
    std::ostringstream text;
    for (int i = 1; i <= graph.Nodes->Count(); ++i) {
        const auto* node = static_cast<const TGraphPoint*>(graph.Nodes->GoToIndex(i));
        text << node << " at " << node->X << ',' << node->Y << " caption " << node->Caption.get();
        if (node->Caption) text << " \"" << node->Caption->Text << '"';
        text << '\n';
    }
    for (int i = 0; i < graph.Edges->Count(); ++i) {
        const TGraphEdge* edge = graph.Edges->Get(i);
        text << edge << ' ' << edge->FromNode << " -> " << edge->ToNode;
        for (const std::uint8_t byte : edge->Weight.ToBytes()) text << ' ' << int{byte};
        text << '\n';
    }
    return text.str();
}

bool InGraph(const TMathGraph& graph, const TObject* element) {
    for (int i = 1; i <= graph.Nodes->Count(); ++i)
        if (graph.Nodes->GoToIndex(i) == element) return true;
    for (int i = 0; i < graph.Edges->Count(); ++i)
        if (graph.Edges->Get(i) == element) return true;
    return false;
}

// A user at work, at random: presses with every button (placing, selecting, joining),
// drags, typing in both boxes, both deletes and path requests.
class TRandomUser {
public:
    explicit TRandomUser(unsigned seed) : random_(seed) {}

    TViewChanges Act(TGraphView& v) {
        std::uniform_int_distribution<int> spot(0, 300);
        switch (std::uniform_int_distribution<int>(0, 9)(random_)) {
            case 0:
            case 1:
            case 2:
                return v.GraphControlMouseDown(TMouseButton::mbLeft, spot(random_), spot(random_));
            case 3:
                return v.GraphControlMouseDown(TMouseButton::mbRight, spot(random_), spot(random_));
            case 4:
                return v.GraphControlMouseMove(true, spot(random_), spot(random_));
            case 5:
                return v.SetSelectedCaption(
                    std::u16string(1 + spot(random_) % 3, u'a' + spot(random_) % 3));
            case 6:
                return v.SetSelectedWeight(std::to_string(spot(random_) / 10.0), '.');
            case 7:
                return v.DeleteSelectedEdge();
            case 8:
                return v.DeleteSelectedNode();
            default:
                v.StartPathRequest();
                return v.GraphControlMouseDown(TMouseButton::mbLeft, spot(random_), spot(random_));
        }
    }

private:
    std::mt19937 random_;
};

struct TStep {
    std::unique_ptr<TGraphEdit> edit;
    std::string before;  // the graph before the step
};

void ExpectViewConsistent(const TGraphView& v) {
    EXPECT_TRUE(v.SelectedNode() == nullptr || InGraph(v.Graph(), v.SelectedNode()));
    EXPECT_TRUE(v.SelectedEdge() == nullptr || InGraph(v.Graph(), v.SelectedEdge()));
    const TEdgeList* path = v.SelectedPath();
    for (int i = 0; path != nullptr && i < path->Count(); ++i)
        EXPECT_TRUE(InGraph(v.Graph(), path->Get(i)));
    EXPECT_FALSE(v.IsPathMode());
}

// Steps merge as the undo stack merges them: into the last one, which is dropped when it
// then changes nothing.
void Record(std::vector<TStep>& steps, TViewChanges changes, const std::string& before) {
    if (!changes.Edit) return;
    if (!steps.empty() && steps.back().edit->MergeWith(*changes.Edit)) {
        if (steps.back().edit->ChangesNothing()) steps.pop_back();
        return;
    }
    steps.push_back({std::move(changes.Edit), before});
}

TEST(GraphEditHistory, UndoAndRedoBringBackEveryStateOfARandomSessionExactly) {
    for (unsigned seed = 1; seed <= 20; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        TGraphView v;
        TRandomUser user(seed);
        std::vector<TStep> steps;
        for (int i = 0; i < 400; ++i) {
            const std::string before = Snapshot(v.Graph());
            Record(steps, user.Act(v), before);
        }
        ASSERT_GT(steps.size(), 50u);
        const std::string last = Snapshot(v.Graph());
        for (auto step = steps.rbegin(); step != steps.rend(); ++step) {
            v.Undo(*step->edit);
            ASSERT_EQ(Snapshot(v.Graph()), step->before);
            EXPECT_EQ(v.SelectedNode(), step->edit->SelectionBefore.Node);
            ExpectViewConsistent(v);
        }
        for (std::size_t k = 0; k < steps.size(); ++k) {
            v.Redo(*steps[k].edit);
            ASSERT_EQ(Snapshot(v.Graph()), k + 1 < steps.size() ? steps[k + 1].before : last);
            EXPECT_EQ(v.SelectedEdge(), steps[k].edit->SelectionAfter.Edge);
            ExpectViewConsistent(v);
        }
        // Half taken back, then a new branch: the steps dropped take their elements along.
        for (std::size_t k = steps.size(); k > steps.size() / 2; --k) v.Undo(*steps[k - 1].edit);
        steps.resize(steps.size() / 2);
        for (int i = 0; i < 50; ++i) user.Act(v);
    }
}

TEST(GraphEditNodes, ANodeTakenFromTheFrontComesBackFirstWithItsCaptionObject) {
    TMathGraph graph;
    auto* a = new TGraphPoint(1, 1, "A");
    auto* b = new TGraphPoint(2, 2, "B");
    graph.Nodes->Append(a);
    graph.Nodes->Append(b);
    const TStringObj* caption = a->Caption.get();
    TGraphEdit edit("Delete Node");
    edit.RemoveNode(a);
    edit.Apply(graph);
    ASSERT_EQ(graph.Nodes->Count(), 1);
    edit.Revert(graph);
    ASSERT_EQ(graph.Nodes->Count(), 2);
    EXPECT_EQ(graph.Nodes->GoToIndex(1), a);
    EXPECT_EQ(graph.Nodes->GoToIndex(2), b);
    EXPECT_EQ(a->Caption.get(), caption);
    EXPECT_TRUE(graph.Nodes->GetOwnsItems());
    edit.Apply(graph);
    EXPECT_EQ(graph.Nodes->GoToIndex(1), b);
}

TEST(GraphEditCaption, ANodeWithoutACaptionObjectHasNoneAgainAfterUndo) {
    TMathGraph graph;
    auto* a = new TGraphPoint(1, 1, "");
    a->Caption.reset();  // as a file may bring it
    graph.Nodes->Append(a);
    TGraphEdit edit("Edit Caption");
    edit.SetCaption(a, "x");
    edit.Apply(graph);
    ASSERT_NE(a->Caption, nullptr);
    EXPECT_EQ(a->Caption->Text, "x");
    edit.Revert(graph);
    EXPECT_EQ(a->Caption, nullptr);
}

TEST(GraphEditApply, AChangeThatCannotBeMadeTakesBackTheOnesBeforeIt) {
    TMathGraph graph;
    auto* a = new TGraphPoint(1, 1, "");
    graph.Nodes->Append(a);
    TGraphPoint stranger(5, 5, "");
    TGraphEdit edit("Layout");
    edit.MoveNode(a, 40, 50);
    edit.AddEdge(std::make_unique<TGraphEdge>(a, a));
    edit.RemoveNode(&stranger);
    EXPECT_EQ(MessageOf<EInvalidIndex>([&] { edit.Apply(graph); }), "Invalid index in TContainer");
    EXPECT_EQ(a->X, 1);
    EXPECT_EQ(graph.Edges->Count(), 0);
    EXPECT_FALSE(edit.IsApplied());
}

TEST(GraphEditMerge, OnlyStepsWithTheSameKeyOnTheSameElementMerge) {
    TMathGraph graph;
    auto* a = new TGraphPoint(1, 1, "");
    auto* b = new TGraphPoint(2, 2, "");
    graph.Nodes->Append(a);
    graph.Nodes->Append(b);
    const auto move = [&](TGraphPoint* node, int x, TMergeKey key) {
        auto edit = std::make_unique<TGraphEdit>("Move Node");
        edit->MoveNode(node, x, node->Y);
        edit->Apply(graph);
        edit->MergeKey = key;
        return edit;
    };
    const TMergeKey drag{1, a, 7};
    auto first = move(a, 10, drag);
    EXPECT_FALSE(first->MergeWith(*move(a, 20, TMergeKey{1, a, 8})));  // another drag
    EXPECT_FALSE(first->MergeWith(*move(b, 20, TMergeKey{1, a, 7})));  // another node
    EXPECT_TRUE(first->MergeWith(*move(a, 1, drag)));
    EXPECT_TRUE(first->ChangesNothing());  // back where the drag began
}

}  // namespace
