#pragma once
// What the selected vertices of the working data have in common, gathered in one pass for every
// panel that shows it.

#include "model/model.h"
#include "model/vertex_fields.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace vw {

struct SelectionSummary {
    size_t selected = 0;
    size_t total = 0;
    // Per field, the bits every selected vertex holds; none where two differ, 0 with nothing
    // selected.
    std::array<std::optional<uint32_t>, kVertexFieldCount> shared{};
    // The box around the selected positions, in double precision.
    std::array<double, 3> low{};
    std::array<double, 3> high{};
    // The first two selected vertices, in working data order.
    std::array<const Vertex*, 2> firstTwo{};
};

SelectionSummary summarizeSelection(const std::vector<Segment>& data);

} // namespace vw
