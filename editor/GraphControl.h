// The graph view as a Qt control: paints the graph, turns presses and drags
// into the view's editing steps and shows its mode as its cursor.
#pragma once

#include <QWidget>

#include "editor/GraphView.h"

/// Fills its parent; paints no background of its own, so the parent's shows.
/// Path mode is any cursor but the default arrow; the cross-hair enters it.
class TGraphControl : public QWidget, public TGraphView {
    Q_OBJECT
public:
    explicit TGraphControl(QWidget* parent = nullptr);

signals:
    /// Sent after every press the view has handled to its end.
    void Click();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

    bool IsPathMode() const override;
    void SetPathMode(bool on) override;
    void RepaintView() override;
    void NotifyClick() override;
};
