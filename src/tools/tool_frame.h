#pragma once
// The one frame every pointer event of the drawing surface passes: the Preview guard, the press
// position, the left-button flag and the release order, before the current tool acts. A drag
// belongs to the button that began it: other buttons pressed meanwhile are ignored, and only
// that button's release ends it. Also the two ways of choosing a tool: the palette's buttons
// and the tool letters.

#include "model/editing/exact_transform.h"
#include "model/signal.h"
#include "tools/circle_select.h"
#include "tools/tool.h"
#include "tools/tool_feedback.h"
#include "views/pane_input.h"

#include <array>
#include <memory>

namespace vw {

class Pane;
class TransformTool;
struct DocumentChange;

// A middle-button drag pans the view and the wheel zooms it, with any tool and leaving toolMode
// alone; every other event takes the designed road to the current tool.
class ToolFrame : public PaneInput {
public:
    explicit ToolFrame(Pane& pane);
    ~ToolFrame() override;

    void press(const PointerInput& input) override;
    void move(const PointerInput& input) override;
    void release(const PointerInput& input) override;
    // A typed character: a tool letter of the key map (the designed "s", "v", "a", "z", "c",
    // "r", either case) chooses its tool, enabled or not; every key presses the current tool's
    // button and re-prepares Scale or Rotate while one of them is current. A drag under way is
    // ended first, keeping what it did, when the tool changes. During a drag of Move, Scale or
    // Rotate the drag's own keys come first: X, Y, Z, a typed amount, Backspace, and Enter, which
    // ends it (Space too, for a modal drag).
    void keyPress(uint16_t keyAscii) override;
    // The wheel zooms about the pointer, whatever the tool; during a soft drag of Move, Scale or
    // Rotate it sizes the soft radius.
    void wheel(const PointerInput& input, int notches) override;
    // The current tool's overlay; none without a tool.
    OverlayGround overlayGround() const override;
    void drawOverlay(QImage& picMain) const override;
    OverlayGeometry overlayGeometry() const override;

    // PageUp and PageDown, and the wheel during a soft drag: grows or shrinks the soft radius
    // (soft_radius.h), keeping the drag under way.
    void changeSoftRadius(int steps);

    // A click on the palette's button for the tool with this code (1 to 6).
    void toolButtonClicked(int code);

    // Whether a drag is under way: from its press to its button's release, a modal drag, or
    // circle select.
    bool isDragging() const {
        return isModal() || m_circle.isOn() || (m_drag.button != 0 && !m_drag.over);
    }

    // The Blender map's G, S and R: a modal Move, Scale or Rotate begun at the pointer, in the
    // plane view shown (where the pointer last was) or in the Preview given at (x, y). The
    // pointer alone then transforms; a left click, Enter or Space confirm it as one step, a right
    // click or Esc cancel it. False when it could not begin (nothing selected, a drag under way,
    // a view without positions, an edit the file refuses).
    bool beginModal(TransformKind kind);
    bool beginModal(TransformKind kind, PreviewView& preview, double x, double y);
    bool isModal() const;
    // Circle select, in the plane views (at the pointer) and the Preview: the left or middle
    // button paints (the middle one or Shift takes out), the wheel sizes the circle, a right
    // click, Esc, Enter or Space end it.
    void beginCircle();
    CircleSelect& circle() { return m_circle; }
    // Esc: the drag under way is undone and ends; its button's release then does nothing.
    void cancelDrag();
    // The drag under way ends, keeping what it did (the tab changed, the model closed).
    void abandonDrag();

    // The tool of toolMode, or the one whose modal drag is under way, which the Preview's frame
    // hands its events to as well; none for any other toolMode.
    Tool* currentTool() const;
    // Marks the Preview's events as the tools' own while they last, as this frame's are: the
    // edits they make come back through the document and take no drag away.
    [[nodiscard]] ScopedFlag acting() { return ScopedFlag(m_dispatching); }

    // Pointer shape and status text, for the window side.
    ToolFeedback feedback;

private:
    // The drag in progress: the button that began it, whether it pans the view, and whether it
    // was already ended by Esc or by something else, so its release is only swallowed.
    struct Drag {
        int button = 0;
        bool panning = false;
        bool over = false;
        float panFromX = 0, panFromY = 0;
    };

    void chooseTool(uint8_t code);
    bool beginModalAt(TransformKind kind, PreviewView* preview, double x, double y);
    // A press or a key during a modal drag; true when it took it.
    bool modalPress(const PointerInput& input);
    bool modalKey(uint16_t keyAscii);
    bool circlePress(const PointerInput& input);
    void documentChanged(const DocumentChange& change);
    void endDrag(bool keep);

    Pane& m_pane;
    std::array<std::unique_ptr<Tool>, 6> m_tools; // by tool code - 1
    Drag m_drag;
    TransformTool* m_modal = nullptr; // the tool of the last modal drag
    PointerInput m_pointer;           // where the pointer last moved over the surface
    CircleSelect m_circle{m_pane};
    // Set while an event is with the tools, in either view: their own edits and announcements
    // come back through the document then, and must not count as something else taking the drag
    // away (a drag of either view).
    bool m_dispatching = false;
    Subscription m_subscription;
    Subscription m_pivotSubscription;
};

} // namespace vw
