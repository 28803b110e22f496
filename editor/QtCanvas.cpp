#include "editor/QtCanvas.h"

#include <QBrush>
#include <QColor>
#include <QPen>

namespace {

QColor ToQColor(TColor color) { return QColor(color.Red, color.Green, color.Blue); }

}  // namespace

TQtCanvas::TQtCanvas(QPainter& painter) : painter_(painter) { painter_.setPen(QPen(Qt::black, 1)); }

TQtCanvas::~TQtCanvas() { DrawPendingLines(); }

void TQtCanvas::DrawPendingLines() {
    if (pendingLines_.empty()) return;
    painter_.drawLines(pendingLines_.data(), static_cast<int>(pendingLines_.size()));
    pendingLines_.clear();
}

void TQtCanvas::SetPenColor(TColor color) {
    if (color == penColor_) return;
    DrawPendingLines();
    penColor_ = color;
    QPen pen = painter_.pen();
    pen.setColor(ToQColor(color));
    painter_.setPen(pen);
}

void TQtCanvas::SetPenWidth(int width) {
    if (width < 0 || width == penWidth_) return;
    DrawPendingLines();
    penWidth_ = width;
    QPen pen = painter_.pen();
    pen.setWidth(width);
    painter_.setPen(pen);
}

void TQtCanvas::SetBrush(TColor color) {
    if (brushSet_ && color == brush_) return;
    DrawPendingLines();
    brush_ = color;
    brushSet_ = true;
    painter_.setBrush(ToQColor(color));
}

void TQtCanvas::Ellipse(int x1, int y1, int x2, int y2) {
    DrawPendingLines();
    // The box's corners are the outline's extremes, as for a line from (x1, y) to (x2, y):
    // a node's circle is then centred where its edges meet.
    painter_.drawEllipse(QRect(x1, y1, x2 - x1, y2 - y1));
}

void TQtCanvas::MoveTo(int x, int y) { current_ = QPoint(x, y); }

void TQtCanvas::LineTo(int x, int y) {
    const QPoint to(x, y);
    pendingLines_.emplace_back(current_, to);
    if (pendingLines_.size() == kLinesPerCall) DrawPendingLines();
    current_ = to;
}
