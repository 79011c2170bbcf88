#include "views/twips.h"

#include <algorithm>
#include <cmath>

namespace vw {

int32_t twipToPixel(double t) {
    constexpr double limit = 1 << 28;
    const double pixel = std::floor(t / kTwipsPerPixel);
    if (!(pixel > -limit))
        return -static_cast<int32_t>(limit);
    return static_cast<int32_t>(std::min(pixel, limit));
}

QRect pixelBox(double x1, double y1, double x2, double y2) {
    const int32_t left = twipToPixel(std::min(x1, x2));
    const int32_t top = twipToPixel(std::min(y1, y2));
    const int32_t right = std::max(twipToPixel(std::max(x1, x2)), left + 1);
    const int32_t bottom = std::max(twipToPixel(std::max(y1, y2)), top + 1);
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

QRgb colourUnder(const QImage& image, int32_t x, int32_t y) {
    const QPoint pixel(twipToPixel(x), twipToPixel(y));
    if (!image.rect().contains(pixel))
        return qRgb(0, 0, 0);
    return image.pixel(pixel) | 0xff000000u;
}

} // namespace vw
