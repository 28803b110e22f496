// The window's commands for other tools' files, pictures and layouts, through its menus.
#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QFileDialog>
#include <QImage>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QUndoStack>
#include <fstream>
#include <vector>

#include "editor/ErrorDisplay.h"
#include "editor/GraphControl.h"
#include "editor/uGraphForm.h"
#include "tests/editor/WindowTest.h"

namespace {

// Three nodes without positions, one caption outside Windows-1252, two edges.
constexpr const char* kGraphMl = R"(<?xml version="1.0" encoding="UTF-8"?>
<graphml xmlns="http://graphml.graphdrawing.org/xmlns">
  <key id="label" for="node" attr.name="label" attr.type="string"/>
  <key id="w" for="edge" attr.name="weight" attr.type="double"/>
  <graph edgedefault="directed">
    <node id="a"><data key="label">A</data></node>
    <node id="b"><data key="label">&#937;mega</data></node>
    <node id="c"/>
    <edge source="a" target="b"><data key="w">2.5</data></edge>
    <edge source="b" target="c"/>
  </graph>
</graphml>
)";

struct TPlace {
    int x, y;
    friend bool operator==(const TPlace&, const TPlace&) = default;
};

bool Holds(const QImage& image, QRgb colour) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == colour) return true;
    return false;
}

class FormatCommands : public TWindowTest {
protected:
    void SetUp() override {
        TWindowTest::SetUp();
        warnings = SetWarningDisplay([this](const QString& m) { warned << m; });
        form.RunFileDialog = [this](QFileDialog&) { return chosen; };
        form.ChoosePictureScale = [this] { return scale; };
    }
    void TearDown() override {
        SetWarningDisplay(warnings);
        TWindowTest::TearDown();
    }

    const TMathGraph& Graph() { return View().Graph(); }
    QString File(const QString& name, const char* content) {
        std::ofstream(dir.filePath(name).toStdString(), std::ios::binary) << content;
        return dir.filePath(name);
    }
    std::vector<TPlace> Places() {
        std::vector<TPlace> places;
        for (int i = 1; i <= Graph().Nodes->Count(); ++i) {
            const auto* node = static_cast<TGraphPoint*>(Graph().Nodes->GoToIndex(i));
            places.push_back({node->X, node->Y});
        }
        return places;
    }
    QAction* LayoutItem(const char* engine) {
        return form.findChild<QAction*>(QString(engine) + "LayoutMenuItem");
    }

    QTemporaryDir dir;
    QStringList warned;
    std::optional<QString> chosen;
    std::optional<int> scale = 1;
    TErrorDisplay warnings;
};

TEST_F(FormatCommands, ImportReplacesTheGraphAndImportIntoIsOneStepThatUndoes) {
    chosen = File("g.graphml", kGraphMl);
    Click(100, 100);
    form.ImportMenuItem->trigger();
    ASSERT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    ASSERT_EQ(Graph().Nodes->Count(), 3);
    EXPECT_EQ(Graph().Edges->Count(), 2);
    EXPECT_EQ(Control().UndoStack()->count(), 0);  // a new graph, a new history
    for (const TPlace& place : Places())           // laid out within the view
        EXPECT_TRUE(place.x > 0 && place.x < 497 && place.y > 0 && place.y < 550);
    ASSERT_EQ(warned.size(), 1);
    EXPECT_TRUE(warned[0].contains("replaced by \"?\"")) << warned[0].toStdString();

    const std::vector<TPlace> before = Places();
    form.ImportIntoMenuItem->trigger();
    EXPECT_EQ(Graph().Nodes->Count(), 6);
    EXPECT_EQ(Graph().Edges->Count(), 4);
    ASSERT_EQ(Control().UndoStack()->count(), 1);
    EXPECT_EQ(form.UndoMenuItem->text(), "&Undo Import Into Graph");
    form.UndoMenuItem->trigger();
    EXPECT_EQ(Places(), before);
    EXPECT_EQ(Graph().Edges->Count(), 2);
    form.RedoMenuItem->trigger();
    EXPECT_EQ(Graph().Edges->Get(3)->FromNode, Graph().Nodes->GoToIndex(5));

    chosen = File("bad.graphml", "<graphml><graph><node id=\"a\"></graph>");
    form.ImportMenuItem->trigger();
    form.ImportIntoMenuItem->trigger();
    EXPECT_EQ(messages.size(), 2);
    EXPECT_TRUE(messages[0].startsWith(*chosen)) << messages[0].toStdString();
    EXPECT_EQ(Graph().Nodes->Count(), 6);  // nothing lost
    EXPECT_EQ(Control().UndoStack()->count(), 1);
}

TEST_F(FormatCommands, ExportWritesWhatImportReadsAndSaysWhatItLost) {
    Click(100, 100);
    Click(200, 150);
    Click(100, 100);
    Click(200, 150, Qt::RightButton);
    chosen = dir.filePath("g.json");
    form.ExportMenuItem->trigger();
    EXPECT_TRUE(warned.isEmpty());
    Click(300, 300);
    form.ImportMenuItem->trigger();
    EXPECT_EQ(Places(), (std::vector<TPlace>{{100, 100}, {200, 150}}));
    chosen = dir.filePath("g.csv");
    form.ExportMenuItem->trigger();
    ASSERT_EQ(warned.size(), 1);
    EXPECT_TRUE(warned[0].contains("positions left out")) << warned[0].toStdString();
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
}

TEST_F(FormatCommands, LayoutMovesEveryNodeAsOneStepThatUndoes) {
    Click(100, 100);
    Click(110, 300);
    Click(100, 100);
    Click(110, 300, Qt::RightButton);
    Click(400, 120);
    const std::vector<TPlace> drawn = Places();
    const int steps = Control().UndoStack()->count();
    for (const char* engine : {"neato", "sfdp", "dot", "circo", "twopi"}) {
        LayoutItem(engine)->trigger();
        ASSERT_TRUE(messages.isEmpty()) << engine << messages.join('\n').toStdString();
        EXPECT_NE(Places(), drawn) << engine;
        EXPECT_EQ(form.UndoMenuItem->text(), QString("&Undo Layout (%1)").arg(engine));
        form.UndoMenuItem->trigger();
        EXPECT_EQ(Places(), drawn) << engine;
    }
    EXPECT_EQ(Control().UndoStack()->count(), steps + 1);  // the last, taken back
}

TEST_F(FormatCommands, PngAtScaleOneIsTheViewPixelForPixel) {
    Click(100, 100);
    Click(200, 150);
    Click(60, 250);
    Click(100, 100);
    Click(200, 150, Qt::RightButton);
    Click(60, 250, Qt::RightButton);
    Click(150, 125);  // the first edge, selected
    form.ShowCaptionsMenuItem->trigger();
    form.ShowWeightsMenuItem->trigger();
    form.SeparateOppositeMenuItem->trigger();
    chosen = dir.filePath("view.png");
    form.ExportPictureMenuItem->trigger();
    ASSERT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    const QImage shown = Control().grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage written = QImage(*chosen).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(written.size(), shown.size());
    EXPECT_TRUE(written == shown);
    EXPECT_TRUE(Holds(shown, qRgb(255, 0, 0)) && Holds(shown, qRgb(0, 0, 0)));  // drawn at all

    scale = 2;
    chosen = dir.filePath("view2.png");
    form.ExportPictureMenuItem->trigger();
    EXPECT_EQ(QImage(*chosen).size(), shown.size() * 2);
    for (const char* name : {"view.svg", "view.pdf"}) {
        chosen = dir.filePath(name);
        form.ExportPictureMenuItem->trigger();
        QFile file(*chosen);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name;
        EXPECT_TRUE(file.read(5) == (QString(name).endsWith("svg") ? "<?xml" : "%PDF-")) << name;
    }
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
}

}  // namespace
