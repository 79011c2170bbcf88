#pragma once
// The arithmetic between model values and pane positions for one view axis.

#include <cstdint>

namespace vw {

// The nearest int32, ties to even; saturates far outside the int32 range (NaN gives the least).
int32_t roundToInt32(double value);

// value x zoom + origin, formed in double precision and rounded once.
int32_t toPane(float value, float zoom, int32_t origin);

// (position - origin) / zoom as a float.
float toModel(float position, float zoom, int32_t origin);

} // namespace vw
