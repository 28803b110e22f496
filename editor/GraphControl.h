// The graph view as a Qt control: holds the view and the undo stack of its steps, paints
// it, hands it the presses, drags, wheel and keys, and shows what its operations report:
// the mode as the cursor, scroll bars when the graph is larger than the visible area, and
// repaints.
#pragma once

#include <QImage>
#include <QPointer>
#include <QRegion>
#include <QWidget>
#include <optional>
#include <vector>

#include "editor/GraphView.h"
#include "editor/QtCanvas.h"

class QScrollBar;
class QUndoStack;

/// Fills its parent; paints no background of its own, so the parent's shows.
class TGraphControl : public QWidget {
    Q_OBJECT
public:
    explicit TGraphControl(QWidget* parent = nullptr);
    ~TGraphControl() override;

    TGraphView& View() { return view_; }
    const TGraphView& View() const { return view_; }
    /// The steps of editing the graph shown, one for each change of it; a load clears it.
    QUndoStack* UndoStack() const { return undoStack_; }

    /// Shows what an operation of the view changed: the step it made goes onto the undo
    /// stack, a replaced graph clears the stack; the cross-hair cursor while the view is in
    /// path mode, the default arrow otherwise; the scroll bars; a repaint before returning
    /// when the drawing is out of date, of only the areas changed when the view tells them.
    /// Then the signals. Every change of the view is to be shown through here: the drawing
    /// is kept between paints.
    void ShowChanges(TViewChanges changes);
    /// ShowChanges of an undo or a redo, then Stepped. REQUIRES: nothing shown meanwhile
    /// makes a step.
    void ShowStepped(TViewChanges changes);

    /// While locked (a command works on the graph elsewhere) presses, drags and keys edit
    /// nothing; zoom and scroll still work. The window refuses its own editing commands.
    void SetEditingLocked(bool locked);
    bool IsEditingLocked() const { return locked_; }

    /// The widget that text typed on the view goes to, with the focus: the box the user
    /// types in, as if the focus had stayed there. None: such keys do nothing.
    void SetTypingTarget(QWidget* target) { typingTarget_ = target; }

signals:
    /// Sent after every press the view has handled to its end.
    void Click();
    /// The graph changed: by a step, an undo, a redo or a load.
    void GraphChanged();
    /// An undo or a redo has brought back the selection of its step.
    void Stepped();
    /// A press ended a path request with a search from source to target; SelectedPath holds
    /// its result.
    void PathSearched(TGraphPoint* source, TGraphPoint* target);
    /// A press ended a target request (StartTargetRequest) on target, source selected.
    void TargetPicked(TGraphPoint* source, TGraphPoint* target);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    /// The visible area and the scroll bars for the graph, the zoom and the scroll position;
    /// looks at every node, so only while shown.
    void UpdateScrollBars();
    /// What the kept drawing shows; a paint redraws it whole when this is not what the
    /// view shows now.
    struct TSceneMark {
        const TMathGraph* graph;
        int nodes, edges;
        const void *node, *edge, *path;
        int pathCount;
        double zoom, scrollX, scrollY;
        int width, height, pixelWidth, pixelHeight;
        bool adapt, captions, weights, opposite;
        char separator;
        std::size_t overlay;
        friend bool operator==(const TSceneMark&, const TSceneMark&) = default;
    };
    TSceneMark SceneMark() const;
    /// The kept drawing, drawn whole unless it shows what the view shows.
    const QImage& Scene();
    /// Redraws areas of the kept drawing, which showed the view as it was just before
    /// the change; the part of the control they cover.
    QRegion RedrawScene(const std::vector<TScreenBox>& areas);

    void PlaceBar(QScrollBar* bar, const QRect& place, double from, double to, double at,
                  bool shown);
    void ScrollBarMoved();
    void Scroll(QScrollBar* bar, int wheelDelta);
    bool TypeIntoTarget(QKeyEvent* event);

    TGraphView view_;
    QUndoStack* undoStack_;
    QScrollBar* horizontalBar_;
    QScrollBar* verticalBar_;
    TQtLabelCache labels_;
    QImage scene_;    // the drawing over a transparent background, as the view shows it
    QImage scratch_;  // where areas are redrawn whole before they are copied into scene_
    std::optional<TSceneMark> sceneMark_;  // none: scene_ is out of date
    QPointer<QWidget> typingTarget_;
    int wheelZoom_ = 0;  // the wheel's turn not yet made a zoom step, in eighths of a degree
    bool locked_ = false;
    bool updatingBars_ = false;
    bool stepping_ = false;  // showing an undo or a redo
    bool barsOutOfDate_ = true;
};
