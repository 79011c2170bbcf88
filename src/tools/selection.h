#pragma once
// The vertex selection of the pane's working data. Boxes are in model units of the current
// view's two axes; vertices are visited segment by segment, each from its lowest index, and
// only unselected ones are tested.

#include "model/editing/selection/position_cells.h"
#include "model/model.h"
#include "views/pane.h"
#include "views/view_params.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace vw {

// Replaces the view's two coordinates of every selected vertex, in scan order, with what
// change(h, v) makes of them: change takes both by reference.
template <class Change>
void changeSelectedCoords(std::vector<Segment>& data, const ViewParams& view, Change change) {
    for (Segment& segment : data) {
        for (Vertex& vertex : segment.verts) {
            if (vertex.selected != 0)
                change(vertex.coord(view.axisH), vertex.coord(view.axisV));
        }
    }
}

// Every change of the selection here goes through the session's select(), which announces it
// once; the palette's Move, Scale and Rotate buttons follow as each says.

// Finds the vertex a pick takes in the working data, or none.
using VertexFinder = std::function<Vertex*(std::vector<Segment>& data)>;

// Deselects every working vertex, zeroes SelCount, and leaves only Select, Pan and Zoom enabled
// on the palette.
void clearSelection(Pane& pane);

// The first unselected, unhidden vertex inside the box in scan order, or none.
Vertex* firstUnselectedInBox(const Pane& pane, std::vector<Segment>& data, float x1, float y1,
                             float x2, float y2);

// Adds every unselected vertex inside the box (bounds included) to the selection, counting each
// in SelCount; then enables Move, Scale and Rotate, even when nothing was caught.
void selectVertsInBox(Pane& pane, float x1, float y1, float x2, float y2);

// Selects the first unselected vertex inside the box in scan order (not the nearest) and sets
// SelCount to 1; then enables Move, Scale and Rotate, even when nothing was picked.
void pickVertexInBox(Pane& pane, float x1, float y1, float x2, float y2);

// The box rule for any box: adds every unselected working vertex for which inside holds, counting
// each in SelCount, and enables Move, Scale and Rotate. Hidden vertices are left out.
void selectVertsWhere(Pane& pane, const std::function<bool(const Vertex&)>& inside);
// The pick rule for a vertex found by other means: selects vertex j of working segment i and
// sets SelCount to 1; Move, Scale and Rotate are enabled either way. Indexes outside the working
// data pick nothing.
void pickVertex(Pane& pane, int32_t i, int32_t j);
// Takes vertex j of working segment i out of the selection: SelCount becomes the number still
// selected, and Move, Scale and Rotate are enabled exactly when it is not 0.
void deselectVertex(Pane& pane, int32_t i, int32_t j);

// What a Select press does wherever it lands: unless Shift or Ctrl is held alone the selection
// is cleared; on an unselected vertex, the vertex pick finds is picked. One change of the
// selection, announced even when it changed nothing.
void selectPress(Pane& pane, int modifiers, bool onUnselected, const VertexFinder& pick);

// The selection as it stands (the working flags, SelCount, the palette's enabled buttons), so
// a cancelled drag can put it back.
class SelectionSnapshot {
public:
    void take(const Pane& pane);
    // Puts it back, unless the working data changed shape meanwhile.
    void restore(Pane& pane) const;

private:
    std::vector<std::vector<int16_t>> m_flags;
    int32_t m_selCount = 0;
    std::array<bool, 6> m_palette{};
};

// The Select menu's commands over the whole working data. Each leaves SelCount equal to the
// number of selected working vertices and the palette's Move, Scale and Rotate buttons enabled
// exactly when that number is not 0.
void selectAll(Pane& pane);
void selectNone(Pane& pane);
void invertSelection(Pane& pane);
// Adds every working vertex whose position lies within tolerance (model units, on each axis) of
// a selected vertex's, in any segment of the working data.
void selectCoincident(Pane& pane, float tolerance = kCoincidentTolerance);

// The mesh's helpers over the working data (mesh_selection.h), each shown and announced as the
// Select menu's commands are.
void selectLinkedVertices(Pane& pane);
void growSelectedVertices(Pane& pane);
void shrinkSelectedVertices(Pane& pane);
// Replaces the selection by its mirror partners across the mirror axes on (X when none is).
void selectMirrorVertices(Pane& pane);

// "L" over a vertex: adds everything linked to the visible working vertex nearest the pointer,
// within reach of it.
void selectLinkedAtPointer(Pane& pane);

// Half the side of the square searched around a pane position for the vertex under it, in
// pane units.
constexpr double kPickReach = 50;

// A working vertex: its segment in curData and its index there.
struct VertexIndex {
    size_t segment = 0;
    size_t vertex = 0;
};
enum class Among { All, Selected, Unselected };
// The visible working vertex of those named nearest pane position (x, y) on the surface, within
// reach pane units of it along both axes.
std::optional<VertexIndex> vertexNear(const Pane& pane, float x, float y, Among among,
                                      double reach);

// Gestures that find a set of working vertices (a loop, a ring, a circle's stroke), each one
// change of the selection. selectVertices selects those named, clearing the selection first when
// replace holds, and counts each newly selected one as a box does; deselectVertices takes them
// out and leaves the count at the number still selected. Hidden vertices are left as they are;
// Move, Scale and Rotate are enabled exactly when something is selected.
void selectVertices(Pane& pane, const std::vector<VertexIndex>& vertices, bool replace);
void deselectVertices(Pane& pane, const std::vector<VertexIndex>& vertices);

// Hiding: hidden vertices leave the selection, and no selection takes them in until they are
// shown again. Not an edit: nothing is marked changed or kept in the history.
void hideSelected(Pane& pane);
void hideUnselected(Pane& pane);
void showHidden(Pane& pane);

// Sets the selected flag of vertex j of working segment i, counting a selection in SelCount.
// Indexes outside the working data, and selecting a hidden vertex, do nothing.
void SelectVertAt(Pane& pane, int32_t i, int32_t j, bool isPinili);

} // namespace vw
