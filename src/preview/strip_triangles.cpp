#include "preview/strip_triangles.h"

namespace vw {
namespace {

// Calls emit(k, i0, i1, i2, afterDrawn) for each triangle of the strip.
template <typename Emit>
void forEachTriangle(const std::vector<int16_t>& strip, size_t vertexCount, Emit emit) {
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
        emit(k, static_cast<uint16_t>(i0), static_cast<uint16_t>(i1), static_cast<uint16_t>(i2),
             previousDrawn);
        previousDrawn = true;
    }
}

} // namespace

void appendStripTriangles(const std::vector<int16_t>& strip, size_t vertexCount,
                          std::vector<uint16_t>& out) {
    forEachTriangle(strip, vertexCount,
                    [&out](size_t k, uint16_t i0, uint16_t i1, uint16_t i2, bool) {
                        if (k % 2 == 0)
                            out.insert(out.end(), {i0, i1, i2});
                        else
                            out.insert(out.end(), {i1, i0, i2});
                    });
}

void appendStripEdges(const std::vector<int16_t>& strip, size_t vertexCount,
                      std::vector<uint16_t>& out) {
    forEachTriangle(strip, vertexCount,
                    [&out](size_t, uint16_t i0, uint16_t i1, uint16_t i2, bool afterDrawn) {
                        if (!afterDrawn)
                            out.insert(out.end(), {i0, i1});
                        out.insert(out.end(), {i1, i2, i2, i0});
                    });
}

} // namespace vw
