#include "editor/GraphControl.h"

#include <QMouseEvent>
#include <QPainter>
#include <optional>

#include "editor/ErrorDisplay.h"
#include "editor/QtCanvas.h"

namespace {

std::optional<TMouseButton> ViewButton(Qt::MouseButton button) {
    switch (button) {
        case Qt::LeftButton:
            return TMouseButton::mbLeft;
        case Qt::RightButton:
            return TMouseButton::mbRight;
        case Qt::MiddleButton:
            return TMouseButton::mbMiddle;
        default:
            return std::nullopt;  // extra buttons edit nothing
    }
}

}  // namespace

TGraphControl::TGraphControl(QWidget* parent) : QWidget(parent) {
    setObjectName("GraphControl");
    setCursor(Qt::ArrowCursor);
}

void TGraphControl::ShowChanges(const TViewChanges& changes) {
    const Qt::CursorShape mode = view_.IsPathMode() ? Qt::CrossCursor : Qt::ArrowCursor;
    if (cursor().shape() != mode) setCursor(mode);
    if (changes.NeedsRepaint) repaint();
}

void TGraphControl::paintEvent(QPaintEvent*) {
    RunGuarded([&] {
        QPainter painter(this);
        TQtCanvas canvas(painter);
        view_.Paint(canvas);
    });
}

void TGraphControl::mousePressEvent(QMouseEvent* event) {
    const std::optional<TMouseButton> button = ViewButton(event->button());
    if (!button) return;
    const QPoint at = event->position().toPoint();
    // A press that raises ends there: no repaint and no notification. The view leaves
    // path mode only once the search has returned, so the cursor still shows the mode.
    RunGuarded([&] {
        ShowChanges(view_.GraphControlMouseDown(*button, at.x(), at.y()));
        emit Click();
    });
}

void TGraphControl::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    const bool leftHeld = event->buttons().testFlag(Qt::LeftButton);
    RunGuarded([&] { ShowChanges(view_.GraphControlMouseMove(leftHeld, at.x(), at.y())); });
}
