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

} // namespace vw
