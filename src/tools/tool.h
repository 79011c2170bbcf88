#pragma once
// One tool of the pane, behind the interface the event frames hand events to: the plane views'
// frame (tool_frame.h) and the Preview's (preview_tools.h) share the same tool objects, so a
// tool's rules are written once for every view. A drag belongs to the button that began it: the
// tool sees that button's press (the left button alone, for every tool here), the moves in
// between with only that button held, and its release; or cancel or abandon when the drag ends
// any other way. Each tool owns the state of its drag and draws its own overlay; the values the
// design shares between the pane and the tools stay in the pane.

#include "preview/preview_input.h"
#include "views/pane_input.h"

class PreviewView;

namespace vw {

class Pane;
class ToolFeedback;

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
    // Esc or a right click during the drag: everything the drag changed comes back as it was at
    // the press.
    virtual void cancel() {}
    // Something else took the drag away (another tool, another tab, an edit from elsewhere):
    // what the drag did is kept, and the drag is over.
    virtual void abandon() {}
    // The selection or the selected vertices changed while no drag was under way.
    virtual void selectionChanged() {}
    // A character typed during the tool's drag, in any view ('\b' Backspace), with the modifier
    // mask; true when the drag took it, so it chooses no tool. Enter is the frames': it ends the
    // drag.
    virtual bool key(char /*character*/, int /*modifiers*/) { return false; }

    // The overlay the tool lays over the plane views on each tick (pane_input.h): its ground,
    // its drawing on picMain, and the numbers it is drawn from.
    virtual OverlayGround overlayGround() const { return OverlayGround::None; }
    virtual void drawOverlay(QImage& /*picMain*/) const {}
    virtual OverlayGeometry overlayGeometry() const { return {}; }

    // The Preview: whether the tool selects or transforms there (otherwise the camera keeps the
    // pointer), then its left-button press, every move and the release, in window pixels.
    virtual bool actsOnPreview() const { return false; }
    virtual void previewPress(const PreviewPointer&, PreviewView&) {}
    virtual void previewMove(const PreviewPointer&, PreviewView&) {}
    virtual void previewRelease(const PreviewPointer&, PreviewView&) {}
    virtual bool isPreviewDragging() const { return false; }

protected:
    Pane& m_pane;
    ToolFeedback& m_feedback;
};

} // namespace vw
