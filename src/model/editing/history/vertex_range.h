#pragma once
// A run of vertices of one segment of Parts, as edits report what they changed.

#include <cstdint>

namespace vw {

// Vertices [first, end) of segment seg of part part in Parts.
struct VertexRange {
    int32_t part = 0;
    int32_t seg = 0;
    uint32_t first = 0;
    uint32_t end = 0;
};

} // namespace vw
