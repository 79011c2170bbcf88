#pragma once
// Fewer triangles for the frames drawn while the camera moves, when the full mesh draws too
// slowly to follow the mouse. Vertices are gathered into cubic cells; each cell is stood for by
// the first of its vertices, and a triangle is kept, once, only when its corners stand in three
// different cells. The kept triangles index the segment's own vertices, so they share the full
// mesh's vertex buffer and an edit sent there moves them too.

#include "model/model.h"
#include "preview/space.h"

#include <cstdint>
#include <vector>

namespace vw {

// A vertex's position in the preview's orientation (y up).
Vec3 positionOf(const Vertex& vertex);

// Appends the kept triangles of one segment, given its full triangles (indexes into verts, all
// in range), for cubic cells `cellSize` model units wide laid from the origin in the preview's
// orientation (y up).
void appendCoarseTriangles(const std::vector<Vertex>& verts, const std::vector<uint16_t>& triangles,
                           double cellSize, std::vector<uint16_t>& out);

// Appends the area of each triangle, in square model units; 0 where it is not finite.
void appendTriangleAreas(const std::vector<Vertex>& verts, const std::vector<uint16_t>& triangles,
                         std::vector<float>& out);
// The areas' sum with each capped at a hundred times their median, so a few wild vertices do
// not make every cell huge. Reorders the areas.
double surfaceArea(std::vector<float>& areas);

} // namespace vw
