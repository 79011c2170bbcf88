#pragma once
// Shapes laid over a frame on picMain: the tools' handles and circles, and the soft selection's
// radius. Handles are read back under the pointer, so they are filled exactly, never blended.

#include <QImage>
#include <QPoint>
#include <QRect>

#include <cstdint>

namespace vw {

// A handle reaches 60 twips to each side of its centre.
constexpr int32_t kHandleReach = 60;

// The pixels of the handle centred at pane position (x, y).
QRect handleBox(double x, double y);

// A one-pixel aliased circle about the centre pixel.
void drawCircle(QImage& image, QPoint centre, double pixelRadius, QRgb colour);

// The soft selection's radius (model units at zoom) about pane position (x, y); nothing under
// two pixels, where a circle on the pointer's own pixel would change what Scale reads there.
void drawSoftCircle(QImage& image, float x, float y, float radius, float zoom);

} // namespace vw
