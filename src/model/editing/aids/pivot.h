#pragma once
// The point Scale and Rotate work about: the centre of the selection's box (as the tools always
// have), the mean of the selected positions, the vertex picked last, or the 3D cursor. Points are
// the model's values as the vertex sheet shows them (y as held: the file's y negated).

#include "model/editing/aids/mirror_partners.h"
#include "model/model.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace vw {

enum class Pivot : uint8_t { BoundingBoxCentre, SelectionCentre, ActiveVertex, Cursor };

using ModelPoint = std::array<double, 3>;

// What a pivot may be found from besides the working data.
struct PivotMarks {
    std::optional<VertexAt> active; // the vertex a click picked last
    std::optional<ModelPoint> cursor;
};

// The mean of the selected vertices' positions; none without a selection.
std::optional<ModelPoint> selectionMean(const std::vector<Segment>& data);

// The pivot's point; none without a selection. An active vertex no longer in the working data
// gives the box's centre; a cursor never placed stands at the origin.
std::optional<ModelPoint> pivotPoint(const std::vector<Segment>& data, Pivot pivot,
                                     const PivotMarks& marks);

// Where a vertex picked by pointer lies in the working data; none for a null pointer.
std::optional<VertexAt> locateVertex(const std::vector<Segment>& data, const Vertex* vertex);

} // namespace vw
