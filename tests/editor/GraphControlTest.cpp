#include <gtest/gtest.h>

#include <QImage>
#include <QMouseEvent>
#include <QTest>

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

}  // namespace
