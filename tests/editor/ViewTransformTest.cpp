#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "editor/ViewTransform.h"

namespace {

TEST(ViewTransformStart, EveryPointShowsAtItsOwnCoordinates) {
    const TViewTransform t;
    EXPECT_TRUE(t.IsIdentity());
    for (int v : {-5, 0, 7}) {
        EXPECT_EQ(t.ToScreen(v, -v), (TScreenXY{v, -v}));
        EXPECT_EQ(t.ToGraph(v, -v), (TGraphXY{v, -v}));
    }
    EXPECT_EQ(t.ToScreen(INT_MAX, INT_MIN), (TScreenXY{INT_MAX, INT_MIN}));
    EXPECT_EQ(t.ToGraph(INT_MAX, INT_MIN), (TGraphXY{INT_MAX, INT_MIN}));
    EXPECT_EQ(t.Scale(10), 10);
}

TEST(ViewTransformZoom, ThePointUnderTheCursorStaysAndPressesRoundHalvesUp) {
    TViewTransform t;
    t.ZoomAbout(3, 100, 40);
    EXPECT_EQ(t.ToScreen(100, 40), (TScreenXY{100, 40}));
    EXPECT_EQ(t.ToScreen(101, 40), (TScreenXY{103, 40}));
    EXPECT_EQ(t.ToGraph(104, 38), (TGraphXY{101, 39}));  // 101.33, 39.33
    EXPECT_EQ(t.ToGraph(105, 41), (TGraphXY{102, 40}));  // 101.67, 40.33
    t.ZoomAbout(2, 0, 0);
    t.ScrollTo(-1, -3);
    EXPECT_EQ(t.ToGraph(0, 0), (TGraphXY{0, -1}));  // -0.5 and -1.5 go up
    EXPECT_EQ(t.ToGraph(6, 6), (TGraphXY{3, 2}));   // 2.5 and 1.5 go up too
    EXPECT_EQ(t.Scale(10), 20);
    t.ZoomAbout(1000, 0, 0);
    EXPECT_EQ(t.Zoom(), TViewTransform::MaxZoom);
    t.ZoomAbout(0, 0, 0);
    EXPECT_EQ(t.Zoom(), TViewTransform::MinZoom);
    EXPECT_EQ(t.ToScreen(INT_MIN, 0).X, INT_MIN / 64);
}

TEST(ViewTransformLevels, PowersOfTheSquareRootOfTwoWithinTheRange) {
    EXPECT_EQ(TViewTransform::ZoomLevel(1, 2), 2.0);
    EXPECT_EQ(TViewTransform::ZoomLevel(1, -12), 1.0 / 64);
    EXPECT_EQ(TViewTransform::ZoomLevel(1, -13), 1.0 / 64);
    EXPECT_EQ(TViewTransform::ZoomLevel(64, 1), 64.0);
    EXPECT_DOUBLE_EQ(TViewTransform::ZoomLevel(1, 1), std::sqrt(2.0));
    // Between two levels, one step reaches the next one in its direction.
    EXPECT_EQ(TViewTransform::ZoomLevel(1.9, 1), 2.0);
    EXPECT_DOUBLE_EQ(TViewTransform::ZoomLevel(1.9, -1), std::sqrt(2.0));
    EXPECT_EQ(TViewTransform::ZoomLevel(TViewTransform::ZoomLevel(1, 1), -1), 1.0);
}

}  // namespace
