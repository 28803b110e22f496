// Pictures of what the view shows, in the files other programs open: drawn by the view's own
// painting on the same canvas the control paints on, over a raster image, an SVG
// generator or a PDF writer.
#pragma once

#include <QByteArray>
#include <QColor>
#include <QSize>
#include <optional>
#include <string>

class TGraphView;

enum class TPictureKind { Png, Svg, Pdf };

/// By the file name's extension, without regard to case: .png, .svg, .pdf; none for another.
std::optional<TPictureKind> PictureKindOfFileName(const std::string& fileName);

/// The file's bytes: the visible area of view, size pixels, filled with background and
/// then painted as the control paints it (the view's options, selection, path, zoom and
/// scroll), every length times scale. A PNG at scale 1 holds the very pixels the control
/// shows. REQUIRES: scale >= 1, size not empty.
QByteArray PictureOf(const TGraphView& view, TPictureKind kind, QSize size, QColor background,
                     int scale);
