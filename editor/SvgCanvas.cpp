#include "editor/SvgCanvas.h"

#include <algorithm>
#include <cstdio>

#include "interchange/XmlOutput.h"

namespace {

std::string Hex(TColor color) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", color.Red, color.Green, color.Blue);
    return text;
}

std::string Number(std::int64_t v) { return std::to_string(v); }

// A box's middle or half size can end in .5: written as such, never rounded.
std::string Half(std::int64_t twice) {
    const std::string whole = std::to_string(twice / 2);
    if (twice % 2 == 0) return whole;
    return (twice < 0 && twice / 2 == 0 ? "-" + whole : whole) + ".5";
}

std::size_t CharacterCount(std::string_view utf8) {
    return static_cast<std::size_t>(std::count_if(utf8.begin(), utf8.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

}  // namespace

void TSvgCanvas::SetPenColor(TColor color) { pen_ = color; }

void TSvgCanvas::SetPenWidth(int width) {
    if (width >= 0) penWidth_ = width;
}

void TSvgCanvas::SetBrush(TColor color) { brush_ = color; }

std::string TSvgCanvas::Stroke() const {
    return " stroke=\"" + Hex(pen_) + "\" stroke-width=\"" + Number(std::max(penWidth_, 1)) + '"';
}

void TSvgCanvas::Cover(std::int64_t x, std::int64_t y, std::int64_t reach) {
    minX_ = std::min(minX_, x - reach);
    minY_ = std::min(minY_, y - reach);
    maxX_ = std::max(maxX_, x + reach);
    maxY_ = std::max(maxY_, y + reach);
}

void TSvgCanvas::Ellipse(int x1, int y1, int x2, int y2) {
    const std::int64_t w = std::int64_t{x2} - x1, h = std::int64_t{y2} - y1;
    const std::string centre =
        "cx=\"" + Half(std::int64_t{x1} + x2) + "\" cy=\"" + Half(std::int64_t{y1} + y2) + '"';
    if (w == h)
        elements_ += "<circle " + centre + " r=\"" + Half(w) + '"';
    else
        elements_ += "<ellipse " + centre + " rx=\"" + Half(w) + "\" ry=\"" + Half(h) + '"';
    elements_ += " fill=\"" + Hex(brush_) + '"' + Stroke() + "/>\n";
    Cover(x1, y1, penWidth_);
    Cover(x2, y2, penWidth_);
}

void TSvgCanvas::MoveTo(int x, int y) {
    x_ = x;
    y_ = y;
}

void TSvgCanvas::LineTo(int x, int y) {
    elements_ += "<line x1=\"" + Number(x_) + "\" y1=\"" + Number(y_) + "\" x2=\"" + Number(x) +
                 "\" y2=\"" + Number(y) + '"' + Stroke() + "/>\n";
    Cover(x_, y_, penWidth_);
    Cover(x, y, penWidth_);
    MoveTo(x, y);
}

void TSvgCanvas::CurveTo(int x1, int y1, int x2, int y2, int x, int y) {
    elements_ += "<path d=\"M" + Number(x_) + ' ' + Number(y_) + " C" + Number(x1) + ' ' +
                 Number(y1) + ' ' + Number(x2) + ' ' + Number(y2) + ' ' + Number(x) + ' ' +
                 Number(y) + "\" fill=\"none\"" + Stroke() + "/>\n";
    // A cubic curve stays within the box of its four points.
    for (const auto& [px, py] : {std::pair{x_, y_}, {x1, y1}, {x2, y2}, {x, y}})
        Cover(px, py, penWidth_);
    MoveTo(x, y);
}

void TSvgCanvas::TextOut(int x, int y, std::string_view text) {
    // The box's top at y: the baseline lies about a font height below it.
    elements_ += "<text x=\"" + Number(x) + "\" y=\"" + Number(std::int64_t{y} + kLabelFontPixels) +
                 "\" fill=\"" + Hex(pen_) + "\">";
    AppendXmlText(elements_, text, false);
    elements_ += "</text>\n";
    Cover(x, y, 0);
    Cover(x + std::int64_t(CharacterCount(text)) * kLabelFontPixels, y + 2 * kLabelFontPixels, 0);
}

std::string TSvgCanvas::Document(int margin) const {
    const std::int64_t left = std::min<std::int64_t>(minX_ - (minX_ < 0 ? margin : 0), 0);
    const std::int64_t top = std::min<std::int64_t>(minY_ - (minY_ < 0 ? margin : 0), 0);
    const std::string width = Number(maxX_ + margin - left), height = Number(maxY_ + margin - top);
    std::string svg(kXmlDeclaration);
    svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + width + "\" height=\"" + height +
           "\" viewBox=\"" + Number(left) + ' ' + Number(top) + ' ' + width + ' ' + height +
           "\">\n";
    svg += "<rect x=\"" + Number(left) + "\" y=\"" + Number(top) + "\" width=\"" + width +
           "\" height=\"" + height + "\" fill=\"#ffffff\"/>\n";
    // Lines on whole pixels, as the screen draws them, rather than across two.
    svg += "<g transform=\"translate(0.5 0.5)\" font-family=\"sans-serif\" font-size=\"" +
           Number(kLabelFontPixels) + "px\">\n";
    return svg + elements_ + "</g>\n</svg>\n";
}
