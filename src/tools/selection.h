#pragma once
// The vertex selection of the pane's working data. Boxes are in model units of the current
// view's two axes; vertices are visited segment by segment, each from its lowest index, and
// only unselected ones are tested.

#include "model/editing/position_cells.h"
#include "model/model.h"
#include "views/view_params.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace vw {

class Pane;

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

// Deselects every working vertex, zeroes SelCount, and leaves only Select, Pan and Zoom enabled
// on the palette.
void clearSelection(Pane& pane);

// Adds every unselected vertex inside the box (bounds included) to the selection, counting each
// in SelCount; then enables Move, Scale and Rotate, even when nothing was caught.
void selectVertsInBox(Pane& pane, float x1, float y1, float x2, float y2);

// Selects the first unselected vertex inside the box in scan order (not the nearest) and sets
// SelCount to 1; then enables Move, Scale and Rotate, even when nothing was picked.
void pickVertexInBox(Pane& pane, float x1, float y1, float x2, float y2);

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

// Hiding: hidden vertices leave the selection, and no selection takes them in until they are
// shown again. Not an edit: nothing is marked changed or kept in the history.
void hideSelected(Pane& pane);
void hideUnselected(Pane& pane);
void showHidden(Pane& pane);

// Tells the document, and through it everything that shows the selection, that the working
// data's selection changed; SelCount goes with it.
void announceSelection(Pane& pane);

// Sets the selected flag of vertex j of working segment i, counting a selection in SelCount.
// Indexes outside the working data do nothing.
void SelectVertAt(Pane& pane, int32_t i, int32_t j, bool isPinili);

} // namespace vw
