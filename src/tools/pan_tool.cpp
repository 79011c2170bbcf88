#include "tools/pan_tool.h"

#include "tools/input_masks.h"
#include "tools/tool_feedback.h"
#include "views/pane.h"
#include "views/view_transform.h"

namespace vw {

void PanTool::move(const PointerInput& input) {
    m_feedback.setPointer(PointerShape::OpenHand);
    if (!isLeftAlone(input.buttons))
        return;
    m_feedback.setPointer(PointerShape::ClosedHand);
    if (input.x != float(m_pane.downX) || input.y != float(m_pane.downY)) {
        ViewParams view = m_pane.currentView();
        view.originX = roundToInt32(double(input.x) - m_pane.downX + view.originX);
        view.originY = roundToInt32(double(input.y) - m_pane.downY + view.originY);
        m_pane.setCurrentView(view);
        m_pane.downX = roundToInt32(input.x);
        m_pane.downY = roundToInt32(input.y);
    }
    m_pane.isChanged = true;
}

} // namespace vw
