// The editor's only window: the graph view on the left, the selected node's
// caption and the selected edge's weight on the right, the results below them, and the
// menu commands.
#pragma once

#include <QMainWindow>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

#include "editor/GraphAnalysis.h"

class QAction;
class QFileDialog;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QSplitter;
class TGraphControl;
class TGraphPoint;
class TAnalysisRun;
class TGraphView;
class TResultsPanel;

/// Qt's name filters for a filter of "description|pattern" pairs: a description
/// that already ends in its patterns in parentheses stands as it is, any other
/// gets them appended ("Text|*.txt;*.log" gives "Text (*.txt *.log)").
QStringList QtNameFilters(const QString& filter);

/// The locale's decimal separator when it is one ASCII character, else '.'.
char WeightDecimalSeparator();

/// wanted, moved and then shrunk only as far as needed to lie within available.
QRect FitOnScreen(const QRect& wanted, const QRect& available);

/// Every component belongs to the window. Each handler runs inside the error
/// guard when the window calls it: an error ends it and its text is shown.
class TGraphForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TGraphForm(QWidget* parent = nullptr);
    ~TGraphForm() override;

    TGraphControl* GetGraphControl() const { return GraphControl; }

    /// Loads the graph file name as File, Load does with that name chosen. Errors as there.
    void OpenFile(const QString& name);
    /// OpenFile(name) once the event loop runs, inside the error guard: an error is shown
    /// over the window, which keeps the empty graph.
    void OpenOnStart(const QString& name);
    /// While locked (a command works on the graph elsewhere) the view, the boxes and every
    /// command that changes the graph refuse; zoom, the view options, Save and Exit work.
    void SetEditingLocked(bool locked);

    /// Shows a file dialog modally: the chosen file name, or none when the user
    /// cancels. Tests put a stand-in here instead of a modal dialog.
    std::function<std::optional<QString>(QFileDialog& dialog)> RunFileDialog;
    /// Asks for the scale of File, Export Picture: 1, 2 or 4, or none when the user
    /// cancels. Tests put a stand-in here too.
    std::function<std::optional<int>()> ChoosePictureScale;

    QFrame* GraphPanel = nullptr;
    QFrame* RightPanel = nullptr;
    QSplitter* Splitter = nullptr;
    QFrame* TopLeftPanel = nullptr;
    QSplitter* LeftSplitter = nullptr;
    QFrame* BottomLeftPanel = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* NodeCaptionLabel = nullptr;
    QLineEdit* NodeCaptionEdit = nullptr;
    QLabel* SelectedEdgelabel = nullptr;
    QLabel* EdgeweightLabel = nullptr;
    QLineEdit* WeightEdit = nullptr;
    QMenuBar* MainMenu1 = nullptr;
    QMenu* FileMenuItem = nullptr;
    QAction* LoadMenuItem = nullptr;
    QAction* SaveMenuItem = nullptr;
    QFileDialog* SaveDialog = nullptr;
    QFileDialog* OpenDialog = nullptr;
    QAction* N1 = nullptr;
    QAction* ExitMenuItem = nullptr;
    QMenu* EditMenuItem = nullptr;
    QAction* DeleteEdgeMenuItem = nullptr;
    QAction* DeleteNodeMenuItem = nullptr;
    QAction* N2 = nullptr;
    QAction* AdaptEdgesMenuItem = nullptr;
    QMenu* Calculate1 = nullptr;
    QAction* ShortestPathMenuItem = nullptr;
    // Beyond the designed window: undo, the View menu and the results panel.
    QAction* UndoMenuItem = nullptr;
    QAction* RedoMenuItem = nullptr;
    QMenu* ViewMenuItem = nullptr;
    QAction* ZoomInMenuItem = nullptr;
    QAction* ZoomOutMenuItem = nullptr;
    QAction* ActualSizeMenuItem = nullptr;
    QAction* FitGraphMenuItem = nullptr;
    QAction* ShowCaptionsMenuItem = nullptr;
    QAction* ShowWeightsMenuItem = nullptr;
    QAction* SeparateOppositeMenuItem = nullptr;
    TResultsPanel* ResultsPanel = nullptr;
    // Other tools' files and Graphviz's layouts.
    QAction* ImportMenuItem = nullptr;
    QAction* ImportIntoMenuItem = nullptr;
    QAction* ExportMenuItem = nullptr;
    QAction* ExportPictureMenuItem = nullptr;
    QFileDialog* ImportDialog = nullptr;
    QFileDialog* ExportDialog = nullptr;
    QFileDialog* PictureDialog = nullptr;
    QMenu* LayoutMenuItem = nullptr;

    // The analyses, in a submenu of Calculate.
    QMenu* AnalysisMenuItem = nullptr;
    QAction* CheapestPathsMenuItem = nullptr;
    QAction* DistancesMenuItem = nullptr;
    QAction* WeakComponentsMenuItem = nullptr;
    QAction* StrongComponentsMenuItem = nullptr;
    QAction* TopologicalOrderMenuItem = nullptr;
    QAction* SpanningTreeMenuItem = nullptr;
    QAction* MaximumFlowMenuItem = nullptr;

    /// Asks how many cheapest paths to find: the number, or none when the user cancels.
    /// Tests put a stand-in here instead of a modal dialog.
    std::function<std::optional<int>()> AskPathCount;

    /// Creates the view in GraphPanel and the results panel in BottomLeftPanel, and
    /// listens to the view.
    void FormCreate();
    /// Hands the box's text to the view as the selected node's caption.
    void NodeCaptionEditChange();
    /// Copies the selected node's caption and the selected edge's weight into the boxes.
    void GraphPanelClick();
    /// Hands the box's text to the view as the selected edge's weight; repaints the
    /// window when the view took it. EOverflow ("Floating point overflow") beyond the
    /// weight's range.
    void WeightEditChange();
    void SaveMenuItemClick();
    void LoadMenuItemClick();
    void ExitMenuItemClick();
    void DeleteEdgeMenuItemClick();
    void DeleteNodeMenuItemClick();
    void AdaptEdgesMenuItemClick();
    void ShortestPathMenuItemClick();
    void ZoomInMenuItemClick();
    void ZoomOutMenuItemClick();
    void ActualSizeMenuItemClick();
    void FitGraphMenuItemClick();
    void ShowCaptionsMenuItemClick();
    void ShowWeightsMenuItemClick();
    void SeparateOppositeMenuItemClick();
    /// Reads a file of another format in place of the graph shown, as Load does, laid out
    /// by default when some node has no position; what it lost is shown once it is in.
    void ImportMenuItemClick();
    /// The same file's nodes and edges added to the graph shown, as one step.
    void ImportIntoMenuItemClick();
    /// Writes the graph shown in another format; what it lost is shown once written.
    void ExportMenuItemClick();
    /// Writes a PNG, SVG or PDF picture of what the view shows, at a scale asked for.
    void ExportPictureMenuItemClick();
    /// Moves every node where the engine (Graphviz's name) places it within the visible
    /// area, as one step.
    void LayoutMenuItemClick(const QString& engine);

    /// Whole-graph analyses start at once; one from a node takes the selected node; one
    /// between two nodes starts a target request from it, and runs once the target is
    /// pressed. Without a selected node those two do nothing, as Shortest Path.
    void AnalysisMenuItemClick(TAnalysisKind kind);
    /// Stops the analysis running, as its dialog's Cancel does: nothing it found is shown.
    void CancelAnalysis();
    bool IsAnalysisRunning() const { return analysis_ != nullptr; }

signals:
    /// An analysis has ended, shown or cancelled, and the graph is editable again.
    void AnalysisEnded();

private:
    void CreatePanels();
    void CreateBoxes();
    void CreateMenu();
    void CreateUndoItems();
    /// Undo and Redo name the steps they would take, and refuse while editing is locked.
    void RefreshUndoItems();
    void CreateViewMenu();
    void CreateAnalysisMenu();
    QAction* AddAnalysisItem(const char* name, const char* caption, TAnalysisKind kind);
    /// Snapshots the graph here, then runs request on it on a thread of its own, the graph
    /// locked meanwhile.
    void StartAnalysis(TAnalysisRequest request, const TGraphPoint* from, const TGraphPoint* to);
    void ShowAnalysis();
    /// Draws what line index of the result shows, when it draws anything of its own.
    void ShowResultLine(int index);
    void CreateDialogs();
    /// Import, Import Into Current Graph, Export and Export Picture before Exit, and
    /// their dialogs.
    void CreateFormatItems();
    /// The Layout menu, before Calculate.
    void CreateLayoutMenu();
    /// Refuses the commands of other tools' files that change the graph while locked.
    void LockFormatItems(bool locked);
    /// The view's visible area, in screen pixels.
    QSize VisibleSize() const;
    void FitOnItsScreen();
    void ConnectView();
    /// The boxes after an undo or a redo: each shows its selected element, as after a
    /// press, but a box already showing that text is left alone (cursor and all).
    void ShowSteppedSelection();
    void ShowPathResult(TGraphPoint* source, TGraphPoint* target);
    void ShowGraphLine();
    QAction* AddItem(QMenu* menu, const char* name, const char* caption,
                     void (TGraphForm::*handler)());
    /// Connects to handler inside the error guard.
    std::function<void()> Guarded(void (TGraphForm::*handler)());
    TGraphView& View();

    TGraphControl* GraphControl = nullptr;
    QString fileName_;                                // last loaded or saved
    TAnalysisRun* analysis_ = nullptr;                // the one running
    std::optional<TAnalysisRequest> waitingRequest_;  // for its target
    std::vector<TOverlay> lineOverlays_;              // of the result shown
};
