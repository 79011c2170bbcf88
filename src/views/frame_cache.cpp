#include "views/frame_cache.h"

#include "views/pane.h"

#include <bit>

namespace vw {

FrameKey FrameCache::full() const {
    FrameKey key;
    key.kind = FrameKey::Full;
    key.content = m_content;
    key.background = m_background.generation();
    key.tab = m_pane.selectedTab();
    key.size = m_pane.picMain.size();
    if (key.tab != kTabPreview)
        key.view = m_pane.currentView();
    if (key.tab == kTabUV)
        key.imageMap = m_pane.picMap.cacheKey();
    return key;
}

FrameKey FrameCache::overLastFrame(const OverlayGeometry& geometry) const {
    FrameKey key;
    key.kind = FrameKey::Band;
    key.buffer = m_buffer;
    key.size = m_pane.picMain.size();
    key.geometry = geometry;
    return key;
}

FrameKey FrameCache::overNewFrame(const OverlayGeometry& geometry) const {
    FrameKey key;
    key.kind = FrameKey::Overlay;
    key.content = m_content;
    key.background = m_background.version();
    key.tab = m_pane.selectedTab();
    key.view = m_pane.currentView();
    key.size = m_pane.picMain.size();
    key.tool = m_pane.toolMode;
    key.geometry = geometry;
    for (size_t i = 0;
         const float value : {m_pane.softCircleX, m_pane.softCircleY, m_pane.softCircleRadius})
        key.softCircle[i++] = std::bit_cast<uint32_t>(value);
    return key;
}

} // namespace vw
