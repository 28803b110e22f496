// The view's canvas as an SVG drawing, without a toolkit: what stmtool draws pictures on.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "editor/Canvas.h"

/// Collects what is drawn as SVG elements, in order: an ellipse as a <circle> (or an
/// <ellipse> when its box is not square), each line as a <line>, each curve as a <path>,
/// each label as a <text> in a sans serif of kLabelFontPixels. Coordinates are the
/// canvas's pixels, y growing downward; a pen of width 0 draws 1 pixel wide, as on screen.
class TSvgCanvas : public TCanvas {
public:
    void SetPenColor(TColor color) override;
    void SetPenWidth(int width) override;
    void SetBrush(TColor color) override;
    void Ellipse(int x1, int y1, int x2, int y2) override;
    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;
    void CurveTo(int x1, int y1, int x2, int y2, int x, int y) override;
    void TextOut(int x, int y, std::string_view text) override;

    /// The whole document: a white background and everything drawn so far, in a picture
    /// that reaches from the origin (or from what lies left of or above it) to margin
    /// pixels past the rightmost and lowest thing drawn. Labels are taken to be as wide
    /// as their characters times the font's height, since no font is measured here.
    std::string Document(int margin = 10) const;

private:
    void Cover(std::int64_t x, std::int64_t y, std::int64_t reach);
    /// The stroke attributes of the pen, with a leading space.
    std::string Stroke() const;

    std::string elements_;
    TColor pen_ = clBlack;
    int penWidth_ = 1;
    TColor brush_ = clWhite;
    int x_ = 0, y_ = 0;
    std::int64_t minX_ = 0, minY_ = 0, maxX_ = 0, maxY_ = 0;
};
