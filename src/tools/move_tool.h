#pragma once
// The Move tool.

#include "model/editing/working_data.h"

namespace vw {

class Pane;
class ToolFeedback;
struct Model;
struct PointerInput;

// One pointer move while Move is the tool: with the left button alone and a selection, moves
// the selected vertices by the step from downX, downY along the view's two axes and commits.
void moveStep(Pane& pane, ToolFeedback& feedback, const PointerInput& input);

// An arrow key: moves the selected working vertices by (dx, dy) pixels' worth of model units
// along the view's two axes, as one undoable edit. An edit the file could not keep is refused,
// the status text saying why.
void nudgeSelection(Pane& pane, ToolFeedback& feedback, int dx, int dy);

} // namespace vw
