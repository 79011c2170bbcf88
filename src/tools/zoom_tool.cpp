#include "tools/zoom_tool.h"

#include "tools/input_masks.h"
#include "tools/tool_feedback.h"
#include "views/pane.h"
#include "views/view_transform.h"

#include <cmath>
#include <cstdlib>
#include <limits>

namespace vw {
namespace {

bool fitsPane(double value) {
    return value >= std::numeric_limits<int32_t>::min() &&
           value <= std::numeric_limits<int32_t>::max();
}

// The view with zoom, the model point (mh, mv) at pane position (x, y).
std::optional<ViewParams> placedAt(const ViewParams& view, float zoom, float mh, float mv, double x,
                                   double y) {
    if (!(std::isnormal(zoom) && zoom > 0))
        return std::nullopt;
    const double originX = x - double(mh) * zoom;
    const double originY = y - double(mv) * zoom;
    if (!fitsPane(originX) || !fitsPane(originY))
        return std::nullopt;
    ViewParams zoomed = view;
    zoomed.zoom = zoom;
    zoomed.originX = roundToInt32(originX);
    zoomed.originY = roundToInt32(originY);
    return zoomed;
}

// The view with zoom, the model point (mh, mv) at the middle of the surface.
std::optional<ViewParams> centredOn(const ViewParams& view, float zoom, float mh, float mv,
                                    int32_t width, int32_t height) {
    return placedAt(view, zoom, mh, mv, width / 2.0, height / 2.0);
}

} // namespace

std::optional<ViewParams> clickZoom(const ViewParams& view, int32_t x, int32_t y, float zoomInc,
                                    int32_t width, int32_t height) {
    const float mh = static_cast<float>((double(x) - view.originX) / view.zoom);
    const float mv = static_cast<float>((double(y) - view.originY) / view.zoom);
    const float zoom = static_cast<float>(double(view.zoom) * zoomInc + view.zoom);
    return centredOn(view, zoom, mh, mv, width, height);
}

std::optional<ViewParams> dragZoom(const ViewParams& view, int32_t x1, int32_t y1, int32_t x2,
                                   int32_t y2, int32_t width, int32_t height) {
    if (width <= 0 || height <= 0)
        return std::nullopt;
    const float rw = static_cast<float>(std::llabs(int64_t(x1) - x2) / double(width));
    const float rh = static_cast<float>(std::llabs(int64_t(y1) - y2) / double(height));
    const int64_t cx = (int64_t(x2) + x1) / 2;
    const int64_t cy = (int64_t(y1) + y2) / 2;
    const float mh = static_cast<float>((double(cx) - view.originX) / view.zoom);
    const float mv = static_cast<float>((double(cy) - view.originY) / view.zoom);
    const float zoom = static_cast<float>(view.zoom / double(rw > rh ? rw : rh));
    return centredOn(view, zoom, mh, mv, width, height);
}

std::optional<ViewParams> wheelZoom(const ViewParams& view, int32_t x, int32_t y, float zoomInc) {
    const float mh = static_cast<float>((double(x) - view.originX) / view.zoom);
    const float mv = static_cast<float>((double(y) - view.originY) / view.zoom);
    const float zoom = static_cast<float>(double(view.zoom) * zoomInc + view.zoom);
    return placedAt(view, zoom, mh, mv, x, y);
}

std::optional<ViewParams> fitBox(const ViewParams& view, const ModelBox& box, int32_t width,
                                 int32_t height) {
    if (!box.isValid() || width <= 0 || height <= 0)
        return std::nullopt;
    const double spanH = double(box.right) - box.left;
    const double spanV = double(box.bottom) - box.top;
    const double room = 1 - 2 * kFitMargin;
    double zoom = view.zoom;
    if (spanH > 0 || spanV > 0) {
        const double byWidth = spanH > 0 ? width * room / spanH : HUGE_VAL;
        const double byHeight = spanV > 0 ? height * room / spanV : HUGE_VAL;
        zoom = std::min(byWidth, byHeight);
    }
    const float mh = static_cast<float>((double(box.left) + box.right) / 2);
    const float mv = static_cast<float>((double(box.top) + box.bottom) / 2);
    return centredOn(view, static_cast<float>(zoom), mh, mv, width, height);
}

void ZoomTool::move(const PointerInput& input) {
    m_feedback.setPointer(isShiftAlone(input.modifiers) ? PointerShape::ZoomOut
                                                        : PointerShape::ZoomIn);
    m_pane.lastX = roundToInt32(input.x);
    m_pane.lastY = roundToInt32(input.y);
    m_pane.isChanged = true;
}

void ZoomTool::release(const PointerInput& input) {
    if (!isLeftAlone(input.buttons))
        return;
    Pane& pane = m_pane;
    pane.ZoomInc = isShiftAlone(input.modifiers) ? -0.25f : 0.25f;
    const ViewParams& view = pane.currentView();
    const bool isClick = pane.downX == pane.lastX && pane.downY == pane.lastY;
    const std::optional<ViewParams> zoomed =
        isClick ? clickZoom(view, pane.downX, pane.downY, pane.ZoomInc, pane.surfaceWidth(),
                            pane.surfaceHeight())
                : dragZoom(view, pane.downX, pane.downY, pane.lastX, pane.lastY,
                           pane.surfaceWidth(), pane.surfaceHeight());
    if (zoomed)
        pane.setCurrentView(*zoomed);
    pane.isChanged = true;
}

} // namespace vw
