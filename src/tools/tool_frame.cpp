#include "tools/tool_frame.h"

#include "model/editing/history/document.h"
#include "tools/cursor_placing.h"
#include "tools/input_masks.h"
#include "tools/move_tool.h"
#include "tools/pan_tool.h"
#include "tools/rotate_tool.h"
#include "tools/scale_tool.h"
#include "tools/select_tool.h"
#include "tools/soft_radius.h"
#include "tools/transform_tool.h"
#include "tools/view_navigation.h"
#include "tools/zoom_tool.h"
#include "views/key_map.h"
#include "views/pane.h"
#include "views/view_transform.h"

namespace vw {
namespace {

bool showsView(const Pane& pane) {
    return pane.selectedTab() <= kTabUV;
}

} // namespace

ToolFrame::ToolFrame(Pane& pane) : m_pane(pane) {
    m_tools[kToolSelect - 1] = std::make_unique<SelectTool>(pane, feedback);
    m_tools[kToolMove - 1] = std::make_unique<MoveTool>(pane, feedback);
    m_tools[kToolPan - 1] = std::make_unique<PanTool>(pane, feedback);
    m_tools[kToolZoom - 1] = std::make_unique<ZoomTool>(pane, feedback);
    m_tools[kToolScale - 1] = std::make_unique<ScaleTool>(pane, feedback);
    m_tools[kToolRotate - 1] = std::make_unique<RotateTool>(pane, feedback);
    m_subscription = pane.document().subscribe(
        [this](const DocumentChange& change) { documentChanged(change); });
    // Scale's and Rotate's handles stand about the pivot: they follow it, and the cross the cursor.
    m_pivotSubscription = pane.session().subscribePivot([this] {
        if (Tool* tool = currentTool(); tool && !isDragging())
            tool->selectionChanged();
        m_pane.markChanged();
    });
}

ToolFrame::~ToolFrame() = default;

Tool* ToolFrame::currentTool() const {
    if (isModal())
        return m_modal;
    const uint8_t code = m_pane.toolMode;
    return code >= kToolSelect && code <= kToolRotate ? m_tools[code - 1].get() : nullptr;
}

bool ToolFrame::isModal() const {
    return m_modal && m_modal->isModal();
}

bool ToolFrame::beginModal(TransformKind kind) {
    return beginModalAt(kind, nullptr, m_pointer.x, m_pointer.y);
}

bool ToolFrame::beginModal(TransformKind kind, PreviewView& preview, double x, double y) {
    return beginModalAt(kind, &preview, x, y);
}

bool ToolFrame::beginModalAt(TransformKind kind, PreviewView* preview, double x, double y) {
    if (isDragging() || (!preview && !showsView(m_pane)))
        return false;
    if (Tool* tool = currentTool(); tool && tool->isPreviewDragging())
        return false;
    const uint8_t code = kind == TransformKind::Move    ? kToolMove
                         : kind == TransformKind::Scale ? kToolScale
                                                        : kToolRotate;
    auto* tool = static_cast<TransformTool*>(m_tools[code - 1].get());
    const ScopedFlag dispatching(m_dispatching);
    if (!tool->beginModal(x, y, preview))
        return false;
    m_modal = tool;
    m_drag = {};
    m_pane.markChanged();
    return true;
}

void ToolFrame::beginCircle() {
    if (isDragging() || !showsView(m_pane))
        return;
    m_circle.start();
    m_circle.move(m_pointer);
}

bool ToolFrame::circlePress(const PointerInput& input) {
    if (!m_circle.isOn())
        return false;
    if (input.buttons == kRightButton) {
        m_circle.end();
        m_drag = {};
        m_drag.button = input.buttons;
        m_drag.over = true;
    } else if (m_drag.button == 0 &&
               (input.buttons == kLeftButton || input.buttons == kMiddleButton)) {
        m_drag = {};
        m_drag.button = input.buttons;
        m_circle.press(input, CircleSelect::removes(input.buttons, input.modifiers));
    }
    return true;
}

bool ToolFrame::modalPress(const PointerInput& input) {
    if (!isModal())
        return false;
    if (input.buttons == kLeftButton)
        abandonDrag();
    else if (input.buttons == kRightButton)
        cancelDrag();
    else
        return true;
    // The click that ended it is over: its release does nothing.
    m_drag = {};
    m_drag.button = input.buttons;
    m_drag.over = true;
    return true;
}

bool ToolFrame::modalKey(uint16_t keyAscii) {
    if (m_circle.isOn()) {
        if (keyAscii == '\r' || keyAscii == ' ')
            abandonDrag();
        return true;
    }
    if (!isModal())
        return false;
    if (keyAscii == '\r' || keyAscii == ' ') {
        abandonDrag();
        return true;
    }
    const ScopedFlag dispatching(m_dispatching);
    if (keyAscii < 128)
        (void)m_modal->key(char(keyAscii), 0);
    return true;
}

void ToolFrame::press(const PointerInput& input) {
    if (circlePress(input) || modalPress(input))
        return;
    // A right click during a drag cancels it; any other button pressed meanwhile is ignored.
    if (input.buttons == kRightButton && isDragging() && !m_drag.panning) {
        cancelDrag();
        return;
    }
    if (!showsView(m_pane) || m_drag.button != 0)
        return;
    if (input.buttons == kRightButton && input.modifiers == kShiftMask) {
        placeCursorInView(m_pane, input);
        return;
    }
    m_drag = {};
    m_drag.button = input.buttons;
    if (input.buttons == kMiddleButton) {
        m_drag.panning = true;
        m_drag.panFromX = input.x;
        m_drag.panFromY = input.y;
        return;
    }
    m_pane.downX = roundToInt32(input.x);
    m_pane.downY = roundToInt32(input.y);
    Tool* tool = currentTool();
    const ScopedFlag dispatching(m_dispatching);
    if (tool)
        tool->begin();
    if (!isLeftAlone(input.buttons))
        return;
    m_pane.isLeftButton = true;
    if (tool)
        tool->press(input);
}

void ToolFrame::move(const PointerInput& input) {
    if (!showsView(m_pane))
        return;
    m_pointer = input;
    const bool released = m_drag.button != 0 && !(input.buttons & m_drag.button);
    if (m_circle.isOn()) {
        const ScopedFlag dispatching(m_dispatching);
        if (released) {
            m_circle.release();
            m_drag = {};
        }
        m_circle.move(input);
        return;
    }
    // The drag's button is up, but its release never came (another window took the mouse):
    // the drag ends keeping what it did, so the next press starts a new one.
    if (released) {
        abandonDrag();
        m_drag = {};
    }
    if (isModal()) {
        const ScopedFlag dispatching(m_dispatching);
        m_modal->modalMove(input.x, input.y, input.modifiers);
        showSoftCircle(m_pane, input, true);
        return;
    }
    if (m_drag.panning) {
        if (!m_drag.over) {
            panViewBy(m_pane, input.x - m_drag.panFromX, input.y - m_drag.panFromY);
            m_drag.panFromX = input.x;
            m_drag.panFromY = input.y;
        }
        return;
    }
    PointerInput seen = input;
    // A drag that is over acts no more while its button is still held.
    if (m_drag.over)
        seen.buttons = 0;
    Tool* tool = currentTool();
    if (!tool) {
        m_pane.isChanged = false;
        return;
    }
    const ScopedFlag dispatching(m_dispatching);
    tool->move(seen);
    showSoftCircle(m_pane, input, isDragging() && m_drag.button == kLeftButton);
}

void ToolFrame::release(const PointerInput& input) {
    if (m_drag.button == 0 || input.buttons != m_drag.button)
        return;
    if (m_circle.isOn()) {
        const ScopedFlag dispatching(m_dispatching);
        m_circle.release();
        m_drag = {};
        return;
    }
    const Drag drag = m_drag;
    m_drag = {};
    if (drag.panning || drag.over || !showsView(m_pane))
        return;
    m_pane.lastX = roundToInt32(input.x);
    m_pane.lastY = roundToInt32(input.y);
    m_pane.isLeftButton = false;
    {
        const ScopedFlag dispatching(m_dispatching);
        if (Tool* tool = currentTool())
            tool->release(input);
    }
    m_pane.isOnRotater = false;
    showSoftCircle(m_pane, input, false);
}

void ToolFrame::cancelDrag() {
    endDrag(false);
}

void ToolFrame::abandonDrag() {
    endDrag(true);
}

void ToolFrame::endDrag(bool keep) {
    if (!isDragging())
        return;
    if (m_circle.isOn()) {
        const ScopedFlag dispatching(m_dispatching);
        if (!keep)
            m_circle.cancel();
        m_circle.end();
        m_drag.over = true;
        return;
    }
    m_drag.over = true;
    if (!m_drag.panning) {
        const ScopedFlag dispatching(m_dispatching);
        if (Tool* tool = currentTool()) {
            if (keep)
                tool->abandon();
            else
                tool->cancel();
        }
    }
    m_pane.isLeftButton = false;
    m_pane.isOnRotater = false;
    m_pane.softCircleRadius = 0;
    m_pane.markChanged();
}

void ToolFrame::documentChanged(const DocumentChange& change) {
    if (m_dispatching)
        return;
    if (Tool* tool = currentTool(); tool && tool->isPreviewDragging()) {
        const ScopedFlag dispatching(m_dispatching);
        tool->abandon();
        return;
    }
    if (isDragging() && !m_drag.panning) {
        abandonDrag();
        return;
    }
    if (change.selection || change.workingData || change.model || !change.vertices.empty()) {
        const ScopedFlag dispatching(m_dispatching);
        if (Tool* tool = currentTool())
            tool->selectionChanged();
    }
}

void ToolFrame::keyPress(uint16_t keyAscii) {
    if (modalKey(keyAscii))
        return;
    if (isDragging() && !m_drag.panning && keyAscii < 128) {
        // Enter ends a transform drag keeping what it did; its keys (axes, a typed amount) are
        // the drag's, not tool letters.
        if (keyAscii == '\r' && isTransformTool(m_pane.toolMode)) {
            abandonDrag();
            return;
        }
        const ScopedFlag dispatching(m_dispatching);
        if (Tool* tool = currentTool(); tool && tool->key(char(keyAscii), 0))
            return;
    }
    const uint8_t letter = keyAscii < 128 ? toolCodeForLetter(m_pane.keyMap, char(keyAscii)) : 0;
    chooseTool(letter != 0 ? letter : m_pane.toolMode);
}

void ToolFrame::wheel(const PointerInput& input, int notches) {
    if (m_circle.isOn()) {
        m_circle.wheel(notches);
        m_circle.move(input);
        return;
    }
    // During a soft drag the wheel sizes the radius instead.
    if (isDragging() && !m_drag.panning && dragsSoftly(m_pane)) {
        changeSoftRadius(notches);
        return;
    }
    wheelZoomAt(m_pane, input.x, input.y, notches);
}

OverlayGround ToolFrame::overlayGround() const {
    if (m_circle.isOn())
        return m_circle.overlayGround();
    const Tool* tool = currentTool();
    return tool ? tool->overlayGround() : OverlayGround::None;
}

void ToolFrame::drawOverlay(QImage& picMain) const {
    if (m_circle.isOn()) {
        m_circle.drawOverlay(picMain);
        return;
    }
    if (const Tool* tool = currentTool())
        tool->drawOverlay(picMain);
}

OverlayGeometry ToolFrame::overlayGeometry() const {
    if (m_circle.isOn())
        return m_circle.overlayGeometry();
    const Tool* tool = currentTool();
    return tool ? tool->overlayGeometry() : OverlayGeometry{};
}

void ToolFrame::changeSoftRadius(int steps) {
    // The drag under way follows the new radius as one of its own steps.
    const ScopedFlag dispatching(m_dispatching);
    vw::changeSoftRadius(m_pane, steps);
}

void ToolFrame::toolButtonClicked(int code) {
    if (code < kToolSelect || code > kToolRotate)
        return;
    chooseTool(uint8_t(code));
}

void ToolFrame::chooseTool(uint8_t code) {
    if (code != m_pane.toolMode)
        abandonDrag();
    m_pane.toolMode = code;
    m_pane.pressTool(code);
    const ScopedFlag dispatching(m_dispatching);
    if (Tool* tool = currentTool())
        tool->choose();
}

} // namespace vw
