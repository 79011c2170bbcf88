// The refresh tick and how it tells whether its frame would show anything new.

#include "views/pane.h"

#include <bit>

namespace vw {

void Pane::tmeRefresher_Timer() {
    const bool bandTool = toolMode == kToolSelect || toolMode == kToolZoom;
    const bool overlayTool = isTransformTool(toolMode);
    if (bandTool && isLeftButton) {
        const FrameKey key = bandKey();
        if (key == m_shown)
            return;
        drawRubberBand();
        frameShown(key);
    } else if (overlayTool && m_tab != kTabPreview) {
        // The view or the shown segments may have changed under the tool: the background
        // follows before the working data is laid over it.
        if (backKey() != m_backDrawn)
            drawBackground();
        const FrameKey key = overlayKey();
        if (key == m_shown)
            return;
        composeFrame();
        if (toolMode == kToolScale)
            drawScaleBox();
        else if (toolMode == kToolRotate)
            drawRotateHandle();
        if (softCircleRadius > 0 && m_tab != kTabUV)
            drawSoftCircle();
        frameShown(key);
    } else if (isChanged && fullKey() != m_shown) {
        RefreshEbo();
    }
}

void Pane::frameShown(const FrameKey& key) {
    m_shown = key;
    emit surfaceChanged();
}

Pane::BackKey Pane::backKey() const {
    BackKey key;
    key.tab = m_tab;
    key.view = currentView();
    key.size = picBack.size();
    key.background = m_backgroundGeneration;
    if (m_tab == kTabUV)
        key.imageMap = picMap.cacheKey();
    return key;
}

Pane::FrameKey Pane::fullKey() const {
    FrameKey key;
    key.kind = FrameKey::Full;
    key.content = m_contentGeneration;
    key.background = m_backgroundGeneration;
    key.tab = m_tab;
    key.size = picMain.size();
    if (m_tab != kTabPreview)
        key.view = currentView();
    if (m_tab == kTabUV)
        key.imageMap = picMap.cacheKey();
    return key;
}

Pane::FrameKey Pane::bandKey() const {
    FrameKey key;
    key.kind = FrameKey::Band;
    key.buffer = m_bufferVersion;
    key.size = picMain.size();
    key.geometry = {static_cast<uint32_t>(downX), static_cast<uint32_t>(downY),
                    static_cast<uint32_t>(lastX), static_cast<uint32_t>(lastY)};
    return key;
}

Pane::FrameKey Pane::overlayKey() const {
    FrameKey key;
    key.kind = FrameKey::Overlay;
    key.content = m_contentGeneration;
    key.background = m_backVersion;
    key.tab = m_tab;
    key.view = currentView();
    key.size = picMain.size();
    key.tool = toolMode;
    if (toolMode == kToolScale || toolMode == kToolRotate) {
        for (size_t i = 0; const float value : {selLeft, selTop, selRight, selBottom, rotCenterH,
                                                rotCenterV, rotHandleH, rotHandleV})
            key.geometry[i++] = std::bit_cast<uint32_t>(value);
    }
    for (size_t i = 0; const float value : {softCircleX, softCircleY, softCircleRadius})
        key.softCircle[i++] = std::bit_cast<uint32_t>(value);
    return key;
}

} // namespace vw
