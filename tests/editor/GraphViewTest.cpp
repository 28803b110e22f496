#include <gtest/gtest.h>

#include <climits>

#include "editor/GraphView.h"
#include "tests/editor/RecordingCanvas.h"

namespace {

// The view with its toolkit replaced by counters.
class TTestView : public TGraphView {
public:
    bool PathMode = false;
    int Repaints = 0;
    int Clicks = 0;

    TGraphPoint* Add(int x, int y) {
        auto* p = new TGraphPoint(x, y, "");
        Graph->Nodes->Append(p);
        return p;
    }
    TGraphEdge* Join(TGraphPoint* a, TGraphPoint* b, long double weight = 1) {
        auto* e = new TGraphEdge(a, b);
        e->Weight = Real48::FromExtended(weight);
        Graph->Edges->Add(e);
        return e;
    }
    void Press(int x, int y, TMouseButton b = TMouseButton::mbLeft) {
        GraphControlMouseDown(b, x, y);
    }
    TGraphPoint* Node(int i) { return static_cast<TGraphPoint*>(Graph->Nodes->GoToIndex(i)); }
    using TGraphView::StartPathRequest;

protected:
    bool IsPathMode() const override { return PathMode; }
    void SetPathMode(bool on) override { PathMode = on; }
    void RepaintView() override { ++Repaints; }
    void NotifyClick() override { ++Clicks; }
};

TEST(ViewPress, EmptySpaceCreatesASelectedNodeWhateverTheButton) {
    for (TMouseButton b : {TMouseButton::mbLeft, TMouseButton::mbRight, TMouseButton::mbMiddle}) {
        TTestView v;
        v.Press(40, 50, b);
        ASSERT_EQ(v.Graph->Nodes->Count(), 1);
        EXPECT_EQ(v.SelectedNode, v.Node(1));
        EXPECT_EQ(v.Node(1)->X, 40);
        EXPECT_EQ(v.Node(1)->Y, 50);
        EXPECT_EQ(v.Node(1)->Caption->Text, "");
        EXPECT_EQ(v.Repaints, 1);
        EXPECT_EQ(v.Clicks, 1);
    }
}

TEST(ViewPress, HitSquareIs39PixelsAndTheEarliestNodeWins) {
    TTestView v;
    TGraphPoint* a = v.Add(100, 100);
    TGraphPoint* b = v.Add(130, 100);
    EXPECT_EQ(v.getIntersectingNode(119, 119), a);
    EXPECT_EQ(v.getIntersectingNode(81, 81), a);
    EXPECT_EQ(v.getIntersectingNode(115, 100), a);
    EXPECT_EQ(v.getIntersectingNode(149, 100), b);
    EXPECT_EQ(v.getIntersectingNode(100, 120), nullptr);
    v.Press(100, 120);
    EXPECT_EQ(v.Graph->Nodes->Count(), 3);
    EXPECT_EQ(v.SelectedNode, v.Node(3));
}

TEST(ViewPress, OnlyEdgesLeavingTheSelectedNodeAreHitAlongTheirWholeLine) {
    TTestView v;
    TGraphPoint* a = v.Add(100, 100);
    TGraphPoint* b = v.Add(200, 100);
    TGraphEdge* e = v.Join(a, b);
    v.SelectedNode = a;
    v.Press(150, 105);
    EXPECT_EQ(v.SelectedEdge, e);
    EXPECT_EQ(v.SelectedNode, nullptr);
    EXPECT_EQ(v.Graph->Nodes->Count(), 2);
    v.SelectedNode = a;
    v.Press(300, 102);  // beyond B: the line is not cut at its ends
    EXPECT_EQ(v.SelectedEdge, e);
    v.SelectedNode = a;
    v.Press(150, 106);
    EXPECT_EQ(v.SelectedEdge, nullptr);
    EXPECT_EQ(v.Graph->Nodes->Count(), 3);
    v.SelectedNode = b;
    v.Press(175, 100);
    EXPECT_EQ(v.SelectedEdge, nullptr);
    EXPECT_EQ(v.Graph->Nodes->Count(), 4);
}

TEST(ViewPress, VerticalEdgeIsHitWithinSixPixelsAcross) {
    TTestView v;
    TGraphPoint* a = v.Add(100, 100);
    TGraphEdge* e = v.Join(a, v.Add(100, 200));
    v.SelectedNode = a;
    v.Press(105, 150);
    EXPECT_EQ(v.SelectedEdge, e);
    v.SelectedNode = a;
    v.Press(106, 150);
    EXPECT_EQ(v.SelectedEdge, nullptr);
    EXPECT_EQ(v.Clicks, 2);
}

TEST(ViewPress, EdgeSelectionEmptiesThePathAndANewNodeToo) {
    TTestView v;
    TGraphPoint* a = v.Add(100, 100);
    TGraphPoint* b = v.Add(200, 100);
    v.Join(a, b);
    v.SelectedNode = a;
    v.PathMode = true;
    v.Press(200, 100);
    ASSERT_EQ(v.SelectedPath->Count(), 1);
    v.Press(150, 100);
    EXPECT_EQ(v.SelectedPath->Count(), 0);
    EXPECT_NE(v.SelectedEdge, nullptr);
}

TEST(ViewPress, RightPressJoinsOnlyFromAnotherSelectedNode) {
    TTestView v;
    TGraphPoint* a = v.Add(100, 100);
    TGraphPoint* b = v.Add(200, 100);
    v.Press(200, 100, TMouseButton::mbRight);
    EXPECT_EQ(v.Graph->Edges->Count(), 0);
    v.SelectedNode = a;
    v.Press(100, 100, TMouseButton::mbRight);
    EXPECT_EQ(v.Graph->Edges->Count(), 0);
    v.Press(200, 100, TMouseButton::mbRight);
    v.Press(200, 100, TMouseButton::mbMiddle);
    ASSERT_EQ(v.Graph->Edges->Count(), 2);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(v.Graph->Edges->Get(i)->FromNode, a);
        EXPECT_EQ(v.Graph->Edges->Get(i)->ToNode, b);
        EXPECT_EQ(v.Graph->Edges->Get(i)->GetWeight().ToExtended(), 1.0L);
    }
    EXPECT_EQ(v.SelectedNode, a);
    EXPECT_EQ(v.SelectedEdge, nullptr);
    EXPECT_EQ(v.Clicks, 4);
}

TEST(ViewPathMode, LeftPressOnANodeStoresThePathAndEndsTheRequest) {
    TTestView v;
    TGraphPoint* a = v.Add(100, 100);
    TGraphPoint* b = v.Add(200, 100);
    TGraphPoint* c = v.Add(300, 100);
    TGraphEdge* ab = v.Join(a, b);
    TGraphEdge* bc = v.Join(b, c);
    v.SelectedNode = a;
    v.StartPathRequest();
    ASSERT_TRUE(v.PathMode);
    v.Press(200, 100, TMouseButton::mbRight);  // joins and keeps the request
    EXPECT_TRUE(v.PathMode);
    EXPECT_EQ(v.Graph->Edges->Count(), 3);
    v.Press(300, 100);
    ASSERT_EQ(v.SelectedPath->Count(), 2);
    EXPECT_EQ(v.SelectedPath->Get(0), bc);
    EXPECT_EQ(v.SelectedPath->Get(1), ab);
    EXPECT_FALSE(v.PathMode);
    EXPECT_EQ(v.SelectedEdge, nullptr);
    EXPECT_EQ(v.SelectedNode, a);
}

TEST(ViewPathMode, NewNodeBecomesTheSourceAndNoSourceEndsTheRequest) {
    TTestView v;
    v.StartPathRequest();
    EXPECT_FALSE(v.PathMode);  // nothing selected: no request
    TGraphPoint* a = v.Add(100, 100);
    v.SelectedNode = a;
    v.StartPathRequest();
    v.Press(300, 300);
    EXPECT_TRUE(v.PathMode);
    EXPECT_EQ(v.SelectedNode, v.Node(2));
    v.SelectedNode = nullptr;
    v.SelectedEdge = v.Join(a, v.Node(2));
    v.Press(100, 100);
    EXPECT_FALSE(v.PathMode);
    EXPECT_EQ(v.SelectedPath, nullptr);
    EXPECT_EQ(v.SelectedEdge, nullptr);
    EXPECT_EQ(v.Clicks, 2);
}

TEST(ViewPathMode, OverflowingSearchEndsThePressWithoutRepaintOrClick) {
    TTestView v;
    TGraphPoint* a = v.Add(100, 100);
    TGraphPoint* b = v.Add(200, 100);
    TGraphPoint* c = v.Add(300, 100);
    TGraphEdge* ab = v.Join(a, b, -1e38L);
    v.Join(b, c, -1e38L);
    v.SelectedNode = a;
    v.Press(150, 100);
    ASSERT_EQ(v.SelectedEdge, ab);
    v.SelectedNode = a;
    v.PathMode = true;
    EXPECT_THROW(v.Press(300, 100), EOverflow);
    EXPECT_TRUE(v.PathMode);
    EXPECT_EQ(v.SelectedEdge, ab);
    EXPECT_EQ(v.SelectedPath, nullptr);
    EXPECT_EQ(v.Repaints, 1);
    EXPECT_EQ(v.Clicks, 1);
}

TEST(ViewDrag, LeftButtonInNormalModeMovesTheSelectedNode) {
    TTestView v;
    TGraphPoint* a = v.Add(100, 100);
    v.Press(100, 100);
    v.GraphControlMouseMove(false, 150, 170);
    EXPECT_EQ(a->X, 100);
    v.PathMode = true;
    v.GraphControlMouseMove(true, 150, 170);
    EXPECT_EQ(a->X, 100);
    v.PathMode = false;
    v.GraphControlMouseMove(true, 150, -170);
    EXPECT_EQ(a->X, 150);
    EXPECT_EQ(a->Y, -170);
    EXPECT_EQ(v.Repaints, 2);
    EXPECT_EQ(v.Clicks, 1);
}

std::vector<TRecordedLine> Arrow(int ax, int ay, int bx, int by) {
    TRecordingCanvas canvas;
    TGraphPoint a(ax, ay, ""), b(bx, by, "");
    TGraphView::DrawArrow(canvas, a, b);
    return canvas.Lines;
}

TEST(ViewPaint, ArrowheadAtTheMiddlePointsAtTheTarget) {
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

TEST(ViewPaint, NodesThenEdgesPathAndSelectedEdgeInTheirColours) {
    TTestView v;
    TGraphPoint* a = v.Add(100, 100);
    TGraphPoint* b = v.Add(200, 100);
    TGraphPoint* c = v.Add(200, 200);
    v.Join(a, b);
    TGraphEdge* bc = v.Join(b, c);
    v.SelectedNode = b;
    v.SelectedPath = std::make_unique<TEdgeList>();
    v.SelectedPath->Add(bc);
    v.SelectedEdge = bc;
    TRecordingCanvas canvas;
    v.Paint(canvas);
    ASSERT_EQ(canvas.Ellipses.size(), 3u);
    EXPECT_EQ(canvas.Ellipses[0], (TRecordedEllipse{90, 90, 110, 110, clWhite, TPen{}}));
    EXPECT_EQ(canvas.Ellipses[1].Brush, clBlack);
    EXPECT_EQ(canvas.Ellipses[2].Brush, clWhite);
    ASSERT_EQ(canvas.Lines.size(), 12u);
    for (int i : {0, 3, 6, 9}) EXPECT_EQ(canvas.Lines[i].Pen.Width, 1);
    EXPECT_EQ(canvas.Lines[0].Pen.Color, clBlack);
    EXPECT_EQ(canvas.Lines[3].Pen.Color, clBlack);
    EXPECT_EQ(canvas.Lines[6].Pen.Color, clYellow);
    EXPECT_EQ(canvas.Lines[9], (TRecordedLine{200, 100, 200, 200, TPen{clRed, 1}}));
    EXPECT_EQ(canvas.Pen, TPen{});
}

TEST(ViewPaint, AdaptEdgesDrawsRoundedWeightsAsWidths) {
    TTestView v;
    TGraphPoint* a = v.Add(0, 0);
    for (long double w : {-3.0L, 2.5L, 3.5L, 0.4L, -3.0L, 1.0L, 1e30L, -1e30L})
        v.Join(a, v.Add(50, 50), w);
    v.AdaptEdges = true;
    TRecordingCanvas canvas;
    v.Paint(canvas);
    std::vector<int> widths;
    for (std::size_t i = 0; i < canvas.Lines.size(); i += 3)
        widths.push_back(canvas.Lines[i].Pen.Width);
    EXPECT_EQ(widths, (std::vector<int>{1, 2, 4, 0, 0, 1, TGraphView::MaxEdgeWidth,
                                        TGraphView::MaxEdgeWidth}));
    EXPECT_EQ(canvas.Pen, TPen{});
    v.AdaptEdges = false;
    TRecordingCanvas plain;
    v.Paint(plain);
    for (const TRecordedLine& line : plain.Lines) EXPECT_EQ(line.Pen.Width, 1);
}

TEST(ViewPaint, FarPositionsFromAFileStayWithinTheCanvasRange) {
    TTestView v;
    TGraphPoint* a = v.Add(INT_MAX, INT_MIN);
    TGraphPoint* b = v.Add(INT_MIN, INT_MAX);
    v.Join(a, b);
    v.SelectedNode = a;
    TRecordingCanvas canvas;
    v.Paint(canvas);
    EXPECT_EQ(canvas.Ellipses[0],
              (TRecordedEllipse{INT_MAX - 10, INT_MIN, INT_MAX, INT_MIN + 10, clBlack, TPen{}}));
    EXPECT_EQ(v.getIntersectingNode(INT_MIN, INT_MIN), nullptr);
    EXPECT_EQ(v.getIntersectingNode(INT_MAX, INT_MIN + 19), a);
    v.Press(0, 0);
    EXPECT_NE(v.SelectedEdge, nullptr);  // through the middle of the diagonal
}

TEST(ViewCommands, DeleteEdgeAndNodeRefuseWhatIsStillInUse) {
    TTestView v;
    TGraphPoint* a = v.Add(100, 100);
    TGraphPoint* b = v.Add(200, 100);
    TGraphEdge* ab = v.Join(a, b);
    v.DeleteSelectedEdge();
    v.DeleteSelectedNode();
    for (TGraphPoint* end : {a, b}) {
        v.SelectedNode = end;
        v.DeleteSelectedNode();
        EXPECT_EQ(v.Graph->Nodes->Count(), 2);
        EXPECT_EQ(v.SelectedNode, end);
    }
    EXPECT_EQ(v.Repaints, 0);
    v.SelectedEdge = ab;
    v.DeleteSelectedEdge();
    EXPECT_EQ(v.Graph->Edges->Count(), 0);
    EXPECT_EQ(v.SelectedEdge, nullptr);
    v.DeleteSelectedNode();
    EXPECT_EQ(v.Graph->Nodes->Count(), 1);
    EXPECT_EQ(v.Node(1), a);
    EXPECT_EQ(v.SelectedNode, nullptr);
    EXPECT_EQ(v.Repaints, 2);
}

TEST(ViewCommands, ReplaceGraphTakesOnlyGraphsOfPointsAndDropsTheOldSelection) {
    TTestView v;
    TGraphPoint* a = v.Add(100, 100);
    v.Join(a, v.Add(200, 100));
    v.SelectedNode = a;
    v.SelectedPath = std::make_unique<TEdgeList>();
    v.SelectedPath->Add(v.Graph->Edges->Get(0));
    TMathGraph* shown = v.Graph.get();
    EXPECT_THROW(v.ReplaceGraph(std::make_unique<TStringObj>("x")), EInvalidCast);
    auto foreign = std::make_unique<TMathGraph>();
    foreign->Nodes->Append(new TGraphNode(std::make_unique<TStringObj>("n")));
    EXPECT_THROW(v.ReplaceGraph(std::move(foreign)), EInvalidCast);
    EXPECT_EQ(v.Graph.get(), shown);
    EXPECT_EQ(v.SelectedNode, a);
    auto loaded = std::make_unique<TMathGraph>();
    loaded->Nodes->Append(new TGraphPoint(5, 6, "p"));
    v.ReplaceGraph(std::move(loaded));
    EXPECT_EQ(v.Graph->Nodes->Count(), 1);
    EXPECT_EQ(v.SelectedNode, nullptr);
    EXPECT_EQ(v.SelectedPath->Count(), 0);
    EXPECT_EQ(v.Repaints, 1);
}

}  // namespace
