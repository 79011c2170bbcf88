#include "tools/band_tool.h"

#include "views/pane.h"
#include "views/pane_colours.h"
#include "views/raster.h"
#include "views/twips.h"

namespace vw {

OverlayGround BandTool::overlayGround() const {
    return m_pane.isLeftButton ? OverlayGround::LastFrame : OverlayGround::None;
}

void BandTool::drawOverlay(QImage& picMain) const {
    Raster(picMain).outlineBox(pixelBox(m_pane.downX, m_pane.downY, m_pane.lastX, m_pane.lastY),
                               kRubberBand);
}

OverlayGeometry BandTool::overlayGeometry() const {
    return {static_cast<uint32_t>(m_pane.downX), static_cast<uint32_t>(m_pane.downY),
            static_cast<uint32_t>(m_pane.lastX), static_cast<uint32_t>(m_pane.lastY)};
}

} // namespace vw
