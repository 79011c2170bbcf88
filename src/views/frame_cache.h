#pragma once
// What the frame on picMain was made from, so that a tick whose frame would come out the same as
// the one shown does nothing: it never redraws, recomposes or repaints when nothing it would draw
// from has changed since that frame was made. The pane notices by itself changes of the views,
// the tab, the size, the image map, the tool and its overlay, every press, release, key press and
// drag move that reaches it through its entry points, and every change its document announces.
// A tick that composes over the background redraws the background first when the view, the tab,
// the size or the shown segments changed since it was drawn (pane_background.h).

#include "views/pane_input.h"
#include "views/view_params.h"

#include <QSize>

#include <array>
#include <cstdint>

namespace vw {

class Pane;
class PaneBackground;

struct FrameKey {
    enum Kind : uint8_t { None, Full, Composed, Band, Overlay } kind = None;
    uint64_t content = 0;
    uint64_t background = 0;
    uint64_t buffer = 0;
    int tab = 0;
    ViewParams view{};
    QSize size;
    qint64 imageMap = 0;
    uint8_t tool = 0;
    OverlayGeometry geometry{}; // the tool's overlay, bit for bit
    std::array<uint32_t, 3> softCircle{};
    bool operator==(const FrameKey&) const = default;
};

class FrameCache {
public:
    FrameCache(const Pane& pane, const PaneBackground& background)
        : m_pane(pane), m_background(background) {}

    // Something drawn from the model, the session or the pointer changed.
    void contentChanged() { ++m_content; }
    // picBuff was composed anew.
    void bufferComposed() { ++m_buffer; }

    // The keys of a full redraw, of an overlay over the last composed frame, and of an overlay
    // over a frame composed anew.
    FrameKey full() const;
    FrameKey overLastFrame(const OverlayGeometry& geometry) const;
    FrameKey overNewFrame(const OverlayGeometry& geometry) const;

    bool isShown(const FrameKey& key) const { return key == m_shown; }
    void shown(const FrameKey& key) { m_shown = key; }

private:
    const Pane& m_pane;
    const PaneBackground& m_background;
    uint64_t m_content = 1;
    uint64_t m_buffer = 0;
    FrameKey m_shown;
};

} // namespace vw
