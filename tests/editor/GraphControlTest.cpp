#include <gtest/gtest.h>

#include <QImage>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTest>
#include <QUndoStack>

#include "editor/ErrorDisplay.h"
#include "editor/GraphControl.h"

namespace {

class GraphControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        control.resize(400, 300);
        control.show();
        QObject::connect(&control, &TGraphControl::Click, [this] { ++clicks; });
        previous = SetErrorDisplay([this](const QString& m) { messages << m; });
    }
    void TearDown() override { SetErrorDisplay(previous); }

    void Click(int x, int y, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseClick(&control, button, {}, QPoint(x, y));
    }
    void Move(int x, int y, Qt::MouseButtons held) {
        QMouseEvent move(QEvent::MouseMove, QPointF(x, y), control.mapToGlobal(QPointF(x, y)),
                         Qt::NoButton, held, Qt::NoModifier);
        QApplication::sendEvent(&control, &move);
    }
    TGraphPoint* Node(int i) {
        return static_cast<TGraphPoint*>(control.View().Graph().Nodes->GoToIndex(i));
    }
    void StartPathRequest() { control.ShowChanges(control.View().StartPathRequest()); }
    void Wheel(int x, int y, QPoint turn, Qt::KeyboardModifiers modifiers = {}) {
        QWheelEvent wheel(QPointF(x, y), control.mapToGlobal(QPointF(x, y)), QPoint(), turn,
                          Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&control, &wheel);
    }
    void Show(std::initializer_list<std::pair<int, int>> points) {
        auto graph = std::make_unique<TMathGraph>();
        for (auto [x, y] : points) graph->Nodes->Append(new TGraphPoint(x, y, ""));
        control.ShowChanges(control.View().ReplaceGraph(std::move(graph)));
    }
    QScrollBar* Bar(const char* name) { return control.findChild<QScrollBar*>(name); }
    QUndoStack& Steps() { return *control.UndoStack(); }

    TGraphControl control;
    int clicks = 0;
    QStringList messages;
    TErrorDisplay previous;
};

TEST_F(GraphControlTest, LeftDragMovesTheSelectedNodeAndPathModeIsTheCursor) {
    QTest::mousePress(&control, Qt::LeftButton, {}, QPoint(100, 100));
    Move(150, 170, Qt::LeftButton);
    Move(10, 10, Qt::RightButton);
    QTest::mouseRelease(&control, Qt::LeftButton, {}, QPoint(150, 170));
    EXPECT_EQ(Node(1)->X, 150);
    EXPECT_EQ(Node(1)->Y, 170);
    StartPathRequest();
    EXPECT_EQ(control.cursor().shape(), Qt::CrossCursor);
    Move(10, 10, Qt::LeftButton);
    EXPECT_EQ(Node(1)->X, 150);
    Click(150, 170);
    EXPECT_EQ(control.cursor().shape(), Qt::ArrowCursor);
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(GraphControlTest, FailingPressIsShownWithoutRepaintOrNotification) {
    auto graph = std::make_unique<TMathGraph>();
    auto* a = new TGraphPoint(100, 100, "");
    auto* b = new TGraphPoint(200, 100, "");
    auto* c = new TGraphPoint(300, 100, "");
    for (TGraphPoint* p : {a, b, c}) graph->Nodes->Append(p);
    for (auto [from, to] : {std::pair{a, b}, std::pair{b, c}}) {
        auto* e = new TGraphEdge(from, to);
        e->Weight = Real48::FromExtended(-1e38L);
        graph->Edges->Add(e);
    }
    control.ShowChanges(control.View().ReplaceGraph(std::move(graph)));
    Click(100, 100);
    StartPathRequest();
    clicks = 0;
    Click(300, 100);
    EXPECT_EQ(messages, QStringList{"Floating point overflow"});
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(control.cursor().shape(), Qt::CrossCursor);
}

TEST_F(GraphControlTest, PaintsTheSelectedNodeBlackAndTheSelectedEdgeRed) {
    Click(100, 100);
    Click(300, 100);
    Click(100, 100);
    Click(300, 100, Qt::RightButton);
    Click(200, 100);
    const QImage image = control.grab().toImage();
    EXPECT_EQ(image.pixelColor(100, 95), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(180, 100), QColor(Qt::red));
    Click(100, 100);
    EXPECT_EQ(control.grab().toImage().pixelColor(100, 95), QColor(Qt::black));
    Click(100, 100, Qt::BackButton);  // not an editing button: no notification either
    EXPECT_EQ(clicks, 6);
}

TEST_F(GraphControlTest, APressAfterZoomingLandsUnderTheCursorInGraphCoordinates) {
    Wheel(100, 100, {0, 240}, Qt::ControlModifier);  // two notches: zoom 2 about (100, 100)
    EXPECT_EQ(control.View().Transform().Zoom(), 2.0);
    Click(300, 200);
    ASSERT_EQ(control.View().Graph().Nodes->Count(), 1);
    EXPECT_EQ(Node(1)->X, 200);
    EXPECT_EQ(Node(1)->Y, 150);
    const QImage image = control.grab().toImage();
    EXPECT_EQ(image.pixelColor(300, 185), QColor(Qt::black));  // a circle of radius 20
    QTest::mousePress(&control, Qt::LeftButton, {}, QPoint(300, 200));
    Move(321, 220, Qt::LeftButton);
    QTest::mouseRelease(&control, Qt::LeftButton, {}, QPoint(321, 220));
    EXPECT_EQ(Node(1)->X, 211);  // 210.5 rounds up
    EXPECT_EQ(Node(1)->Y, 160);
    EXPECT_EQ(Steps().count(), 2);  // the node, the drag
}

TEST_F(GraphControlTest, ScrollBarsOnlyForAGraphLargerThanTheViewAndTheWheelScrolls) {
    Show({{100, 100}, {390, 290}});
    EXPECT_FALSE(Bar("HorizontalScrollBar")->isVisible());
    EXPECT_FALSE(Bar("VerticalScrollBar")->isVisible());
    Show({{100, 100}, {600, 150}});
    ASSERT_TRUE(Bar("HorizontalScrollBar")->isVisible());
    EXPECT_FALSE(Bar("VerticalScrollBar")->isVisible());
    EXPECT_EQ(Bar("HorizontalScrollBar")->maximum(), 610 - 400);
    Wheel(50, 50, {0, -120});  // no vertical bar: nothing to scroll
    EXPECT_EQ(control.View().Transform().ScrollY(), 0);
    Wheel(50, 50, {0, -120}, Qt::ShiftModifier);
    const double scrolled = control.View().Transform().ScrollX();
    EXPECT_GT(scrolled, 0);
    Click(10, 10);
    EXPECT_EQ(Node(3)->X, 10 + int(scrolled));
}

TEST_F(GraphControlTest, EveryChangeIsOneStepThatUndoTakesBack) {
    Click(100, 100);
    EXPECT_EQ(Steps().undoText(), "Place Node");
    QTest::mousePress(&control, Qt::LeftButton, {}, QPoint(100, 100));
    for (int x : {110, 130, 150}) Move(x, 100, Qt::LeftButton);
    QTest::mouseRelease(&control, Qt::LeftButton, {}, QPoint(150, 100));
    QTest::mousePress(&control, Qt::LeftButton, {}, QPoint(150, 100));
    Move(160, 100, Qt::LeftButton);
    Move(150, 100, Qt::LeftButton);  // back where it began: no step
    QTest::mouseRelease(&control, Qt::LeftButton, {}, QPoint(150, 100));
    ASSERT_EQ(Steps().count(), 2);
    EXPECT_EQ(Steps().undoText(), "Move Node");
    Click(300, 100);
    Steps().undo();
    EXPECT_EQ(control.View().SelectedNode(), Node(1));  // as before the press that placed it
    Steps().undo();
    EXPECT_EQ(Node(1)->X, 100);
    Steps().undo();
    EXPECT_EQ(control.View().Graph().Nodes->Count(), 0);
    Steps().redo();
    EXPECT_EQ(control.View().Graph().Nodes->Count(), 1);
    Show({{5, 5}});
    EXPECT_EQ(Steps().count(), 0);  // a new graph, a new history
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(GraphControlTest, KeysDeleteTheSelectionEndAPathRequestAndTypeIntoTheTarget) {
    QLineEdit box;
    control.SetTypingTarget(&box);
    Click(100, 100);
    Click(200, 100);
    QTest::keyClick(&control, Qt::Key_Backspace);
    EXPECT_EQ(control.View().Graph().Nodes->Count(), 1);
    Click(100, 100);
    StartPathRequest();
    QTest::keyClick(&control, Qt::Key_Escape);
    EXPECT_EQ(control.cursor().shape(), Qt::ArrowCursor);
    QTest::keyClicks(&control, "Hi");
    EXPECT_EQ(box.text(), "Hi");
    QTest::keyClick(&control, Qt::Key_Delete);
    EXPECT_EQ(control.View().Graph().Nodes->Count(), 0);
    control.SetEditingLocked(true);
    Click(100, 100);
    EXPECT_EQ(control.View().Graph().Nodes->Count(), 0);
}

}  // namespace
