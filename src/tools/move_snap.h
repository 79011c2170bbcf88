#pragma once
// Snapping of a Move drag: to whole grid spacings (View > Snap, or Ctrl held while the grid is
// shown), or of the grabbed vertex onto the nearest other one (View > Snap to Vertex). While
// neither applies, the drag moves as the Move tool always has.

#include "tools/selection.h"

#include <optional>

namespace vw {

class Pane;
struct PointerInput;

// How far to move every selected vertex along the view's two axes, in model units.
struct MoveOffset {
    double h = 0;
    double v = 0;
};

// A grabbed vertex snaps onto another within this many pane units of where the drag would put
// it: 15 pixels.
constexpr double kVertexSnapReach = 225;

class MoveSnap {
public:
    // The drag's press at the pointer: remembers it, and the selected vertex under it.
    void press(const Pane& pane, const PointerInput& input);
    // This step's move when it snaps: from where the selection is to where the snapping puts
    // it. None when the step moves freely; then moved() must be told how far it went.
    std::optional<MoveOffset> step(const Pane& pane, const PointerInput& input);
    void moved(MoveOffset offset);

private:
    double m_pressH = 0, m_pressV = 0;           // the press, in model units
    double m_movedH = 0, m_movedV = 0;           // the selection's move since the press
    std::optional<VertexIndex> m_grabbed;        // for Snap to Vertex
    double m_grabOffsetX = 0, m_grabOffsetY = 0; // from the pointer to the grabbed vertex, twips
};

// Whether Move snaps to the grid for this pointer event.
bool snapsToGrid(const Pane& pane, const PointerInput& input);

} // namespace vw
