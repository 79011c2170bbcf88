#pragma once
// The Move tool: a left drag moves the selected vertices with the pointer along the view's two
// axes, as one undoable edit; and the arrow keys' nudge.

#include "tools/move_snap.h"
#include "tools/tool.h"

#include <string>

namespace vw {

class MoveTool : public Tool {
public:
    using Tool::Tool;

    // Opens the drag's edit when vertices are selected, unless the file could not keep it:
    // then the drag does nothing and the status bar says why.
    void press(const PointerInput& input) override;
    // With the left button alone and a selection, moves the selected vertices by the step from
    // downX, downY and writes them back.
    void move(const PointerInput& input) override;
    void release(const PointerInput& input) override;
    void cancel() override;
    void abandon() override;

private:
    bool m_refused = false;
    MoveSnap m_snap;
};

// An arrow key: moves the selected working vertices by (dx, dy) pixels' worth of model units
// (grid spacings while Snap is on) along the view's two axes, as one undoable edit. An edit the
// file could not keep is refused, the document's notice saying why.
void nudgeSelection(Pane& pane, int dx, int dy);

} // namespace vw
