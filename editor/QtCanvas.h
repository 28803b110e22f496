// The view's canvas on a QPainter.
#pragma once

#include <QLine>
#include <QPainter>
#include <QPoint>
#include <vector>

#include "editor/Canvas.h"

/// Draws on painter, which must outlive it; starts with a black pen 1 pixel wide. The
/// painter's pen and brush are changed only when they change: a paint sets them for every
/// node and edge, and most of those calls repeat the one before. Lines drawn one after
/// another with the same pen are handed to the painter together, which draws them in
/// about half the time; they reach it before anything else is drawn or changed, and at
/// the latest when the canvas is destroyed. REQUIRES: nobody else uses the painter while
/// the canvas draws on it.
class TQtCanvas : public TCanvas {
public:
    explicit TQtCanvas(QPainter& painter);
    ~TQtCanvas() override;
    TQtCanvas(const TQtCanvas&) = delete;
    TQtCanvas& operator=(const TQtCanvas&) = delete;

    void SetPenColor(TColor color) override;
    /// Width 0 is Qt's cosmetic pen, always one device pixel.
    void SetPenWidth(int width) override;
    void SetBrush(TColor color) override;
    void Ellipse(int x1, int y1, int x2, int y2) override;
    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;

private:
    // Enough to make the painter's own work per call negligible, little enough to stay
    // in the cache.
    static constexpr std::size_t kLinesPerCall = 1024;

    void DrawPendingLines();

    QPainter& painter_;
    std::vector<QLine> pendingLines_;
    QPoint current_;
    TColor penColor_ = clBlack;
    int penWidth_ = 1;
    TColor brush_;
    bool brushSet_ = false;  // the painter's brush is still the one it came with
};
