#include "tools/scale_tool.h"

#include "tools/input_masks.h"
#include "tools/pointer_shape.h"
#include "tools/selection.h"
#include "tools/tool_feedback.h"
#include "tools/transform.h"
#include "views/overlay_drawing.h"
#include "views/pane.h"
#include "views/pane_colours.h"
#include "views/raster.h"
#include "views/twips.h"
#include "views/view_transform.h"

#include <bit>
#include <cmath>

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

// The factor that takes the grabbed edge to the pointer about the pivot; 1 with no edge
// grabbed along that axis or the edge on the pivot.
double factorAbout(bool low, bool high, float lowEdge, float highEdge, float pointer, float pivot) {
    const float edge = high ? highEdge : lowEdge;
    if (!(low || high) || edge == pivot)
        return 1;
    return (double(pointer) - pivot) / (double(edge) - pivot);
}

float scaledAbout(float value, float pivot, double factor) {
    return static_cast<float>((double(value) - pivot) * factor + pivot);
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
    m_grab = scaleGrabFor(m_pane.colourAt(m_pane.downX, m_pane.downY));
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
    if (const std::optional<PlanePoint> pivot = chosenPivot()) {
        scaleAbout(*pivot, input);
        return;
    }
    ScaleBox box{pane.selLeft, pane.selTop, pane.selRight, pane.selBottom};
    const std::optional<ScaleMapping> mapping =
        scaleStep(box, m_grab, pane.toModelX(float(pane.lastX)), pane.toModelY(float(pane.lastY)),
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

std::optional<PlanePoint> ScaleTool::chosenPivot() const {
    const ViewParams& view = m_pane.currentView();
    const std::optional<ModelPoint> pivot = m_pane.session().pivotPoint();
    if (!pivot || m_pane.session().pivot() == Pivot::BoundingBoxCentre || !showsPositions(view))
        return std::nullopt;
    return PlanePoint{static_cast<float>((*pivot)[view.axisH]),
                      static_cast<float>((*pivot)[view.axisV])};
}

void ScaleTool::scaleAbout(PlanePoint pivot, const PointerInput& input) {
    if (!(m_grab.left || m_grab.right || m_grab.top || m_grab.bottom))
        return;
    Pane& pane = m_pane;
    const float pointerH = pane.toModelX(float(pane.lastX));
    const float pointerV = pane.toModelY(float(pane.lastY));
    double factorH =
        factorAbout(m_grab.left, m_grab.right, pane.selLeft, pane.selRight, pointerH, pivot.h);
    double factorV =
        factorAbout(m_grab.top, m_grab.bottom, pane.selTop, pane.selBottom, pointerV, pivot.v);
    // Shift keeps the proportions by the width, as the designed gesture does.
    if (isShiftAlone(input.modifiers)) {
        if (m_grab.left || m_grab.right)
            factorV = factorH;
        else
            factorH = factorV;
    }
    // A factor of 0 would flatten the selection for good.
    if (factorH == 0 || factorV == 0 || !std::isfinite(factorH) || !std::isfinite(factorV))
        return;
    pane.selLeft = scaledAbout(pane.selLeft, pivot.h, factorH);
    pane.selRight = scaledAbout(pane.selRight, pivot.h, factorH);
    pane.selTop = scaledAbout(pane.selTop, pivot.v, factorV);
    pane.selBottom = scaledAbout(pane.selBottom, pivot.v, factorV);
    pane.session().dragStep([&](std::vector<Segment>& data) {
        changeSelectedCoords(data, pane.currentView(), [&](float& h, float& v) {
            h = scaledAbout(h, pivot.h, factorH);
            v = scaledAbout(v, pivot.v, factorV);
        });
    });
}

void ScaleTool::drawOverlay(QImage& picMain) const {
    const double left = m_pane.toPaneX(m_pane.selLeft), right = m_pane.toPaneX(m_pane.selRight);
    const double top = m_pane.toPaneY(m_pane.selTop), bottom = m_pane.toPaneY(m_pane.selBottom);
    const double middleX = (left + right) / 2, middleY = (top + bottom) / 2;
    Raster raster(picMain);
    raster.outlineBox(pixelBox(left, top, right, bottom), kScaleBox);
    for (const ScaleHandleColour& handle : kScaleHandles) {
        const double x = handle.left ? left : handle.right ? right : middleX;
        const double y = handle.top ? top : handle.bottom ? bottom : middleY;
        raster.fillBox(handleBox(x, y), handle.colour);
    }
}

OverlayGeometry ScaleTool::overlayGeometry() const {
    return {std::bit_cast<uint32_t>(m_pane.selLeft), std::bit_cast<uint32_t>(m_pane.selTop),
            std::bit_cast<uint32_t>(m_pane.selRight), std::bit_cast<uint32_t>(m_pane.selBottom)};
}

void ScaleTool::restoreHandles() {
    m_pane.selLeft = m_boxAtPress.left;
    m_pane.selTop = m_boxAtPress.top;
    m_pane.selRight = m_boxAtPress.right;
    m_pane.selBottom = m_boxAtPress.bottom;
}

} // namespace vw
