#pragma once
// The Rotate tool: a circle about the centre of the selection's box and a handle on it. A press
// on the handle takes a snapshot of the working data; each move turns the selected vertices from
// that snapshot by the pointer's angle about the centre, and the release commits.

#include "model/model.h"
#include "tools/transform.h"
#include "tools/transform_tool.h"

#include <cstdint>
#include <vector>

namespace vw {

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

class RotateTool : public TransformTool {
public:
    RotateTool(Pane& pane, ToolFeedback& feedback)
        : TransformTool(pane, feedback, TransformKind::Rotate) {}

    // The centre and the handle of the selection's box.
    void choose() override { SetRotateValues(); }
    // Starts a rotation when the press lands on the handle.
    void press(const PointerInput& input) override;
    // During a rotation: moves the handle, shows the angle and turns the selection.
    void move(const PointerInput& input) override;
    void selectionChanged() override { choose(); }

    // The box around the selected vertices (SetScaleValues), its centre, and the handle on its
    // right edge at mid-height.
    void SetRotateValues();
    PlanePoint centre() const { return m_centre; }
    PlanePoint handle() const { return m_handle; }

    // The circle through the box's left and right edges and the handle on it.
    void drawOverlay(QImage& picMain) const override;
    OverlayGeometry overlayGeometry() const override;

private:
    // The handle comes back as it was at the press.
    void restoreHandles() override;

    PlanePoint m_centre{0, 0};
    PlanePoint m_handle{0, 0};
    std::vector<Segment> m_snapshot; // the working data at the press on the handle
    RotateDrag m_turn;
    bool m_onHandle = false;
    float m_angleAtPress = 0;
    PlanePoint m_handleAtPress{0, 0};
};

} // namespace vw
