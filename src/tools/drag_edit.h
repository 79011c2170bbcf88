#pragma once
// What Move, Scale and Rotate share: the drag's one edit of the document.

#include "views/view_params.h"

#include <cstdint>

namespace vw {

class Pane;

// The vertex fields a tool writes on this view: its two axes.
inline uint16_t viewFields(const ViewParams& view) {
    return uint16_t((1u << view.axisH) | (1u << view.axisV));
}

// Opens the document's edit for a drag of the selection on the current view, labelled as given
// ("Move %n"). Nothing is opened while no working vertex is selected. Returns false when the
// file could not keep the edit: the document's notice then says why, and the drag must change
// nothing.
bool beginDragEdit(Pane& pane, const char* label);
// The same for the given vertex fields, where no plane view says which.
bool beginDragEdit(Pane& pane, const char* label, uint16_t fields);

} // namespace vw
