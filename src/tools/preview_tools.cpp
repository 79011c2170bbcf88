#include "tools/preview_tools.h"

#include "preview/preview_view.h"
#include "tools/circle_select.h"
#include "tools/cursor_placing.h"
#include "tools/soft_radius.h"
#include "tools/tool_frame.h"
#include "views/pane.h"

namespace vw {

PreviewTools::PreviewTools(Pane& pane, ToolFrame& tools, PreviewView& view)
    : m_pane(pane), m_tools(tools), m_view(view) {
    const auto showCursor = [this] {
        const std::optional<ModelPoint>& at = m_pane.session().pivotMarks().cursor;
        m_view.setCursorMark(at ? std::optional(Vec3{(*at)[0], -(*at)[1], (*at)[2]})
                                : std::nullopt);
    };
    m_pivotSubscription = m_pane.session().subscribePivot(showCursor);
    showCursor();
}

Tool* PreviewTools::dragging() const {
    Tool* tool = m_tools.currentTool();
    return tool && tool->isPreviewDragging() ? tool : nullptr;
}

bool PreviewTools::actsOnPreview() const {
    const Tool* tool = m_tools.currentTool();
    return tool && tool->actsOnPreview();
}

void PreviewTools::press(const PreviewPointer& pointer) {
    const ScopedFlag acting = m_tools.acting();
    m_pointer = pointer;
    if (Tool* tool = m_tools.currentTool(); tool && tool->actsOnPreview())
        tool->previewPress(pointer, m_view);
}

void PreviewTools::move(const PreviewPointer& pointer) {
    const ScopedFlag acting = m_tools.acting();
    m_pointer = pointer;
    if (CircleSelect& circle = m_tools.circle(); circle.isOn())
        circle.previewMove(pointer, m_view);
    else if (Tool* tool = dragging())
        tool->previewMove(pointer, m_view);
}

void PreviewTools::release(const PreviewPointer& pointer) {
    const ScopedFlag acting = m_tools.acting();
    if (Tool* tool = dragging())
        tool->previewRelease(pointer, m_view);
}

void PreviewTools::key(int key, const QString& text, int modifiers) {
    const ScopedFlag acting = m_tools.acting();
    if (m_tools.circle().isOn()) {
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space)
            m_tools.circle().end();
        return;
    }
    Tool* tool = dragging();
    if (!tool)
        return;
    if (key == Qt::Key_Return || key == Qt::Key_Enter ||
        (key == Qt::Key_Space && m_tools.isModal())) {
        abandon();
    } else if (key == Qt::Key_PageUp || key == Qt::Key_PageDown) {
        changeSoftRadius(m_pane, key == Qt::Key_PageUp ? 1 : -1);
        tool->previewMove(m_pointer, m_view);
    } else if (text.size() == 1 && text[0].unicode() < 128) {
        (void)tool->key(char(text[0].unicode()), modifiers);
    }
}

bool PreviewTools::wheel(int notches) {
    if (CircleSelect& circle = m_tools.circle(); circle.isOn()) {
        circle.wheel(notches);
        circle.previewMove(m_pointer, m_view);
        return true;
    }
    Tool* tool = dragging();
    if (!tool || !dragsSoftly(m_pane))
        return false;
    const ScopedFlag acting = m_tools.acting();
    changeSoftRadius(m_pane, notches);
    // The same place again, for the circle's new size.
    tool->previewMove(m_pointer, m_view);
    return true;
}

bool PreviewTools::beginModal(TransformKind kind) {
    return m_tools.beginModal(kind, m_view, m_pointer.x, m_pointer.y);
}

void PreviewTools::beginCircle() {
    if (isDragging())
        return;
    m_tools.circle().start();
    m_tools.circle().previewMove(m_pointer, m_view);
}

void PreviewTools::modalPress(const PreviewPointer& pointer, int button) {
    const ScopedFlag acting = m_tools.acting();
    m_pointer = pointer;
    if (CircleSelect& circle = m_tools.circle(); circle.isOn()) {
        if (button == kRightButton)
            circle.end();
        else if (button == kLeftButton || button == kMiddleButton)
            circle.previewPress(pointer, m_view, CircleSelect::removes(button, pointer.modifiers));
    } else if (button == kLeftButton) {
        abandon();
    } else if (button == kRightButton) {
        cancel();
    }
}

void PreviewTools::modalRelease(const PreviewPointer& pointer) {
    const ScopedFlag acting = m_tools.acting();
    if (CircleSelect& circle = m_tools.circle(); circle.isOn())
        circle.previewRelease(pointer, m_view);
}

bool PreviewTools::isDragging() const {
    return m_tools.circle().isOn() || dragging() != nullptr;
}

void PreviewTools::cancel() {
    const ScopedFlag acting = m_tools.acting();
    if (CircleSelect& circle = m_tools.circle(); circle.isOn()) {
        circle.cancel();
        circle.end();
    } else if (Tool* tool = dragging()) {
        tool->cancel();
    }
}

bool PreviewTools::placeCursor(const PreviewPointer& pointer) {
    return !isDragging() && placeCursorInPreview(m_pane, m_view, pointer);
}

void PreviewTools::abandon() {
    const ScopedFlag acting = m_tools.acting();
    if (CircleSelect& circle = m_tools.circle(); circle.isOn())
        circle.end();
    else if (Tool* tool = dragging())
        tool->abandon();
}

} // namespace vw
