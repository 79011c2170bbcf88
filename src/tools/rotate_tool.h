#pragma once
// The Rotate tool: a press on the rotate handle takes a snapshot of the working data; each move
// turns the selected vertices from that snapshot by the pointer's angle about the centre, and
// the release commits.

#include "model/model.h"
#include "tools/transform.h"

#include <cstdint>
#include <vector>

namespace vw {

class Pane;
class ToolFeedback;
struct PointerInput;

// The snapshot in polar form about the centre, so that a step costs one sine and one cosine
// per vertex. It is rebuilt whenever the snapshot, the centre or the view's axes differ from
// what it was built from, so it always gives what the snapshot itself would.
class RotateDrag {
public:
    const std::vector<std::vector<PolarPoint>>&
    polarOf(const std::vector<Segment>& snapshot, PlanePoint center, uint8_t axisH, uint8_t axisV);
    void forget() { m_polar.clear(); }

private:
    bool fits(const std::vector<Segment>& snapshot) const;

    std::vector<std::vector<PolarPoint>> m_polar;
    PlanePoint m_center{0, 0};
    uint8_t m_axisH = 0, m_axisV = 0;
};

// A left-button press at downX, downY: starts a rotation when it lands on the handle.
void rotatePress(Pane& pane, RotateDrag& drag);
// Any pointer move during a rotation: moves the handle, shows the angle and turns the selection.
void rotateMove(Pane& pane, RotateDrag& drag, ToolFeedback& feedback, const PointerInput& input);
// Any button's release: writes the working data back, rotated or not.
void rotateRelease(Pane& pane);

} // namespace vw
