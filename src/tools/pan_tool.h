#pragma once
// The Pan tool: a left-button drag moves the current view's origin with the pointer.

namespace vw {

class Pane;
class ToolFeedback;
struct PointerInput;

void panMove(Pane& pane, ToolFeedback& feedback, const PointerInput& input);

} // namespace vw
