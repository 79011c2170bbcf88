#pragma once
// Edge loops and rings with the Select tool: Alt with a left press selects the loop through the
// quad side nearest the pointer, Ctrl with Alt its ring; either replaces the selection, or adds
// to it with Shift. The side is looked for among the visible working vertices, in a plane view
// or in the Preview (where the surface hides what is behind it unless X-ray is on).

#include "preview/preview_input.h"
#include "views/pane_input.h"

class PreviewView;

namespace vw {

class Pane;

// How far from the pointer, in pixels, a quad side is still found.
constexpr double kQuadSideReach = 8;

// A loop or ring press in a plane view, selecting it; false when Alt is not held or no quad
// side is near, and the press is then an ordinary one.
bool selectLoopAt(Pane& pane, const PointerInput& input);
// The same in the Preview.
bool selectLoopAt(Pane& pane, const PreviewPointer& pointer, PreviewView& view);

} // namespace vw
