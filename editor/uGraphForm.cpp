#include "editor/uGraphForm.h"

#include <QFile>
#include <QFileDialog>
#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QSplitter>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>

#include "editor/ErrorDisplay.h"
#include "editor/GraphControl.h"
#include "persistence/ObjStream.h"

namespace {

QFont FormFont(int pixelHeight, bool bold = false) {
    QFont font("MS Sans Serif");  // Qt falls back to the desktop's sans serif
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelHeight);
    font.setBold(bold);
    return font;
}

QFrame* NewPanel(const char* name, QWidget* parent) {
    auto* panel = new QFrame(parent);
    panel->setObjectName(name);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(1);
    return panel;
}

QSplitter* NewSplitter(const char* name, Qt::Orientation orientation, QWidget* parent) {
    auto* splitter = new QSplitter(orientation, parent);
    splitter->setObjectName(name);
    splitter->setHandleWidth(20);
    splitter->setChildrenCollapsible(false);
    return splitter;
}

// A panel whose only child fills it inside its frame.
void FillWith(QFrame* panel, QWidget* child) {
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(child);
}

template <class Widget>
Widget* Place(Widget* widget, const char* name, int left, int top, int width, int height) {
    widget->setObjectName(name);
    widget->setGeometry(left, top, width, height);
    return widget;
}

// The fallback for "MS Sans Serif" runs wider: a label grows rather than cut its text.
QLabel* PlaceLabel(QLabel* label, const char* name, int left, int top, int width, int height,
                   const QFont& font) {
    label->setFont(font);
    Place(label, name, left, top, std::max(width, label->sizeHint().width()), height);
    return label;
}

std::string FileNameBytes(const QString& name) { return QFile::encodeName(name).toStdString(); }

}  // namespace

QStringList QtNameFilters(const QString& filter) {
    const QStringList parts = filter.split('|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i];
        const QString patterns = parts[i + 1].split(';', Qt::SkipEmptyParts).join(' ');
        QString shown = description;
        shown.remove(' ');
        const bool named = shown.endsWith('(' + QString(patterns).remove(' ') + ')');
        filters << (named ? description : description + " (" + patterns + ')');
    }
    return filters;
}

char WeightDecimalSeparator() {
    const QString point = QLocale().decimalPoint();
    if (point.size() != 1 || point[0].unicode() >= 0x80) return '.';
    return static_cast<char>(point[0].unicode());
}

TGraphForm::TGraphForm(QWidget* parent) : QMainWindow(parent) {
    setObjectName("GraphForm");
    setWindowTitle("GraphForm");
    setFont(FormFont(11));
    move(90, 480);
    resize(812, 596);
    RunFileDialog = [](QFileDialog& dialog) -> std::optional<QString> {
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        return dialog.selectedFiles().first();
    };
    CreatePanels();
    CreateBoxes();
    CreateMenu();
    CreateDialogs();
    FormCreate();
}

void TGraphForm::CreatePanels() {
    Splitter = NewSplitter("Splitter", Qt::Horizontal, this);
    setCentralWidget(Splitter);
    GraphPanel = NewPanel("GraphPanel", Splitter);
    RightPanel = NewPanel("RightPanel", Splitter);
    LeftSplitter = NewSplitter("LeftSplitter", Qt::Vertical, RightPanel);
    FillWith(RightPanel, LeftSplitter);
    TopLeftPanel = NewPanel("TopLeftPanel", LeftSplitter);
    BottomLeftPanel = NewPanel("BottomLeftPanel", LeftSplitter);
    // The view's panel and the top panel keep their size; the others take the rest.
    Splitter->setStretchFactor(0, 0);
    Splitter->setStretchFactor(1, 1);
    Splitter->setSizes({497, 287});
    LeftSplitter->setStretchFactor(0, 0);
    LeftSplitter->setStretchFactor(1, 1);
    LeftSplitter->setSizes({265, 263});
}

void TGraphForm::CreateBoxes() {
    Label1 = PlaceLabel(new QLabel("Selected Node", TopLeftPanel), "Label1", 16, 16, 119, 20,
                        FormFont(16, true));
    NodeCaptionLabel = PlaceLabel(new QLabel("Caption :", TopLeftPanel), "NodeCaptionLabel", 24, 48,
                                  52, 16, FormFont(13));
    NodeCaptionEdit = Place(new QLineEdit(TopLeftPanel), "NodeCaptionEdit", 88, 48, 145, 21);
    SelectedEdgelabel = PlaceLabel(new QLabel("Selected Edge", TopLeftPanel), "SelectedEdgelabel",
                                   16, 96, 119, 20, FormFont(16, true));
    EdgeweightLabel = PlaceLabel(new QLabel("Weight :", TopLeftPanel), "EdgeweightLabel", 24, 136,
                                 48, 16, FormFont(13));
    WeightEdit = Place(new QLineEdit(TopLeftPanel), "WeightEdit", 88, 136, 145, 21);
    setTabOrder(NodeCaptionEdit, WeightEdit);
    // setText with the text a box already holds emits nothing, as the handlers expect.
    connect(NodeCaptionEdit, &QLineEdit::textChanged, this,
            Guarded(&TGraphForm::NodeCaptionEditChange));
    connect(WeightEdit, &QLineEdit::textChanged, this, Guarded(&TGraphForm::WeightEditChange));
}

void TGraphForm::CreateMenu() {
    MainMenu1 = menuBar();
    MainMenu1->setObjectName("MainMenu1");
    FileMenuItem = MainMenu1->addMenu("&File");
    FileMenuItem->setObjectName("FileMenuItem");
    LoadMenuItem = AddItem(FileMenuItem, "LoadMenuItem", "&Load", &TGraphForm::LoadMenuItemClick);
    SaveMenuItem = AddItem(FileMenuItem, "SaveMenuItem", "&Save", &TGraphForm::SaveMenuItemClick);
    N1 = FileMenuItem->addSeparator();
    N1->setObjectName("N1");
    ExitMenuItem = AddItem(FileMenuItem, "ExitMenuItem", "E&xit", &TGraphForm::ExitMenuItemClick);
    EditMenuItem = MainMenu1->addMenu("&Edit");
    EditMenuItem->setObjectName("EditMenuItem");
    DeleteEdgeMenuItem = AddItem(EditMenuItem, "DeleteEdgeMenuItem", "Delete E&dge",
                                 &TGraphForm::DeleteEdgeMenuItemClick);
    DeleteNodeMenuItem = AddItem(EditMenuItem, "DeleteNodeMenuItem", "Delete &Node",
                                 &TGraphForm::DeleteNodeMenuItemClick);
    N2 = EditMenuItem->addSeparator();
    N2->setObjectName("N2");
    AdaptEdgesMenuItem = AddItem(EditMenuItem, "AdaptEdgesMenuItem", "&Adapt Edges",
                                 &TGraphForm::AdaptEdgesMenuItemClick);
    Calculate1 = MainMenu1->addMenu("&Calculate");
    Calculate1->setObjectName("Calculate1");
    ShortestPathMenuItem = AddItem(Calculate1, "ShortestPathMenuItem", "&Shortest Path",
                                   &TGraphForm::ShortestPathMenuItemClick);
}

void TGraphForm::CreateDialogs() {
    SaveDialog = new QFileDialog(this);
    SaveDialog->setObjectName("SaveDialog");
    SaveDialog->setAcceptMode(QFileDialog::AcceptSave);
    SaveDialog->setNameFilters(QtNameFilters("Graph Stream(*.stm)|*.stm"));
    OpenDialog = new QFileDialog(this);
    OpenDialog->setObjectName("OpenDialog");
    OpenDialog->setAcceptMode(QFileDialog::AcceptOpen);
    OpenDialog->setNameFilters(QtNameFilters("Graph Stream File (*.stm)|*.stm"));
}

QAction* TGraphForm::AddItem(QMenu* menu, const char* name, const char* caption,
                             void (TGraphForm::*handler)()) {
    auto* item = new QAction(caption, this);
    item->setObjectName(name);
    menu->addAction(item);
    connect(item, &QAction::triggered, this, Guarded(handler));
    return item;
}

std::function<void()> TGraphForm::Guarded(void (TGraphForm::*handler)()) {
    return [this, handler] { RunGuarded([&] { (this->*handler)(); }); };
}

TGraphView& TGraphForm::View() { return GraphControl->View(); }

void TGraphForm::FormCreate() {
    GraphControl = new TGraphControl(GraphPanel);
    FillWith(GraphPanel, GraphControl);
    connect(GraphControl, &TGraphControl::Click, this, Guarded(&TGraphForm::GraphPanelClick));
}

void TGraphForm::NodeCaptionEditChange() {
    GraphControl->ShowChanges(View().SetSelectedCaption(NodeCaptionEdit->text().toStdU16String()));
}

void TGraphForm::GraphPanelClick() {
    if (const std::optional<std::u16string> caption = View().SelectedCaptionText())
        NodeCaptionEdit->setText(QString::fromStdU16String(*caption));
    if (const std::optional<std::string> weight =
            View().SelectedWeightText(WeightDecimalSeparator()))
        WeightEdit->setText(QString::fromStdString(*weight));
}

void TGraphForm::WeightEditChange() {
    const TViewChanges changes =
        View().SetSelectedWeight(WeightEdit->text().toStdString(), WeightDecimalSeparator());
    if (changes.NeedsRepaint) repaint();  // the whole window, the box being typed in too
}

void TGraphForm::SaveMenuItemClick() {
    const std::optional<QString> name = RunFileDialog(*SaveDialog);
    if (!name) return;
    SaveObjectToFile(&View().Graph(), FileNameBytes(*name), true);
}

void TGraphForm::LoadMenuItemClick() {
    const std::optional<QString> name = RunFileDialog(*OpenDialog);
    if (!name) return;
    std::unique_ptr<TObject> loaded(LoadObjectFromFile(FileNameBytes(*name), true));
    GraphControl->ShowChanges(View().ReplaceGraph(std::move(loaded)));
}

void TGraphForm::ExitMenuItemClick() { close(); }

void TGraphForm::DeleteEdgeMenuItemClick() {
    GraphControl->ShowChanges(View().DeleteSelectedEdge());
}

void TGraphForm::DeleteNodeMenuItemClick() {
    GraphControl->ShowChanges(View().DeleteSelectedNode());
}

void TGraphForm::AdaptEdgesMenuItemClick() { GraphControl->ShowChanges(View().ToggleAdaptEdges()); }

void TGraphForm::ShortestPathMenuItemClick() {
    GraphControl->ShowChanges(View().StartPathRequest());
}
