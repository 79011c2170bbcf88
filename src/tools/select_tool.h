#pragma once
// The Select tool: picks a vertex mark on a press, drags a rubber band, and selects the box (or
// the point of a click) on the release. In the Preview a click picks the visible working vertex
// nearest the pointer and a drag selects every visible one inside the box, by the same rules for
// modifiers, SelCount and the palette. Alt with the press selects an edge loop or ring instead
// (loop_select.h).

#include "tools/band_tool.h"
#include "tools/selection.h"

namespace vw {

class SelectTool : public BandTool {
public:
    using BandTool::BandTool;

    // Remembers the selection, for a cancel.
    void begin() override;
    void press(const PointerInput& input) override;
    void move(const PointerInput& input) override;
    // Any button's release; lastX, lastY already hold its position.
    void release(const PointerInput& input) override;
    // The selection as it was before the press comes back.
    void cancel() override;
    // No rubber band after a loop press.
    OverlayGround overlayGround() const override;
    // A Preview drag ends with the press's pick kept and no box selected.
    void abandon() override;

    bool actsOnPreview() const override { return true; }
    void previewPress(const PreviewPointer& pointer, PreviewView& view) override;
    void previewMove(const PreviewPointer& pointer, PreviewView& view) override;
    void previewRelease(const PreviewPointer& pointer, PreviewView& view) override;
    bool isPreviewDragging() const override { return m_preview != nullptr; }

private:
    // Takes the first selected vertex in the pick square around the press out of the selection.
    void deselectAtPress();
    bool isPreviewClick(const PreviewPointer& pointer) const;

    // The press was a Ctrl click on a selected mark: its click takes that vertex out.
    bool m_ctrlOnSelected = false;
    // The press selected a loop or ring: its release selects nothing more.
    bool m_loopPress = false;
    SelectionSnapshot m_atPress;
    // A Preview drag: its view, its press in window pixels, and the vertex a Ctrl press on a
    // selected vertex would take out.
    PreviewView* m_preview = nullptr;
    double m_pressX = 0, m_pressY = 0;
    int32_t m_ctrlSegment = -1, m_ctrlVertex = -1;
};

} // namespace vw
