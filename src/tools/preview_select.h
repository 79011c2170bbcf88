#pragma once
// The Select tool in the Preview: a click picks the visible working vertex nearest the pointer,
// a drag selects every visible one inside the box, by the plane views' rules for modifiers,
// SelCount and the palette.

#include "preview/preview_input.h"
#include "tools/selection.h"

class PreviewView;

namespace vw {

class Pane;

class PreviewSelect {
public:
    PreviewSelect(Pane& pane, PreviewView& view) : m_pane(pane), m_view(view) {}

    void press(const PreviewPointer& pointer);
    void move(const PreviewPointer& pointer);
    void release(const PreviewPointer& pointer);
    // The selection as it was before the press comes back.
    void cancel();
    // The drag ends with the press's pick kept and no box selected.
    void abandon();
    bool isDragging() const { return m_dragging; }

private:
    bool isClick(const PreviewPointer& pointer) const;

    Pane& m_pane;
    PreviewView& m_view;
    bool m_dragging = false;
    double m_pressX = 0, m_pressY = 0;
    // A Ctrl press on a selected vertex: its click takes that vertex out.
    int32_t m_ctrlSegment = -1, m_ctrlVertex = -1;
    SelectionSnapshot m_atPress;
};

} // namespace vw
