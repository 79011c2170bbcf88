#include "tools/move_tool.h"

#include "model/editing/edit_limits.h"
#include "tools/input_masks.h"
#include "tools/selection.h"
#include "tools/tool_feedback.h"
#include "tools/transform.h"
#include "views/pane.h"
#include "views/twips.h"
#include "views/view_transform.h"

namespace vw {

void moveStep(Pane& pane, ToolFeedback& feedback, const PointerInput& input) {
    feedback.setPointer(PointerShape::Move);
    if (!isLeftAlone(input.buttons) || pane.SelCount <= 0)
        return;
    if (input.x == float(pane.downX) && input.y == float(pane.downY))
        return;
    const ViewParams& view = pane.currentView();
    pane.invZoom = 1 / view.zoom;
    changeSelectedCoords(pane.model().curData, view, [&](float& h, float& v) {
        h = movedCoord(h, input.x, pane.downX, pane.invZoom);
        v = movedCoord(v, input.y, pane.downY, pane.invZoom);
    });
    pane.document().commitCurData();
    pane.downX = roundToInt32(input.x);
    pane.downY = roundToInt32(input.y);
    pane.isChanged = true;
}

void nudgeSelection(Pane& pane, ToolFeedback& feedback, int dx, int dy) {
    if (pane.selectedTab() > kTabUV || pane.SelCount <= 0)
        return;
    const ViewParams& view = pane.currentView();
    const auto fields = uint16_t((1u << view.axisH) | (1u << view.axisV));
    if (const std::string refusal = editRefusal(pane.model(), fields); !refusal.empty()) {
        feedback.showStatus(QString::fromStdString(refusal));
        return;
    }
    const double step = kTwipsPerPixel / double(view.zoom);
    Document& document = pane.document();
    document.beginEdit("Move %n", pane.SelCount);
    changeSelectedCoords(pane.model().curData, view, [&](float& h, float& v) {
        h = static_cast<float>(dx * step + h);
        v = static_cast<float>(dy * step + v);
    });
    document.commitCurData();
    document.endEdit();
    pane.markChanged();
}

} // namespace vw
