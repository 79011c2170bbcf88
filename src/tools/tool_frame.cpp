#include "tools/tool_frame.h"

#include "model/editing/edit_limits.h"
#include "tools/input_masks.h"
#include "tools/move_tool.h"
#include "tools/pan_tool.h"
#include "tools/rotate_tool.h"
#include "tools/scale_tool.h"
#include "tools/select_tool.h"
#include "tools/view_navigation.h"
#include "tools/zoom_tool.h"
#include "views/pane.h"
#include "views/view_transform.h"

#include <array>

namespace vw {
namespace {

bool showsView(const Pane& pane) {
    return pane.selectedTab() <= kTabUV;
}

bool isEditingTool(uint8_t toolMode) {
    return toolMode == kToolMove || toolMode == kToolScale || toolMode == kToolRotate;
}

const char* editLabel(uint8_t toolMode) {
    switch (toolMode) {
    case kToolMove:
        return "Move %n";
    case kToolScale:
        return "Scale %n";
    default:
        return "Rotate %n";
    }
}

bool anySelected(const std::vector<Segment>& data) {
    for (const Segment& segment : data)
        for (const Vertex& vertex : segment.verts)
            if (vertex.selected != 0)
                return true;
    return false;
}

struct ToolLetter {
    char letter;
    uint8_t code;
};

// Compared in this order; the first match wins.
constexpr std::array<ToolLetter, 12> toolLetters{{
    {'s', kToolSelect},
    {'S', kToolSelect},
    {'v', kToolMove},
    {'V', kToolMove},
    {'a', kToolPan},
    {'A', kToolPan},
    {'z', kToolZoom},
    {'Z', kToolZoom},
    {'c', kToolScale},
    {'C', kToolScale},
    {'r', kToolRotate},
    {'R', kToolRotate},
}};

} // namespace

ToolFrame::ToolFrame(Pane& pane) : m_pane(pane) {}

void ToolFrame::press(const PointerInput& input) {
    if (!showsView(m_pane))
        return;
    if (input.buttons == kMiddleButton) {
        m_panning = true;
        m_panFromX = input.x;
        m_panFromY = input.y;
        return;
    }
    m_pane.downX = roundToInt32(input.x);
    m_pane.downY = roundToInt32(input.y);
    if (!isLeftAlone(input.buttons))
        return;
    m_pane.isLeftButton = true;
    beginDrag();
    switch (m_pane.toolMode) {
    case kToolSelect:
        selectPress(m_pane, input);
        break;
    case kToolScale:
        if (!isDragRefused())
            scalePress(m_pane);
        break;
    case kToolRotate:
        if (!isDragRefused())
            rotatePress(m_pane, m_rotateDrag);
        break;
    default:
        break;
    }
}

void ToolFrame::move(const PointerInput& input) {
    if (!showsView(m_pane))
        return;
    if (m_panning) {
        panViewBy(m_pane, input.x - m_panFromX, input.y - m_panFromY);
        m_panFromX = input.x;
        m_panFromY = input.y;
        return;
    }
    if (isDragRefused() && isEditingTool(m_pane.toolMode))
        return;
    switch (m_pane.toolMode) {
    case kToolSelect:
        selectMove(m_pane, feedback, input);
        break;
    case kToolMove:
        moveStep(m_pane, feedback, input);
        break;
    case kToolPan:
        panMove(m_pane, feedback, input);
        break;
    case kToolZoom:
        zoomMove(m_pane, feedback, input);
        break;
    case kToolScale:
        scaleMove(m_pane, feedback, input);
        break;
    case kToolRotate:
        rotateMove(m_pane, m_rotateDrag, feedback, input);
        break;
    default:
        m_pane.isChanged = false;
        break;
    }
}

void ToolFrame::release(const PointerInput& input) {
    if (!showsView(m_pane))
        return;
    if (m_panning) {
        m_panning = input.buttons != kMiddleButton;
        return;
    }
    m_pane.lastX = roundToInt32(input.x);
    m_pane.lastY = roundToInt32(input.y);
    m_pane.isLeftButton = false;
    switch (m_pane.toolMode) {
    case kToolSelect:
        selectRelease(m_pane);
        break;
    case kToolZoom:
        zoomRelease(m_pane, input);
        break;
    case kToolRotate:
        if (!isDragRefused())
            rotateRelease(m_pane);
        break;
    default:
        break;
    }
    m_pane.isOnRotater = false;
    endDrag();
}

void ToolFrame::beginDrag() {
    m_refusal.clear();
    if (!isEditingTool(m_pane.toolMode) || !anySelected(m_pane.model().curData))
        return;
    const ViewParams& view = m_pane.currentView();
    const auto fields = uint16_t((1u << view.axisH) | (1u << view.axisV));
    m_refusal = editRefusal(m_pane.model(), fields);
    if (isDragRefused()) {
        feedback.showStatus(QString::fromStdString(m_refusal));
        return;
    }
    m_pane.document().beginEdit(editLabel(m_pane.toolMode), m_pane.SelCount);
}

void ToolFrame::endDrag() {
    m_refusal.clear();
    m_pane.document().endEdit();
}

void ToolFrame::keyPress(uint16_t keyAscii) {
    for (const ToolLetter& entry : toolLetters) {
        if (keyAscii == uint8_t(entry.letter)) {
            m_pane.toolMode = entry.code;
            break;
        }
    }
    m_pane.pressTool(m_pane.toolMode);
    prepareTool();
}

void ToolFrame::wheel(const PointerInput& input, int notches) {
    wheelZoomAt(m_pane, input.x, input.y, notches);
}

void ToolFrame::toolButtonClicked(int code) {
    if (code < kToolSelect || code > kToolRotate)
        return;
    m_pane.toolMode = uint8_t(code);
    m_pane.pressTool(code);
    prepareTool();
}

void ToolFrame::prepareTool() {
    if (m_pane.toolMode == kToolScale)
        m_pane.SetScaleValues();
    if (m_pane.toolMode == kToolRotate)
        m_pane.SetRotateValues();
}

} // namespace vw
