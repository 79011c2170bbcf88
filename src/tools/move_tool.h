#pragma once
// The Move tool, and the write-back of the working data that every editor of it uses.

namespace vw {

class Pane;
class ToolFeedback;
struct Model;
struct PointerInput;

// Writes curData back where setCurData took it from: the whole of part curPart (curSeg 0), or
// its segment curSeg - 1 from curData's only record. A deep copy; selection flags included.
// A curPart or curSeg the model lacks writes nothing.
void commitCurData(Model& model);

// One pointer move while Move is the tool: with the left button alone and a selection, moves
// the selected vertices by the step from downX, downY along the view's two axes and commits.
void moveStep(Pane& pane, ToolFeedback& feedback, const PointerInput& input);

} // namespace vw
