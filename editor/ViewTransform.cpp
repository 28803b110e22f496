#include "editor/ViewTransform.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

int PinToInt(double v) {
    constexpr double lowest = std::numeric_limits<int>::min();
    constexpr double highest = std::numeric_limits<int>::max();
    if (std::isnan(v)) return 0;
    return static_cast<int>(std::clamp(v, lowest, highest));
}

std::int32_t NearestGraphInteger(double v) {
    constexpr double lowest = std::numeric_limits<std::int32_t>::min();
    constexpr double highest = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(std::clamp(std::floor(v + 0.5), lowest, highest));
}

double ClampZoom(double zoom) {
    return std::clamp(zoom, TViewTransform::MinZoom, TViewTransform::MaxZoom);
}

}  // namespace

void TViewTransform::SetViewport(int width, int height) {
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
}

void TViewTransform::ScrollTo(double x, double y) {
    scrollX_ = x;
    scrollY_ = y;
}

void TViewTransform::ZoomAbout(double zoom, double sx, double sy) {
    zoom = ClampZoom(zoom);
    const double gx = (sx + scrollX_) / zoom_;
    const double gy = (sy + scrollY_) / zoom_;
    zoom_ = zoom;
    scrollX_ = gx * zoom - sx;
    scrollY_ = gy * zoom - sy;
}

TScreenXY TViewTransform::ToScreen(double gx, double gy) const {
    return {PinToInt(std::nearbyint(gx * zoom_ - scrollX_)),
            PinToInt(std::nearbyint(gy * zoom_ - scrollY_))};
}

TGraphXY TViewTransform::ToGraph(int sx, int sy) const {
    return {NearestGraphInteger((sx + scrollX_) / zoom_),
            NearestGraphInteger((sy + scrollY_) / zoom_)};
}

int TViewTransform::Scale(double length) const { return PinToInt(std::nearbyint(length * zoom_)); }

double TViewTransform::ZoomLevel(double zoom, int steps) {
    // Level k is 2^(k/2); a zoom between two levels counts as the one below going up and
    // the one above going down, so one step always moves.
    const double level = 2 * std::log2(ClampZoom(zoom));
    constexpr double slack = 1e-9;
    const double from = steps > 0 ? std::floor(level + slack) : std::ceil(level - slack);
    return ClampZoom(std::exp2((from + steps) / 2));
}
