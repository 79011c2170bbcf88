#include "tools/preview_tools.h"

#include "model/editing/history/document.h"
#include "preview/preview_view.h"
#include "tools/soft_radius.h"
#include "tools/tool_frame.h"
#include "views/pane.h"

namespace vw {

PreviewTools::PreviewTools(Pane& pane, ToolFrame& tools, PreviewView& view)
    : m_pane(pane), m_tools(tools), m_view(view) {
    m_subscription = pane.document().subscribe(
        [this](const DocumentChange& change) { documentChanged(change); });
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
    const ScopedFlag dispatching(m_dispatching);
    if (Tool* tool = m_tools.currentTool(); tool && tool->actsOnPreview())
        tool->previewPress(pointer, m_view);
    showSoftCircle(pointer);
}

void PreviewTools::move(const PreviewPointer& pointer) {
    const ScopedFlag dispatching(m_dispatching);
    if (Tool* tool = dragging())
        tool->previewMove(pointer, m_view);
    showSoftCircle(pointer);
}

void PreviewTools::release(const PreviewPointer& pointer) {
    const ScopedFlag dispatching(m_dispatching);
    if (Tool* tool = dragging())
        tool->previewRelease(pointer, m_view);
    m_view.setSoftCircle(std::nullopt);
}

void PreviewTools::key(int key, const QString& text, int modifiers) {
    const ScopedFlag dispatching(m_dispatching);
    Tool* tool = dragging();
    if (!tool)
        return;
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        abandon();
    } else if (key == Qt::Key_PageUp || key == Qt::Key_PageDown) {
        changeSoftRadius(m_pane, key == Qt::Key_PageUp ? 1 : -1);
    } else if (text.size() == 1 && text[0].unicode() < 128) {
        (void)tool->key(char(text[0].unicode()), modifiers);
    }
}

bool PreviewTools::wheel(int notches) {
    if (!dragging() || !dragsSoftly(m_pane))
        return false;
    const ScopedFlag dispatching(m_dispatching);
    changeSoftRadius(m_pane, notches);
    return true;
}

void PreviewTools::showSoftCircle(const PreviewPointer& pointer) {
    if (!dragging() || !dragsSoftly(m_pane)) {
        m_view.setSoftCircle(std::nullopt);
        return;
    }
    const OrbitCamera& camera = m_view.scene().camera();
    const double radius = m_pane.session().aids().options().softRadius / camera.unitsPerPixel();
    m_view.setSoftCircle(PreviewView::SoftCircle{QPointF(pointer.x, pointer.y), radius});
}

bool PreviewTools::isDragging() const {
    return dragging() != nullptr;
}

void PreviewTools::cancel() {
    const ScopedFlag dispatching(m_dispatching);
    if (Tool* tool = dragging())
        tool->cancel();
    m_view.setSoftCircle(std::nullopt);
}

void PreviewTools::abandon() {
    const ScopedFlag dispatching(m_dispatching);
    if (Tool* tool = dragging())
        tool->abandon();
    m_view.setSoftCircle(std::nullopt);
}

void PreviewTools::documentChanged(const DocumentChange&) {
    if (!m_dispatching && isDragging())
        abandon();
}

} // namespace vw
