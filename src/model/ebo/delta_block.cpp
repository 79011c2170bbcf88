#include "model/ebo/delta_block.h"

#include "model/ebo/byte_writer.h"
#include "model/ebo/ebo_format.h"

#include <algorithm>
#include <bit>

namespace vw {

float negated(float value) {
    return std::bit_cast<float>(std::bit_cast<uint32_t>(value) ^ 0x80000000u);
}

namespace {

Result unsavableVertex(size_t part, size_t vertex) {
    return Result::failure("vertex " + std::to_string(vertex) + " of part " + std::to_string(part) +
                           " has moved, but the file has no room for its position");
}

size_t lastVertexInSlot(const BaseMesh& base, size_t slot) {
    for (size_t v = base.deltaSlot.size(); v-- > 0;) {
        if (static_cast<size_t>(base.deltaSlot[v]) == slot)
            return v;
    }
    return 0;
}

} // namespace

Result deltaBlockBytes(const Segment& segment, const BaseMesh& base, size_t part,
                       std::vector<uint8_t>& bytes) {
    bytes.clear();
    if (base.deltaSlot.empty())
        return {};
    const size_t slots = static_cast<size_t>(std::max<int16_t>(maxOf(base.deltaSlot), 0)) + 1;
    std::vector<float> deltas(3 * slots, 0.0f);
    const size_t withBase = std::min(base.deltaSlot.size(), base.basePos.size() / 3);
    for (size_t v = 0; v < segment.verts.size(); ++v) {
        const Vertex& vertex = segment.verts[v];
        const int16_t k = v < base.deltaSlot.size() ? base.deltaSlot[v] : -1;
        if (v >= withBase || k < 0) {
            if (vertex.x != 0 || vertex.y != 0 || vertex.z != 0)
                return unsavableVertex(part, v);
            continue;
        }
        deltas[3 * k] = vertex.x - base.basePos[3 * v];
        deltas[3 * k + 1] = negated(vertex.y) - base.basePos[3 * v + 1];
        deltas[3 * k + 2] = vertex.z - base.basePos[3 * v + 2];
    }
    const size_t length = std::min(
        deltas.size(), static_cast<size_t>(std::max(segment.posBlockBytes, 0)) / ebo::kDeltaSize);
    for (size_t i = length; i < deltas.size(); ++i) {
        if (deltas[i] != 0)
            return unsavableVertex(part, lastVertexInSlot(base, i / 3));
    }
    bytes.resize(ebo::kDeltaSize * length);
    ByteWriter out(bytes);
    for (size_t i = 0; i < length; ++i)
        out.writeF32(deltas[i]);
    return {};
}

} // namespace vw
