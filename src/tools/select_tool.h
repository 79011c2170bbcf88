#pragma once
// The Select tool: picks a vertex mark on a press, drags a rubber band, and selects the box (or
// the point of a click) on the release.

#include "tools/selection.h"
#include "tools/tool.h"

namespace vw {

class SelectTool : public Tool {
public:
    using Tool::Tool;

    // Remembers the selection, for a cancel.
    void begin() override;
    void press(const PointerInput& input) override;
    void move(const PointerInput& input) override;
    // Any button's release; lastX, lastY already hold its position.
    void release(const PointerInput& input) override;
    // The selection as it was before the press comes back.
    void cancel() override;

private:
    // Takes the first selected vertex in the pick square around the press out of the selection.
    void deselectAtPress();

    // The press was a Ctrl click on a selected mark: its click takes that vertex out.
    bool m_ctrlOnSelected = false;
    SelectionSnapshot m_atPress;
};

} // namespace vw
