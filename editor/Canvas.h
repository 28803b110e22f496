// The few drawing operations the graph view needs, so that its painting can be
// checked without a window system.
#pragma once

#include <cstdint>
#include <string_view>

/// A colour as red, green, blue.
struct TColor {
    std::uint8_t Red = 0;
    std::uint8_t Green = 0;
    std::uint8_t Blue = 0;

    friend bool operator==(const TColor&, const TColor&) = default;
};

inline constexpr TColor clBlack{0, 0, 0};
inline constexpr TColor clWhite{255, 255, 255};
inline constexpr TColor clYellow{255, 255, 0};
inline constexpr TColor clRed{255, 0, 0};

/// The height in pixels of the one font that labels are written in, a sans serif.
inline constexpr int kLabelFontPixels = 11;

/// A surface with a pen, a brush and a current point. A fresh canvas has a
/// black pen 1 pixel wide.
class TCanvas {
public:
    virtual ~TCanvas() = default;

    virtual void SetPenColor(TColor color) = 0;
    /// 0 draws the thinnest line the surface has; a negative width leaves the
    /// pen as it was.
    virtual void SetPenWidth(int width) = 0;
    /// The fill of the following ellipses.
    virtual void SetBrush(TColor color) = 0;
    /// The ellipse inscribed in the box, filled with the brush, outlined with the pen.
    virtual void Ellipse(int x1, int y1, int x2, int y2) = 0;
    virtual void MoveTo(int x, int y) = 0;
    /// A straight line with the pen from the current point, which then moves to (x, y).
    virtual void LineTo(int x, int y) = 0;
    /// A cubic Bezier curve with the pen from the current point, pulled toward (x1, y1)
    /// and then (x2, y2), to (x, y), which becomes the current point. Nothing is filled.
    virtual void CurveTo(int x1, int y1, int x2, int y2, int x, int y) = 0;
    /// One line of UTF-8 text in the label font and the pen's colour, the top left corner
    /// of its box at (x, y). The current point stays.
    virtual void TextOut(int x, int y, std::string_view text) = 0;
    /// A dot of a pixel or so in the pen's colour at (x, y), which becomes the current point:
    /// how a node is drawn when too small to tell a circle. A line of no length unless the
    /// surface has better.
    virtual void Dot(int x, int y) {
        MoveTo(x, y);
        LineTo(x, y);
    }
    /// A line about a pixel wide from (x1, y1) to (x2, y2) in the pen's colour, whose
    /// pixels may differ a little from LineTo's: how edges are drawn when the graph is
    /// seen from so far that nobody can tell. LineTo's line unless the surface has faster.
    virtual void RoughLine(int x1, int y1, int x2, int y2) {
        MoveTo(x1, y1);
        LineTo(x2, y2);
    }
};
