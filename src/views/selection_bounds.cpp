#include "views/selection_bounds.h"

namespace vw {

SelectionBounds selectionBounds(const std::vector<Segment>& data, const ViewParams& view) {
    SelectionBounds box;
    for (const Segment& segment : data) {
        for (const Vertex& vertex : segment.verts) {
            if (vertex.selected == 0)
                continue;
            const float h = vertex.coord(view.axisH);
            const float v = vertex.coord(view.axisV);
            if (!(h >= box.left))
                box.left = h;
            if (h > box.right)
                box.right = h;
            if (!(v >= box.top))
                box.top = v;
            if (v > box.bottom)
                box.bottom = v;
        }
    }
    return box;
}

} // namespace vw
