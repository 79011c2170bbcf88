#include "tools/scale_tool.h"

#include "tools/input_masks.h"
#include "tools/move_tool.h"
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

void scalePress(Pane& pane) {
    const ScaleGrab grab = scaleGrabFor(pane.colourAt(pane.downX, pane.downY));
    pane.grabLeft = grab.left;
    pane.grabTop = grab.top;
    pane.grabRight = grab.right;
    pane.grabBottom = grab.bottom;
}

void scaleMove(Pane& pane, ToolFeedback& feedback, const PointerInput& input) {
    pane.lastX = roundToInt32(input.x);
    pane.lastY = roundToInt32(input.y);
    feedback.setPointer(scalePointerFor(pane.colourAt(pane.lastX, pane.lastY)));
    if (!isLeftAlone(input.buttons))
        return;
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
    changeSelectedCoords(pane.model().curData, view, [&](float& h, float& v) {
        h = mapping->mapH(h);
        v = mapping->mapV(v);
    });
    pane.document().commitCurData();
}

} // namespace vw
