#include "tools/transform.h"

#include <cmath>
#include <numbers>

namespace vw {

float movedCoord(float value, float pointer, int32_t anchor, float invZoom) {
    return static_cast<float>((double(pointer) - anchor) * invZoom + value);
}

float ScaleMapping::mapH(float value) const {
    return static_cast<float>((double(value) - oldLeft) / oldWidth * newWidth + newLeft);
}

float ScaleMapping::mapV(float value) const {
    return static_cast<float>((double(value) - oldTop) / oldHeight * newHeight + newTop);
}

std::optional<ScaleMapping> scaleStep(ScaleBox& box, ScaleGrab grab, float pointerH, float pointerV,
                                      bool keepProportions) {
    const float oldWidth = box.right - box.left;
    const float oldHeight = box.bottom - box.top;
    if (oldWidth == 0 || oldHeight == 0)
        return std::nullopt;
    const ScaleBox oldBox = box;
    const float oldLeft = box.left;
    const float oldTop = box.top;
    if (grab.left)
        box.left = pointerH;
    if (grab.top)
        box.top = pointerV;
    if (grab.right)
        box.right = pointerH;
    if (grab.bottom)
        box.bottom = pointerV;
    const float newWidth = box.right - box.left;
    float newHeight = box.bottom - box.top;
    if (keepProportions) {
        newHeight = static_cast<float>(double(newWidth) / oldWidth * oldHeight);
        if (grab.bottom)
            box.bottom = oldTop + newHeight;
        else
            box.top = box.bottom - newHeight;
    }
    // An edge dropped exactly on the opposite one would flatten the selection for good, as no
    // later step can scale a box without width or height; that step is skipped instead.
    if (newWidth == 0 || newHeight == 0) {
        box = oldBox;
        return std::nullopt;
    }
    return ScaleMapping{oldLeft,  oldTop,  oldWidth, oldHeight,
                        box.left, box.top, newWidth, newHeight};
}

double polarAngle(double dh, double dv) {
    if (dh == 0) {
        if (dv == 0)
            return 0;
        return std::copysign(std::numbers::pi / 2, dv);
    }
    double angle = std::atan(dv / dh);
    if (static_cast<float>(dh) < 0)
        angle += 3.14159;
    return angle;
}

PolarPoint polarPoint(PlanePoint snapshot, PlanePoint center) {
    const double dh = double(snapshot.h) - center.h;
    const double dv = double(snapshot.v) - center.v;
    return {static_cast<float>(std::sqrt(dv * dv + dh * dh)), polarAngle(dh, dv)};
}

PlanePoint turnedPoint(PolarPoint polar, PlanePoint center, float angle) {
    const float theta = static_cast<float>(polar.angle + angle);
    return {static_cast<float>(polar.radius * std::cos(double(theta)) + center.h),
            static_cast<float>(polar.radius * std::sin(double(theta)) + center.v)};
}

} // namespace vw
