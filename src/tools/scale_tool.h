#pragma once
// The Scale tool: eight handles on the selection's box, found by their colours, move the box's
// edges; every step maps the selected vertices from the old box onto the new one.

namespace vw {

class Pane;
class ToolFeedback;
struct PointerInput;

// A left-button press at downX, downY: grabs the handle under it, or nothing.
void scalePress(Pane& pane);
// Any pointer move: with the left button alone, moves the grabbed edges to the pointer, maps
// the selected vertices into the new box and commits.
void scaleMove(Pane& pane, ToolFeedback& feedback, const PointerInput& input);

} // namespace vw
