// Where the graph's points appear on the view: the zoom, the scroll position and the size
// of the visible area. At zoom 1 without scrolling every point shows at its own
// coordinates, as the view always did.
#pragma once

#include <cstdint>

/// A point of the graph, in the integers that node positions are stored in.
struct TGraphXY {
    std::int32_t X = 0;
    std::int32_t Y = 0;
    friend bool operator==(const TGraphXY&, const TGraphXY&) = default;
};

/// A pixel of the view's visible area, y growing downward.
struct TScreenXY {
    int X = 0;
    int Y = 0;
    friend bool operator==(const TScreenXY&, const TScreenXY&) = default;
};

/// screen = graph x Zoom - Scroll, rounded to the pixel.
class TViewTransform {
public:
    static constexpr double MinZoom = 1.0 / 64;
    static constexpr double MaxZoom = 64;

    double Zoom() const { return zoom_; }
    /// The screen offset of the graph's origin, negated: what ScrollTo set.
    double ScrollX() const { return scrollX_; }
    double ScrollY() const { return scrollY_; }
    /// The visible area; 0 by 0 until it is known, and then everything counts as visible.
    int Width() const { return width_; }
    int Height() const { return height_; }
    bool IsIdentity() const { return zoom_ == 1 && scrollX_ == 0 && scrollY_ == 0; }

    void SetViewport(int width, int height);
    void ScrollTo(double x, double y);
    /// Zoom := zoom kept within [MinZoom, MaxZoom], with the graph point shown at the screen
    /// point (sx, sy) staying there.
    void ZoomAbout(double zoom, double sx, double sy);

    /// Pinned into the int range.
    TScreenXY ToScreen(double gx, double gy) const;
    /// The graph point shown at a pixel: (s + scroll) / zoom to the nearest integer, halves
    /// upward, pinned into 32 bits.
    TGraphXY ToGraph(int sx, int sy) const;
    /// length x Zoom, to the nearest integer (halves to even), pinned into the int range.
    int Scale(double length) const;
    /// The zoom step by step: the steps are the powers of the square root of 2, and
    /// steps levels up (or down, when negative) from zoom is the level that many steps
    /// beyond the one zoom is at or just past; kept within [MinZoom, MaxZoom].
    static double ZoomLevel(double zoom, int steps);

private:
    double zoom_ = 1;
    double scrollX_ = 0;
    double scrollY_ = 0;
    int width_ = 0;
    int height_ = 0;
};
