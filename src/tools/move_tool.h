#pragma once
// The Move tool.

#include "model/working_data.h"

namespace vw {

class Pane;
class ToolFeedback;
struct Model;
struct PointerInput;

// One pointer move while Move is the tool: with the left button alone and a selection, moves
// the selected vertices by the step from downX, downY along the view's two axes and commits.
void moveStep(Pane& pane, ToolFeedback& feedback, const PointerInput& input);

} // namespace vw
