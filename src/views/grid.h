#pragma once
// The grid of the plane and UV views: its spacing at a zoom, and the lines it draws on a
// surface.

#include "views/view_params.h"

#include <QImage>

#include <cstdint>
#include <vector>

namespace vw {

// Lines come no closer than this on the screen, and the spacing chosen is the smallest that
// keeps them so; the next 1, 2, 5 step up is at most 2.5 times wider, so lines stay within 80.
constexpr double kGridMinPixels = 20;

// The grid spacing in model units at zoom (twips per model unit): 1, 2 or 5 x 10^n, the
// smallest whose lines are at least kGridMinPixels apart. 0 for a zoom that is not positive
// and finite.
double gridSpacing(float zoom);

// One grid line: its pane position along the surface's axis, and whether it is the axis
// (model value 0).
struct GridLine {
    int32_t at = 0;
    bool axis = false;
};

// The lines of spacing that fall within pane positions 0 to extent along one axis of a view
// with this zoom and origin, in ascending order.
std::vector<GridLine> gridLines(double spacing, float zoom, int32_t origin, int32_t extent);

// The grid lines of spacing across the whole canvas in the view, its axes over the other lines.
void drawGrid(QImage& canvas, const ViewParams& view, double spacing);

} // namespace vw
