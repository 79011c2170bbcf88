#include "tools/scale_tool.h"

#include "tools/input_masks.h"
#include "tools/move_tool.h"
#include "tools/pointer_shape.h"
#include "tools/selection.h"
#include "tools/tool_feedback.h"
#include "tools/transform.h"
#include "views/pane.h"
#include "views/view_transform.h"

#include <QRgb>

#include <array>

namespace vw {
namespace {

struct ScaleHandle {
    int blue; // the handle's colour is RGB(0, 0, blue)
    ScaleGrab grab;
    PointerShape pointer;
};

constexpr std::array<ScaleHandle, 8> handles{{
    {245, {true, true, false, false}, PointerShape::ResizeDiagonalNwSe},
    {246, {false, true, false, false}, PointerShape::ResizeVertical},
    {247, {false, true, true, false}, PointerShape::ResizeDiagonalNeSw},
    {248, {true, false, false, false}, PointerShape::ResizeHorizontal},
    {249, {false, false, true, false}, PointerShape::ResizeHorizontal},
    {250, {true, false, false, true}, PointerShape::ResizeDiagonalNeSw},
    {251, {false, false, false, true}, PointerShape::ResizeVertical},
    {252, {false, false, true, true}, PointerShape::ResizeDiagonalNwSe},
}};

const ScaleHandle* handleFor(QRgb colour) {
    if (qRed(colour) != 0 || qGreen(colour) != 0)
        return nullptr;
    for (const ScaleHandle& handle : handles)
        if (qBlue(colour) == handle.blue)
            return &handle;
    return nullptr;
}

// The edges the handle drawn in this colour moves; none for any other colour.
ScaleGrab scaleGrabFor(QRgb colour) {
    const ScaleHandle* handle = handleFor(colour);
    return handle ? handle->grab : ScaleGrab{};
}

// The pointer shown over the handle drawn in this colour; the four-way move elsewhere.
PointerShape scalePointerFor(QRgb colour) {
    const ScaleHandle* handle = handleFor(colour);
    return handle ? handle->pointer : PointerShape::FourWayMove;
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
