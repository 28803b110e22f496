#include <gtest/gtest.h>

#include "editor/GraphPainter.h"
#include "tests/editor/RecordingCanvas.h"

namespace {

class PainterTest : public ::testing::Test {
protected:
    TGraphPoint* Add(int x, int y, const std::string& caption = "") {
        auto* p = new TGraphPoint(x, y, caption);
        graph.Nodes->Append(p);
        return p;
    }
    TGraphEdge* Join(TGraphPoint* a, TGraphPoint* b, long double weight = 1) {
        auto* e = new TGraphEdge(a, b);
        e->Weight = Real48::FromExtended(weight);
        graph.Edges->Add(e);
        return e;
    }
    TRecordingCanvas Paint() {
        TRecordingCanvas canvas;
        PaintGraph(canvas, graph, selection, overlay, options, transform);
        return canvas;
    }

    TMathGraph graph;
    TPaintSelection selection;
    TOverlay overlay;
    TViewOptions options;
    TViewTransform transform;
};

using PainterZoom = PainterTest;
using PainterLabels = PainterTest;
using PainterCurves = PainterTest;
using PainterOverlay = PainterTest;

TEST_F(PainterZoom, CirclesPensAndArrowheadsGrowWithTheZoomAndArrowheadsStayReadable) {
    TGraphPoint* a = Add(100, 100);
    Join(a, Add(200, 100));
    transform.ZoomAbout(2, 0, 0);
    transform.ScrollTo(50, 20);
    const TRecordingCanvas big = Paint();
    EXPECT_EQ(big.Ellipses[0], (TRecordedEllipse{130, 160, 170, 200, clWhite, TPen{clBlack, 2}}));
    using L = std::vector<TRecordedLine>;
    const TPen two{clBlack, 2};
    EXPECT_EQ(big.Lines,
              (L{{150, 180, 350, 180, two}, {250, 180, 231, 174, two}, {250, 180, 231, 186, two}}));
    EXPECT_EQ(big.Pen, TPen{});
    transform.ZoomAbout(0.25, 0, 0);
    transform.ScrollTo(0, 0);
    const TRecordingCanvas small = Paint();
    EXPECT_EQ(small.Ellipses[1], (TRecordedEllipse{48, 23, 52, 27, clWhite, TPen{clBlack, 0}}));
    const TPen thinnest{clBlack, 0};
    EXPECT_EQ(small.Lines, (L{{25, 25, 50, 25, thinnest},
                              {37, 25, 32, 24, thinnest},
                              {37, 25, 32, 26, thinnest}}));  // 5 pixels, not 2.5
}

TEST_F(PainterLabels, CaptionsBesideNodesWeightsAtMiddlesOnlyWhereTheyShow) {
    TGraphPoint* a = Add(100, 100, "A");
    TGraphPoint* b = Add(200, 100, "");
    TGraphPoint* far = Add(500, 100, "\xDC");  // beyond the visible area
    Add(40, 40,
        "\xDC"
        "ber");
    Join(a, b, 2.5);
    Join(b, far, 1e15L);
    Join(far, Add(900, 100, "Z"), 3);  // its middle beyond the visible area too
    transform.SetViewport(400, 200);
    options.ShowCaptions = options.ShowWeights = true;
    options.DecimalSeparator = ',';
    const TRecordingCanvas canvas = Paint();
    using T = std::vector<TRecordedText>;
    EXPECT_EQ(canvas.Texts, (T{{112, 95, "A", clBlack},
                               {52, 35, "\u00DCber", clBlack},
                               {153, 102, "2,5", clBlack},
                               {353, 102, "1E15", clBlack}}));
    // Labels come last, over everything, and leave the pen as the drawing did.
    EXPECT_TRUE(canvas.Calls.ends_with("text 353,102 1E15\n"));
    EXPECT_EQ(canvas.Pen, TPen{});
}

TEST_F(PainterCurves, OppositeEdgesBendToEitherSideAndALoopRisesAboveItsNode) {
    TGraphPoint* a = Add(100, 100);
    TGraphPoint* b = Add(200, 100);
    Join(a, b);
    Join(b, a);
    Join(a, a);
    Join(b, Add(200, 200));
    options.SeparateOpposite = true;
    const TRecordingCanvas canvas = Paint();
    const TPen pen;
    using C = std::vector<TRecordedCurve>;
    EXPECT_EQ(canvas.Curves, (C{{100, 100, 133, 80, 167, 80, 200, 100, pen},
                                {200, 100, 167, 120, 133, 120, 100, 100, pen},
                                {100, 100, 75, 50, 125, 50, 100, 100, pen}}));
    using L = std::vector<TRecordedLine>;
    EXPECT_EQ(canvas.Lines, (L{{150, 85, 140, 82, pen},
                               {150, 85, 140, 88, pen},  // A -> B, above
                               {150, 115, 160, 118, pen},
                               {150, 115, 160, 112, pen},  // B -> A, below
                               {100, 62, 90, 59, pen},
                               {100, 62, 90, 65, pen},  // the loop, rightward
                               {200, 100, 200, 200, pen},
                               {200, 150, 203, 140, pen},
                               {200, 150, 197, 140, pen}}));  // without a reverse: straight
}

TEST_F(PainterOverlay, ColoursReplaceWhiteAndBlackButNotTheSelection) {
    TGraphPoint* a = Add(100, 100);
    TGraphPoint* b = Add(200, 100);
    TGraphEdge* ab = Join(a, b);
    const TColor green{0, 128, 0}, blue{0, 0, 255};
    overlay.Colours = {{a, green}, {b, green}, {ab, blue}};
    selection.Node = b;
    const TRecordingCanvas canvas = Paint();
    EXPECT_EQ(canvas.Ellipses[0].Brush, green);
    EXPECT_EQ(canvas.Ellipses[1].Brush, clBlack);
    EXPECT_EQ(canvas.Lines[0].Pen.Color, blue);
}

}  // namespace
