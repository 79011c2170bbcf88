#pragma once
// Pane units and pixels. Every drawing step and every colour read-back goes through
// twipToPixel, so what a tool reads under a pane position is what was drawn there.

#include <QImage>
#include <QRect>

#include <cstdint>

namespace vw {

constexpr int32_t kTwipsPerPixel = 15;

// The pixel holding pane position t: pixel p covers twips 15p up to, not including, 15p + 15.
constexpr int32_t twipToPixel(int32_t t) {
    return t >= 0 ? t / kTwipsPerPixel
                  : -((-static_cast<int64_t>(t) + kTwipsPerPixel - 1) / kTwipsPerPixel);
}
// The same rule for positions between whole twips (the middle of a box, a zoomed size), held
// within a range far beyond any surface.
int32_t twipToPixel(double t);

// The pixels of the box with twip corners (x1, y1) and (x2, y2), in any order: from the pixel
// of the smaller corner up to, not including, the pixel of the larger one, and never less than
// one pixel. A box 60 twips wide is 4 pixels wide wherever it lies.
QRect pixelBox(double x1, double y1, double x2, double y2);

// The colour drawn on image at pane position (x, y), opaque; black outside the image.
QRgb colourUnder(const QImage& image, int32_t x, int32_t y);

} // namespace vw
