// The view's canvas on a QPainter.
#pragma once

#include <QFont>
#include <QImage>
#include <QLine>
#include <QPainter>
#include <QPoint>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "editor/Canvas.h"

/// The label font: kLabelFontPixels high, the window's sans serif.
QFont LabelFont();

/// Labels written once into images and copied from then on: a paint writes the same few
/// texts (the weights) thousands of times, and copying an image costs far less than
/// laying out its text. Holds the labels of one colour and pixel ratio at a time, at most
/// kMaxLabels of them; then it starts afresh.
class TQtLabelCache {
public:
    static constexpr std::size_t kMaxLabels = 20000;

    /// The text in colour, at the pixel ratio of the device it will be drawn on. Valid
    /// until the next call.
    const QImage& Label(std::string_view text, TColor colour, qreal pixelRatio);

    /// The pixels of a label that are not transparent, each with its place in the image.
    struct TInk {
        std::uint16_t X, Y;
        std::uint32_t Pixel;  // premultiplied ARGB
    };
    /// Label's image and its ink, valid as long as Label's result.
    struct TLabel {
        QImage Image;
        std::vector<TInk> Ink;
    };
    const TLabel& Find(std::string_view text, TColor colour, qreal pixelRatio);

private:
    // Looked up by the caller's text itself: no key is made for a label already held.
    struct THash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const {
            return std::hash<std::string_view>()(text);
        }
    };

    std::unordered_map<std::string, TLabel, THash, std::equal_to<>> labels_;
    TColor colour_;
    qreal pixelRatio_ = 0;
    QFont font_ = LabelFont();
};

/// Draws on painter, which must outlive it; starts with a black pen 1 pixel wide. The
/// painter's pen and brush are changed only when they change: a paint sets them for every
/// node and edge, and most of those calls repeat the one before. Lines drawn one after
/// another with the same pen are handed to the painter together, which draws them in
/// about half the time; they reach it before anything else is drawn or changed, and at
/// the latest when the canvas is destroyed. On a plain image (no transform, no clip) a
/// small ellipse with a thin pen is copied from the painter's own drawing of one, made once
/// for each size. Labels come from labels, when given, which
/// must outlive the canvas; otherwise from a cache of the canvas's own. REQUIRES: nobody
/// else uses the painter while the canvas draws on it.
class TQtCanvas : public TCanvas {
public:
    explicit TQtCanvas(QPainter& painter, TQtLabelCache* labels = nullptr);
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
    void CurveTo(int x1, int y1, int x2, int y2, int x, int y) override;
    void TextOut(int x, int y, std::string_view text) override;
    /// One pixel of the pen's colour. It and RoughLine are written straight into the
    /// pixels when the painter draws on a plain image without transform or clip (what the
    /// view's control paints on), and handed to the painter in runs, as lines, otherwise.
    void Dot(int x, int y) override;
    void RoughLine(int x1, int y1, int x2, int y2) override;

    /// Labels are written at this many pixels to the painter's unit rather than at the
    /// device's pixel ratio: for a device that the painter scales up itself (an SVG or PDF
    /// picture), so that they come out as sharp as on a screen of that ratio.
    void SetLabelPixelRatio(qreal ratio) { labelRatio_ = ratio; }

private:
    // Enough to make the painter's own work per call negligible, little enough to stay
    // in the cache.
    static constexpr std::size_t kLinesPerCall = 1024;

    void DrawPendingLines();
    /// Where the painter's ellipse of a box of width by height puts its pen and its brush,
    /// in runs of each row from the box's top left corner.
    struct TRun {
        int dy, x1, x2;
        bool pen;
    };
    const std::vector<TRun>& EllipseRuns(int width, int height);
    /// label laid over the image with its top left corner at (x, y).
    void BlendLabel(int x, int y, const TQtLabelCache::TLabel& label);
    /// Ellipse by its runs straight into the image; false when the painter must draw it.
    bool StampEllipse(int x1, int y1, int x2, int y2);
    /// The pixel of the pen's colour at (x, y) straight into the image, when inside it.
    void Put(int x, int y) {
        if (x >= 0 && y >= 0 && x < width_ && y < height_)
            reinterpret_cast<std::uint32_t*>(bits_ + y * stride_)[x] = penPixel_;
    }

    QPainter& painter_;
    std::unique_ptr<TQtLabelCache> ownLabels_;
    TQtLabelCache& labels_;
    std::vector<QLine> pendingLines_;
    std::vector<QPoint> pendingDots_;
    QPoint current_;
    TColor penColor_ = clBlack;
    int penWidth_ = 1;
    TColor brush_;
    bool brushSet_ = false;  // the painter's brush is still the one it came with
    qreal labelRatio_ = 0;   // 0: the device's
    // The image's pixels when they can be written straight; null otherwise.
    QImage* image_ = nullptr;
    uchar* bits_ = nullptr;
    qsizetype stride_ = 0;
    int width_ = 0, height_ = 0;
    std::uint32_t penPixel_ = 0xff000000;
    std::uint32_t brushPixel_ = 0xffffffff;
    std::unordered_map<std::uint64_t, std::vector<TRun>> ellipseRuns_;
};
