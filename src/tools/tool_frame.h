#pragma once
// The one frame every pointer event of the drawing surface passes: the Preview guard, the press
// position, the left-button flag and the release order, before the current tool acts. Also the
// two ways of choosing a tool: the palette's buttons and the tool letters.

#include "tools/rotate_tool.h"
#include "tools/tool_feedback.h"
#include "views/pane_input.h"

#include <string>

namespace vw {

class Pane;

// A middle-button drag pans the view and the wheel zooms it, with any tool and leaving toolMode
// alone; every other event takes the designed road to the current tool.
class ToolFrame : public PaneInput {
public:
    explicit ToolFrame(Pane& pane);

    void press(const PointerInput& input) override;
    void move(const PointerInput& input) override;
    void release(const PointerInput& input) override;
    // A typed character: a tool letter ("s", "v", "a", "z", "c", "r", either case) chooses its
    // tool, enabled or not; every key presses the current tool's button and re-prepares Scale
    // or Rotate while one of them is current.
    void keyPress(uint16_t keyAscii) override;
    // The wheel zooms about the pointer, whatever the tool.
    void wheel(const PointerInput& input, int notches) override;

    // A click on the palette's button for the tool with this code (1 to 6).
    void toolButtonClicked(int code);

    // Pointer shape and status text, for the window side.
    ToolFeedback feedback;

private:
    void prepareTool();
    // A Move, Scale or Rotate press opens one edit of the document for the whole drag, unless
    // the file could not keep it: then the drag does nothing and the status bar says why.
    void beginDrag();
    void endDrag();
    bool isDragRefused() const { return !m_refusal.empty(); }

    Pane& m_pane;
    RotateDrag m_rotateDrag;
    std::string m_refusal;
    // A middle-button drag pans the view with any tool, from this pane position.
    bool m_panning = false;
    float m_panFromX = 0, m_panFromY = 0;
};

} // namespace vw
