#include "tools/move_tool.h"

#include "tools/drag_edit.h"
#include "tools/input_masks.h"
#include "tools/selection.h"
#include "tools/tool_feedback.h"
#include "tools/transform.h"
#include "views/pane.h"
#include "views/twips.h"
#include "views/view_transform.h"

namespace vw {

void MoveTool::press(const PointerInput& input) {
    m_refused = !beginDragEdit(m_pane, "Move %n");
    m_snap.press(m_pane, input);
}

void MoveTool::move(const PointerInput& input) {
    m_feedback.setPointer(PointerShape::Move);
    if (m_refused || !isLeftAlone(input.buttons) || m_pane.SelCount() <= 0)
        return;
    if (input.x == float(m_pane.downX) && input.y == float(m_pane.downY))
        return;
    const ViewParams& view = m_pane.currentView();
    m_pane.invZoom = 1 / view.zoom;
    if (const std::optional<MoveOffset> snapped = m_snap.step(m_pane, input)) {
        m_pane.session().dragStep([&](std::vector<Segment>& data) {
            changeSelectedCoords(data, view, [&](float& h, float& v) {
                h = static_cast<float>(h + snapped->h);
                v = static_cast<float>(v + snapped->v);
            });
        });
    } else {
        m_pane.session().dragStep([&](std::vector<Segment>& data) {
            changeSelectedCoords(data, view, [&](float& h, float& v) {
                h = movedCoord(h, input.x, m_pane.downX, m_pane.invZoom);
                v = movedCoord(v, input.y, m_pane.downY, m_pane.invZoom);
            });
        });
        m_snap.moved({(double(input.x) - m_pane.downX) * m_pane.invZoom,
                      (double(input.y) - m_pane.downY) * m_pane.invZoom});
    }
    m_pane.downX = roundToInt32(input.x);
    m_pane.downY = roundToInt32(input.y);
    m_pane.isChanged = true;
}

void MoveTool::release(const PointerInput&) {
    m_refused = false;
    m_pane.document().endDrag();
}

void MoveTool::cancel() {
    m_refused = false;
    m_pane.document().cancelDrag();
    m_pane.markChanged();
}

void MoveTool::abandon() {
    release({});
}

void nudgeSelection(Pane& pane, int dx, int dy) {
    if (pane.selectedTab() > kTabUV || pane.SelCount() <= 0)
        return;
    const ViewParams& view = pane.currentView();
    const double step =
        pane.session().snap().toGrid ? pane.gridSpacing() : kTwipsPerPixel / double(view.zoom);
    // A refusal reaches the status bar as the document's notice.
    (void)pane.session().edit("Move %n", viewFields(view), [&](auto& data) {
        changeSelectedCoords(data, view, [&](float& h, float& v) {
            h = static_cast<float>(dx * step + h);
            v = static_cast<float>(dy * step + v);
        });
    });
}

} // namespace vw
