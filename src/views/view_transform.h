#pragma once
// The arithmetic between model values and pane positions for one view axis.

#include "views/view_params.h"

#include <cstdint>

namespace vw {

// The nearest int32, ties to even; saturates far outside the int32 range (NaN gives the least).
int32_t roundToInt32(double value);

// value x zoom + origin, formed in double precision and rounded once.
int32_t toPane(float value, float zoom, int32_t origin);

// (position - origin) / zoom as a float.
float toModel(float position, float zoom, int32_t origin);

// The view as a new model shows it on a surface of width x height twips, its axes kept: zoom 100
// centred on a plane view, the texture square over two thirds of the height on the UV view.
ViewParams startView(ViewParams view, bool uv, double width, double height);

} // namespace vw
