#include "views/overlay_drawing.h"

#include "views/pane_colours.h"
#include "views/raster.h"
#include "views/twips.h"
#include "views/view_transform.h"

#include <QPainter>

namespace vw {

QRect handleBox(double x, double y) {
    return pixelBox(x - kHandleReach, y - kHandleReach, x + kHandleReach, y + kHandleReach);
}

void drawCircle(QImage& image, QPoint centre, double pixelRadius, QRgb colour) {
    if (image.isNull())
        return;
    QPainter painter(&image);
    painter.setPen(QColor::fromRgb(colour));
    painter.drawEllipse(QPointF(centre), pixelRadius, pixelRadius);
}

void drawSoftCircle(QImage& image, float x, float y, float radius, float zoom) {
    const double pixelRadius = double(radius) * zoom / kTwipsPerPixel;
    if (pixelRadius < 2)
        return;
    drawCircle(image, QPoint(twipToPixel(double(x)), twipToPixel(double(y))), pixelRadius,
               kSoftCircle);
}

void drawCursorCross(QImage& image, const ViewParams& view, const std::optional<ModelPoint>& at) {
    if (!at || view.axisH > 2 || view.axisV > 2 || image.isNull())
        return;
    const int32_t x = twipToPixel(toPane(float((*at)[view.axisH]), view.zoom, view.originX));
    const int32_t y = twipToPixel(toPane(float((*at)[view.axisV]), view.zoom, view.originY));
    const int32_t arms = 2 * kCursorCrossPixels + 1;
    Raster raster(image);
    raster.fillBox(QRect(x - kCursorCrossPixels, y, arms, 1), kCursorCross);
    raster.fillBox(QRect(x, y - kCursorCrossPixels, 1, arms), kCursorCross);
}

} // namespace vw
