#include "editor/uGraphForm.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFont>
#include <QFrame>
#include <QGuiApplication>
#include <QInputDialog>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QScreen>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStyle>
#include <QTimer>
#include <QUndoStack>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>
#include <array>
#include <memory>

#include "editor/AnalysisRun.h"
#include "editor/ErrorDisplay.h"
#include "editor/GraphControl.h"
#include "editor/GraphDocument.h"
#include "editor/InterchangeSteps.h"
#include "editor/PictureExport.h"
#include "editor/ResultText.h"
#include "editor/ResultsPanel.h"
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

// Sets the text of box unless it already shows it: setting a text resets the box's
// cursor and its own undo. The text comes from the graph, so it is not written back: that
// would be a step of its own in the middle of an undo.
void ShowInBox(QLineEdit* box, const QString& text) {
    if (box->text() == text) return;
    const QSignalBlocker quiet(box);
    box->setText(text);
}

}  // namespace

QRect FitOnScreen(const QRect& wanted, const QRect& available) {
    const QSize size = wanted.size().boundedTo(available.size());
    const int left =
        std::clamp(wanted.left(), available.left(), available.right() + 1 - size.width());
    const int top =
        std::clamp(wanted.top(), available.top(), available.bottom() + 1 - size.height());
    return QRect(QPoint(left, top), size);
}

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
    ChoosePictureScale = [this]() -> std::optional<int> {
        bool chosen = false;
        const QString scale = QInputDialog::getItem(
            this, "Export Picture", "Scale:", {"1x", "2x", "4x"}, 0, false, &chosen);
        if (!chosen) return std::nullopt;
        return scale.left(1).toInt();
    };
    AskPathCount = [this]() -> std::optional<int> {
        bool ok = false;
        const int count =
            QInputDialog::getInt(this, "K Cheapest Paths", "Number of paths:", 3, 1, 1000, 1, &ok);
        return ok ? std::optional<int>(count) : std::nullopt;
    };
    CreatePanels();
    CreateBoxes();
    CreateMenu();
    CreateFormatItems();
    CreateLayoutMenu();
    CreateDialogs();
    FormCreate();
    FitOnItsScreen();
}

// The focus moves while the components go: the window no longer follows it then.
TGraphForm::~TGraphForm() {
    disconnect(qApp, nullptr, this, nullptr);
    delete analysis_;  // stops its thread while the window it reports to still exists
}

void TGraphForm::FitOnItsScreen() {
    QScreen* screen = QGuiApplication::screenAt(pos());
    if (screen == nullptr) screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    // The window's position is that of its frame, its size that of what lies within it.
    // Some desktops tell the frame only once the window shows: a title bar is assumed.
    winId();
    QMargins frame = windowHandle()->frameMargins();
    if (frame.isNull())
        frame.setTop(style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this));
    const QSize margins(frame.left() + frame.right(), frame.top() + frame.bottom());
    const QRect fitted = FitOnScreen(QRect(pos(), size() + margins), screen->availableGeometry());
    move(fitted.topLeft());
    resize(fitted.size() - margins);
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
    LoadMenuItem->setShortcut(QKeySequence("Ctrl+O"));
    SaveMenuItem = AddItem(FileMenuItem, "SaveMenuItem", "&Save", &TGraphForm::SaveMenuItemClick);
    SaveMenuItem->setShortcut(QKeySequence("Ctrl+S"));
    N1 = FileMenuItem->addSeparator();
    N1->setObjectName("N1");
    ExitMenuItem = AddItem(FileMenuItem, "ExitMenuItem", "E&xit", &TGraphForm::ExitMenuItemClick);
    ExitMenuItem->setShortcut(QKeySequence("Ctrl+Q"));
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
    CreateViewMenu();
    Calculate1 = MainMenu1->addMenu("&Calculate");
    Calculate1->setObjectName("Calculate1");
    ShortestPathMenuItem = AddItem(Calculate1, "ShortestPathMenuItem", "&Shortest Path",
                                   &TGraphForm::ShortestPathMenuItemClick);
    CreateAnalysisMenu();
}

void TGraphForm::CreateAnalysisMenu() {
    AnalysisMenuItem = Calculate1->addMenu("&Analysis");
    AnalysisMenuItem->setObjectName("AnalysisMenuItem");
    CheapestPathsMenuItem = AddAnalysisItem("CheapestPathsMenuItem", "&K Cheapest Paths...",
                                            TAnalysisKind::CheapestPaths);
    DistancesMenuItem =
        AddAnalysisItem("DistancesMenuItem", "&Distances From Node", TAnalysisKind::DistancesFrom);
    WeakComponentsMenuItem = AddAnalysisItem("WeakComponentsMenuItem", "&Components (weak)",
                                             TAnalysisKind::WeakComponents);
    StrongComponentsMenuItem = AddAnalysisItem("StrongComponentsMenuItem", "&Strong Components",
                                               TAnalysisKind::StrongComponents);
    TopologicalOrderMenuItem = AddAnalysisItem("TopologicalOrderMenuItem", "&Topological Order",
                                               TAnalysisKind::TopologicalOrder);
    SpanningTreeMenuItem = AddAnalysisItem("SpanningTreeMenuItem", "Minimum Spanning &Tree",
                                           TAnalysisKind::SpanningTree);
    MaximumFlowMenuItem =
        AddAnalysisItem("MaximumFlowMenuItem", "Maximum &Flow", TAnalysisKind::MaximumFlow);
}

QAction* TGraphForm::AddAnalysisItem(const char* name, const char* caption, TAnalysisKind kind) {
    auto* item = new QAction(caption, this);
    item->setObjectName(name);
    AnalysisMenuItem->addAction(item);
    connect(item, &QAction::triggered, this,
            [this, kind] { RunGuarded([&] { AnalysisMenuItemClick(kind); }); });
    return item;
}

void TGraphForm::CreateViewMenu() {
    ViewMenuItem = MainMenu1->addMenu("&View");
    ViewMenuItem->setObjectName("ViewMenuItem");
    ZoomInMenuItem =
        AddItem(ViewMenuItem, "ZoomInMenuItem", "Zoom &In", &TGraphForm::ZoomInMenuItemClick);
    ZoomInMenuItem->setShortcuts({QKeySequence("Ctrl++"), QKeySequence("Ctrl+=")});
    ZoomOutMenuItem =
        AddItem(ViewMenuItem, "ZoomOutMenuItem", "Zoom &Out", &TGraphForm::ZoomOutMenuItemClick);
    ZoomOutMenuItem->setShortcut(QKeySequence("Ctrl+-"));
    ActualSizeMenuItem = AddItem(ViewMenuItem, "ActualSizeMenuItem", "&Actual Size",
                                 &TGraphForm::ActualSizeMenuItemClick);
    ActualSizeMenuItem->setShortcut(QKeySequence("Ctrl+0"));
    FitGraphMenuItem =
        AddItem(ViewMenuItem, "FitGraphMenuItem", "&Fit Graph", &TGraphForm::FitGraphMenuItemClick);
    FitGraphMenuItem->setShortcut(QKeySequence("Ctrl+9"));
    ViewMenuItem->addSeparator();
    ShowCaptionsMenuItem = AddItem(ViewMenuItem, "ShowCaptionsMenuItem", "Show &Captions",
                                   &TGraphForm::ShowCaptionsMenuItemClick);
    ShowWeightsMenuItem = AddItem(ViewMenuItem, "ShowWeightsMenuItem", "Show &Weights",
                                  &TGraphForm::ShowWeightsMenuItemClick);
    SeparateOppositeMenuItem =
        AddItem(ViewMenuItem, "SeparateOppositeMenuItem", "&Separate Opposite Edges",
                &TGraphForm::SeparateOppositeMenuItemClick);
    for (QAction* option : {ShowCaptionsMenuItem, ShowWeightsMenuItem, SeparateOppositeMenuItem})
        option->setCheckable(true);
}

// Undo and Redo go first in the Edit menu, and name the step they would take.
void TGraphForm::CreateUndoItems() {
    QUndoStack* steps = GraphControl->UndoStack();
    QAction* first = EditMenuItem->actions().value(0);
    UndoMenuItem = new QAction("&Undo", this);
    UndoMenuItem->setObjectName("UndoMenuItem");
    UndoMenuItem->setShortcut(QKeySequence("Ctrl+Z"));
    RedoMenuItem = new QAction("&Redo", this);
    RedoMenuItem->setObjectName("RedoMenuItem");
    RedoMenuItem->setShortcuts({QKeySequence("Ctrl+Y"), QKeySequence("Ctrl+Shift+Z")});
    EditMenuItem->insertActions(first, {UndoMenuItem, RedoMenuItem});
    EditMenuItem->insertSeparator(first)->setObjectName("UndoSeparator");
    connect(steps, &QUndoStack::indexChanged, this, [this] { RefreshUndoItems(); });
    connect(steps, &QUndoStack::cleanChanged, this, [this] { RefreshUndoItems(); });
    RefreshUndoItems();
    connect(UndoMenuItem, &QAction::triggered, steps, &QUndoStack::undo);
    connect(RedoMenuItem, &QAction::triggered, steps, &QUndoStack::redo);
}

void TGraphForm::RefreshUndoItems() {
    const QUndoStack* steps = GraphControl->UndoStack();
    const bool editable = !GraphControl->IsEditingLocked();
    UndoMenuItem->setEnabled(editable && steps->canUndo());
    RedoMenuItem->setEnabled(editable && steps->canRedo());
    const QString undo = steps->undoText(), redo = steps->redoText();
    UndoMenuItem->setText(undo.isEmpty() ? "&Undo" : "&Undo " + undo);
    RedoMenuItem->setText(redo.isEmpty() ? "&Redo" : "&Redo " + redo);
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
    ResultsPanel = new TResultsPanel(BottomLeftPanel);
    FillWith(BottomLeftPanel, ResultsPanel);
    CreateUndoItems();
    ConnectView();
    ShowGraphLine();
}

void TGraphForm::ConnectView() {
    GraphControl->ShowChanges(View().SetDecimalSeparator(WeightDecimalSeparator()));
    connect(GraphControl, &TGraphControl::GraphChanged, this, [this] {
        ShowGraphLine();
        lineOverlays_.clear();  // the view has dropped the result's drawing
        // Whatever a run would find is of a graph no longer shown.
        if (analysis_ != nullptr) analysis_->Cancel();
    });
    connect(GraphControl, &TGraphControl::Stepped, this,
            Guarded(&TGraphForm::ShowSteppedSelection));
    connect(GraphControl, &TGraphControl::PathSearched, this,
            [this](TGraphPoint* source, TGraphPoint* target) {
                RunGuarded([&] { ShowPathResult(source, target); });
            });
    connect(GraphControl, &TGraphControl::TargetPicked, this,
            [this](TGraphPoint* source, TGraphPoint* target) {
                RunGuarded([&] {
                    if (!waitingRequest_) return;
                    StartAnalysis(*std::exchange(waitingRequest_, std::nullopt), source, target);
                });
            });
    connect(ResultsPanel, &TResultsPanel::LineChosen, this,
            [this](int index) { RunGuarded([&] { ShowResultLine(index); }); });
    // Text typed on the view goes to the box typed in last, the caption box at first.
    GraphControl->SetTypingTarget(NodeCaptionEdit);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now == NodeCaptionEdit || now == WeightEdit) GraphControl->SetTypingTarget(now);
    });
}

void TGraphForm::ShowSteppedSelection() {
    if (const std::optional<std::u16string> caption = View().SelectedCaptionText())
        ShowInBox(NodeCaptionEdit, QString::fromStdU16String(*caption));
    if (const std::optional<std::string> weight =
            View().SelectedWeightText(WeightDecimalSeparator()))
        ShowInBox(WeightEdit, QString::fromStdString(*weight));
}

void TGraphForm::ShowPathResult(TGraphPoint* source, TGraphPoint* target) {
    lineOverlays_.clear();  // the view has put the path in the place of the result
    ResultsPanel->SetResult(
        ShortestPathText(*source, *target, *View().SelectedPath(), WeightDecimalSeparator()));
}

void TGraphForm::ShowGraphLine() {
    const QString size = QString::fromStdString(GraphSizeText(View().Graph()));
    ResultsPanel->SetGraphLine(fileName_.isEmpty() ? size
                                                   : QFileInfo(fileName_).fileName() + ": " + size);
}

void TGraphForm::OpenFile(const QString& name) {
    std::unique_ptr<TObject> loaded(LoadObjectFromFile(FileNameBytes(name), true));
    GraphControl->ShowChanges(View().ReplaceGraph(std::move(loaded)));
    fileName_ = name;
    ShowGraphLine();
}

void TGraphForm::OpenOnStart(const QString& name) {
    QTimer::singleShot(0, this, [this, name] { RunGuarded([&] { OpenFile(name); }); });
}

void TGraphForm::SetEditingLocked(bool locked) {
    GraphControl->SetEditingLocked(locked);
    for (QAction* command :
         {LoadMenuItem, DeleteEdgeMenuItem, DeleteNodeMenuItem, ShortestPathMenuItem})
        command->setEnabled(!locked);
    LockFormatItems(locked);
    AnalysisMenuItem->setEnabled(!locked);  // one run at a time
    AnalysisMenuItem->menuAction()->setEnabled(!locked);
    NodeCaptionEdit->setReadOnly(locked);
    WeightEdit->setReadOnly(locked);
    RefreshUndoItems();
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
    TViewChanges changes =
        View().SetSelectedWeight(WeightEdit->text().toStdString(), WeightDecimalSeparator());
    const bool repaintWindow = std::exchange(changes.NeedsRepaint, false);
    GraphControl->ShowChanges(std::move(changes));
    if (repaintWindow) repaint();  // the whole window, the box being typed in too
}

void TGraphForm::SaveMenuItemClick() {
    const std::optional<QString> name = RunFileDialog(*SaveDialog);
    if (!name) return;
    SaveObjectToFile(&View().Graph(), FileNameBytes(*name), true);
    fileName_ = *name;
    ShowGraphLine();
}

void TGraphForm::LoadMenuItemClick() {
    const std::optional<QString> name = RunFileDialog(*OpenDialog);
    if (!name) return;
    OpenFile(*name);
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
    waitingRequest_.reset();  // the press on the target searches now
    GraphControl->ShowChanges(View().StartPathRequest());
}

void TGraphForm::ZoomInMenuItemClick() { GraphControl->ShowChanges(View().ZoomIn()); }

void TGraphForm::ZoomOutMenuItemClick() { GraphControl->ShowChanges(View().ZoomOut()); }

void TGraphForm::ActualSizeMenuItemClick() { GraphControl->ShowChanges(View().ActualSize()); }

void TGraphForm::FitGraphMenuItemClick() { GraphControl->ShowChanges(View().FitGraph()); }

void TGraphForm::ShowCaptionsMenuItemClick() {
    GraphControl->ShowChanges(View().SetShowCaptions(ShowCaptionsMenuItem->isChecked()));
}

void TGraphForm::ShowWeightsMenuItemClick() {
    GraphControl->ShowChanges(View().SetShowWeights(ShowWeightsMenuItem->isChecked()));
}

void TGraphForm::SeparateOppositeMenuItemClick() {
    GraphControl->ShowChanges(View().SetSeparateOpposite(SeparateOppositeMenuItem->isChecked()));
}

// ----------------------------------------------------------------------------
// Other tools' files, pictures and Graphviz's layouts

namespace {

struct TFormatFilter {
    const char* description;
    const char* patterns;
    TFileFormat format;
};
constexpr std::array<TFormatFilter, 5> kFormatFilters{{
    {"GraphML (*.graphml)", "*.graphml", TFileFormat::GraphMl},
    {"GEXF (*.gexf)", "*.gexf", TFileFormat::Gexf},
    {"Graphviz DOT (*.dot *.gv)", "*.dot;*.gv", TFileFormat::Dot},
    {"CSV edge list (*.csv)", "*.csv", TFileFormat::Csv},
    {"JSON (*.json)", "*.json", TFileFormat::Json},
}};
constexpr const char* kPictureFilter =
    "PNG image (*.png)|*.png|SVG drawing (*.svg)|*.svg|PDF document (*.pdf)|*.pdf";
constexpr std::array<const char*, 5> kLayoutEngines{"neato", "sfdp", "dot", "circo", "twopi"};

// Every format, led for reading by one filter for all of them.
QString FormatFilter(bool all) {
    QStringList parts, patterns;
    for (const TFormatFilter& filter : kFormatFilters) {
        parts << filter.description << filter.patterns;
        patterns << filter.patterns;
    }
    if (all) parts.prepend({"Graph files|" + patterns.join(';')});
    return parts.join('|');
}

QFileDialog* NewDialog(QWidget* parent, const char* name, QFileDialog::AcceptMode mode,
                       const QString& filter) {
    auto* dialog = new QFileDialog(parent);
    dialog->setObjectName(name);
    dialog->setAcceptMode(mode);
    dialog->setNameFilters(QtNameFilters(filter));
    return dialog;
}

// The format of the name's extension; for a name without one, that of the filter chosen.
TFileFormat ChosenFormat(const QString& name, const QFileDialog& dialog) {
    if (const std::optional<TFileFormat> format = FormatOfFileName(FileNameBytes(name)))
        return *format;
    for (const TFormatFilter& filter : kFormatFilters)
        if (dialog.selectedNameFilter() == filter.description) return filter.format;
    throw EFormatError(FileNameBytes(name),
                       "no extension of a format: .graphml, .gexf, .dot, .gv, .csv or .json");
}

TPictureKind ChosenPictureKind(const QString& name, const QFileDialog& dialog) {
    if (const std::optional<TPictureKind> kind = PictureKindOfFileName(FileNameBytes(name)))
        return *kind;
    constexpr std::array<TPictureKind, 3> kinds{TPictureKind::Png, TPictureKind::Svg,
                                                TPictureKind::Pdf};
    const qsizetype chosen = dialog.nameFilters().indexOf(dialog.selectedNameFilter());
    return chosen >= 0 && chosen < qsizetype(kinds.size()) ? kinds[std::size_t(chosen)]
                                                           : TPictureKind::Png;
}

// The wait cursor over the whole application while a command works.
class TBusyCursor {
public:
    TBusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TBusyCursor() { QApplication::restoreOverrideCursor(); }
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;
};

// What a finished import or export could not keep, all in one message.
void ShowLosses(const QString& fileName, const char* done, const TWarnings& warnings) {
    if (warnings.Empty()) return;
    QString text = QFileInfo(fileName).fileName() + ' ' + done + ", but not all of it:";
    for (const std::string& line : warnings.Lines()) text += "\n- " + QString::fromStdString(line);
    ShowWarningMessage(text);
}

struct TImported {
    QString name;
    TGraphDocument document;
    TWarnings warnings;
};

// The graph of the file chosen in dialog, laid out when some node has no position.
std::optional<TImported> ReadChosenFile(
    const std::function<std::optional<QString>(QFileDialog&)>& runDialog, QFileDialog& dialog) {
    const std::optional<QString> name = runDialog(dialog);
    if (!name) return std::nullopt;
    const TFileFormat format = ChosenFormat(*name, dialog);
    TImported imported{*name, {}, {}};
    const TBusyCursor busy;
    imported.document = ReadPlacedDocument(FileNameBytes(*name), format, imported.warnings);
    return imported;
}

}  // namespace

void TGraphForm::CreateFormatItems() {
    ImportMenuItem =
        AddItem(FileMenuItem, "ImportMenuItem", "&Import...", &TGraphForm::ImportMenuItemClick);
    ImportIntoMenuItem =
        AddItem(FileMenuItem, "ImportIntoMenuItem", "Import Into &Current Graph...",
                &TGraphForm::ImportIntoMenuItemClick);
    ExportMenuItem =
        AddItem(FileMenuItem, "ExportMenuItem", "&Export...", &TGraphForm::ExportMenuItemClick);
    ExportPictureMenuItem = AddItem(FileMenuItem, "ExportPictureMenuItem", "Export &Picture...",
                                    &TGraphForm::ExportPictureMenuItemClick);
    // Added at the end; they belong between Save and Exit, in a group of their own.
    const QList<QAction*> items{ImportMenuItem, ImportIntoMenuItem, ExportMenuItem,
                                ExportPictureMenuItem};
    for (QAction* item : items) FileMenuItem->removeAction(item);
    FileMenuItem->insertActions(N1, items);
    FileMenuItem->insertSeparator(ImportMenuItem)->setObjectName("FormatSeparator");
    ImportDialog = NewDialog(this, "ImportDialog", QFileDialog::AcceptOpen, FormatFilter(true));
    ExportDialog = NewDialog(this, "ExportDialog", QFileDialog::AcceptSave, FormatFilter(false));
    PictureDialog = NewDialog(this, "PictureDialog", QFileDialog::AcceptSave, kPictureFilter);
}

void TGraphForm::CreateLayoutMenu() {
    LayoutMenuItem = new QMenu("&Layout", this);
    LayoutMenuItem->setObjectName("LayoutMenuItem");
    MainMenu1->insertMenu(Calculate1->menuAction(), LayoutMenuItem);
    for (const char* engine : kLayoutEngines) {
        auto* item = new QAction('&' + QString(engine), this);
        item->setObjectName(QString(engine) + "LayoutMenuItem");
        LayoutMenuItem->addAction(item);
        connect(item, &QAction::triggered, this,
                [this, engine] { RunGuarded([&] { LayoutMenuItemClick(engine); }); });
    }
}

void TGraphForm::LockFormatItems(bool locked) {
    for (QAction* command : {ImportMenuItem, ImportIntoMenuItem}) command->setEnabled(!locked);
    LayoutMenuItem->setEnabled(!locked);
}

void TGraphForm::ImportMenuItemClick() {
    std::optional<TImported> imported = ReadChosenFile(RunFileDialog, *ImportDialog);
    if (!imported) return;
    std::unique_ptr<TMathGraph> graph = GraphOfDocument(imported->document, imported->warnings);
    GraphControl->ShowChanges(View().ReplaceGraph(std::move(graph)));
    fileName_ = imported->name;
    ShowGraphLine();
    ShowLosses(imported->name, "was imported", imported->warnings);
}

void TGraphForm::ImportIntoMenuItemClick() {
    std::optional<TImported> imported = ReadChosenFile(RunFileDialog, *ImportDialog);
    if (!imported) return;
    GraphControl->ShowChanges(View().Perform(ImportStep(imported->document, imported->warnings)));
    ShowLosses(imported->name, "was imported", imported->warnings);
}

void TGraphForm::ExportMenuItemClick() {
    const std::optional<QString> name = RunFileDialog(*ExportDialog);
    if (!name) return;
    const TFileFormat format = ChosenFormat(*name, *ExportDialog);
    TWarnings warnings;
    {
        const TBusyCursor busy;
        WriteGraphDocument(DocumentOfGraph(View().Graph()), FileNameBytes(*name), format, warnings,
                           false);
    }
    ShowLosses(*name, "was written", warnings);
}

QSize TGraphForm::VisibleSize() const {
    const TViewTransform& shown = GraphControl->View().Transform();
    if (shown.Width() > 0 && shown.Height() > 0) return QSize(shown.Width(), shown.Height());
    return GraphControl->size();
}

void TGraphForm::ExportPictureMenuItemClick() {
    const std::optional<QString> name = RunFileDialog(*PictureDialog);
    if (!name) return;
    const TPictureKind kind = ChosenPictureKind(*name, *PictureDialog);
    const std::optional<int> scale = ChoosePictureScale();
    if (!scale) return;
    const TBusyCursor busy;
    // The control paints over its panel's background: the picture has it too.
    const QColor background = GraphControl->palette().color(GraphControl->backgroundRole());
    const QByteArray bytes = PictureOf(View(), kind, VisibleSize(), background, *scale);
    WriteFileBytes(FileNameBytes(*name),
                   std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

void TGraphForm::LayoutMenuItemClick(const QString& engineName) {
    const std::optional<TLayoutEngine> engine = LayoutEngineNamed(engineName.toStdString());
    if (!engine) return;
    // The visible area, in the graph's units: the nodes land where the user looks.
    const TViewTransform& shown = View().Transform();
    const QSize size = VisibleSize();
    const int margin = kStartViewBox.Margin, least = 2 * margin + 1;
    const TLayoutBox box{std::max(int(size.width() / shown.Zoom()), least),
                         std::max(int(size.height() / shown.Zoom()), least), margin};
    const TGraphXY origin = shown.ToGraph(0, 0);
    const TBusyCursor busy;
    std::unique_ptr<TGraphEdit> step =
        LayoutStep(View().Graph(), *engine, box, TPosition{origin.X, origin.Y});
    if (step) GraphControl->ShowChanges(View().Perform(std::move(step)));
}

void TGraphForm::AnalysisMenuItemClick(TAnalysisKind kind) {
    if (analysis_ != nullptr) return;
    TAnalysisRequest request;
    request.Kind = kind;
    TGraphPoint* start = View().SelectedNode();
    if (TakesStart(kind) && start == nullptr) return;
    if (kind == TAnalysisKind::CheapestPaths) {
        const std::optional<int> count = AskPathCount();
        if (!count) return;
        request.Count = *count;
    }
    if (TakesTarget(kind)) {
        waitingRequest_ = request;
        GraphControl->ShowChanges(View().StartTargetRequest());
        return;
    }
    // A command chosen while another waits for its target takes its place.
    if (std::exchange(waitingRequest_, std::nullopt))
        GraphControl->ShowChanges(View().CancelPathRequest());
    StartAnalysis(request, start, nullptr);
}

void TGraphForm::StartAnalysis(TAnalysisRequest request, const TGraphPoint* from,
                               const TGraphPoint* to) {
    if (analysis_ != nullptr) return;
    QApplication::setOverrideCursor(Qt::BusyCursor);  // the snapshot of a large graph takes a while
    const auto shown = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
    auto snapshot = std::make_unique<TGraphSnapshot>(View().Graph());
    if (from != nullptr) request.From = snapshot->PositionOf(from);
    if (to != nullptr) request.To = snapshot->PositionOf(to);
    analysis_ = new TAnalysisRun(std::move(snapshot), request, this);
    connect(analysis_, &TAnalysisRun::Ended, this, [this] { RunGuarded([&] { ShowAnalysis(); }); });
    SetEditingLocked(true);
}

void TGraphForm::CancelAnalysis() {
    if (analysis_ != nullptr) analysis_->Cancel();
}

void TGraphForm::ShowAnalysis() {
    TAnalysisRun* run = std::exchange(analysis_, nullptr);
    run->deleteLater();  // it is still sending Ended
    SetEditingLocked(false);
    const auto ended = qScopeGuard([this] { emit AnalysisEnded(); });
    if (run->Cancelled()) return;
    if (!run->Found()) throw Exception(run->Error());
    TAnalysisFindings findings = run->TakeFindings();
    ResultsPanel->SetResult(AnalysisText(run->Snapshot(), findings, WeightDecimalSeparator()));
    lineOverlays_ = std::move(findings.LineOverlays);
    GraphControl->ShowChanges(View().ShowResult(std::move(findings.Overlay)));
}

void TGraphForm::ShowResultLine(int index) {
    if (index < 0 || index >= static_cast<int>(lineOverlays_.size())) return;
    GraphControl->ShowChanges(View().SetOverlay(lineOverlays_[static_cast<std::size_t>(index)]));
}
