#include "views/view_transform.h"

#include <cmath>
#include <limits>

namespace vw {

int32_t roundToInt32(double value) {
    // nearbyint rounds in the current mode, which is to nearest, ties to even.
    const double rounded = std::nearbyint(value);
    if (!(rounded > std::numeric_limits<int32_t>::min()))
        return std::numeric_limits<int32_t>::min();
    if (rounded > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(rounded);
}

int32_t toPane(float value, float zoom, int32_t origin) {
    return roundToInt32(static_cast<double>(value) * zoom + origin);
}

float toModel(float position, float zoom, int32_t origin) {
    return static_cast<float>((static_cast<double>(position) - origin) / zoom);
}

ViewParams startView(ViewParams view, bool uv, double width, double height) {
    if (!uv) {
        view.zoom = kDefaultZoom;
        view.originX = roundToInt32(width / 2);
        view.originY = roundToInt32(height / 2);
        return view;
    }
    view.zoom = static_cast<float>(height * 2 / 3);
    // A surface of no height would give zoom 0, and every conversion back to the model would
    // divide by it.
    if (!(view.zoom > 0))
        view.zoom = kDefaultZoom;
    view.originX = roundToInt32((width - view.zoom) / 2);
    view.originY = roundToInt32((height - view.zoom) / 2);
    return view;
}

} // namespace vw
