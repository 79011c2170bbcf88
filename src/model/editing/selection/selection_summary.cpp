#include "model/editing/selection/selection_summary.h"

#include <algorithm>

namespace vw {

SelectionSummary summarizeSelection(const std::vector<Segment>& data) {
    SelectionSummary summary;
    std::array<uint32_t, kVertexFieldCount> first{};
    uint16_t differing = 0;
    for (const Segment& segment : data) {
        summary.total += segment.verts.size();
        for (const Vertex& vertex : segment.verts) {
            if (vertex.selected == 0)
                continue;
            const std::array<double, 3> at{vertex.x, vertex.y, vertex.z};
            if (summary.selected == 0) {
                for (int f = 0; f < kVertexFieldCount; ++f)
                    first[size_t(f)] = fieldBits(vertex, f);
                summary.low = summary.high = at;
            } else {
                for (int f = 0; f < kVertexFieldCount; ++f)
                    if (fieldBits(vertex, f) != first[size_t(f)])
                        differing |= uint16_t(1u << f);
                for (size_t axis = 0; axis < 3; ++axis) {
                    summary.low[axis] = std::min(summary.low[axis], at[axis]);
                    summary.high[axis] = std::max(summary.high[axis], at[axis]);
                }
            }
            if (summary.selected < 2)
                summary.firstTwo[summary.selected] = &vertex;
            ++summary.selected;
        }
    }
    for (int f = 0; f < kVertexFieldCount; ++f)
        if (!(differing >> f & 1u))
            summary.shared[size_t(f)] = summary.selected == 0 ? 0 : first[size_t(f)];
    return summary;
}

} // namespace vw
