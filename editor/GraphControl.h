// The graph view as a Qt control: holds the view, paints it, hands it the presses and
// drags, and shows what its operations report: the mode as the cursor, and repaints.
#pragma once

#include <QWidget>

#include "editor/GraphView.h"

/// Fills its parent; paints no background of its own, so the parent's shows.
class TGraphControl : public QWidget {
    Q_OBJECT
public:
    explicit TGraphControl(QWidget* parent = nullptr);

    TGraphView& View() { return view_; }
    const TGraphView& View() const { return view_; }

    /// Shows what an operation of the view changed: the cross-hair cursor while the view
    /// is in path mode, the default arrow otherwise, and a repaint before returning when
    /// the drawing is out of date.
    void ShowChanges(const TViewChanges& changes);

signals:
    /// Sent after every press the view has handled to its end.
    void Click();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    TGraphView view_;
};
