// The editor far beyond hand-drawn graphs: 10,000 nodes and 20,000 edges on a view of
// 1600 x 1200 pixels. One whole paint, a press that places a node and a drag step, each
// through the Qt control as the window drives it, against a bare QPainter drawing the same
// ellipses and lines on an image of the same size; the paint with every caption and weight
// drawn too; and 10,000 placements by presses, then their undos and redos through the
// control's undo stack. Then a graph ten times larger, as an import makes it, fitted in
// the view: a frame of panning, a frame of zooming, and a press that places a node.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QSplitter>
#include <QUndoStack>
#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <random>
#include <vector>

#include "editor/GraphControl.h"
#include "editor/GraphDocument.h"
#include "editor/GraphPoint.h"
#include "editor/QtCanvas.h"
#include "editor/Units.h"
#include "editor/uGraphForm.h"

namespace {

constexpr int kWidth = 1600;
constexpr int kHeight = 1200;
constexpr int kNodes = 10000;
constexpr int kEdges = 20000;
// Nodes keep off a band along the bottom, so that a press there lands on empty space.
constexpr int kFreeBand = 80;
constexpr int kColumns = 125;
constexpr int kRows = kNodes / kColumns;
// Edges join nodes at most this many grid steps apart, as in a drawn graph.
constexpr int kReach = 3;

struct TScene {
    std::vector<QPoint> nodes;
    std::vector<std::pair<int, int>> edges;  // positions in nodes
};

/// The nodes on a jittered grid that fills the view above the band, and edges between
/// nodes nearby until there are as many as the benchmark wants: two from most nodes,
/// three from a few. The first node has no edge leaving it.
const TScene& Scene() {
    static const TScene scene = [] {
        std::mt19937 random(20240601u);
        std::uniform_int_distribution<int> jitter(-4, 4);
        std::uniform_int_distribution<int> step(-kReach, kReach);
        TScene s;
        for (int row = 0; row < kRows; ++row)
            for (int column = 0; column < kColumns; ++column)
                s.nodes.emplace_back(
                    10 + column * (kWidth - 20) / kColumns + jitter(random),
                    10 + row * (kHeight - kFreeBand - 20) / kRows + jitter(random));
        for (int from = 1; static_cast<int>(s.edges.size()) < kEdges;
             from = from % (kNodes - 1) + 1) {
            const int column = std::clamp(from % kColumns + step(random), 0, kColumns - 1);
            const int row = std::clamp(from / kColumns + step(random), 0, kRows - 1);
            const int to = row * kColumns + column;
            if (to != from) s.edges.emplace_back(from, to);
        }
        return s;
    }();
    return scene;
}

/// The scene's graph shown in the view, as File, Load would show it: each node captioned
/// with its number, the edges weighing 0.5 to 10 in steps of 0.5.
void FillGraph(TGraphView& view) {
    auto graph = std::make_unique<TMathGraph>();
    std::vector<TGraphPoint*> points;
    for (const QPoint& p : Scene().nodes) {
        points.push_back(new TGraphPoint(p.x(), p.y(), std::to_string(points.size() + 1)));
        graph->Nodes->Append(points.back());
    }
    for (const auto& [from, to] : Scene().edges) {
        auto* edge = new TGraphEdge(points[static_cast<std::size_t>(from)],
                                    points[static_cast<std::size_t>(to)]);
        edge->Weight = Real48::FromExtended(0.5L * (1 + graph->Edges->Count() % 20));
        graph->Edges->Add(edge);
    }
    view.ReplaceGraph(std::move(graph));
}

QImage ViewImage() {
    QImage image(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    return image;
}

/// The reference: every ellipse and every line that one paint of the view draws, with the
/// pen and brush set once and the arrowheads worked out beforehand.
void BM_BareQPainter(benchmark::State& state) {
    std::vector<QRect> ellipses;
    std::vector<QLine> lines;
    for (const QPoint& p : Scene().nodes)
        ellipses.emplace_back(p - QPoint(10, 10), QSize(20, 20));  // as the canvas draws a node
    for (const auto& [from, to] : Scene().edges) {
        const QPoint a = Scene().nodes[static_cast<std::size_t>(from)];
        const QPoint b = Scene().nodes[static_cast<std::size_t>(to)];
        const QPoint middle = (a + b) / 2;
        const double theta =
            std::atan2(double(b.y()) - a.y(), double(b.x()) - a.x()) + std::numbers::pi;
        lines.emplace_back(a, b);
        for (const double side : {0.3, -0.3})
            lines.emplace_back(middle,
                               middle + QPoint(int(std::lround(10 * std::cos(theta + side))),
                                               int(std::lround(10 * std::sin(theta + side)))));
    }
    QImage image = ViewImage();
    for (auto _ : state) {
        QPainter painter(&image);
        painter.setPen(QPen(Qt::black, 1));
        painter.setBrush(Qt::white);
        for (const QRect& r : ellipses) painter.drawEllipse(r);
        for (const QLine& l : lines) painter.drawLine(l);
    }
    state.counters["ellipses"] = static_cast<double>(ellipses.size());
    state.counters["lines"] = static_cast<double>(lines.size());
}

/// One Paint of the whole graph through the view and the Qt canvas, as paintEvent does it.
void BM_Paint(benchmark::State& state) {
    TGraphControl control;
    FillGraph(control.View());
    QImage image = ViewImage();
    for (auto _ : state) {
        QPainter painter(&image);
        TQtCanvas canvas(painter);
        control.View().Paint(canvas);
    }
}

/// The same Paint with Show Captions and Show Weights on: 10,000 captions and 20,000
/// weights more, through the control's own label cache, as its repaints draw them.
void BM_PaintLabelled(benchmark::State& state) {
    TGraphControl control;
    FillGraph(control.View());
    control.View().SetShowCaptions(true);
    control.View().SetShowWeights(true);
    control.View().SetViewportSize(kWidth, kHeight);
    TQtLabelCache labels;
    QImage image = ViewImage();
    // The control's labels outlive its paints: they are written once, before the first.
    const auto paint = [&] {
        QPainter painter(&image);
        TQtCanvas canvas(painter, &labels);
        control.View().Paint(canvas);
    };
    paint();
    for (auto _ : state) paint();
}

/// Counts the paint events that reach the view: a press or a drag must repaint it.
class TPaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

/// The editor's window with the view at the benchmark's size, shown on the offscreen
/// platform so that a repaint really paints.
struct TShownForm {
    TGraphForm form;
    TGraphControl* control;
    TPaintCounter counter;

    TShownForm() : control(form.GetGraphControl()) {
        form.resize(kWidth + 340, kHeight + 60);
        form.Splitter->setSizes({kWidth + 4, 300});
        form.show();
        QApplication::processEvents();
        FillGraph(control->View());
        control->installEventFilter(&counter);
    }

    void Send(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent event(type, QPointF(at), control->mapToGlobal(QPointF(at)), button, held,
                          Qt::NoModifier);
        QApplication::sendEvent(control, &event);
    }
};

void ShowLabels(TGraphControl& control) {
    control.ShowChanges(control.View().SetShowCaptions(true));
    control.ShowChanges(control.View().SetShowWeights(true));
}

void ReportSize(benchmark::State& state, const TShownForm& shown) {
    state.counters["view_width"] = shown.control->width();
    state.counters["view_height"] = shown.control->height();
}

/// A left press on empty space while a node is selected: both hit tests, a new node, the
/// repaint and the window's click handler. The node is taken out again untimed, so every
/// press meets the same graph.
void BM_PressCreatesNode(benchmark::State& state) {
    TShownForm shown;
    if (state.range(0) != 0) ShowLabels(*shown.control);
    TGraphView& view = shown.control->View();
    // The first node: no edge leaves it, so the press looks at every edge and selects none.
    auto* selected = static_cast<TGraphPoint*>(view.Graph().Nodes->GoToIndex(1));
    // Shown, as every change of the view is: the control keeps its drawing.
    const auto select = [&] {
        shown.control->ShowChanges(
            view.GraphControlMouseDown(TMouseButton::mbLeft, selected->X, selected->Y));
    };
    select();
    int column = 0;
    for (auto _ : state) {
        const QPoint at(20 + 40 * (column++ % 35), kHeight - kFreeBand / 2);
        shown.Send(QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
        state.PauseTiming();
        shown.Send(QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
        TGraphPoint* made = view.SelectedNode();
        if (made == nullptr || made == selected || made->X != at.x()) {
            state.SkipWithError("the press made no node");
            break;
        }
        shown.control->ShowChanges(view.DeleteSelectedNode());
        select();
        state.ResumeTiming();
    }
    state.counters["paints_per_press"] =
        benchmark::Counter(shown.counter.paints, benchmark::Counter::kAvgIterations);
    ReportSize(state, shown);
}

/// One step of dragging a selected node with the left button held: the move and the repaint.
/// With range(0) 1, every caption and weight is shown too.
void BM_DragStep(benchmark::State& state) {
    TShownForm shown;
    if (state.range(0) != 0) ShowLabels(*shown.control);
    const QPoint start = Scene().nodes.front();
    shown.Send(QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
    if (shown.control->View().SelectedNode() == nullptr) state.SkipWithError("no node to drag");
    shown.counter.paints = 0;
    int step = 0;
    for (auto _ : state) {
        const QPoint at = start + QPoint(step % 50, (step / 50) % 50);
        ++step;
        shown.Send(QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton);
    }
    shown.Send(QEvent::MouseButtonRelease, start, Qt::LeftButton, Qt::NoButton);
    state.counters["paints_per_step"] =
        benchmark::Counter(shown.counter.paints, benchmark::Counter::kAvgIterations);
    ReportSize(state, shown);
}

/// Presses on empty space, each placing a node, sent to a control that is not shown (so
/// that no paint is timed): range(0) of them on a grid 40 pixels apart.
void PlaceNodes(TGraphControl& control, int count) {
    for (int i = 0; i < count; ++i) {
        const QPointF at(20 + 40 * (i % 100), 20 + 40 * (i / 100));
        QMouseEvent press(QEvent::MouseButtonPress, at, at, Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(&control, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, at, at, Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QApplication::sendEvent(&control, &release);
    }
}

void CheckCount(benchmark::State& state, const TGraphControl& control, int nodes, int steps) {
    if (control.View().Graph().Nodes->Count() != nodes || control.UndoStack()->index() != steps)
        state.SkipWithError("the steps did not do what they should");
}

/// range(0) placements, each a press through the control and a step on its undo stack.
/// Each press tests every node first, as the editor's hit test does.
void BM_PlaceNodes(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        auto control = std::make_unique<TGraphControl>();
        state.ResumeTiming();
        PlaceNodes(*control, count);
        state.PauseTiming();
        CheckCount(state, *control, count, count);
        control.reset();
        state.ResumeTiming();
    }
}

/// The undo of every one of range(0) placements, the last first.
void BM_UndoPlacements(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        auto control = std::make_unique<TGraphControl>();
        PlaceNodes(*control, count);
        state.ResumeTiming();
        for (int i = 0; i < count; ++i) control->UndoStack()->undo();
        state.PauseTiming();
        CheckCount(state, *control, 0, 0);
        control.reset();
        state.ResumeTiming();
    }
}

/// The redo of every one of range(0) placements undone.
void BM_RedoPlacements(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        auto control = std::make_unique<TGraphControl>();
        PlaceNodes(*control, count);
        for (int i = 0; i < count; ++i) control->UndoStack()->undo();
        state.ResumeTiming();
        for (int i = 0; i < count; ++i) control->UndoStack()->redo();
        state.PauseTiming();
        CheckCount(state, *control, count, count);
        control.reset();
        state.ResumeTiming();
    }
}

// The large graph: nodes on a jittered grid 40 units apart, edges to nodes nearby as in
// the scene above, every caption its number; a band along the bottom stays free.
constexpr int kLargeColumns = 400;
constexpr int kLargeRows = 250;
constexpr int kLargeEdges = 200000;
constexpr int kLargeSpacing = 40;
constexpr int kLargeBand = 800;

TGraphDocument LargeDocument() {
    std::mt19937 random(20241208u);
    std::uniform_int_distribution<int> jitter(-4, 4);
    std::uniform_int_distribution<int> step(-kReach, kReach);
    TGraphDocument document;
    for (int row = 0; row < kLargeRows; ++row)
        for (int column = 0; column < kLargeColumns; ++column) {
            const int n = static_cast<int>(document.Nodes.size()) + 1;
            document.Nodes.push_back({"n" + std::to_string(n), std::to_string(n),
                                      TPosition{column * kLargeSpacing + jitter(random),
                                                row * kLargeSpacing + jitter(random)}});
        }
    const int count = kLargeColumns * kLargeRows;
    for (int from = 1; static_cast<int>(document.Edges.size()) < kLargeEdges;
         from = from % (count - 1) + 1) {
        const int column = std::clamp(from % kLargeColumns + step(random), 0, kLargeColumns - 1);
        const int row = std::clamp(from / kLargeColumns + step(random), 0, kLargeRows - 1);
        const int to = row * kLargeColumns + column;
        if (to != from)
            document.Edges.push_back(
                {from, to, Real48::FromExtended(0.5L * (1 + document.Edges.size() % 20))});
    }
    // A node far below the rest keeps the band free of nodes inside the fitted view.
    document.Nodes.push_back({"corner", "", TPosition{0, kLargeRows * kLargeSpacing + kLargeBand}});
    return document;
}

/// The window with the large graph, made through the document as an import makes it,
/// every caption and weight shown, fitted in the view and painted once.
struct TLargeForm : TShownForm {
    TLargeForm() {
        TWarnings warnings;
        control->ShowChanges(
            control->View().ReplaceGraph(GraphOfDocument(LargeDocument(), warnings)));
        ShowLabels(*control);
        control->ShowChanges(control->View().FitGraph());
        QApplication::processEvents();
    }
};

/// A frame of panning the fitted large graph: the scroll position moves 40 pixels to
/// either side in turn, and the view repaints.
void BM_LargePanFrame(benchmark::State& state) {
    TLargeForm shown;
    TGraphView& view = shown.control->View();
    const double x = view.Transform().ScrollX(), y = view.Transform().ScrollY();
    int frame = 0;
    for (auto _ : state) shown.control->ShowChanges(view.ScrollTo(x + (frame++ % 2 ? 40 : -40), y));
    state.counters["zoom"] = view.Transform().Zoom();
    state.counters["nodes"] = view.Graph().Nodes->Count();
    state.counters["edges"] = view.Graph().Edges->Count();
}

/// A frame of zooming: one level in about the middle of the view, then out again.
void BM_LargeZoomFrame(benchmark::State& state) {
    TLargeForm shown;
    TGraphView& view = shown.control->View();
    const int sx = view.Transform().Width() / 2, sy = view.Transform().Height() / 2;
    int frame = 0;
    for (auto _ : state) shown.control->ShowChanges(view.ZoomBy(frame++ % 2 ? -1 : 1, sx, sy));
}

/// A press on the free band of the fitted large graph, placing a node; taken out again
/// untimed, with a node selected again as before the press.
void BM_LargePlaceNode(benchmark::State& state) {
    TLargeForm shown;
    TGraphView& view = shown.control->View();
    auto* selected = static_cast<TGraphPoint*>(view.Graph().Nodes->GoToIndex(1));
    // Shown, as every change of the view is: the control keeps its drawing.
    const auto select = [&] {
        shown.control->ShowChanges(
            view.GraphControlMouseDown(TMouseButton::mbLeft, selected->X, selected->Y));
    };
    select();
    const int bandY = view.Transform().ToScreen(0, kLargeRows * kLargeSpacing + kLargeBand / 2).Y;
    int column = 0;
    for (auto _ : state) {
        const QPoint at(20 + 40 * (column++ % 35), bandY);
        shown.Send(QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
        state.PauseTiming();
        shown.Send(QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
        TGraphPoint* made = view.SelectedNode();
        if (made == nullptr || made == selected) {
            state.SkipWithError("the press made no node");
            break;
        }
        shown.control->ShowChanges(view.DeleteSelectedNode());
        select();
        state.ResumeTiming();
    }
}

BENCHMARK(BM_BareQPainter)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Paint)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintLabelled)->Unit(benchmark::kMillisecond);
// Each round sets up its own control untimed, which takes longer than the undos timed:
// a fixed number of rounds, or the benchmark would run for minutes.
BENCHMARK(BM_PlaceNodes)->Arg(1000)->Arg(10000)->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UndoPlacements)->Arg(1000)->Arg(10000)->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RedoPlacements)->Arg(1000)->Arg(10000)->Iterations(5)->Unit(benchmark::kMillisecond);
// Each press is undone untimed with a whole repaint, far longer than the press: a fixed
// number of presses.
BENCHMARK(BM_PressCreatesNode)->Arg(0)->Arg(1)->Iterations(200)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DragStep)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LargePanFrame)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LargeZoomFrame)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LargePlaceNode)->Iterations(100)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    RegisterAllUnits();
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
