// The editor's only window: the graph view on the left, the selected node's
// caption and the selected edge's weight on the right, and the menu commands.
#pragma once

#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QAction;
class QFileDialog;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QSplitter;
class TGraphControl;
class TGraphView;

/// Qt's name filters for a filter of "description|pattern" pairs: a description
/// that already ends in its patterns in parentheses stands as it is, any other
/// gets them appended ("Text|*.txt;*.log" gives "Text (*.txt *.log)").
QStringList QtNameFilters(const QString& filter);

/// The locale's decimal separator when it is one ASCII character, else '.'.
char WeightDecimalSeparator();

/// Every component belongs to the window. Each handler runs inside the error
/// guard when the window calls it: an error ends it and its text is shown.
class TGraphForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TGraphForm(QWidget* parent = nullptr);

    TGraphControl* GetGraphControl() const { return GraphControl; }

    /// Shows a file dialog modally: the chosen file name, or none when the user
    /// cancels. Tests put a stand-in here instead of a modal dialog.
    std::function<std::optional<QString>(QFileDialog& dialog)> RunFileDialog;

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

    /// Creates the view in GraphPanel and listens to its clicks.
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

private:
    void CreatePanels();
    void CreateBoxes();
    void CreateMenu();
    void CreateDialogs();
    QAction* AddItem(QMenu* menu, const char* name, const char* caption,
                     void (TGraphForm::*handler)());
    /// Connects to handler inside the error guard.
    std::function<void()> Guarded(void (TGraphForm::*handler)());
    TGraphView& View();

    TGraphControl* GraphControl = nullptr;
};
