#include "tools/drag_edit.h"

#include "tools/tool_feedback.h"
#include "views/pane.h"

namespace vw {
namespace {

bool anySelected(const std::vector<Segment>& data) {
    for (const Segment& segment : data)
        for (const Vertex& vertex : segment.verts)
            if (vertex.selected != 0)
                return true;
    return false;
}

} // namespace

bool beginDragEdit(Pane& pane, ToolFeedback& feedback, const char* label) {
    if (!anySelected(pane.model().curData))
        return true;
    const Result opened =
        pane.document().beginDrag(label, viewFields(pane.currentView()), pane.SelCount);
    if (!opened)
        feedback.showStatus(QString::fromStdString(opened.reason()));
    return opened.ok();
}

} // namespace vw
