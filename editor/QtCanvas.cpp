#include "editor/QtCanvas.h"

#include <QBrush>
#include <QColor>
#include <QFontMetrics>
#include <QPainterPath>
#include <QPen>
#include <algorithm>
#include <cstdlib>

namespace {

QColor ToQColor(TColor color) { return QColor(color.Red, color.Green, color.Blue); }

}  // namespace

QFont LabelFont() {
    QFont font("MS Sans Serif");  // as the window's font; Qt falls back to a sans serif
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(kLabelFontPixels);
    return font;
}

const QImage& TQtLabelCache::Label(std::string_view text, TColor colour, qreal pixelRatio) {
    if (colour != colour_ || pixelRatio != pixelRatio_ || labels_.size() >= kMaxLabels) {
        labels_.clear();
        colour_ = colour;
        pixelRatio_ = pixelRatio;
    }
    if (const auto found = labels_.find(text); found != labels_.end()) return found->second;
    const QString shown = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    const QFontMetrics metrics(font_);
    const QSize size(std::max(metrics.horizontalAdvance(shown), 1), metrics.height());
    QImage image(size * pixelRatio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(pixelRatio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setFont(font_);
    painter.setPen(ToQColor(colour));
    painter.drawText(0, metrics.ascent(), shown);
    painter.end();
    return labels_.emplace(std::string(text), std::move(image)).first->second;
}

TQtCanvas::TQtCanvas(QPainter& painter, TQtLabelCache* labels)
    : painter_(painter),
      ownLabels_(labels == nullptr ? std::make_unique<TQtLabelCache>() : nullptr),
      labels_(labels == nullptr ? *ownLabels_ : *labels) {
    painter_.setPen(QPen(Qt::black, 1));
    auto* image = painter_.device() != nullptr && painter_.device()->devType() == QInternal::Image
                      ? static_cast<QImage*>(painter_.device())
                      : nullptr;
    const bool plain =
        image != nullptr && image->devicePixelRatio() == 1 &&
        (image->format() == QImage::Format_ARGB32_Premultiplied ||
         image->format() == QImage::Format_RGB32 || image->format() == QImage::Format_ARGB32) &&
        painter_.worldTransform().isIdentity() && !painter_.hasClipping() &&
        painter_.compositionMode() == QPainter::CompositionMode_SourceOver;
    if (!plain) return;
    bits_ = image->bits();
    stride_ = image->bytesPerLine();
    width_ = image->width();
    height_ = image->height();
}

TQtCanvas::~TQtCanvas() { DrawPendingLines(); }

void TQtCanvas::DrawPendingLines() {
    // Lines and dots waiting together have the same pen: their order does not show.
    if (!pendingDots_.empty()) {
        painter_.drawPoints(pendingDots_.data(), static_cast<int>(pendingDots_.size()));
        pendingDots_.clear();
    }
    if (pendingLines_.empty()) return;
    painter_.drawLines(pendingLines_.data(), static_cast<int>(pendingLines_.size()));
    pendingLines_.clear();
}

void TQtCanvas::SetPenColor(TColor color) {
    if (color == penColor_) return;
    DrawPendingLines();
    penColor_ = color;
    penPixel_ = 0xff000000u | std::uint32_t{color.Red} << 16 | std::uint32_t{color.Green} << 8 |
                color.Blue;
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

void TQtCanvas::Dot(int x, int y) {
    current_ = QPoint(x, y);
    if (bits_ != nullptr) return Put(x, y);  // the pen's colour is opaque: order shows only
                                             // between colours, and those flush the runs
    pendingDots_.push_back(current_);
    if (pendingDots_.size() == kLinesPerCall) DrawPendingLines();
}

void TQtCanvas::RoughLine(int x1, int y1, int x2, int y2) {
    std::int64_t x = x1, y = y1;
    const std::int64_t dx = std::abs(std::int64_t{x2} - x1), dy = -std::abs(std::int64_t{y2} - y1);
    // A line far longer than the image is cut to it by the painter instead of walked.
    if (bits_ == nullptr || dx - dy > 2 * std::int64_t{width_ + height_}) {
        MoveTo(x1, y1);
        return LineTo(x2, y2);
    }
    current_ = QPoint(x2, y2);
    if ((x1 < 0 && x2 < 0) || (y1 < 0 && y2 < 0) || (x1 >= width_ && x2 >= width_) ||
        (y1 >= height_ && y2 >= height_))
        return;
    // Bresenham's line, in 64 bits.
    const int sx = x1 < x2 ? 1 : -1, sy = y1 < y2 ? 1 : -1;
    for (std::int64_t error = dx + dy;;) {
        Put(int(x), int(y));
        if (x == x2 && y == y2) return;
        const std::int64_t twice = 2 * error;
        if (twice >= dy) error += dy, x += sx;
        if (twice <= dx) error += dx, y += sy;
    }
}

void TQtCanvas::CurveTo(int x1, int y1, int x2, int y2, int x, int y) {
    DrawPendingLines();
    QPainterPath curve(current_);
    curve.cubicTo(x1, y1, x2, y2, x, y);
    painter_.strokePath(curve, painter_.pen());
    current_ = QPoint(x, y);
}

void TQtCanvas::TextOut(int x, int y, std::string_view text) {
    DrawPendingLines();
    const qreal ratio = painter_.device() != nullptr ? painter_.device()->devicePixelRatioF() : 1;
    painter_.drawImage(QPoint(x, y), labels_.Label(text, penColor_, ratio));
}
