#include "tools/preview_tools.h"

#include "model/editing/history/document.h"
#include "views/pane.h"

#include <utility>

namespace vw {
namespace {

// Raises a flag for the life of a scope.
class Dispatching {
public:
    explicit Dispatching(bool& flag) : m_flag(flag), m_was(std::exchange(flag, true)) {}
    ~Dispatching() { m_flag = m_was; }
    Dispatching(const Dispatching&) = delete;
    Dispatching& operator=(const Dispatching&) = delete;

private:
    bool& m_flag;
    bool m_was;
};

} // namespace

PreviewTools::PreviewTools(Pane& pane, ToolFeedback& feedback, PreviewView& view)
    : m_pane(pane), m_select(pane, view), m_transform(pane, feedback, view) {
    m_subscription = pane.document().subscribe(
        [this](const DocumentChange& change) { documentChanged(change); });
}

bool PreviewTools::actsOnPreview() const {
    const uint8_t tool = m_pane.toolMode;
    return tool == kToolSelect || tool == kToolMove || tool == kToolScale || tool == kToolRotate;
}

void PreviewTools::press(const PreviewPointer& pointer) {
    const Dispatching dispatching(m_dispatching);
    switch (m_pane.toolMode) {
    case kToolSelect:
        m_select.press(pointer);
        break;
    case kToolMove:
        m_transform.press(PreviewTransform::Kind::Move, pointer);
        break;
    case kToolScale:
        m_transform.press(PreviewTransform::Kind::Scale, pointer);
        break;
    case kToolRotate:
        m_transform.press(PreviewTransform::Kind::Rotate, pointer);
        break;
    default:
        break;
    }
}

void PreviewTools::move(const PreviewPointer& pointer) {
    const Dispatching dispatching(m_dispatching);
    m_select.move(pointer);
    m_transform.move(pointer);
}

void PreviewTools::release(const PreviewPointer& pointer) {
    const Dispatching dispatching(m_dispatching);
    m_select.release(pointer);
    m_transform.release();
}

void PreviewTools::key(int key, const QString& text, int modifiers) {
    const Dispatching dispatching(m_dispatching);
    m_transform.key(key, text, modifiers);
}

bool PreviewTools::isDragging() const {
    return m_select.isDragging() || m_transform.isDragging();
}

void PreviewTools::cancel() {
    const Dispatching dispatching(m_dispatching);
    m_select.cancel();
    m_transform.cancel();
}

void PreviewTools::abandon() {
    const Dispatching dispatching(m_dispatching);
    m_select.abandon();
    m_transform.release();
}

void PreviewTools::documentChanged(const DocumentChange&) {
    if (!m_dispatching && isDragging())
        abandon();
}

} // namespace vw
