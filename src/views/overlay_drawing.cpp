#include "views/overlay_drawing.h"

#include "views/pane_colours.h"
#include "views/twips.h"

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

} // namespace vw
