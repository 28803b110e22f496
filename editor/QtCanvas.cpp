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
    return Find(text, colour, pixelRatio).Image;
}

const TQtLabelCache::TLabel& TQtLabelCache::Find(std::string_view text, TColor colour,
                                                 qreal pixelRatio) {
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
    TLabel label{std::move(image), {}};
    for (int y = 0; y < label.Image.height(); ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(label.Image.constScanLine(y));
        for (int x = 0; x < label.Image.width(); ++x)
            if (row[x] != 0) label.Ink.push_back({std::uint16_t(x), std::uint16_t(y), row[x]});
    }
    return labels_.emplace(std::string(text), std::move(label)).first->second;
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
        !painter_.testRenderHint(QPainter::Antialiasing) &&
        painter_.compositionMode() == QPainter::CompositionMode_SourceOver;
    if (!plain) return;
    image_ = image;
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
    penPixel_ =
        0xff000000u | std::uint32_t{color.Red} << 16 | std::uint32_t{color.Green} << 8 | color.Blue;
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
    brushPixel_ =
        0xff000000u | std::uint32_t{color.Red} << 16 | std::uint32_t{color.Green} << 8 | color.Blue;
    painter_.setBrush(ToQColor(color));
}

// Ellipses larger than this, or with a wider pen, are left to the painter: few are drawn.
constexpr int kLargestStamp = 64;

const std::vector<TQtCanvas::TRun>& TQtCanvas::EllipseRuns(int width, int height) {
    const std::uint64_t key =
        std::uint64_t(width) << 32 | std::uint32_t(height) << 1 | std::uint32_t(penWidth_ != 0);
    if (const auto found = ellipseRuns_.find(key); found != ellipseRuns_.end())
        return found->second;
    // Drawn by the painter at a margin inside a plain image, in two colours no run mixes.
    QImage image(width + 5, height + 5, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setPen(QPen(Qt::red, penWidth_));
        painter.setBrush(Qt::blue);
        painter.drawEllipse(QRect(2, 2, width, height));
    }
    std::vector<TRun> runs;
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width();) {
            if (qAlpha(row[x]) == 0) {
                ++x;
                continue;
            }
            const QRgb kind = row[x];
            int end = x;
            while (end + 1 < image.width() && row[end + 1] == kind) ++end;
            runs.push_back({y - 2, x - 2, end - 2, qRed(kind) != 0});
            x = end + 1;
        }
    }
    return ellipseRuns_.emplace(key, std::move(runs)).first->second;
}

bool TQtCanvas::StampEllipse(int x1, int y1, int x2, int y2) {
    const int width = x2 - x1, height = y2 - y1;
    if (bits_ == nullptr || !brushSet_ || penWidth_ > 1 || width <= 0 || height <= 0 ||
        width > kLargestStamp || height > kLargestStamp || x1 < 2 || y1 < 2 || x2 + 2 >= width_ ||
        y2 + 2 >= height_)
        return false;
    for (const TRun& run : EllipseRuns(width, height)) {
        auto* row = reinterpret_cast<std::uint32_t*>(bits_ + (y1 + run.dy) * stride_) + x1;
        std::fill(row + run.x1, row + run.x2 + 1, run.pen ? penPixel_ : brushPixel_);
    }
    return true;
}

void TQtCanvas::Ellipse(int x1, int y1, int x2, int y2) {
    DrawPendingLines();
    if (StampEllipse(x1, y1, x2, y2)) return;
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
    if (bits_ != nullptr)
        return Put(x, y);  // the pen's colour is opaque: order shows only
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

namespace {

// Each of the four bytes of x times alpha / 255, rounded as the painter rounds.
std::uint32_t ByteTimes(std::uint32_t x, std::uint32_t alpha) {
    std::uint64_t t = ((std::uint64_t{x} | std::uint64_t{x} << 24) & 0x00ff00ff00ff00ffull) * alpha;
    t = (t + ((t >> 8) & 0x00ff00ff00ff00ffull) + 0x0080008000800080ull) >> 8;
    t &= 0x00ff00ff00ff00ffull;
    return std::uint32_t(t) | std::uint32_t(t >> 24);
}

}  // namespace

void TQtCanvas::BlendLabel(int x, int y, const TQtLabelCache::TLabel& label) {
    const bool inside = x >= 0 && y >= 0 && x + label.Image.width() <= width_ &&
                        y + label.Image.height() <= height_;
    for (const TQtLabelCache::TInk& ink : label.Ink) {
        const int column = x + ink.X, row = y + ink.Y;
        if (!inside && (column < 0 || row < 0 || column >= width_ || row >= height_)) continue;
        std::uint32_t& to = reinterpret_cast<std::uint32_t*>(bits_ + row * stride_)[column];
        const std::uint32_t alpha = ink.Pixel >> 24;
        to = alpha == 255 ? ink.Pixel : ink.Pixel + ByteTimes(to, 255 - alpha);
    }
}

void TQtCanvas::TextOut(int x, int y, std::string_view text) {
    DrawPendingLines();
    const qreal ratio = labelRatio_ > 0                ? labelRatio_
                        : painter_.device() != nullptr ? painter_.device()->devicePixelRatioF()
                                                       : 1;
    const TQtLabelCache::TLabel& label = labels_.Find(text, penColor_, ratio);
    // Premultiplied over premultiplied, as the painter lays one image over another.
    if (bits_ != nullptr && label.Image.devicePixelRatio() == 1 &&
        image_->format() == QImage::Format_ARGB32_Premultiplied)
        return BlendLabel(x, y, label);
    painter_.drawImage(QPoint(x, y), label.Image);
}
