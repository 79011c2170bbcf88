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

// Cubic cells of `size` model units laid from `origin`, in the preview's orientation (y up).
struct CellGrid {
    Vec3 origin;
    double size = 0;
};

// Appends the kept triangles of one segment, given its full triangles (indexes into verts, all
// in range).
void appendCoarseTriangles(const std::vector<Vertex>& verts, const std::vector<uint16_t>& triangles,
                           const CellGrid& grid, std::vector<uint16_t>& out);

// Sum of the areas of the triangles, in square model units; non-finite corners count nothing.
double trianglesArea(const std::vector<Vertex>& verts, const std::vector<uint16_t>& triangles);

} // namespace vw
