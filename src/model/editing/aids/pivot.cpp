#include "model/editing/aids/pivot.h"

#include "model/editing/exact_transform.h"

#include <functional>

namespace vw {

std::optional<ModelPoint> selectionMean(const std::vector<Segment>& data) {
    ModelPoint sum{};
    size_t count = 0;
    for (const Segment& segment : data)
        for (const Vertex& vertex : segment.verts) {
            if (vertex.selected == 0)
                continue;
            sum[0] += vertex.x;
            sum[1] += vertex.y;
            sum[2] += vertex.z;
            ++count;
        }
    if (count == 0)
        return std::nullopt;
    const double n = double(count);
    return ModelPoint{sum[0] / n, sum[1] / n, sum[2] / n};
}

std::optional<ModelPoint> pivotPoint(const std::vector<Segment>& data, Pivot pivot,
                                     const PivotMarks& marks) {
    const std::optional<ModelPoint> box = selectionCentre(data);
    if (!box)
        return std::nullopt;
    switch (pivot) {
    case Pivot::BoundingBoxCentre:
        return box;
    case Pivot::SelectionCentre:
        return selectionMean(data);
    case Pivot::ActiveVertex:
        if (marks.active && marks.active->seg < data.size() &&
            marks.active->index < data[marks.active->seg].verts.size()) {
            const Vertex& vertex = data[marks.active->seg].verts[marks.active->index];
            return ModelPoint{vertex.x, vertex.y, vertex.z};
        }
        return box;
    case Pivot::Cursor:
        return marks.cursor.value_or(ModelPoint{});
    }
    return box;
}

std::optional<VertexAt> locateVertex(const std::vector<Segment>& data, const Vertex* vertex) {
    if (vertex == nullptr)
        return std::nullopt;
    for (uint32_t seg = 0; seg < data.size(); ++seg) {
        const std::vector<Vertex>& verts = data[seg].verts;
        const std::less<const Vertex*> before;
        if (!before(vertex, verts.data()) && before(vertex, verts.data() + verts.size()))
            return VertexAt{seg, uint32_t(vertex - verts.data())};
    }
    return std::nullopt;
}

} // namespace vw
