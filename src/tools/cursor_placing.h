#pragma once
// Shift with a right click places the 3D cursor: on the vertex under the pointer, else, in the
// Preview, on the surface drawn there, and in a plane view at the pointer (the view's two
// coordinates; the third as the cursor had it).

#include "preview/preview_input.h"
#include "views/pane_input.h"

class PreviewView;

namespace vw {

class Pane;

// A plane view's pointer position (twips); nothing on the UV tab or the Preview's.
void placeCursorInView(Pane& pane, const PointerInput& input);
// The Preview's pointer (window pixels); false where neither a vertex nor the surface is.
bool placeCursorInPreview(Pane& pane, PreviewView& view, const PreviewPointer& pointer);

} // namespace vw
