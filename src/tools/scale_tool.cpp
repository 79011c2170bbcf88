#include "tools/scale_tool.h"

#include "tools/input_masks.h"
#include "tools/pointer_shape.h"
#include "tools/selection.h"
#include "tools/tool_feedback.h"
#include "tools/transform.h"
#include "views/pane.h"
#include "views/pane_colours.h"
#include "views/view_transform.h"

namespace vw {
namespace {

// The pointer shown over a handle: along the edge it moves, or diagonal at a corner.
PointerShape pointerOver(const ScaleHandleColour& handle) {
    if ((handle.left && handle.top) || (handle.right && handle.bottom))
        return PointerShape::ResizeDiagonalNwSe;
    if ((handle.right && handle.top) || (handle.left && handle.bottom))
        return PointerShape::ResizeDiagonalNeSw;
    if (handle.top || handle.bottom)
        return PointerShape::ResizeVertical;
    return PointerShape::ResizeHorizontal;
}

// The edges the handle drawn in this colour moves; none for any other colour.
ScaleGrab scaleGrabFor(QRgb colour) {
    const ScaleHandleColour* handle = scaleHandleAt(colour);
    return handle ? ScaleGrab{handle->left, handle->top, handle->right, handle->bottom}
                  : ScaleGrab{};
}

// The pointer shown over the handle drawn in this colour; the four-way move elsewhere.
PointerShape scalePointerFor(QRgb colour) {
    const ScaleHandleColour* handle = scaleHandleAt(colour);
    return handle ? pointerOver(*handle) : PointerShape::FourWayMove;
}

} // namespace

void ScaleTool::choose() {
    m_pane.SetScaleValues();
}

void ScaleTool::press(const PointerInput& input) {
    m_boxAtPress = {m_pane.selLeft, m_pane.selTop, m_pane.selRight, m_pane.selBottom};
    m_refused = !beginPlaneDrag(input);
    if (m_refused)
        return;
    const ScaleGrab grab = scaleGrabFor(m_pane.colourAt(m_pane.downX, m_pane.downY));
    m_pane.grabLeft = grab.left;
    m_pane.grabTop = grab.top;
    m_pane.grabRight = grab.right;
    m_pane.grabBottom = grab.bottom;
}

void ScaleTool::move(const PointerInput& input) {
    if (m_refused)
        return;
    Pane& pane = m_pane;
    pane.lastX = roundToInt32(input.x);
    pane.lastY = roundToInt32(input.y);
    m_feedback.setPointer(scalePointerFor(pane.colourAt(pane.lastX, pane.lastY)));
    if (!isLeftAlone(input.buttons))
        return;
    if (isKeyed()) {
        transformStep(input.x, input.y, input.modifiers);
        return;
    }
    ScaleBox box{pane.selLeft, pane.selTop, pane.selRight, pane.selBottom};
    const ScaleGrab grab{pane.grabLeft, pane.grabTop, pane.grabRight, pane.grabBottom};
    const std::optional<ScaleMapping> mapping =
        scaleStep(box, grab, pane.toModelX(float(pane.lastX)), pane.toModelY(float(pane.lastY)),
                  isShiftAlone(input.modifiers));
    if (!mapping)
        return;
    pane.selLeft = box.left;
    pane.selTop = box.top;
    pane.selRight = box.right;
    pane.selBottom = box.bottom;
    const ViewParams& view = pane.currentView();
    pane.session().dragStep([&](std::vector<Segment>& data) {
        changeSelectedCoords(data, view, [&](float& h, float& v) {
            h = mapping->mapH(h);
            v = mapping->mapV(v);
        });
    });
}

void ScaleTool::restoreHandles() {
    m_pane.selLeft = m_boxAtPress.left;
    m_pane.selTop = m_boxAtPress.top;
    m_pane.selRight = m_boxAtPress.right;
    m_pane.selBottom = m_boxAtPress.bottom;
}

} // namespace vw
