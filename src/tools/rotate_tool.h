#pragma once
// The Rotate tool: a press on the rotate handle takes a snapshot of the working data; each move
// turns the selected vertices from that snapshot by the pointer's angle about the centre, and
// the release commits.

namespace vw {

class Pane;
class ToolFeedback;
struct PointerInput;

// A left-button press at downX, downY: starts a rotation when it lands on the handle.
void rotatePress(Pane& pane);
// Any pointer move during a rotation: moves the handle, shows the angle and turns the selection.
void rotateMove(Pane& pane, ToolFeedback& feedback, const PointerInput& input);
// Any button's release: writes the working data back, rotated or not.
void rotateRelease(Pane& pane);

} // namespace vw
