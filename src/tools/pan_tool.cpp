#include "tools/pan_tool.h"

#include "tools/input_masks.h"
#include "tools/tool_feedback.h"
#include "views/pane.h"
#include "views/view_transform.h"

namespace vw {

void panMove(Pane& pane, ToolFeedback& feedback, const PointerInput& input) {
    feedback.setPointer(PointerShape::OpenHand);
    if (!isLeftAlone(input.buttons))
        return;
    feedback.setPointer(PointerShape::ClosedHand);
    if (input.x != float(pane.downX) || input.y != float(pane.downY)) {
        ViewParams& view = pane.currentView();
        view.originX = roundToInt32(double(input.x) - pane.downX + view.originX);
        view.originY = roundToInt32(double(input.y) - pane.downY + view.originY);
        pane.downX = roundToInt32(input.x);
        pane.downY = roundToInt32(input.y);
    }
    pane.isChanged = true;
}

} // namespace vw
