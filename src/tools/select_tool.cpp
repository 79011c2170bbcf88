#include "tools/select_tool.h"

#include "preview/preview_picking.h"
#include "preview/preview_view.h"
#include "tools/input_masks.h"
#include "tools/loop_select.h"
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
// In the Preview: how far from the pointer, in pixels, a click still picks a vertex, and how
// close to its press a release is a click.
constexpr double kPreviewPickReach = 6;
constexpr double kClickReach = 3;

const DepthPatch* orNull(const std::optional<DepthPatch>& depth) {
    return depth ? &*depth : nullptr;
}

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

// A click on a selected vertex with these modifiers takes it out of the selection: Ctrl, and
// Shift in the Blender map, where Shift toggles.
bool takesOut(const Pane& pane, int modifiers) {
    return modifiers == kCtrlMask || (pane.keyMap == KeyMap::Blender && modifiers == kShiftMask);
}

// The Blender map's plain click selects just the vertex under it, selected or not.
bool picksSelected(const Pane& pane, int modifiers) {
    return pane.keyMap == KeyMap::Blender && modifiers == 0;
}

// The vertex a click picks is the session's active vertex from then on.
Vertex* activated(Pane& pane, const std::vector<Segment>& data, Vertex* picked) {
    pane.session().setActiveVertex(locateVertex(data, picked));
    return picked;
}

} // namespace

void SelectTool::begin() {
    m_atPress.take(m_pane);
    m_loopPress = false;
}

void SelectTool::press(const PointerInput& input) {
    m_loopPress = selectLoopAt(m_pane, input);
    if (m_loopPress)
        return;
    const int mark = m_pane.colourAt(m_pane.downX, m_pane.downY);
    const bool onSelected = mark == kMarkSelected;
    m_ctrlOnSelected = onSelected && takesOut(m_pane, input.modifiers);
    selectPress(m_pane, input.modifiers,
                isUnselectedMark(mark) || (onSelected && picksSelected(m_pane, input.modifiers)),
                [this](std::vector<Segment>& data) {
                    const PickSquare square = pickSquareAtPress(m_pane);
                    Vertex* picked = firstUnselectedInBox(m_pane, data, square.x1, square.y1,
                                                          square.x2, square.y2);
                    return activated(m_pane, data, picked);
                });
}

void SelectTool::move(const PointerInput& input) {
    m_pane.lastX = roundToInt32(input.x);
    m_pane.lastY = roundToInt32(input.y);
    m_feedback.setPointer(PointerShape::Crosshair);
}

OverlayGround SelectTool::overlayGround() const {
    return m_loopPress ? OverlayGround::None : BandTool::overlayGround();
}

void SelectTool::release(const PointerInput&) {
    if (std::exchange(m_loopPress, false))
        return;
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
    if (m_preview)
        m_preview->setBand(std::nullopt);
    m_preview = nullptr;
    m_atPress.restore(m_pane);
}

void SelectTool::abandon() {
    if (m_preview)
        m_preview->setBand(std::nullopt);
    m_preview = nullptr;
}

void SelectTool::previewPress(const PreviewPointer& pointer, PreviewView& view) {
    if (selectLoopAt(m_pane, pointer, view))
        return;
    m_preview = &view;
    m_pressX = pointer.x;
    m_pressY = pointer.y;
    m_atPress.take(m_pane);
    const std::optional<DepthPatch> depth =
        view.depthOver(pointer.x - kPreviewPickReach, pointer.y - kPreviewPickReach,
                       pointer.x + kPreviewPickReach, pointer.y + kPreviewPickReach);
    const WorkingVertex hit =
        nearestWorkingVertex(m_pane.model(), view.scene().camera(), pointer.x, pointer.y,
                             kPreviewPickReach, orNull(depth), &m_pane.session().hidden());
    const bool onSelected =
        hit.found() &&
        m_pane.model().curData[size_t(hit.segment)].verts[size_t(hit.vertex)].selected != 0;
    m_ctrlSegment = m_ctrlVertex = -1;
    if (onSelected && takesOut(m_pane, pointer.modifiers)) {
        m_ctrlSegment = hit.segment;
        m_ctrlVertex = hit.vertex;
    }
    selectPress(m_pane, pointer.modifiers,
                hit.found() && (!onSelected || picksSelected(m_pane, pointer.modifiers)),
                [&](std::vector<Segment>& data) {
                    return activated(m_pane, data,
                                     &data[size_t(hit.segment)].verts[size_t(hit.vertex)]);
                });
}

bool SelectTool::isPreviewClick(const PreviewPointer& pointer) const {
    return std::abs(pointer.x - m_pressX) <= kClickReach &&
           std::abs(pointer.y - m_pressY) <= kClickReach;
}

void SelectTool::previewMove(const PreviewPointer& pointer, PreviewView& view) {
    if (!m_preview)
        return;
    if (isPreviewClick(pointer))
        view.setBand(std::nullopt);
    else
        view.setBand(QRectF(QPointF(m_pressX, m_pressY), QPointF(pointer.x, pointer.y)));
}

void SelectTool::previewRelease(const PreviewPointer& pointer, PreviewView& view) {
    if (!m_preview)
        return;
    m_preview = nullptr;
    view.setBand(std::nullopt);
    if (isPreviewClick(pointer)) {
        // The press has picked already; a Ctrl click on a selected vertex takes it out.
        if (m_ctrlSegment >= 0)
            deselectVertex(m_pane, m_ctrlSegment, m_ctrlVertex);
    } else {
        const std::optional<DepthPatch> depth =
            view.depthOver(m_pressX, m_pressY, pointer.x, pointer.y);
        const BoxPicker inBox(view.scene().camera(), m_pressX, m_pressY, pointer.x, pointer.y,
                              orNull(depth));
        selectVertsWhere(m_pane, [&](const Vertex& vertex) { return inBox(vertex); });
    }
    m_pane.isChanged = true;
}

} // namespace vw
