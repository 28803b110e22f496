#include <gtest/gtest.h>

#include <QImage>
#include <random>

#include "editor/QtCanvas.h"

namespace {

TEST(QtCanvasPen, ZeroIsTheCosmeticPenAndNegativeKeepsThePen) {
    QImage image(40, 40, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    TQtCanvas canvas(painter);
    EXPECT_EQ(painter.pen().color(), QColor(Qt::black));
    EXPECT_EQ(painter.pen().width(), 1);
    canvas.SetPenWidth(3);
    canvas.SetPenWidth(-3);
    EXPECT_EQ(painter.pen().width(), 3);
    canvas.SetPenWidth(0);
    EXPECT_EQ(painter.pen().width(), 0);
    EXPECT_TRUE(painter.pen().isCosmetic());
    canvas.SetPenColor(clRed);
    canvas.MoveTo(0, 10);
    canvas.LineTo(39, 10);
    canvas.SetBrush(clYellow);
    canvas.Ellipse(10, 20, 30, 38);
    painter.end();
    EXPECT_EQ(image.pixelColor(20, 10), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(20, 11), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(20, 29), QColor(Qt::yellow));
}

// Lines are handed to the painter in runs: what is drawn later still covers them, and the
// last run is drawn when the canvas goes.
TEST(QtCanvasLines, KeepTheirOrderAmongEllipsesAndAreAllDrawn) {
    QImage image(40, 40, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    {
        TQtCanvas canvas(painter);
        canvas.MoveTo(0, 20);
        canvas.LineTo(39, 20);
        canvas.SetBrush(clYellow);
        canvas.Ellipse(10, 10, 30, 30);
        canvas.MoveTo(20, 0);
        canvas.LineTo(20, 39);
    }
    painter.end();
    EXPECT_EQ(image.pixelColor(5, 20), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(15, 20), QColor(Qt::yellow));  // the ellipse came after
    EXPECT_EQ(image.pixelColor(20, 15), QColor(Qt::black));   // this line after the ellipse
}

TEST(QtCanvasEllipse, OutlineRunsThroughTheBoxCornersCentredInIt) {
    QImage image(40, 40, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    {
        TQtCanvas canvas(painter);
        canvas.SetBrush(clWhite);
        canvas.Ellipse(10, 10, 30, 30);
    }
    painter.end();
    for (int y : {10, 30}) EXPECT_EQ(image.pixelColor(20, y), QColor(Qt::black)) << y;
    for (int x : {10, 30}) EXPECT_EQ(image.pixelColor(x, 20), QColor(Qt::black)) << x;
    for (int outside : {9, 31}) {
        EXPECT_EQ(image.pixelColor(20, outside), QColor(Qt::white)) << outside;
        EXPECT_EQ(image.pixelColor(outside, 20), QColor(Qt::white)) << outside;
    }
}

// Whether some pixel of image within rect has colour, and none outside it does.
bool OnlyWithin(const QImage& image, const QRect& rect, QColor colour) {
    bool inside = false;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y) != colour) continue;
            if (!rect.contains(x, y)) return false;
            inside = true;
        }
    return inside;
}

TEST(QtCanvasCurveAndText, ACurveIsStrokedNotFilledAndTextTakesThePensColour) {
    QImage image(60, 60, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    {
        TQtLabelCache labels;
        TQtCanvas canvas(painter, &labels);
        canvas.SetBrush(clYellow);
        canvas.SetPenColor(clRed);
        canvas.MoveTo(10, 50);
        canvas.CurveTo(10, 10, 50, 10, 50, 50);  // an arch
        canvas.SetPenColor(clBlack);
        canvas.TextOut(20, 40, "Wg");
        canvas.TextOut(20, 40, "Wg");  // again, from the cache
    }
    painter.end();
    EXPECT_TRUE(OnlyWithin(image.copy(28, 17, 5, 6), QRect(0, 0, 5, 6), QColor(Qt::red)));  // top
    EXPECT_EQ(image.pixelColor(30, 30), QColor(Qt::white));  // not filled
    EXPECT_NE(image.pixelColor(10, 45), QColor(Qt::white));  // the arch's foot
    int dark = 0;
    for (int y = 40; y < 40 + kLabelFontPixels + 4; ++y)
        for (int x = 20; x < 45; ++x) dark += image.pixelColor(x, y).lightness() < 80;
    EXPECT_GT(dark, 10);
    EXPECT_TRUE(OnlyWithin(image, QRect(20, 40, 40, 20), QColor(Qt::black)));
}

// On a plain image the canvas copies small ellipses from a drawing of the painter's and
// blends labels in itself; a clip, which covers everything here, leaves them all to the
// painter.
QImage Drawn(bool clipped, unsigned seed) {
    QImage image(120, 90, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    if (clipped) painter.setClipRect(image.rect());
    TQtCanvas canvas(painter);
    std::mt19937 random(seed);
    const auto uniform = [&](int from, int to) {
        return std::uniform_int_distribution<int>(from, to)(random);
    };
    const TColor colours[] = {clBlack, clWhite, clRed, clYellow, {10, 200, 30}};
    for (int i = 0; i < 400; ++i) {
        canvas.SetPenWidth(uniform(0, 1));
        canvas.SetPenColor(colours[uniform(0, 4)]);
        canvas.SetBrush(colours[uniform(0, 4)]);
        const int x = uniform(-20, 130), y = uniform(-20, 100);
        canvas.Ellipse(x, y, x + uniform(0, 70), y + uniform(0, 70));
        const char* const texts[] = {"Wg", "10.5", "Caption of a node", "1"};
        if (i % 4 == 0) canvas.TextOut(x, y, texts[uniform(0, 3)]);  // some cut at the edges
    }
    return image;
}

TEST(QtCanvasPlainImage, EllipsesAndLabelsHaveThePaintersOwnPixels) {
    for (unsigned seed : {1u, 2u, 3u}) EXPECT_TRUE(Drawn(false, seed) == Drawn(true, seed)) << seed;
}

}  // namespace
