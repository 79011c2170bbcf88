#include "tools/select_tool.h"

#include "tools/input_masks.h"
#include "tools/selection.h"
#include "tools/tool_feedback.h"
#include "views/pane.h"
#include "views/pane_colours.h"
#include "views/view_transform.h"

#include <cmath>
#include <utility>

namespace vw {
namespace {

// A release this close to its press, in model units along both axes, is a click.
constexpr float kClickThreshold = 0.05f;

float modelAlong(int64_t pane, int32_t origin, float zoom) {
    return static_cast<float>(double(pane - origin) / zoom);
}

// The square searched around the press, in model units of the view's two axes.
struct PickSquare {
    float x1, y1, x2, y2;
};
PickSquare pickSquareAtPress(const Pane& pane) {
    const ViewParams& view = pane.currentView();
    return {modelAlong(int64_t(pane.downX) - int64_t(kPickReach), view.originX, view.zoom),
            modelAlong(int64_t(pane.downY) - int64_t(kPickReach), view.originY, view.zoom),
            modelAlong(int64_t(pane.downX) + int64_t(kPickReach), view.originX, view.zoom),
            modelAlong(int64_t(pane.downY) + int64_t(kPickReach), view.originY, view.zoom)};
}

} // namespace

void SelectTool::begin() {
    m_atPress.take(m_pane);
}

void SelectTool::press(const PointerInput& input) {
    m_ctrlOnSelected = input.modifiers == kCtrlMask &&
                       m_pane.colourAt(m_pane.downX, m_pane.downY) == kMarkSelected;
    selectPress(
        m_pane, input.modifiers, isUnselectedMark(m_pane.colourAt(m_pane.downX, m_pane.downY)),
        [this](std::vector<Segment>& data) {
            const PickSquare square = pickSquareAtPress(m_pane);
            return firstUnselectedInBox(m_pane, data, square.x1, square.y1, square.x2, square.y2);
        });
}

void SelectTool::move(const PointerInput& input) {
    m_pane.lastX = roundToInt32(input.x);
    m_pane.lastY = roundToInt32(input.y);
    m_feedback.setPointer(PointerShape::Crosshair);
}

void SelectTool::release(const PointerInput&) {
    const ViewParams& view = m_pane.currentView();
    const float x1 = modelAlong(m_pane.downX, view.originX, view.zoom);
    const float y1 = modelAlong(m_pane.downY, view.originY, view.zoom);
    const float x2 = modelAlong(m_pane.lastX, view.originX, view.zoom);
    const float y2 = modelAlong(m_pane.lastY, view.originY, view.zoom);
    const float width = std::fabs(x1 - x2);
    const float height = std::fabs(y1 - y2);
    const bool isClick = width <= kClickThreshold && height <= kClickThreshold;
    if (isClick && std::exchange(m_ctrlOnSelected, false))
        deselectAtPress();
    else if (isClick)
        pickVertexInBox(m_pane, x1, y1, x2, y2);
    else
        selectVertsInBox(m_pane, x1, y1, x2, y2);
    m_pane.isChanged = true;
}

void SelectTool::deselectAtPress() {
    const ViewParams& view = m_pane.currentView();
    const PickSquare square = pickSquareAtPress(m_pane);
    const std::vector<Segment>& data = m_pane.model().curData;
    for (size_t i = 0; i < data.size(); ++i)
        for (size_t j = 0; j < data[i].verts.size(); ++j) {
            const Vertex& vertex = data[i].verts[j];
            if (vertex.selected != 0 && isInRect(vertex.coord(view.axisH), vertex.coord(view.axisV),
                                                 square.x1, square.y1, square.x2, square.y2)) {
                deselectVertex(m_pane, int32_t(i), int32_t(j));
                return;
            }
        }
    deselectVertex(m_pane, -1, -1);
}

void SelectTool::cancel() {
    m_atPress.restore(m_pane);
}

} // namespace vw
