#include "tools/select_tool.h"

#include "tools/input_masks.h"
#include "tools/selection.h"
#include "tools/tool_feedback.h"
#include "views/pane.h"
#include "views/pane_colours.h"
#include "views/view_transform.h"

#include <cmath>

namespace vw {
namespace {

// Half the side of the square searched around a press on a vertex mark, in pane units.
constexpr int64_t kPickReach = 50;
// A release this close to its press, in model units along both axes, is a click.
constexpr float kClickThreshold = 0.05f;

float modelAlong(int64_t pane, int32_t origin, float zoom) {
    return static_cast<float>(double(pane - origin) / zoom);
}

} // namespace

void selectPress(Pane& pane, const PointerInput& input) {
    const bool keepSelection = isShiftOrCtrlAlone(input.modifiers);
    if (isUnselectedMark(pane.colourAt(pane.downX, pane.downY))) {
        if (!keepSelection)
            clearSelection(pane);
        const ViewParams& view = pane.currentView();
        const float x1 = modelAlong(int64_t(pane.downX) - kPickReach, view.originX, view.zoom);
        const float y1 = modelAlong(int64_t(pane.downY) - kPickReach, view.originY, view.zoom);
        const float x2 = modelAlong(int64_t(pane.downX) + kPickReach, view.originX, view.zoom);
        const float y2 = modelAlong(int64_t(pane.downY) + kPickReach, view.originY, view.zoom);
        pickVertexInBox(pane, x1, y1, x2, y2);
        pane.isChanged = true;
    } else if (!keepSelection) {
        clearSelection(pane);
        pane.isChanged = true;
    }
}

void selectMove(Pane& pane, ToolFeedback& feedback, const PointerInput& input) {
    pane.lastX = roundToInt32(input.x);
    pane.lastY = roundToInt32(input.y);
    feedback.setPointer(PointerShape::Crosshair);
}

void selectRelease(Pane& pane) {
    const ViewParams& view = pane.currentView();
    const float x1 = modelAlong(pane.downX, view.originX, view.zoom);
    const float y1 = modelAlong(pane.downY, view.originY, view.zoom);
    const float x2 = modelAlong(pane.lastX, view.originX, view.zoom);
    const float y2 = modelAlong(pane.lastY, view.originY, view.zoom);
    const float width = std::fabs(x1 - x2);
    const float height = std::fabs(y1 - y2);
    if (width <= kClickThreshold && height <= kClickThreshold)
        pickVertexInBox(pane, x1, y1, x2, y2);
    else
        selectVertsInBox(pane, x1, y1, x2, y2);
    pane.isChanged = true;
}

} // namespace vw
