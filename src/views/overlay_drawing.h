#pragma once
// Shapes laid over a frame on picMain: the tools' handles and circles, the soft selection's
// radius, and the 3D cursor's cross. Handles are read back under the pointer, so they are filled
// exactly, never blended.

#include "model/editing/aids/pivot.h"
#include "views/pane_colours.h"
#include "views/view_params.h"

#include <QImage>
#include <QPoint>
#include <QRect>

#include <cstdint>
#include <optional>

namespace vw {

// A handle reaches 60 twips to each side of its centre.
constexpr int32_t kHandleReach = 60;

// The 3D cursor's cross: its colour (none of the pick colours of pane_colours.h) and how far
// each arm reaches, in pixels.
constexpr QRgb kCursorCross = qRgb(255, 0, 255);
constexpr int kCursorCrossPixels = 6;

// The pixels of the handle centred at pane position (x, y).
QRect handleBox(double x, double y);

// A one-pixel aliased circle about the centre pixel.
void drawCircle(QImage& image, QPoint centre, double pixelRadius, QRgb colour);

// The soft selection's radius (model units at zoom) about pane position (x, y); nothing under
// two pixels, where a circle on the pointer's own pixel would change what Scale reads there.
void drawSoftCircle(QImage& image, float x, float y, float radius, float zoom);

// The 3D cursor's cross in a plane view of positions, while placed; drawn under the vertex
// marks, so a mark under it can still be picked by its colour.
void drawCursorCross(QImage& image, const ViewParams& view, const std::optional<ModelPoint>& at);

} // namespace vw
