#pragma once
// The Zoom tool: a left click zooms in (or out with Shift) by one step about the clicked point,
// a left drag fits the dragged rectangle to the pane. Only the current view changes.

#include "tools/band_tool.h"
#include "views/view_params.h"

#include <algorithm>
#include <cstdint>
#include <optional>

namespace vw {

// The view after a click at (x, y) with the relative step zoomInc (0.25 or -0.25): the clicked
// model point moves to the middle of a surface of width x height pane units.
std::optional<ViewParams> clickZoom(const ViewParams& view, int32_t x, int32_t y, float zoomInc,
                                    int32_t width, int32_t height);

// The view after a drag from (x1, y1) to (x2, y2) on a surface of width x height: the larger
// relative side of the rectangle fills the surface, centred.
std::optional<ViewParams> dragZoom(const ViewParams& view, int32_t x1, int32_t y1, int32_t x2,
                                   int32_t y2, int32_t width, int32_t height);

// The view after one wheel notch at (x, y) with the relative step zoomInc: the click's zoom
// arithmetic, keeping the model point under the pointer where it is.
std::optional<ViewParams> wheelZoom(const ViewParams& view, int32_t x, int32_t y, float zoomInc);

// A box in model units of a view's two axes; empty while left > right.
struct ModelBox {
    float left = 1, top = 1, right = 0, bottom = 0;
    bool isValid() const { return left <= right && top <= bottom; }
    void add(float h, float v) {
        if (!isValid()) {
            *this = {h, v, h, v};
            return;
        }
        left = std::min(left, h);
        right = std::max(right, h);
        top = std::min(top, v);
        bottom = std::max(bottom, v);
    }
};
// The share of the surface left free on each side by fitBox.
constexpr double kFitMargin = 0.05;

// The view that shows the box as large as fits in a surface of width x height, centred, with a
// small margin; a box of one point keeps the zoom and only centres it.
std::optional<ViewParams> fitBox(const ViewParams& view, const ModelBox& box, int32_t width,
                                 int32_t height);

// These return nothing when the step would leave a zoom that is not a positive finite number or
// an origin beyond the pane's integer range, so the view stays usable.

class ZoomTool : public BandTool {
public:
    using BandTool::BandTool;

    void move(const PointerInput& input) override;
    // lastX, lastY already hold the release's position.
    void release(const PointerInput& input) override;
};

} // namespace vw
