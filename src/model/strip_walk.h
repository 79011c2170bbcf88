#pragma once
// How a segment's triangle strip names its triangles: every three consecutive entries make one,
// unless two are equal (a joint of the strip) or one names a vertex the segment lacks. The plane
// views and the Preview both read strips this way.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vw {

// Calls visit(k, i0, i1, i2, afterDrawn) for each triangle, k being the strip position of its
// first entry; afterDrawn tells whether the triangle just before it was one too (the two then
// share the edge i0-i1).
template <typename Visit>
void forEachStripTriangle(const std::vector<int16_t>& strip, size_t vertexCount, Visit visit) {
    const auto exists = [vertexCount](int32_t index) {
        return index >= 0 && static_cast<size_t>(index) < vertexCount;
    };
    bool previousDrawn = false;
    for (size_t k = 0; k + 2 < strip.size(); ++k) {
        const int32_t i0 = strip[k], i1 = strip[k + 1], i2 = strip[k + 2];
        if (i0 == i1 || i1 == i2 || i0 == i2 || !exists(i0) || !exists(i1) || !exists(i2)) {
            previousDrawn = false;
            continue;
        }
        visit(k, i0, i1, i2, previousDrawn);
        previousDrawn = true;
    }
}

} // namespace vw
