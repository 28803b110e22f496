// The drawing that a user who changes no view option gets: the canvas calls recorded from
// the editor before zoom, labels and curves existed, for a graph that has every kind of
// edge a file can bring (opposite edges, a loop, a negative weight).
#include <gtest/gtest.h>

#include <sstream>
#include <tuple>

#include "editor/GraphView.h"
#include "tests/editor/RecordingCanvas.h"

namespace {

struct TFixedGraph {
    TGraphView view;
    TGraphPoint *a, *b, *c;

    TFixedGraph() {
        auto graph = std::make_unique<TMathGraph>();
        a = new TGraphPoint(100, 100, "A");
        b = new TGraphPoint(200, 100, "B");
        c = new TGraphPoint(200, 200, "");
        auto* d = new TGraphPoint(60, 220, "D");
        auto* e = new TGraphPoint(300, 40, "E");
        for (TGraphPoint* p : {a, b, c, d, e}) graph->Nodes->Append(p);
        const std::tuple<TGraphPoint*, TGraphPoint*, long double> edges[] = {
            {a, b, 1}, {b, a, 2.5}, {b, c, 1}, {a, c, 3}, {c, d, 0.4}, {d, d, 1}, {e, a, -3}};
        for (auto [from, to, weight] : edges) {
            auto* edge = new TGraphEdge(from, to);
            edge->Weight = Real48::FromExtended(weight);
            graph->Edges->Add(edge);
        }
        view.ReplaceGraph(std::move(graph));
    }
    /// The calls of one paint, a line for each pen or brush change and what it draws.
    std::string Calls() const {
        TRecordingCanvas canvas;
        view.Paint(canvas);
        std::string grouped;
        std::istringstream calls(canvas.Calls);
        bool drew = false;
        for (std::string call; std::getline(calls, call);) {
            const bool setting =
                call.starts_with("pen") || call.starts_with("brush") || call.starts_with("width");
            if (!grouped.empty()) grouped += setting && drew ? "\n" : "; ";
            grouped += call;
            drew = !setting;
        }
        return grouped;
    }
};

TEST(DefaultDrawing, PathFromTheSelectedNode) {
    TFixedGraph g;
    g.view.GraphControlMouseDown(TMouseButton::mbLeft, 100, 100);
    g.view.StartPathRequest();
    g.view.GraphControlMouseDown(TMouseButton::mbLeft, 200, 200);
    EXPECT_EQ(g.Calls(), R"(brush 0,0,0; ellipse 90,90 110,110
brush 255,255,255; ellipse 190,90 210,110
brush 255,255,255; ellipse 190,190 210,210
brush 255,255,255; ellipse 50,210 70,230
brush 255,255,255; ellipse 290,30 310,50
width 1; pen 0,0,0; move 100,100; line 200,100; move 150,100; line 140,97; move 150,100; line 140,103
pen 0,0,0; move 200,100; line 100,100; move 150,100; line 160,103; move 150,100; line 160,97
pen 0,0,0; move 200,100; line 200,200; move 200,150; line 203,140; move 200,150; line 197,140
pen 0,0,0; move 100,100; line 200,200; move 150,150; line 145,141; move 150,150; line 141,145
pen 0,0,0; move 200,200; line 60,220; move 130,210; line 140,212; move 130,210; line 139,206
pen 0,0,0; move 60,220; line 60,220; move 60,220; line 57,230; move 60,220; line 63,230
pen 0,0,0; move 300,40; line 100,100; move 200,70; line 210,70; move 200,70; line 208,64
pen 255,255,0; move 200,100; line 200,200; move 200,150; line 203,140; move 200,150; line 197,140
pen 255,255,0; move 100,100; line 200,100; move 150,100; line 140,97; move 150,100; line 140,103
pen 0,0,0; width 1)");
}

TEST(DefaultDrawing, SelectedEdgeWithAdaptEdges) {
    TFixedGraph g;
    g.view.ToggleAdaptEdges();
    g.view.GraphControlMouseDown(TMouseButton::mbLeft, 200, 100);
    g.view.GraphControlMouseDown(TMouseButton::mbLeft, 203, 150);
    EXPECT_EQ(g.Calls(), R"(brush 255,255,255; ellipse 90,90 110,110
brush 255,255,255; ellipse 190,90 210,110
brush 255,255,255; ellipse 190,190 210,210
brush 255,255,255; ellipse 50,210 70,230
brush 255,255,255; ellipse 290,30 310,50
width 1; width 1; pen 0,0,0; move 100,100; line 200,100; move 150,100; line 140,97; move 150,100; line 140,103
width 2; pen 0,0,0; move 200,100; line 100,100; move 150,100; line 160,103; move 150,100; line 160,97
width 1; pen 0,0,0; move 200,100; line 200,200; move 200,150; line 203,140; move 200,150; line 197,140
width 3; pen 0,0,0; move 100,100; line 200,200; move 150,150; line 145,141; move 150,150; line 141,145
width 0; pen 0,0,0; move 200,200; line 60,220; move 130,210; line 140,212; move 130,210; line 139,206
width 1; pen 0,0,0; move 60,220; line 60,220; move 60,220; line 57,230; move 60,220; line 63,230
width -1; pen 0,0,0; move 300,40; line 100,100; move 200,70; line 210,70; move 200,70; line 208,64
width 1; pen 255,0,0; move 200,100; line 200,200; move 200,150; line 203,140; move 200,150; line 197,140
pen 0,0,0; width 1)");
}

}  // namespace
