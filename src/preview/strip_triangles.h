#pragma once
// Triangles and edges from a segment's triangle strip, read as the plane views read it
// (model/strip_walk.h), as 16-bit index lists for the GPU.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vw {

// Ends a strip the GPU draws and starts another after it; no vertex has this index.
constexpr uint16_t kStripRestart = 0xFFFF;

// Appends the strip as the GPU draws it with primitive restart: its entries as they are, each
// naming a vertex the segment lacks turned into kStripRestart, which leaves out exactly the
// triangles that name it (the GPU draws nothing for a joint's repeated entries). Returns how many
// triangles it draws.
size_t appendRestartStrip(const std::vector<int16_t>& strip, size_t vertexCount,
                          std::vector<uint16_t>& out);

// Appends each triangle as three indexes; every second triangle of the strip is turned round so
// all face the way the first does.
void appendStripTriangles(const std::vector<int16_t>& strip, size_t vertexCount,
                          std::vector<uint16_t>& out);

// Appends each triangle's edges as index pairs, leaving out the edge a triangle shares with the
// one drawn just before it.
void appendStripEdges(const std::vector<int16_t>& strip, size_t vertexCount,
                      std::vector<uint16_t>& out);

} // namespace vw
