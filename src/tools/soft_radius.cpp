#include "tools/soft_radius.h"

#include "views/pane.h"

#include <algorithm>
#include <cmath>

namespace vw {
namespace {

constexpr double kRadiusStep = 1.25;
// Keeps the radius a number the falloffs can divide by, however far it is wound.
constexpr double kSmallestRadius = 1e-6;
constexpr double kLargestRadius = 1e9;

} // namespace

bool dragsSoftly(Pane& pane) {
    const uint8_t tool = pane.toolMode;
    return pane.session().aids().options().soft && isTransformTool(tool);
}

void changeSoftRadius(Pane& pane, int steps) {
    AidOptions options = pane.session().aids().options();
    options.softRadius = std::clamp(options.softRadius * std::pow(kRadiusStep, steps),
                                    kSmallestRadius, kLargestRadius);
    pane.session().aids().setOptions(options);
    if (pane.softCircleRadius > 0)
        pane.softCircleRadius = float(options.softRadius);
}

void showSoftCircle(Pane& pane, const PointerInput& pointer, bool dragging) {
    const bool shown = dragging && dragsSoftly(pane) && pane.selectedTab() < kTabUV;
    pane.softCircleX = pointer.x;
    pane.softCircleY = pointer.y;
    pane.softCircleRadius = shown ? float(pane.session().aids().options().softRadius) : 0;
}

} // namespace vw
