#pragma once
// The soft selection's radius as the pane shows and changes it: a circle around the pointer
// while Move, Scale or Rotate drags with soft selection on, resized by the wheel during the drag
// or by PageUp and PageDown.

#include "views/pane_input.h"

namespace vw {

class Pane;

// Whether a drag of the current tool uses the soft selection.
bool dragsSoftly(Pane& pane);

// Multiplies the radius by 1.25 per step (steps > 0) or divides it by as much (steps < 0); a
// drag under way follows at once.
void changeSoftRadius(Pane& pane, int steps);

// Shows the radius around the pointer while a soft drag is under way, and hides it otherwise.
void showSoftCircle(Pane& pane, const PointerInput& pointer, bool dragging);

} // namespace vw
