#include "preview/strip_triangles.h"

#include "model/strip_walk.h"

namespace vw {

void appendStripTriangles(const std::vector<int16_t>& strip, size_t vertexCount,
                          std::vector<uint16_t>& out) {
    forEachStripTriangle(strip, vertexCount,
                         [&out](size_t k, uint16_t i0, uint16_t i1, uint16_t i2, bool) {
                             if (k % 2 == 0)
                                 out.insert(out.end(), {i0, i1, i2});
                             else
                                 out.insert(out.end(), {i1, i0, i2});
                         });
}

size_t appendRestartStrip(const std::vector<int16_t>& strip, size_t vertexCount,
                          std::vector<uint16_t>& out) {
    for (int16_t entry : strip)
        out.push_back(entry >= 0 && static_cast<size_t>(entry) < vertexCount
                          ? static_cast<uint16_t>(entry)
                          : kStripRestart);
    size_t triangles = 0;
    forEachStripTriangle(strip, vertexCount,
                         [&triangles](size_t, uint16_t, uint16_t, uint16_t, bool) { ++triangles; });
    return triangles;
}

void appendStripEdges(const std::vector<int16_t>& strip, size_t vertexCount,
                      std::vector<uint16_t>& out) {
    forEachStripTriangle(strip, vertexCount,
                         [&out](size_t, uint16_t i0, uint16_t i1, uint16_t i2, bool afterDrawn) {
                             if (!afterDrawn)
                                 out.insert(out.end(), {i0, i1});
                             out.insert(out.end(), {i1, i2, i2, i0});
                         });
}

} // namespace vw
