#include "tools/drag_edit.h"

#include "views/pane.h"

namespace vw {

bool beginDragEdit(Pane& pane, const char* label) {
    return beginDragEdit(pane, label, viewFields(pane.currentView()));
}

bool beginDragEdit(Pane& pane, const char* label, uint16_t fields) {
    return pane.session().shown(pane.session().beginDrag(label, fields));
}

} // namespace vw
