#include <gtest/gtest.h>

#include <QImage>

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

}  // namespace
