// The view's canvas on a QPainter.
#pragma once

#include <QPainter>
#include <QPoint>

#include "editor/Canvas.h"

/// Draws on painter, which must outlive it; starts with a black pen 1 pixel wide.
class TQtCanvas : public TCanvas {
public:
    explicit TQtCanvas(QPainter& painter);

    void SetPenColor(TColor color) override;
    /// Width 0 is Qt's cosmetic pen, always one device pixel.
    void SetPenWidth(int width) override;
    void SetBrush(TColor color) override;
    void Ellipse(int x1, int y1, int x2, int y2) override;
    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;

private:
    QPainter& painter_;
    QPoint current_;
};
