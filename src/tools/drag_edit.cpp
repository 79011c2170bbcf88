#include "tools/drag_edit.h"

#include "views/pane.h"

namespace vw {

bool beginDragEdit(Pane& pane, const char* label) {
    return beginDragEdit(pane, label, viewFields(pane.currentView()));
}

bool beginDragEdit(Pane& pane, const char* label, uint16_t fields) {
    // A refusal reaches the status bar as the document's notice.
    return pane.session().beginDrag(label, fields).ok();
}

} // namespace vw
