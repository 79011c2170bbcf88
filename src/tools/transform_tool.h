#pragma once
// What Move, Scale and Rotate share in every view: the drag's one edit, the keys of a transform
// drag (X, Y, Z and Shift with them, a typed amount, Backspace, Enter), Esc and a right click to
// cancel, snapping, and the Preview's gesture, in which each transforms the selection from the
// press through the camera (Move in the plane facing it, Scale by the pointer's distance from the
// pivot, Rotate by its angle about it). In the plane views each keeps its designed
// gesture until one of those keys is used; from then on the pointer works through the same
// transform drag as in the Preview.

#include "tools/tool.h"
#include "tools/transform_drag.h"
#include "tools/view_projection.h"

#include <cstdint>
#include <memory>
#include <optional>

namespace vw {

class TransformTool : public Tool {
public:
    TransformTool(Pane& pane, ToolFeedback& feedback, TransformKind kind);

    bool key(char character, int modifiers) override;
    void release(const PointerInput&) override { finishDrag(); }
    void cancel() override;
    void abandon() override { finishDrag(); }

    bool actsOnPreview() const override { return true; }
    void previewPress(const PreviewPointer& pointer, PreviewView& view) override;
    void previewMove(const PreviewPointer& pointer, PreviewView& view) override;
    void previewRelease(const PreviewPointer&, PreviewView&) override { finishDrag(); }
    bool isPreviewDragging() const override { return m_preview != nullptr; }
    OverlayGround overlayGround() const override { return OverlayGround::NewFrame; }

    // A modal drag (the Blender map's G, S, R): begun at the pointer with no button held, at
    // (x, y) of a plane view (pointer units) or of the Preview given (window pixels), and moved
    // by the pointer alone through the transform drag until it is confirmed (abandon) or
    // cancelled. False when nothing is selected, the view shows no positions, or the file could
    // not keep the edit (the status bar says why).
    bool beginModal(double x, double y, PreviewView* preview);
    bool isModal() const { return m_modal; }
    // The pointer moved during a modal drag in a plane view.
    void modalMove(double x, double y, int modifiers) { transformStep(x, y, modifiers); }

protected:
    // Opens the plane drag's edit of the view's two coordinates and, on a view of positions,
    // the transform drag its keys use. False when the file could not keep the edit: the status
    // bar says why and the drag changes nothing.
    bool beginPlaneDrag(const PointerInput& input);
    // Whether a key limited the drag or typed an amount: the pointer then works through the
    // transform drag.
    bool isKeyed() const { return m_drag.isOn() && m_drag.isLimitedOrTyped(); }
    // The readout of the transform under way, in the status bar.
    void showReadout();
    // One step of the transform drag with the pointer at (x, y) of the drag's view.
    void transformStep(double x, double y, int modifiers);
    // Whether a Move snaps to the grid: View > Snap, or Ctrl alone over a shown grid.
    bool snapsToGrid(int modifiers) const;
    // Puts the tool's own handles back as they were at the press (a cancelled drag).
    virtual void restoreHandles() {}

    TransformDrag m_drag;
    bool m_refused = false;

private:
    std::unique_ptr<ViewProjection> projection() const;
    // Opens the edit and begins the transform drag at (x, y) of the Preview given or of the
    // plane view shown, for a drag the pointer alone works (the Preview's, a modal one). False
    // when nothing is selected, the view shows no positions or the file refuses the edit.
    bool beginDragAt(double x, double y, PreviewView* preview, int modifiers);
    MoveSnapping snapping(const ViewProjection& view, int modifiers) const;
    void showTurn();
    // The axis guide and the soft radius's circle of a drag in the Preview.
    void showOnPreview();
    void finishDrag();

    TransformKind m_kind;
    bool m_modal = false;
    bool m_readout = false;           // the status bar shows this drag's readout
    PreviewView* m_preview = nullptr; // the view of a drag in the Preview
    double m_x = 0, m_y = 0;          // the pointer's last place, for a step after a key
    int m_modifiers = 0;
    float m_angleBefore = 0;
};

} // namespace vw
