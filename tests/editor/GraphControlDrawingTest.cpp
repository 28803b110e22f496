// The control keeps its drawing and redraws only what a press or a drag changed; what it
// shows must still be, pixel for pixel, a paint of the whole graph.
#include <gtest/gtest.h>

#include <QImage>
#include <QMouseEvent>
#include <QTest>
#include <random>

#include "editor/GraphControl.h"
#include "editor/QtCanvas.h"

namespace {

class ControlDrawing : public ::testing::Test {
protected:
    void SetUp() override {
        control.resize(400, 300);
        control.show();
        // Crowded on purpose: circles overlap, and edges cross them.
        std::mt19937 random(7u);
        std::uniform_int_distribution<int> x(15, 385), y(15, 285), weight(-2, 9);
        auto graph = std::make_unique<TMathGraph>();
        std::vector<TGraphPoint*> points;
        for (int i = 0; i < 120; ++i) {
            points.push_back(new TGraphPoint(x(random), y(random), std::to_string(i)));
            graph->Nodes->Append(points.back());
        }
        std::uniform_int_distribution<std::size_t> pick(0, points.size() - 1);
        for (int k = 0; k < 240; ++k) {
            auto* edge = new TGraphEdge(points[pick(random)], points[pick(random)]);
            edge->Weight = Real48::FromExtended(weight(random) / 2.0L);
            graph->Edges->Add(edge);
        }
        first = points.front();
        control.ShowChanges(control.View().ReplaceGraph(std::move(graph)));
    }

    void Drag(QPoint from, QPoint to) {
        QTest::mousePress(&control, Qt::LeftButton, {}, from);
        for (int step = 1; step <= 8; ++step) {
            const QPointF at = from + (to - from) * step / 8;
            QMouseEvent move(QEvent::MouseMove, at, control.mapToGlobal(at), Qt::NoButton,
                             Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(&control, &move);
        }
        QTest::mouseRelease(&control, Qt::LeftButton, {}, to);
    }
    /// The visible area, without the scroll bars.
    QRect Visible() {
        return {0, 0, control.View().Transform().Width(), control.View().Transform().Height()};
    }
    QImage Shown() {
        return control.grab().toImage().convertToFormat(QImage::Format_RGB32).copy(Visible());
    }
    /// The whole graph painted afresh on the control's background, with nothing left out
    /// for lying outside the visible area.
    QImage PaintedWhole(QColor background) {
        QImage image(control.size(), QImage::Format_RGB32);
        image.fill(background);
        TViewTransform everywhere;
        const TViewTransform& shown = control.View().Transform();
        everywhere.ZoomAbout(shown.Zoom(), 0, 0);
        everywhere.ScrollTo(shown.ScrollX(), shown.ScrollY());
        {
            QPainter painter(&image);
            TQtCanvas canvas(painter);
            const TGraphView& view = control.View();
            PaintGraph(canvas, view.Graph(),
                       {view.SelectedNode(), view.SelectedEdge(), view.SelectedPath()},
                       view.Overlay(), view.Options(), everywhere);
        }
        return image.copy(Visible());
    }
    /// What the control shows once it has drawn everything again.
    QImage RedrawnWhole() {
        TViewChanges all;
        all.NeedsRepaint = true;
        control.ShowChanges(std::move(all));
        return Shown();
    }
    QColor Background() { return Shown().pixelColor(399, 299); }  // a corner no node reaches

    TGraphControl control;
    TGraphPoint* first = nullptr;
};

TEST_F(ControlDrawing, AfterPressesAndDragsAsAWholePaint) {
    const QColor background = Background();
    Drag({first->X, first->Y}, {200, 150});
    QTest::mouseClick(&control, Qt::LeftButton, {}, QPoint(30, 290));    // places a node
    QTest::mouseClick(&control, Qt::RightButton, {}, QPoint(200, 150));  // joins it
    Drag({30, 290}, {120, 40});
    const QImage kept = Shown();
    EXPECT_TRUE(kept == PaintedWhole(background));
    EXPECT_TRUE(kept == RedrawnWhole());
}

TEST_F(ControlDrawing, ZoomedPannedAndLabelledAsAWholePaint) {
    const QColor background = Background();
    control.ShowChanges(control.View().ZoomBy(2, 100, 80));
    control.ShowChanges(control.View().ScrollTo(control.View().Transform().ScrollX() + 37,
                                                control.View().Transform().ScrollY() - 11));
    EXPECT_TRUE(Shown() == PaintedWhole(background));  // what lies outside is left out
    control.ShowChanges(control.View().SetShowCaptions(true));
    control.ShowChanges(control.View().SetShowWeights(true));
    const TScreenXY at = control.View().Transform().ToScreen(first->X, first->Y);
    Drag({at.X, at.Y}, {150, 120});
    EXPECT_TRUE(Shown() == RedrawnWhole());
}

TEST_F(ControlDrawing, SeenFromFarAsAWholePaint) {
    const QColor background = Background();
    control.ShowChanges(control.View().ZoomBy(-6, 0, 0));  // an eighth: nodes are dots
    QTest::mouseClick(&control, Qt::LeftButton, {}, QPoint(first->X / 8, first->Y / 8));
    Drag({first->X / 8, first->Y / 8}, {30, 20});
    QTest::mouseClick(&control, Qt::LeftButton, {}, QPoint(45, 36));
    const QImage kept = Shown();
    EXPECT_TRUE(kept == PaintedWhole(background));
    EXPECT_TRUE(kept == RedrawnWhole());
}

}  // namespace
