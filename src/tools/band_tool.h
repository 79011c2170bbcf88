#pragma once
// What Select and Zoom share in the plane views: while the left button is down, a rubber band
// from the press to the pointer, over the frame last composed.

#include "tools/tool.h"

namespace vw {

class BandTool : public Tool {
public:
    using Tool::Tool;

    OverlayGround overlayGround() const override;
    void drawOverlay(QImage& picMain) const override;
    // downX, downY, lastX, lastY.
    OverlayGeometry overlayGeometry() const override;
};

} // namespace vw
