#include <gtest/gtest.h>

#include <QAction>
#include <QFileDialog>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QUndoStack>
#include <filesystem>
#include <fstream>

#include "editor/ErrorDisplay.h"
#include "editor/GraphControl.h"
#include "editor/ResultsPanel.h"
#include "editor/uGraphForm.h"
#include "persistence/ObjStream.h"
#include "tests/editor/WindowTest.h"

// Failures show the texts, not the bytes.
void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace {

class GraphFormTest : public TWindowTest {
protected:
    void SetUp() override {
        TWindowTest::SetUp();
        form.RunFileDialog = [this](QFileDialog& dialog) {
            dialogs << &dialog;
            return chosen;
        };
    }

    long double Weight(int edge) {
        return View().Graph().Edges->Get(edge)->GetWeight().ToExtended();
    }
    // Two nodes at (100, 100) and (200, 100), an edge between them, selected.
    void MakeSelectedEdge() {
        Click(100, 100);
        Click(200, 100);
        Click(100, 100);
        Click(200, 100, Qt::RightButton);
        Click(150, 104);
    }

    QList<QFileDialog*> dialogs;
    std::optional<QString> chosen;
};

// Each item as "caption", "caption shortcut" or "[caption]" when it can be checked.
QStringList Captions(QMenu* menu) {
    QStringList captions;
    for (QAction* item : menu->actions()) {
        QString caption = item->isSeparator() ? "-" : item->text();
        for (const QKeySequence& key : item->shortcuts()) caption += ' ' + key.toString();
        captions << (item->isCheckable() ? '[' + caption + ']' : caption);
    }
    return captions;
}

TEST_F(GraphFormTest, WindowMenusAndDialogsAsDesigned) {
    EXPECT_EQ(form.objectName(), "GraphForm");
    EXPECT_EQ(form.windowTitle(), "GraphForm");
    EXPECT_EQ(Control().parentWidget(), form.GraphPanel);
    QStringList menus;
    for (QAction* menu : form.MainMenu1->actions()) menus << menu->text();
    EXPECT_EQ(menus, (QStringList{"&File", "&Edit", "&View", "&Layout", "&Calculate"}));
    EXPECT_EQ(Captions(form.FileMenuItem),
              (QStringList{"&Load Ctrl+O", "&Save Ctrl+S", "-", "&Import...",
                           "Import Into &Current Graph...", "&Export...", "Export &Picture...", "-",
                           "E&xit Ctrl+Q"}));
    EXPECT_EQ(Captions(form.LayoutMenuItem),
              (QStringList{"&neato", "&sfdp", "&dot", "&circo", "&twopi"}));
    EXPECT_EQ(form.ImportDialog->nameFilters().first(),
              "Graph files (*.graphml *.gexf *.dot *.gv *.csv *.json)");
    EXPECT_EQ(form.ExportDialog->nameFilters().size(), 5);
    EXPECT_EQ(form.PictureDialog->nameFilters(),
              (QStringList{"PNG image (*.png)", "SVG drawing (*.svg)", "PDF document (*.pdf)"}));
    EXPECT_EQ(Captions(form.EditMenuItem),
              (QStringList{"&Undo Ctrl+Z", "&Redo Ctrl+Y Ctrl+Shift+Z", "-", "Delete E&dge",
                           "Delete &Node", "-", "&Adapt Edges"}));
    EXPECT_EQ(Captions(form.ViewMenuItem),
              (QStringList{"Zoom &In Ctrl++ Ctrl+=", "Zoom &Out Ctrl+-", "&Actual Size Ctrl+0",
                           "&Fit Graph Ctrl+9", "-", "[Show &Captions]", "[Show &Weights]",
                           "[&Separate Opposite Edges]"}));
    for (QAction* option : form.ViewMenuItem->actions()) EXPECT_FALSE(option->isChecked());
    EXPECT_EQ(Captions(form.Calculate1), (QStringList{"&Shortest Path", "&Analysis"}));
    EXPECT_EQ(Captions(form.AnalysisMenuItem),
              (QStringList{"&K Cheapest Paths...", "&Distances From Node", "&Components (weak)",
                           "&Strong Components", "&Topological Order", "Minimum Spanning &Tree",
                           "Maximum &Flow"}));
    EXPECT_EQ(form.SaveDialog->nameFilters(), QStringList{"Graph Stream(*.stm)"});
    EXPECT_EQ(form.SaveDialog->acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(form.OpenDialog->nameFilters(), QStringList{"Graph Stream File (*.stm)"});
    EXPECT_EQ(QtNameFilters("Text|*.txt;*.log|All|*"),
              (QStringList{"Text (*.txt *.log)", "All (*)"}));
}

TEST(GraphFormPlace, DesignedRectMovedThenShrunkOnlyWhereTheScreenIsSmaller) {
    const QRect designed(90, 480, 812, 596);
    EXPECT_EQ(FitOnScreen(designed, QRect(0, 0, 1280, 1200)), designed);
    EXPECT_EQ(FitOnScreen(designed, QRect(0, 0, 1366, 768)), QRect(90, 172, 812, 596));
    EXPECT_EQ(FitOnScreen(designed, QRect(0, 0, 800, 600)), QRect(0, 4, 800, 596));
    EXPECT_EQ(FitOnScreen(designed, QRect(1920, 30, 640, 480)), QRect(1920, 30, 640, 480));
}

TEST_F(GraphFormTest, WindowOpensWithinItsScreenFrameAndAll) {
    const QRect screen = form.screen()->availableGeometry();
    const QRect frame = form.frameGeometry();
    EXPECT_TRUE(screen.contains(frame))
        << frame.x() << ',' << frame.y() << ' ' << frame.width() << 'x' << frame.height();
    EXPECT_EQ(form.width(), std::min(812, screen.width() - (frame.width() - form.width())));
}

TEST_F(GraphFormTest, CaptionBoxFollowsTheSelectedNodeInWindows1252) {
    Type(form.NodeCaptionEdit, "x");  // no node selected: nothing changes
    Click(100, 100);
    EXPECT_EQ(form.NodeCaptionEdit->text(), "");
    Type(form.NodeCaptionEdit, "A");
    Click(200, 100);
    EXPECT_EQ(form.NodeCaptionEdit->text(), "");
    form.NodeCaptionEdit->setText(QString::fromUtf8("\u20ac\u2713"));
    auto* second = View().SelectedNode();
    EXPECT_EQ(second->Caption->Text, "\x80?");
    Click(100, 100);
    EXPECT_EQ(form.NodeCaptionEdit->text(), "A");
    Click(200, 100);
    EXPECT_EQ(form.NodeCaptionEdit->text(), QString::fromUtf8("\u20ac?"));
}

TEST_F(GraphFormTest, WeightBoxStoresEveryNumberTypedAndShowsOverflow) {
    MakeSelectedEdge();
    EXPECT_EQ(form.WeightEdit->text(), "1");
    Type(form.WeightEdit, "2.5");
    EXPECT_EQ(Weight(0), 2.5L);
    Type(form.WeightEdit, "1e39");
    EXPECT_EQ(messages, QStringList{"Floating point overflow"});
    EXPECT_EQ(Weight(0), 1000.0L);  // every prefix is stored in turn: "1e3" was the last to fit
    Type(form.WeightEdit, "0.1");
    Click(100, 100);
    Click(150, 104);
    EXPECT_EQ(form.WeightEdit->text(), "0.100000000000023");
}

TEST_F(GraphFormTest, DeleteCommandsAndShortestPath) {
    MakeSelectedEdge();
    form.ShortestPathMenuItem->trigger();  // no node selected
    EXPECT_EQ(Control().cursor().shape(), Qt::ArrowCursor);
    form.DeleteEdgeMenuItem->trigger();
    EXPECT_EQ(View().Graph().Edges->Count(), 0);
    EXPECT_EQ(View().SelectedEdge(), nullptr);
    EXPECT_EQ(form.WeightEdit->text(), "1");
    Type(form.WeightEdit, "7");
    Click(100, 100);
    Click(200, 100, Qt::RightButton);
    EXPECT_EQ(Weight(0), 1.0L);
    form.DeleteNodeMenuItem->trigger();  // an edge leaves it
    EXPECT_EQ(View().Graph().Nodes->Count(), 2);
    form.ShortestPathMenuItem->trigger();
    EXPECT_EQ(Control().cursor().shape(), Qt::CrossCursor);
    Click(200, 100);
    EXPECT_EQ(View().SelectedPath()->Count(), 1);
    EXPECT_EQ(Control().cursor().shape(), Qt::ArrowCursor);
    Click(300, 300);
    form.DeleteNodeMenuItem->trigger();
    EXPECT_EQ(View().Graph().Nodes->Count(), 2);
    EXPECT_EQ(View().SelectedNode(), nullptr);
    form.AdaptEdgesMenuItem->trigger();
    EXPECT_TRUE(View().AdaptEdges());
    form.AdaptEdgesMenuItem->trigger();
    EXPECT_FALSE(View().AdaptEdges());
    EXPECT_TRUE(messages.isEmpty());
    form.ExitMenuItem->trigger();
    EXPECT_FALSE(form.isVisible());
}

std::string Bytes(const QString& path) {
    std::ifstream in(path.toStdString(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST_F(GraphFormTest, CancelledDialogsReadAndWriteNothing) {
    Click(100, 100);
    form.SaveMenuItem->trigger();
    form.LoadMenuItem->trigger();
    EXPECT_EQ(dialogs, (QList<QFileDialog*>{form.SaveDialog, form.OpenDialog}));
    EXPECT_EQ(View().Graph().Nodes->Count(), 1);
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(GraphFormTest, SavedGraphLoadsBackInPlaceOfTheShownOne) {
    QTemporaryDir dir;
    chosen = dir.filePath("graph");  // no extension is added
    MakeSelectedEdge();
    Type(form.WeightEdit, "2.5");
    Click(200, 100);
    Type(form.NodeCaptionEdit, "B");
    form.SaveMenuItem->trigger();
    Click(300, 300);
    form.ShortestPathMenuItem->trigger();
    form.LoadMenuItem->trigger();
    ASSERT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    ASSERT_EQ(View().Graph().Nodes->Count(), 2);
    auto* b = static_cast<TGraphPoint*>(View().Graph().Nodes->GoToIndex(2));
    EXPECT_EQ(b->Caption->Text, "B");
    EXPECT_EQ(b->X, 200);
    ASSERT_EQ(View().Graph().Edges->Count(), 1);
    EXPECT_EQ(Weight(0), 2.5L);
    EXPECT_EQ(View().SelectedNode(), nullptr);
    EXPECT_EQ(Control().cursor().shape(), Qt::CrossCursor);  // the mode stays
    Click(100, 100);
    Click(150, 104);
    EXPECT_EQ(form.WeightEdit->text(), "2.5");
}

TEST_F(GraphFormTest, FailedSaveOrLoadIsShownAndTheGraphStays) {
    QTemporaryDir dir;
    const QString kept = dir.filePath("kept.stm");
    std::ofstream(kept.toStdString()) << "old content";
    chosen = kept;
    form.SaveMenuItem->trigger();  // the empty graph
    EXPECT_EQ(Bytes(kept), "old content");
    const QString frame = dir.filePath("string.stm");
    TStringObj text("not a graph");
    SaveObjectToFile(&text, frame.toStdString(), true);
    Click(100, 100);
    const QString cut = dir.filePath("cut.stm");
    SaveObjectToFile(&Control().View().Graph(), cut.toStdString(), true);
    std::filesystem::resize_file(cut.toStdString(), Bytes(cut).size() - 3);
    const QString unknown = dir.filePath("unknown.stm");
    std::ofstream(unknown.toStdString()).write("TPF0\x06\x08TNothing\x01\x00", 16);
    form.ShortestPathMenuItem->trigger();
    const TMathGraph* shown = &View().Graph();
    TGraphPoint* selected = View().SelectedNode();
    for (const QString& name : {kept, frame, cut, unknown, dir.filePath("missing.stm")}) {
        chosen = name;
        form.LoadMenuItem->trigger();
    }
    EXPECT_EQ(messages,
              (QStringList{"Invalid array capacity in TArray", "Invalid stream format",
                           "Invalid class typecast", "Stream read error", "Class not registered",
                           "Cannot open file " + dir.filePath("missing.stm")}));
    EXPECT_EQ(&View().Graph(), shown);
    EXPECT_EQ(View().SelectedNode(), selected);
    EXPECT_EQ(Control().cursor().shape(), Qt::CrossCursor);  // still waiting for the path's end
}

TEST_F(GraphFormTest, UndoNamesTheStepAndBringsBackWhatTheBoxesShow) {
    EXPECT_FALSE(form.UndoMenuItem->isEnabled());
    Click(100, 100);
    EXPECT_EQ(form.UndoMenuItem->text(), "&Undo Place Node");
    Type(form.NodeCaptionEdit, "AB");
    EXPECT_EQ(Control().UndoStack()->count(), 2);  // the keystrokes are one step
    EXPECT_EQ(form.UndoMenuItem->text(), "&Undo Edit Caption");
    form.UndoMenuItem->trigger();
    EXPECT_EQ(View().SelectedNode()->Caption->Text, "");
    EXPECT_EQ(form.NodeCaptionEdit->text(), "");
    EXPECT_EQ(form.RedoMenuItem->text(), "&Redo Edit Caption");
    form.RedoMenuItem->trigger();
    EXPECT_EQ(form.NodeCaptionEdit->text(), "AB");
    form.SetEditingLocked(true);
    EXPECT_FALSE(form.UndoMenuItem->isEnabled());
    form.SetEditingLocked(false);
    EXPECT_TRUE(form.UndoMenuItem->isEnabled());
}

TEST_F(GraphFormTest, CtrlZInABoxUndoesTheTextAndOnTheViewTheGraph) {
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    Click(100, 100);
    Click(200, 100);
    form.NodeCaptionEdit->setFocus();
    QTest::keyClicks(form.NodeCaptionEdit, "B");
    QTest::keyClick(form.NodeCaptionEdit, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(form.NodeCaptionEdit->text(), "");
    EXPECT_EQ(View().Graph().Nodes->Count(), 2);
    EXPECT_EQ(Control().UndoStack()->count(), 2);  // typed and taken back: no step left
    Control().setFocus();
    QTest::keyClick(&Control(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(View().Graph().Nodes->Count(), 1);
    QTest::keyClicks(&Control(), "x");  // typed on the view: into the box typed in last
    EXPECT_EQ(form.NodeCaptionEdit->text(), "x");
    EXPECT_TRUE(form.NodeCaptionEdit->hasFocus());
}

TEST_F(GraphFormTest, ResultsPanelShowsThePathAskedForAndTheGraphsSize) {
    EXPECT_EQ(form.ResultsPanel->GraphLine(), "0 nodes, 0 edges");
    MakeSelectedEdge();
    Type(form.WeightEdit, "2.5");
    Click(100, 100);
    form.ShortestPathMenuItem->trigger();
    Click(200, 100);
    EXPECT_EQ(form.ResultsPanel->Title(), "Shortest path from (100, 100) to (200, 100)");
    EXPECT_EQ(form.ResultsPanel->Lines(),
              (QStringList{QString::fromUtf8("(100, 100) \u2192 (200, 100)"), "1 edge, cost 2.5"}));
    Click(200, 100);
    form.ShortestPathMenuItem->trigger();
    Click(100, 100);  // edges are followed one way only
    EXPECT_EQ(form.ResultsPanel->Lines(), QStringList{"No path"});
    EXPECT_EQ(form.ResultsPanel->GraphLine(), "2 nodes, 1 edge");
    EXPECT_TRUE(form.ResultsPanel->toPlainText().endsWith("No path\n\n2 nodes, 1 edge"));
}

TEST_F(GraphFormTest, AFileOpenedAtStartIsLoadedAsLoadDoesOrItsErrorShown) {
    QTemporaryDir dir;
    const QString name = dir.filePath("start.stm");
    Click(100, 100);
    SaveObjectToFile(&Control().View().Graph(), name.toStdString(), true);
    form.OpenOnStart(dir.filePath("missing.stm"));
    QTest::qWait(0);
    QCoreApplication::processEvents();
    EXPECT_EQ(messages, QStringList{"Cannot open file " + dir.filePath("missing.stm")});
    EXPECT_EQ(Control().UndoStack()->count(), 1);
    form.OpenFile(name);
    EXPECT_EQ(View().Graph().Nodes->Count(), 1);
    EXPECT_EQ(Control().UndoStack()->count(), 0);
    EXPECT_EQ(form.ResultsPanel->GraphLine(), "start.stm: 1 node, 0 edges");
    EXPECT_EQ(form.windowTitle(), "GraphForm");
}

TEST_F(GraphFormTest, ViewMenuZoomsAndSwitchesTheDrawingOptions) {
    form.ZoomInMenuItem->trigger();
    form.ZoomInMenuItem->trigger();
    EXPECT_EQ(View().Transform().Zoom(), 2.0);
    form.ActualSizeMenuItem->trigger();
    EXPECT_TRUE(View().Transform().IsIdentity());
    form.ShowCaptionsMenuItem->trigger();
    form.ShowWeightsMenuItem->trigger();
    form.SeparateOppositeMenuItem->trigger();
    EXPECT_TRUE(View().Options().ShowCaptions && View().Options().ShowWeights &&
                View().Options().SeparateOpposite);
    form.ShowWeightsMenuItem->trigger();
    EXPECT_FALSE(View().Options().ShowWeights);
}

}  // namespace
