#pragma once
// Triangles and edges from a segment's triangle strip, read as the plane views read it
// (model/strip_walk.h), as 16-bit index lists for the GPU.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vw {

// Appends each triangle as three indexes; every second triangle of the strip is turned round so
// all face the way the first does.
void appendStripTriangles(const std::vector<int16_t>& strip, size_t vertexCount,
                          std::vector<uint16_t>& out);

// Appends each triangle's edges as index pairs, leaving out the edge a triangle shares with the
// one drawn just before it.
void appendStripEdges(const std::vector<int16_t>& strip, size_t vertexCount,
                      std::vector<uint16_t>& out);

} // namespace vw
