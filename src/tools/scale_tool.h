#pragma once
// The Scale tool: eight handles on the selection's box, found by their colours, move the box's
// edges; every step maps the selected vertices from the old box onto the new one. With a pivot
// other than the box's centre, a handle scales the box and the selection about the pivot
// instead, by as much as takes the grabbed edge to the pointer.

#include "tools/transform.h"
#include "tools/transform_tool.h"

#include <optional>

namespace vw {

class ScaleTool : public TransformTool {
public:
    ScaleTool(Pane& pane, ToolFeedback& feedback)
        : TransformTool(pane, feedback, TransformKind::Scale) {}

    // The box around the selected vertices (SetScaleValues).
    void choose() override;
    // Grabs the handle under downX, downY, or nothing.
    void press(const PointerInput& input) override;
    // With the left button alone, moves the grabbed edges to the pointer, maps the selected
    // vertices into the new box and writes them back.
    void move(const PointerInput& input) override;
    void selectionChanged() override { choose(); }

    // The box and its eight handles, from selLeft, selTop, selRight, selBottom.
    void drawOverlay(QImage& picMain) const override;
    OverlayGeometry overlayGeometry() const override;
    // The edges the handle under the last press moves.
    const ScaleGrab& grab() const { return m_grab; }

private:
    // The box comes back as it was at the press.
    void restoreHandles() override;
    // The chosen pivot in the view's two coordinates; none for the box's centre (the designed
    // gesture) or on the UV tab.
    std::optional<PlanePoint> chosenPivot() const;
    void scaleAbout(PlanePoint pivot, const PointerInput& input);

    ScaleBox m_boxAtPress;
    ScaleGrab m_grab;
};

} // namespace vw
