#include <gtest/gtest.h>

#include <climits>

#include "editor/GraphView.h"
#include "tests/MessageOf.h"
#include "tests/editor/RecordingCanvas.h"
#include "values/ObjCmp.h"

namespace {

// A view shown a graph built beforehand, as File, Load hands one over; everything after
// that goes through the view's operations.
class ViewTest : public ::testing::Test {
protected:
    TGraphPoint* Add(int x, int y) {
        auto* p = new TGraphPoint(x, y, "");
        built->Nodes->Append(p);
        return p;
    }
    TGraphEdge* Join(TGraphPoint* a, TGraphPoint* b, long double weight = 1) {
        auto* e = new TGraphEdge(a, b);
        e->Weight = Real48::FromExtended(weight);
        built->Edges->Add(e);
        return e;
    }
    void Show() { v.ReplaceGraph(std::exchange(built, std::make_unique<TMathGraph>())); }
    TViewChanges Press(int x, int y, TMouseButton b = TMouseButton::mbLeft) {
        return v.GraphControlMouseDown(b, x, y);
    }
    TViewChanges Select(const TGraphPoint* node) { return Press(node->X, node->Y); }
    TGraphPoint* Node(int i) { return static_cast<TGraphPoint*>(v.Graph().Nodes->GoToIndex(i)); }
    long double Weight(const TGraphEdge* e) { return e->GetWeight().ToExtended(); }

    std::unique_ptr<TMathGraph> built = std::make_unique<TMathGraph>();
    TGraphView v;
};

using ViewPress = ViewTest;
using ViewPathMode = ViewTest;
using ViewDrag = ViewTest;
using ViewPaint = ViewTest;
using ViewCaption = ViewTest;
using ViewWeight = ViewTest;
using ViewCommands = ViewTest;

TEST(ViewStart, EmptyGraphNothingSelectedNormalModeAndThinEdges) {
    const TGraphView v;
    EXPECT_EQ(v.Graph().Nodes->Count(), 0);
    EXPECT_EQ(v.SelectedNode(), nullptr);
    EXPECT_EQ(v.SelectedEdge(), nullptr);
    EXPECT_EQ(v.SelectedPath(), nullptr);
    EXPECT_FALSE(v.IsPathMode());
    EXPECT_FALSE(v.AdaptEdges());
}

TEST(ViewPressOnEmptySpace, CreatesASelectedNodeWhateverTheButton) {
    for (TMouseButton b : {TMouseButton::mbLeft, TMouseButton::mbRight, TMouseButton::mbMiddle}) {
        TGraphView v;
        const TViewChanges changes = v.GraphControlMouseDown(b, 40, 50);
        ASSERT_EQ(v.Graph().Nodes->Count(), 1);
        auto* node = static_cast<TGraphPoint*>(v.Graph().Nodes->GoToIndex(1));
        EXPECT_EQ(v.SelectedNode(), node);
        EXPECT_EQ(node->X, 40);
        EXPECT_EQ(node->Y, 50);
        EXPECT_EQ(node->Caption->Text, "");
        EXPECT_EQ(changes.AddedNode, node);
        EXPECT_TRUE(changes.GraphChanged && changes.SelectionChanged && changes.NeedsRepaint);
        EXPECT_FALSE(changes.ModeChanged);
    }
}

TEST_F(ViewPress, HitSquareIs39PixelsAndTheEarliestNodeWins) {
    TGraphPoint* a = Add(100, 100);
    TGraphPoint* b = Add(130, 100);
    Show();
    EXPECT_EQ(v.getIntersectingNode(119, 119), a);
    EXPECT_EQ(v.getIntersectingNode(81, 81), a);
    EXPECT_EQ(v.getIntersectingNode(115, 100), a);
    EXPECT_EQ(v.getIntersectingNode(149, 100), b);
    EXPECT_EQ(v.getIntersectingNode(100, 120), nullptr);
    Press(100, 120);
    EXPECT_EQ(v.Graph().Nodes->Count(), 3);
    EXPECT_EQ(v.SelectedNode(), Node(3));
}

TEST_F(ViewPress, OnlyEdgesLeavingTheSelectedNodeAreHitAlongTheirWholeLine) {
    TGraphPoint* a = Add(100, 100);
    TGraphPoint* b = Add(200, 100);
    TGraphEdge* e = Join(a, b);
    Show();
    Select(a);
    const TViewChanges hit = Press(150, 105);
    EXPECT_EQ(v.SelectedEdge(), e);
    EXPECT_EQ(v.SelectedNode(), nullptr);
    EXPECT_EQ(v.Graph().Nodes->Count(), 2);
    EXPECT_TRUE(hit.SelectionChanged && hit.NeedsRepaint);
    EXPECT_FALSE(hit.GraphChanged);
    Select(a);
    Press(300, 102);  // beyond B: the line is not cut at its ends
    EXPECT_EQ(v.SelectedEdge(), e);
    Select(a);
    Press(150, 106);
    EXPECT_EQ(v.SelectedEdge(), nullptr);
    EXPECT_EQ(v.Graph().Nodes->Count(), 3);
    Select(b);
    Press(175, 100);
    EXPECT_EQ(v.SelectedEdge(), nullptr);
    EXPECT_EQ(v.Graph().Nodes->Count(), 4);
}

TEST_F(ViewPress, VerticalEdgeIsHitWithinSixPixelsAcross) {
    TGraphPoint* a = Add(100, 100);
    TGraphEdge* e = Join(a, Add(100, 200));
    Show();
    Select(a);
    Press(105, 150);
    EXPECT_EQ(v.SelectedEdge(), e);
    Select(a);
    Press(106, 150);
    EXPECT_EQ(v.SelectedEdge(), nullptr);
}

TEST_F(ViewPress, EdgeSelectionEmptiesThePathAndANewNodeToo) {
    TGraphPoint* a = Add(100, 100);
    TGraphPoint* b = Add(200, 100);
    Join(a, b);
    Show();
    Select(a);
    v.StartPathRequest();
    Press(200, 100);
    ASSERT_EQ(v.SelectedPath()->Count(), 1);
    const TEdgeList* path = v.SelectedPath();
    Press(150, 100);
    EXPECT_EQ(v.SelectedPath(), path);  // emptied, not dropped
    EXPECT_EQ(v.SelectedPath()->Count(), 0);
    EXPECT_NE(v.SelectedEdge(), nullptr);
}

TEST_F(ViewPress, RightPressJoinsOnlyFromAnotherSelectedNode) {
    TGraphPoint* a = Add(100, 100);
    TGraphPoint* b = Add(200, 100);
    Show();
    const TViewChanges none = Press(200, 100, TMouseButton::mbRight);
    EXPECT_EQ(v.Graph().Edges->Count(), 0);
    EXPECT_FALSE(none.GraphChanged || none.SelectionChanged);
    EXPECT_TRUE(none.NeedsRepaint);  // every press repaints
    Select(a);
    Press(100, 100, TMouseButton::mbRight);
    EXPECT_EQ(v.Graph().Edges->Count(), 0);
    const TViewChanges joined = Press(200, 100, TMouseButton::mbRight);
    Press(200, 100, TMouseButton::mbMiddle);
    ASSERT_EQ(v.Graph().Edges->Count(), 2);
    EXPECT_EQ(joined.AddedEdge, v.Graph().Edges->Get(0));
    EXPECT_TRUE(joined.GraphChanged);
    EXPECT_FALSE(joined.SelectionChanged);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(v.Graph().Edges->Get(i)->FromNode, a);
        EXPECT_EQ(v.Graph().Edges->Get(i)->ToNode, b);
        EXPECT_EQ(Weight(v.Graph().Edges->Get(i)), 1.0L);
    }
    EXPECT_EQ(v.SelectedNode(), a);
    EXPECT_EQ(v.SelectedEdge(), nullptr);
}

TEST_F(ViewPathMode, LeftPressOnANodeStoresThePathAndEndsTheRequest) {
    TGraphPoint* a = Add(100, 100);
    TGraphPoint* b = Add(200, 100);
    TGraphPoint* c = Add(300, 100);
    TGraphEdge* ab = Join(a, b);
    TGraphEdge* bc = Join(b, c);
    Show();
    Select(a);
    EXPECT_TRUE(v.StartPathRequest().ModeChanged);
    ASSERT_TRUE(v.IsPathMode());
    EXPECT_FALSE(v.StartPathRequest().ModeChanged);  // already waiting: nothing changes
    Press(200, 100, TMouseButton::mbRight);          // joins and keeps the request
    EXPECT_TRUE(v.IsPathMode());
    EXPECT_EQ(v.Graph().Edges->Count(), 3);
    const TViewChanges ended = Press(300, 100);
    ASSERT_EQ(v.SelectedPath()->Count(), 2);
    EXPECT_EQ(v.SelectedPath()->Get(0), bc);
    EXPECT_EQ(v.SelectedPath()->Get(1), ab);
    EXPECT_FALSE(v.IsPathMode());
    EXPECT_TRUE(ended.ModeChanged && ended.SelectionChanged);
    EXPECT_EQ(v.SelectedEdge(), nullptr);
    EXPECT_EQ(v.SelectedNode(), a);
}

TEST_F(ViewPathMode, NewNodeBecomesTheSourceAndNoSourceEndsTheRequest) {
    TGraphPoint* a = Add(100, 100);
    Show();
    EXPECT_FALSE(v.StartPathRequest().ModeChanged);  // nothing selected: no request
    EXPECT_FALSE(v.IsPathMode());
    Select(a);
    v.StartPathRequest();
    Press(300, 300);
    EXPECT_TRUE(v.IsPathMode());
    EXPECT_EQ(v.SelectedNode(), Node(2));
    Press(100, 100, TMouseButton::mbRight);  // an edge from the new node to A
    Press(200, 200);                         // selects it: no source left
    ASSERT_NE(v.SelectedEdge(), nullptr);
    EXPECT_EQ(v.SelectedNode(), nullptr);
    EXPECT_TRUE(v.IsPathMode());
    Press(100, 100);
    EXPECT_FALSE(v.IsPathMode());
    EXPECT_EQ(v.SelectedPath(), nullptr);
    EXPECT_EQ(v.SelectedEdge(), nullptr);
}

TEST_F(ViewPathMode, OverflowingSearchEndsThePressWhereItIsRaised) {
    TGraphPoint* a = Add(100, 100);
    TGraphPoint* b = Add(200, 100);
    TGraphPoint* c = Add(300, 100);
    TGraphEdge* ab = Join(a, b, -1e38L);
    Join(b, c, -1e38L);
    Show();
    Select(a);
    Press(150, 100);
    ASSERT_EQ(v.SelectedEdge(), ab);
    Select(a);  // a left press on a node keeps the selected edge
    ASSERT_EQ(v.SelectedEdge(), ab);
    v.StartPathRequest();
    EXPECT_EQ(MessageOf<EOverflow>([&] { Press(300, 100); }), "Floating point overflow");
    EXPECT_TRUE(v.IsPathMode());
    EXPECT_EQ(v.SelectedEdge(), ab);
    EXPECT_EQ(v.SelectedPath(), nullptr);
}

TEST_F(ViewDrag, LeftButtonInNormalModeMovesTheSelectedNode) {
    TGraphPoint* a = Add(100, 100);
    Show();
    Select(a);
    EXPECT_FALSE(v.GraphControlMouseMove(false, 150, 170).NeedsRepaint);
    EXPECT_EQ(a->X, 100);
    v.StartPathRequest();
    EXPECT_FALSE(v.GraphControlMouseMove(true, 150, 170).NeedsRepaint);
    EXPECT_EQ(a->X, 100);
    Select(a);  // ends the request: a path from A to itself
    const TViewChanges moved = v.GraphControlMouseMove(true, 150, -170);
    EXPECT_EQ(a->X, 150);
    EXPECT_EQ(a->Y, -170);
    EXPECT_TRUE(moved.GraphChanged && moved.NeedsRepaint);
    const TViewChanges still = v.GraphControlMouseMove(true, 150, -170);
    EXPECT_FALSE(still.GraphChanged);
    EXPECT_TRUE(still.NeedsRepaint);
}

std::vector<TRecordedLine> Arrow(int ax, int ay, int bx, int by) {
    TRecordingCanvas canvas;
    TGraphPoint a(ax, ay, ""), b(bx, by, "");
    TGraphView::DrawArrow(canvas, a, b);
    return canvas.Lines;
}

TEST(ViewArrow, ArrowheadAtTheMiddlePointsAtTheTarget) {
    using L = std::vector<TRecordedLine>;
    const TPen p;
    EXPECT_EQ(Arrow(100, 100, 200, 100),
              (L{{100, 100, 200, 100, p}, {150, 100, 140, 97, p}, {150, 100, 140, 103, p}}));
    EXPECT_EQ(Arrow(200, 100, 100, 100),
              (L{{200, 100, 100, 100, p}, {150, 100, 160, 103, p}, {150, 100, 160, 97, p}}));
    EXPECT_EQ(Arrow(100, 100, 100, 200),
              (L{{100, 100, 100, 200, p}, {100, 150, 103, 140, p}, {100, 150, 97, 140, p}}));
    EXPECT_EQ(Arrow(100, 200, 100, 100),
              (L{{100, 200, 100, 100, p}, {100, 150, 97, 160, p}, {100, 150, 103, 160, p}}));
    EXPECT_EQ(Arrow(0, 0, 100, 100),
              (L{{0, 0, 100, 100, p}, {50, 50, 45, 41, p}, {50, 50, 41, 45, p}}));
    EXPECT_EQ(Arrow(100, 100, 100, 100),
              (L{{100, 100, 100, 100, p}, {100, 100, 97, 110, p}, {100, 100, 103, 110, p}}));
}

TEST_F(ViewPaint, NodesThenEdgesBlackThenThePathYellowOrTheSelectedEdgeRed) {
    TGraphPoint* a = Add(100, 100);
    TGraphPoint* b = Add(200, 100);
    TGraphPoint* c = Add(200, 200);
    Join(a, b);
    Join(b, c);
    Show();
    Select(b);
    v.StartPathRequest();
    Press(200, 200);  // the path B->C
    TRecordingCanvas withPath;
    v.Paint(withPath);
    ASSERT_EQ(withPath.Ellipses.size(), 3u);
    EXPECT_EQ(withPath.Ellipses[0], (TRecordedEllipse{90, 90, 110, 110, clWhite, TPen{}}));
    EXPECT_EQ(withPath.Ellipses[1].Brush, clBlack);
    EXPECT_EQ(withPath.Ellipses[2].Brush, clWhite);
    ASSERT_EQ(withPath.Lines.size(), 9u);
    EXPECT_EQ(withPath.Lines[0], (TRecordedLine{100, 100, 200, 100, TPen{clBlack, 1}}));
    EXPECT_EQ(withPath.Lines[3], (TRecordedLine{200, 100, 200, 200, TPen{clBlack, 1}}));
    EXPECT_EQ(withPath.Lines[6], (TRecordedLine{200, 100, 200, 200, TPen{clYellow, 1}}));
    EXPECT_EQ(withPath.Pen, TPen{});
    Press(203, 150);  // selects B->C and empties the path
    TRecordingCanvas withEdge;
    v.Paint(withEdge);
    ASSERT_EQ(withEdge.Lines.size(), 9u);
    EXPECT_EQ(withEdge.Ellipses[1].Brush, clWhite);
    EXPECT_EQ(withEdge.Lines[3].Pen, (TPen{clBlack, 1}));
    EXPECT_EQ(withEdge.Lines[6], (TRecordedLine{200, 100, 200, 200, TPen{clRed, 1}}));
    EXPECT_EQ(withEdge.Pen, TPen{});
}

TEST_F(ViewPaint, AdaptEdgesDrawsRoundedWeightsAsWidths) {
    TGraphPoint* a = Add(0, 0);
    for (long double w : {-3.0L, 2.5L, 3.5L, 0.4L, -3.0L, 1.0L, 1e30L, -1e30L})
        Join(a, Add(50, 50), w);
    Show();
    EXPECT_TRUE(v.ToggleAdaptEdges().NeedsRepaint);
    EXPECT_TRUE(v.AdaptEdges());
    TRecordingCanvas canvas;
    v.Paint(canvas);
    std::vector<int> widths;
    for (std::size_t i = 0; i < canvas.Lines.size(); i += 3)
        widths.push_back(canvas.Lines[i].Pen.Width);
    EXPECT_EQ(widths, (std::vector<int>{1, 2, 4, 0, 0, 1, TGraphView::MaxEdgeWidth,
                                        TGraphView::MaxEdgeWidth}));
    EXPECT_EQ(canvas.Pen, TPen{});
    v.ToggleAdaptEdges();
    TRecordingCanvas plain;
    v.Paint(plain);
    for (const TRecordedLine& line : plain.Lines) EXPECT_EQ(line.Pen.Width, 1);
}

TEST_F(ViewPaint, FarPositionsFromAFileStayWithinTheCanvasRange) {
    TGraphPoint* a = Add(INT_MAX, INT_MIN);
    TGraphPoint* b = Add(INT_MIN, INT_MAX);
    Join(a, b);
    Show();
    Select(a);
    TRecordingCanvas canvas;
    v.Paint(canvas);
    EXPECT_EQ(canvas.Ellipses[0],
              (TRecordedEllipse{INT_MAX - 10, INT_MIN, INT_MAX, INT_MIN + 10, clBlack, TPen{}}));
    EXPECT_EQ(v.getIntersectingNode(INT_MIN, INT_MIN), nullptr);
    EXPECT_EQ(v.getIntersectingNode(INT_MAX, INT_MIN + 19), a);
    Press(0, 0);
    EXPECT_NE(v.SelectedEdge(), nullptr);  // through the middle of the diagonal
}

TEST_F(ViewCaption, WritesTheSelectedNodesCaptionInWindows1252) {
    TGraphPoint* a = Add(100, 100);
    TGraphPoint* b = Add(200, 100);
    Show();
    EXPECT_FALSE(v.SetSelectedCaption(u"x").GraphChanged);  // no node selected
    EXPECT_EQ(v.SelectedCaptionText(), std::nullopt);
    Select(a);
    EXPECT_EQ(v.SelectedCaptionText(), u"");
    const TViewChanges typed = v.SetSelectedCaption(u"A");
    EXPECT_TRUE(typed.GraphChanged);
    EXPECT_FALSE(typed.NeedsRepaint);  // captions are not drawn
    EXPECT_FALSE(v.SetSelectedCaption(u"A").GraphChanged);
    Select(b);
    EXPECT_EQ(v.SelectedCaptionText(), u"");
    v.SetSelectedCaption(u"\u20ac\u2713");
    EXPECT_EQ(b->Caption->Text, "\x80?");
    Select(a);
    EXPECT_EQ(v.SelectedCaptionText(), u"A");
    Select(b);
    EXPECT_EQ(v.SelectedCaptionText(), u"\u20ac?");
    EXPECT_EQ(a->Caption->Text, "A");
}

TEST_F(ViewWeight, StoresEveryNumberAndIgnoresOtherText) {
    TGraphPoint* a = Add(100, 100);
    TGraphEdge* e = Join(a, Add(200, 100));
    Show();
    EXPECT_FALSE(v.SetSelectedWeight("2", '.').NeedsRepaint);  // no edge selected
    Select(a);
    Press(150, 104);
    EXPECT_EQ(v.SelectedWeightText('.'), "1");
    const TViewChanges typed = v.SetSelectedWeight("2.5", '.');
    EXPECT_TRUE(typed.GraphChanged && typed.NeedsRepaint);
    EXPECT_EQ(Weight(e), 2.5L);
    for (const char* text : {"abc", "-", "+", "", "2,5"})
        EXPECT_FALSE(v.SetSelectedWeight(text, '.').NeedsRepaint) << text;
    EXPECT_EQ(Weight(e), 2.5L);
    const TViewChanges same = v.SetSelectedWeight(" 2.5 ", '.');
    EXPECT_FALSE(same.GraphChanged);
    EXPECT_TRUE(same.NeedsRepaint);  // the same number read back still repaints
    v.SetSelectedWeight("1e", '.');
    EXPECT_EQ(Weight(e), 1.0L);
    v.SetSelectedWeight(".", '.');
    EXPECT_EQ(Weight(e), 0.0L);
    v.SetSelectedWeight("0,1", ',');
    EXPECT_EQ(v.SelectedWeightText('.'), "0.100000000000023");
    EXPECT_EQ(v.SelectedWeightText(','), "0,100000000000023");
}

TEST_F(ViewWeight, BeyondTheRangeRaisesAndTheWeightStays) {
    TGraphPoint* a = Add(100, 100);
    TGraphEdge* e = Join(a, Add(200, 100), 1000);
    Show();
    Select(a);
    Press(150, 104);
    EXPECT_EQ(MessageOf<EOverflow>([&] { v.SetSelectedWeight("1e39", '.'); }),
              "Floating point overflow");
    EXPECT_EQ(Weight(e), 1000.0L);
    v.SetSelectedWeight("1e-40", '.');
    EXPECT_EQ(Weight(e), 0.0L);
}

TEST_F(ViewCommands, DeleteEdgeAndNodeRefuseWhatIsStillInUse) {
    TGraphPoint* a = Add(100, 100);
    TGraphPoint* b = Add(200, 100);
    TGraphEdge* ab = Join(a, b);
    Show();
    EXPECT_FALSE(v.DeleteSelectedEdge().NeedsRepaint);
    EXPECT_FALSE(v.DeleteSelectedNode().NeedsRepaint);
    for (TGraphPoint* end : {a, b}) {
        Select(end);
        const TViewChanges refused = v.DeleteSelectedNode();
        EXPECT_FALSE(refused.GraphChanged || refused.NeedsRepaint);
        EXPECT_EQ(v.Graph().Nodes->Count(), 2);
        EXPECT_EQ(v.SelectedNode(), end);
    }
    Select(a);
    Press(150, 100);
    const TViewChanges edgeGone = v.DeleteSelectedEdge();
    EXPECT_EQ(edgeGone.RemovedEdge, ab);  // held by the step, destroyed with it
    EXPECT_TRUE(edgeGone.GraphChanged && edgeGone.SelectionChanged && edgeGone.NeedsRepaint);
    EXPECT_EQ(v.Graph().Edges->Count(), 0);
    EXPECT_EQ(v.SelectedEdge(), nullptr);
    Select(b);
    const TViewChanges nodeGone = v.DeleteSelectedNode();
    EXPECT_EQ(nodeGone.RemovedNode, b);
    EXPECT_TRUE(nodeGone.GraphChanged && nodeGone.SelectionChanged && nodeGone.NeedsRepaint);
    EXPECT_EQ(v.Graph().Nodes->Count(), 1);
    EXPECT_EQ(Node(1), a);
    EXPECT_EQ(v.SelectedNode(), nullptr);
}

TEST_F(ViewCommands, DeleteNodeTakesTheSelectedNodeWhateverTheListCompares) {
    // A file may give the node list any registered compare function.
    built->Nodes = std::make_unique<TNodeList>(TGraphNode::StaticClass(), &CompareEqual);
    TGraphPoint* a = Add(100, 100);
    TGraphPoint* b = Add(200, 100);
    Join(a, a);
    Show();
    Select(b);
    EXPECT_EQ(v.DeleteSelectedNode().RemovedNode, b);
    ASSERT_EQ(v.Graph().Nodes->Count(), 1);
    EXPECT_EQ(Node(1), a);
}

TEST_F(ViewCommands, ReplaceGraphTakesOnlyGraphsOfPointsAndDropsTheOldSelection) {
    TGraphPoint* a = Add(100, 100);
    TGraphPoint* b = Add(200, 100);
    Join(a, b);
    Show();
    Select(a);
    v.StartPathRequest();
    Select(b);
    v.ToggleAdaptEdges();
    Select(a);
    v.StartPathRequest();
    TMathGraph* shown = &v.Graph();
    EXPECT_EQ(MessageOf<EInvalidCast>([&] { v.ReplaceGraph(std::make_unique<TStringObj>("x")); }),
              "Invalid class typecast");
    auto foreign = std::make_unique<TMathGraph>();
    foreign->Nodes->Append(new TGraphNode(std::make_unique<TStringObj>("n")));
    EXPECT_THROW(v.ReplaceGraph(std::move(foreign)), EInvalidCast);
    EXPECT_EQ(&v.Graph(), shown);
    EXPECT_EQ(v.SelectedNode(), a);
    auto loaded = std::make_unique<TMathGraph>();
    loaded->Nodes->Append(new TGraphPoint(5, 6, "p"));
    const TViewChanges changes = v.ReplaceGraph(std::move(loaded));
    EXPECT_EQ(changes.ReplacedGraph.get(), shown);
    EXPECT_TRUE(changes.GraphChanged && changes.SelectionChanged && changes.NeedsRepaint);
    EXPECT_EQ(v.Graph().Nodes->Count(), 1);
    EXPECT_EQ(v.SelectedNode(), nullptr);
    EXPECT_EQ(v.SelectedPath()->Count(), 0);
    EXPECT_TRUE(v.IsPathMode());  // the mode and Adapt Edges survive loading
    EXPECT_TRUE(v.AdaptEdges());
}

}  // namespace

namespace {

using ViewUndo = ViewTest;
using ViewKeys = ViewTest;
using ViewCurves = ViewTest;
using ViewZoom = ViewTest;

TEST_F(ViewUndo, RestoresTheSelectionLeavesPathModeAndEmptiesAPathThatLostAnEdge) {
    TGraphPoint* a = Add(100, 100);
    TGraphPoint* b = Add(200, 100);
    TGraphPoint* c = Add(300, 100);
    Join(a, b);
    Join(b, c);
    Show();
    Select(a);
    TViewChanges joined = Press(300, 100, TMouseButton::mbRight);
    ASSERT_EQ(joined.Edit->Name(), "Join Nodes");
    v.StartPathRequest();
    Press(300, 100);
    ASSERT_EQ(v.SelectedPath()->Count(), 1);  // the new edge, straight to C
    Select(b);
    v.StartPathRequest();
    const TViewChanges undone = v.Undo(*joined.Edit);
    EXPECT_EQ(v.Graph().Edges->Count(), 2);
    EXPECT_EQ(v.SelectedPath()->Count(), 0);
    EXPECT_EQ(v.SelectedNode(), a);
    EXPECT_FALSE(v.IsPathMode());
    EXPECT_TRUE(undone.ModeChanged && undone.SelectionChanged && undone.GraphChanged);
    v.Redo(*joined.Edit);
    EXPECT_EQ(v.Graph().Edges->Get(2), joined.AddedEdge);
}

TEST_F(ViewUndo, KeystrokesAndDragStepsMergeUntilTheNextPress) {
    TGraphPoint* a = Add(100, 100);
    Show();
    Select(a);
    TViewChanges first = v.SetSelectedCaption(u"x");
    EXPECT_TRUE(first.Edit->MergeWith(*v.SetSelectedCaption(u"xy").Edit));
    Select(a);
    EXPECT_FALSE(first.Edit->MergeWith(*v.SetSelectedCaption(u"xyz").Edit));
    TViewChanges drag = v.GraphControlMouseMove(true, 110, 100);
    EXPECT_EQ(drag.Edit->Name(), "Move Node");
    EXPECT_TRUE(drag.Edit->MergeWith(*v.GraphControlMouseMove(true, 120, 100).Edit));
    EXPECT_FALSE(drag.Edit->MergeWith(*v.SetSelectedCaption(u"w").Edit));  // a caption
    v.Undo(*drag.Edit);
    EXPECT_EQ(a->X, 100);  // the whole drag
}

TEST_F(ViewUndo, ABatchIsOneStepAndLetsGoOfASelectionItTakesOut) {
    TGraphPoint* a = Add(100, 100);
    TGraphPoint* b = Add(200, 100);
    Show();
    Select(b);
    auto layout = std::make_unique<TGraphEdit>("Layout");
    layout->MoveNode(a, 0, 0);
    layout->MoveNode(b, 50, 0);
    TViewChanges laid = v.Perform(std::move(layout));
    EXPECT_EQ(b->X, 50);
    EXPECT_EQ(v.SelectedNode(), b);
    v.Undo(*laid.Edit);
    EXPECT_EQ(a->X, 100);
    EXPECT_EQ(b->X, 200);
    auto cut = std::make_unique<TGraphEdit>("Cut");
    cut->RemoveNode(b);
    TViewChanges gone = v.Perform(std::move(cut));
    EXPECT_EQ(v.SelectedNode(), nullptr);
    v.Undo(*gone.Edit);
    EXPECT_EQ(v.SelectedNode(), b);
    EXPECT_EQ(Node(2), b);
}

TEST_F(ViewKeys, DeleteTakesTheSelectedEdgeFirstAndEscapeEndsAPathRequest) {
    TGraphPoint* a = Add(100, 100);
    TGraphPoint* b = Add(200, 100);
    Join(a, b);
    Show();
    Select(a);
    Press(150, 100);
    Select(b);  // the edge stays selected too
    EXPECT_NE(v.DeleteSelection().RemovedEdge, nullptr);
    EXPECT_EQ(v.SelectedNode(), b);
    EXPECT_EQ(v.DeleteSelection().RemovedNode, b);
    EXPECT_FALSE(v.DeleteSelection().GraphChanged);  // nothing selected: nothing to say
    Select(a);
    v.StartPathRequest();
    const TViewChanges ended = v.CancelPathRequest();
    EXPECT_TRUE(ended.ModeChanged);
    EXPECT_FALSE(ended.NeedsRepaint || ended.GraphChanged || ended.SelectionChanged);
    EXPECT_FALSE(v.IsPathMode());
}

TEST_F(ViewCurves, BentEdgesAndLoopsAreHitAlongTheirCurves) {
    TGraphPoint* a = Add(100, 100);
    TGraphPoint* b = Add(200, 100);
    TGraphEdge* ab = Join(a, b);
    Join(b, a);
    TGraphEdge* loop = Join(a, a);
    Show();
    v.SetSeparateOpposite(true);
    Select(a);
    Press(150, 86);  // the curve's middle, 15 above the straight line
    EXPECT_EQ(v.SelectedEdge(), ab);
    Select(a);
    Press(130, 100);  // the straight line, between the two curves
    EXPECT_EQ(v.SelectedEdge(), nullptr);
    EXPECT_EQ(v.Graph().Nodes->Count(), 3);
    Select(a);
    Press(100, 64);
    EXPECT_EQ(v.SelectedEdge(), loop);
    v.SetSeparateOpposite(false);
    Select(a);
    Press(150, 86);
    EXPECT_EQ(v.SelectedEdge(), nullptr);
}

TEST_F(ViewZoom, FitCentresTheGraphAndScrollingReachesEveryNode) {
    Add(0, 0);
    Add(1000, 500);
    Show();
    v.SetViewportSize(400, 300);
    const TGraphView::TScrollRange home = v.ScrollRange();
    EXPECT_EQ(home.MinX, -10);
    EXPECT_EQ(home.MaxX, 1010 - 400);
    EXPECT_EQ(home.MaxY, 510 - 300);
    EXPECT_TRUE(v.FitGraph().ViewMoved);
    EXPECT_DOUBLE_EQ(v.Transform().Zoom(), 400.0 / 1040);
    EXPECT_EQ(v.Transform().ToScreen(500, 250), (TScreenXY{200, 150}));
    v.ZoomIn();
    EXPECT_EQ(v.Transform().Zoom(), 0.5);
    EXPECT_EQ(v.Transform().ToScreen(500, 250), (TScreenXY{200, 150}));
    v.ActualSize();
    EXPECT_TRUE(v.Transform().IsIdentity());
}

}  // namespace
