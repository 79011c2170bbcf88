#include "tools/drag_edit.h"

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

bool beginDragEdit(Pane& pane, const char* label) {
    return beginDragEdit(pane, label, viewFields(pane.currentView()));
}

bool beginDragEdit(Pane& pane, const char* label, uint16_t fields) {
    if (!anySelected(pane.model().curData))
        return true;
    // A refusal reaches the status bar as the document's notice.
    return pane.session().beginDrag(label, fields).ok();
}

} // namespace vw
