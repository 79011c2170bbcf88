#pragma once
// One mouse tool of the pane, behind the interface the event frame (tool_frame.h) hands events
// to. A drag belongs to the button that began it: the tool sees that button's press (the left
// button alone, for every tool here), the moves in between with only that button held, and its
// release; or cancel or abandon when the drag ends any other way. Each tool owns the state of
// its drag; the values the design shares between the pane and the tools stay in the pane.

namespace vw {

class Pane;
class ToolFeedback;
struct PointerInput;

class Tool {
public:
    Tool(Pane& pane, ToolFeedback& feedback) : m_pane(pane), m_feedback(feedback) {}
    virtual ~Tool() = default;
    Tool(const Tool&) = delete;
    Tool& operator=(const Tool&) = delete;

    // Chosen on the palette or by its letter, or any key typed while it is current.
    virtual void choose() {}
    // A drag began, with any button, before the press is handed on.
    virtual void begin() {}
    // A press of the left button alone; downX, downY hold its position.
    virtual void press(const PointerInput&) {}
    // Every pointer move over the surface.
    virtual void move(const PointerInput&) {}
    // The release of the button that began the drag; lastX, lastY hold its position.
    virtual void release(const PointerInput&) {}
    // Esc during the drag: everything the drag changed comes back as it was at the press.
    virtual void cancel() {}
    // Something else took the drag away (another tool, another tab, an edit from elsewhere):
    // what the drag did is kept, and the drag is over.
    virtual void abandon() {}
    // The selection or the selected vertices changed while no drag was under way.
    virtual void selectionChanged() {}

protected:
    Pane& m_pane;
    ToolFeedback& m_feedback;
};

} // namespace vw
