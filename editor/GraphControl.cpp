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

void TGraphControl::paintEvent(QPaintEvent*) {
    RunGuarded([&] {
        QPainter painter(this);
        TQtCanvas canvas(painter);
        Paint(canvas);
    });
}

void TGraphControl::mousePressEvent(QMouseEvent* event) {
    const std::optional<TMouseButton> button = ViewButton(event->button());
    if (!button) return;
    const QPoint at = event->position().toPoint();
    RunGuarded([&] { GraphControlMouseDown(*button, at.x(), at.y()); });
}

void TGraphControl::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    const bool leftHeld = event->buttons().testFlag(Qt::LeftButton);
    RunGuarded([&] { GraphControlMouseMove(leftHeld, at.x(), at.y()); });
}

bool TGraphControl::IsPathMode() const { return cursor().shape() != Qt::ArrowCursor; }

void TGraphControl::SetPathMode(bool on) { setCursor(on ? Qt::CrossCursor : Qt::ArrowCursor); }

void TGraphControl::RepaintView() { repaint(); }

void TGraphControl::NotifyClick() { emit Click(); }
