#pragma once
// The Move tool: a left drag moves the selected vertices with the pointer along the view's two
// axes, as one undoable edit; snapping, axis keys and typed amounts move them through the
// transform drag instead. And the arrow keys' nudge, in every view.

#include "tools/transform_tool.h"

namespace vw {

class EditSession;

class MoveTool : public TransformTool {
public:
    MoveTool(Pane& pane, ToolFeedback& feedback)
        : TransformTool(pane, feedback, TransformKind::Move) {}

    // Opens the drag's edit when vertices are selected, unless the file could not keep it:
    // then the drag does nothing and the status bar says why.
    void press(const PointerInput& input) override;
    // With the left button alone and a selection, moves the selected vertices by the step from
    // downX, downY and writes them back.
    void move(const PointerInput& input) override;

private:
    bool snaps(const PointerInput& input) const;
};

// How an arrow key nudges: the vertex fields that run across and down the screen, with their
// signs, and the step in model units.
struct ScreenAxes {
    int across = 0;
    double acrossSign = 1;
    int down = 1;
    double downSign = 1;
    double step = 0;
};
// A plane or UV view's: its two axes, by a pixel's worth or a grid spacing while Snap is on.
ScreenAxes planeScreenAxes(Pane& pane);
// The Preview's: the model axes nearest the camera's right and down at the selection's centre,
// by a pixel's worth there or the grid step of that scale; none without a selection.
std::optional<ScreenAxes> cameraScreenAxes(EditSession& session, const OrbitCamera& camera);

// An arrow key: moves the selected working vertices by (dx, dy) steps along the screen's axes,
// as one undoable edit. An edit the file could not keep is refused, the document's notice saying
// why.
void nudgeSelection(EditSession& session, const ScreenAxes& axes, int dx, int dy);

} // namespace vw
