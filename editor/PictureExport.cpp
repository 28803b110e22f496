#include "editor/PictureExport.h"

#include <QBuffer>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

#include "containers/ObjType.h"
#include "editor/GraphView.h"
#include "editor/QtCanvas.h"

namespace {

class EPictureTooLarge : public Exception {
public:
    EPictureTooLarge()
        : Exception("The picture is too large for the memory: choose a smaller scale") {}
};

// The painter's lengths are the view's pixels, labelRatio device pixels each: scaled up by
// the caller, or by the image's pixel ratio.
void PaintView(QPainter& painter, const TGraphView& view, QSize size, QColor background,
               qreal labelRatio = 0) {
    const QRect area(QPoint(), size);
    painter.setClipRect(area);
    painter.fillRect(area, background);
    TQtCanvas canvas(painter);
    if (labelRatio > 0) canvas.SetLabelPixelRatio(labelRatio);
    view.Paint(canvas);
}

// For the vector formats: the view's pixels scaled up on the device, the labels written
// at that scale rather than enlarged. The device is complete when this returns.
void PaintScaled(QPaintDevice& device, const TGraphView& view, QSize size, QColor background,
                 int scale) {
    QPainter painter(&device);
    painter.scale(scale, scale);
    PaintView(painter, view, size, background, scale);
}

QByteArray Png(const TGraphView& view, QSize size, QColor background, int scale) {
    // Drawn at the image's pixel ratio, as on a screen of that ratio: the labels are then
    // written at the full resolution rather than enlarged.
    QImage image(size * scale, QImage::Format_RGB32);
    if (image.isNull()) throw EPictureTooLarge();
    image.setDevicePixelRatio(scale);
    {
        QPainter painter(&image);
        PaintView(painter, view, size, background);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) throw EPictureTooLarge();
    return bytes;
}

QByteArray Svg(const TGraphView& view, QSize size, QColor background, int scale) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(size * scale);
    svg.setViewBox(QRect(QPoint(), size * scale));
    svg.setTitle("Graph");
    PaintScaled(svg, view, size, background, scale);
    return bytes;
}

QByteArray Pdf(const TGraphView& view, QSize size, QColor background, int scale) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter pdf(&buffer);
    // One point to the picture's pixel: the page is the picture.
    pdf.setResolution(72);
    pdf.setPageSize(QPageSize(QSizeF(size * scale), QPageSize::Point));
    pdf.setPageMargins(QMarginsF());
    pdf.setCreator("grapheditor");
    PaintScaled(pdf, view, size, background, scale);
    return bytes;
}

}  // namespace

std::optional<TPictureKind> PictureKindOfFileName(const std::string& fileName) {
    const QString name = QString::fromStdString(fileName).toLower();
    if (name.size() <= 4) return std::nullopt;
    if (name.endsWith(".png")) return TPictureKind::Png;
    if (name.endsWith(".svg")) return TPictureKind::Svg;
    if (name.endsWith(".pdf")) return TPictureKind::Pdf;
    return std::nullopt;
}

QByteArray PictureOf(const TGraphView& view, TPictureKind kind, QSize size, QColor background,
                     int scale) {
    switch (kind) {
        case TPictureKind::Png:
            return Png(view, size, background, scale);
        case TPictureKind::Svg:
            return Svg(view, size, background, scale);
        case TPictureKind::Pdf:
            return Pdf(view, size, background, scale);
    }
    return {};
}
