// The refresh tick: the current tool's overlay, or a full redraw, when it would show anything new.

#include "views/pane.h"

#include "views/overlay_drawing.h"
#include "views/raster.h"

namespace vw {

void Pane::tmeRefresher_Timer() {
    const OverlayGround ground = m_input ? m_input->overlayGround() : OverlayGround::None;
    if (ground == OverlayGround::LastFrame)
        showOverlayOnLastFrame();
    else if (ground == OverlayGround::NewFrame && m_tab != kTabPreview)
        showOverlayOnNewFrame();
    else if (isChanged && !m_frames.isShown(m_frames.full()))
        RefreshEbo();
}

void Pane::showOverlayOnLastFrame() {
    const FrameKey key = m_frames.overLastFrame(m_input->overlayGeometry());
    if (m_frames.isShown(key))
        return;
    copyCanvas(picBuff, picMain);
    m_input->drawOverlay(picMain);
    frameShown(key);
}

void Pane::showOverlayOnNewFrame() {
    // The view or the shown segments may have changed under the tool: the background follows
    // before the working data is laid over it.
    if (!m_background.isCurrent())
        m_background.draw();
    const FrameKey key = m_frames.overNewFrame(m_input->overlayGeometry());
    if (m_frames.isShown(key))
        return;
    composeFrame();
    m_input->drawOverlay(picMain);
    if (softCircleRadius > 0 && m_tab != kTabUV)
        drawSoftCircle(picMain, softCircleX, softCircleY, softCircleRadius, currentView().zoom);
    frameShown(key);
}

void Pane::frameShown(const FrameKey& key) {
    m_frames.shown(key);
    emit surfaceChanged();
}

} // namespace vw
