#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "editor/ErrorDisplay.h"
#include "editor/GraphControl.h"
#include "editor/ResultsPanel.h"
#include "editor/uGraphForm.h"
#include "persistence/ObjStream.h"
#include "tests/editor/WindowTest.h"

void PrintTo(const QString& text, std::ostream* out);

namespace {

// The window on A (100, 100), B (300, 100) and C (300, 300), with A→B and B→C of weight 1
// and A→C of weight 3, made by presses and typing as a user makes it.
class AnalysisMenuTest : public TWindowTest {
protected:
    void SetUp() override {
        TWindowTest::SetUp();
        form.AskPathCount = [] { return std::optional<int>(3); };
        Place(100, 100, "A");
        Place(300, 100, "B");
        Place(300, 300, "C");
        Click(100, 100);
        Click(300, 100, Qt::RightButton);
        Click(300, 300, Qt::RightButton);
        Click(300, 100);
        Click(300, 300, Qt::RightButton);
        Click(100, 100);
        Click(200, 202);  // near A→C
        Type(form.WeightEdit, "3");
    }

    void Place(int x, int y, const char* caption) {
        Click(x, y);
        Type(form.NodeCaptionEdit, caption);
    }
    TGraphEdge* Edge(int place) { return View().Graph().Edges->Get(place); }
    QByteArray SavedBytes() {
        const QString name = dir.filePath("graph.stm");
        SaveObjectToFile(&Control().View().Graph(), name.toStdString(), true);
        QFile file(name);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll();
    }
    /// Runs the item to its end; with a target, the press on it starts the run.
    void Run(QAction* item, std::optional<QPoint> target = std::nullopt) {
        QSignalSpy ended(&form, &TGraphForm::AnalysisEnded);
        item->trigger();
        if (target) Click(target->x(), target->y());
        EXPECT_TRUE(ended.count() == 1 || ended.wait(10000));
    }

    QTemporaryDir dir;
};

const QString kArrow = QString::fromUtf8(" \u2192 ");
using TColours = decltype(TOverlay::Colours);

TEST_F(AnalysisMenuTest, PathsAndComponentsAreToldAndDrawnWithoutTouchingTheGraph) {
    const QByteArray before = SavedBytes();
    Click(100, 100);
    Run(form.CheapestPathsMenuItem, QPoint(300, 300));
    EXPECT_EQ(form.ResultsPanel->Title(), "3 cheapest paths from A to C");
    EXPECT_EQ(form.ResultsPanel->Lines(), (QStringList{"1. cost 2: A" + kArrow + "B" + kArrow + "C",
                                                       "2. cost 3: A" + kArrow + "C"}));
    const TColours first{{Edge(0), clYellow}, {Edge(2), clYellow}};
    EXPECT_EQ(View().Overlay().Colours, first);
    form.ResultsPanel->ChooseLine(1);
    EXPECT_EQ(View().Overlay().Colours, (TColours{{Edge(1), clYellow}}));
    EXPECT_EQ(View().SelectedNode(), View().Graph().Nodes->GoToIndex(1));
    EXPECT_FALSE(View().IsPathMode());

    Run(form.WeakComponentsMenuItem);
    EXPECT_EQ(form.ResultsPanel->Title(), "Weak components: 1");
    EXPECT_EQ(form.ResultsPanel->Lines(), QStringList{"1. A, B, C"});
    EXPECT_EQ(View().Overlay().Colours.size(), 6u);  // three nodes, three edges, one colour
    Run(form.StrongComponentsMenuItem);
    EXPECT_EQ(form.ResultsPanel->Lines(), (QStringList{"1. A", "2. B", "3. C"}));
    EXPECT_EQ(SavedBytes(), before);
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();

    Click(300, 100);
    Click(400, 100);  // an edit: a new node
    EXPECT_TRUE(View().Overlay().Colours.empty());
    form.ResultsPanel->ChooseLine(0);  // the lines of the old result draw nothing now
    EXPECT_TRUE(View().Overlay().Colours.empty());
}

TEST_F(AnalysisMenuTest, RefusalsAreToldAsTheToolTellsThem) {
    Click(300, 300);
    Run(form.CheapestPathsMenuItem, QPoint(100, 100));
    EXPECT_EQ(form.ResultsPanel->Lines(), QStringList{"No path"});
    Click(300, 100);
    Run(form.MaximumFlowMenuItem, QPoint(300, 100));
    EXPECT_EQ(form.ResultsPanel->Lines(), QStringList{"The source and the sink are the same node"});
    Click(100, 100);
    Click(150, 104);  // near A→B
    Type(form.WeightEdit, "-1");
    Click(100, 100);
    Run(form.CheapestPathsMenuItem, QPoint(300, 300));
    EXPECT_EQ(form.ResultsPanel->Lines(), QStringList{"Negative weights are not allowed here"});
}

TEST_F(AnalysisMenuTest, CancelLeavesTheGraphThePanelAndTheDrawingAsTheyWere) {
    Run(form.WeakComponentsMenuItem);
    const QByteArray before = SavedBytes();
    const QString title = form.ResultsPanel->Title();
    const QStringList lines = form.ResultsPanel->Lines();
    const TColours drawn = View().Overlay().Colours;
    QSignalSpy ended(&form, &TGraphForm::AnalysisEnded);
    form.StrongComponentsMenuItem->trigger();
    // Until the run ends: a busy cursor, and nothing edits the graph.
    EXPECT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(Control().IsEditingLocked());
    EXPECT_FALSE(form.AnalysisMenuItem->isEnabled());
    EXPECT_FALSE(form.UndoMenuItem->isEnabled());
    form.CancelAnalysis();
    ASSERT_TRUE(ended.wait(10000));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(Control().IsEditingLocked());
    EXPECT_TRUE(form.AnalysisMenuItem->isEnabled());
    EXPECT_EQ(form.ResultsPanel->Title(), title);
    EXPECT_EQ(form.ResultsPanel->Lines(), lines);
    EXPECT_EQ(View().Overlay().Colours, drawn);
    EXPECT_EQ(SavedBytes(), before);
    EXPECT_TRUE(messages.isEmpty());
}

}  // namespace
