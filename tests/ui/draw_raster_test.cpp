// Direct pixel drawing must give exactly the pixels QPainter gives without antialiasing, so the
// fast path and the plain QPainter drawing can never be told apart.

#include "pane_test_support.h"
#include "views/raster.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <random>

namespace {

constexpr QRgb kGround = qRgb(64, 64, 64);
constexpr QRgb kInk = qRgb(255, 255, 255);

QImage blank(int width = 40, int height = 30) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(kGround);
    return image;
}

QImage painterLine(QPoint from, QPoint to) {
    QImage image = blank();
    QPainter painter(&image);
    painter.setPen(QColor::fromRgb(kInk));
    painter.drawLine(from, to);
    return image;
}

QImage rasterLine(QPoint from, QPoint to) {
    QImage image = blank();
    vw::Raster(image).line(from, to, kInk);
    return image;
}

TEST(DrawRaster, LinesMatchQPainterPixelForPixel) {
    std::mt19937 random(7);
    // Mostly on the canvas, some ends well outside it, so clipping is covered too.
    std::uniform_int_distribution<int> near(-6, 46);
    std::uniform_int_distribution<int> far(-400, 400);
    int mismatches = 0;
    for (int trial = 0; trial < 4000; ++trial) {
        auto pick = [&] {
            return trial % 4 == 3 ? QPoint(far(random), far(random))
                                  : QPoint(near(random), near(random));
        };
        const QPoint from = pick();
        const QPoint to = pick();
        const std::string differences =
            pane_test::pixelDifferences(rasterLine(from, to), painterLine(from, to));
        if (!differences.empty()) {
            ++mismatches;
            ADD_FAILURE() << "line (" << from.x() << "," << from.y() << ")-(" << to.x() << ","
                          << to.y() << "): " << differences;
            if (mismatches > 10)
                return;
        }
    }
}

// Lines that pass over tiles already wholly their colour draw the same picture as lines that
// step over every pixel, however many cross one another, with ends on and off the image, dots,
// and a line of another colour among them.
TEST(DrawRaster, PassingOverFullTilesChangesNoPixel) {
    std::mt19937 random(5);
    std::uniform_int_distribution<int> near(-3, 202), far(-900, 900);
    QImage plain = blank(200, 150), passing = blank(200, 150);
    vw::Raster stepping(plain), passingOver(passing);
    passingOver.passOverFullTiles(kInk);
    for (int trial = 0; trial < 6000; ++trial) {
        auto pick = [&] {
            return trial % 5 == 4 ? QPoint(far(random), far(random))
                                  : QPoint(near(random), near(random) * 3 / 4);
        };
        const QPoint from = pick();
        const QPoint to = trial % 97 == 0 ? from : pick();
        const QRgb ink = trial == 5000 ? qRgb(1, 2, 3) : kInk;
        stepping.line(from, to, ink);
        passingOver.line(from, to, ink);
        if (trial == 5000)
            passingOver.passOverFullTiles(kInk);
    }
    EXPECT_EQ(pane_test::pixelDifferences(passing, plain), "");
}

// The pane draws an edge shared by two triangles once when both its ends are on the canvas.
TEST(DrawRaster, LinesOnTheCanvasAreTheSameInBothDirections) {
    std::mt19937 random(11);
    std::uniform_int_distribution<int> x(0, 39), y(0, 29);
    for (int trial = 0; trial < 2000; ++trial) {
        const QPoint from(x(random), y(random)), to(x(random), y(random));
        ASSERT_EQ(pane_test::pixelDifferences(rasterLine(from, to), rasterLine(to, from)), "");
    }
}

TEST(DrawRaster, LineDrawsBothEndPoints) {
    const QImage image = rasterLine(QPoint(3, 4), QPoint(17, 9));
    EXPECT_EQ(image.pixel(3, 4), kInk | 0xff000000u);
    EXPECT_EQ(image.pixel(17, 9), kInk | 0xff000000u);
    EXPECT_EQ(image.pixel(18, 9), kGround);
}

TEST(DrawRaster, BoxesMatchQPainterFillAndOutline) {
    const QRect boxes[] = {QRect(2, 3, 4, 4), QRect(30, 20, 8, 8), QRect(5, 20, 30, 2)};
    for (const QRect& box : boxes) {
        QImage expected = blank();
        {
            QPainter painter(&expected);
            painter.fillRect(box, QColor(240, 240, 240));
            painter.setPen(QColor(240, 0, 0));
            painter.drawRect(box.adjusted(0, 0, -1, -1));
        }
        QImage drawn = blank();
        vw::Raster raster(drawn);
        raster.fillBox(box, qRgb(240, 240, 240));
        raster.outlineBox(box, qRgb(240, 0, 0));
        EXPECT_EQ(pane_test::pixelDifferences(drawn, expected), "")
            << box.x() << "," << box.y() << " " << box.width() << "x" << box.height();
        QImage framed = blank();
        vw::Raster(framed).framedBox(box, qRgb(240, 240, 240), qRgb(240, 0, 0));
        EXPECT_EQ(pane_test::pixelDifferences(framed, drawn), "");
    }
}

// Where QPainter's outline loses a corner to the canvas edge or draws nothing for a one-pixel
// box, the outline stays the box's outer ring: a mark half off the canvas keeps its visible
// border, and a one-pixel band still shows.
TEST(DrawRaster, OutlineIsTheBoxRingAlsoAtTheEdgeAndForOnePixel) {
    QImage image = blank();
    vw::Raster raster(image);
    raster.outlineBox(QRect(-2, -1, 5, 6), kInk);
    raster.outlineBox(QRect(10, 10, 1, 1), kInk);
    QImage framed = blank();
    vw::Raster(framed).framedBox(QRect(-2, -1, 5, 6), kGround, kInk);
    vw::Raster(framed).framedBox(QRect(10, 10, 1, 1), kGround, kInk);
    EXPECT_EQ(pane_test::pixelDifferences(framed, image), "");
    const QRgb ink = kInk | 0xff000000u;
    EXPECT_EQ(image.pixel(2, 4), ink);
    EXPECT_EQ(image.pixel(2, 0), ink);
    EXPECT_EQ(image.pixel(0, 4), ink);
    EXPECT_EQ(image.pixel(1, 2), kGround);
    EXPECT_EQ(image.pixel(10, 10), ink);
    EXPECT_EQ(image.pixel(11, 10), kGround);
}

} // namespace
