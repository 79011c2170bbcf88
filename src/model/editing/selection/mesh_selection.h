#pragma once
// Selections that follow the mesh: what the strips' triangles connect within each segment of the
// working data (joints and degenerate triangles connect nothing, as the strip walk reads them).

#include "model/model.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vw {

// How many vertices are selected.
int32_t countSelected(const std::vector<Segment>& data);

// Selects every vertex connected to a selected one through triangles.
void selectLinked(std::vector<Segment>& data);

// Adds to the selection every vertex of the segment connected to the given one, that one
// included; an index outside the segment selects nothing.
void selectLinkedFrom(Segment& segment, size_t vertex);

// Selects every vertex of a triangle that has a selected vertex: one ring of neighbours more.
void growSelection(std::vector<Segment>& data);

// Deselects every vertex of a triangle that has an unselected vertex: one ring fewer. A selected
// vertex in no triangle stays selected.
void shrinkSelection(std::vector<Segment>& data);

} // namespace vw
