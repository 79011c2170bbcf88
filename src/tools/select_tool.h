#pragma once
// The Select tool: picks a vertex mark on a press, drags a rubber band, and selects the box (or
// the point of a click) on the release.

namespace vw {

class Pane;
class ToolFeedback;
struct PointerInput;

// A left-button press at downX, downY.
void selectPress(Pane& pane, const PointerInput& input);
void selectMove(Pane& pane, ToolFeedback& feedback, const PointerInput& input);
// Any button's release; lastX, lastY already hold its position.
void selectRelease(Pane& pane);

} // namespace vw
