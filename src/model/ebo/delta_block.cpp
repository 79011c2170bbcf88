#include "model/ebo/delta_block.h"

#include "model/ebo/byte_reader.h"
#include "model/ebo/byte_writer.h"

#include <algorithm>
#include <bit>

namespace vw {

namespace {

Result unsavableVertex(size_t part, size_t vertex) {
    return Result::failure("vertex " + std::to_string(vertex) + " of part " + std::to_string(part) +
                           " has moved, but the file has no room for its position");
}

bool sameBits(float a, float b) {
    return std::bit_cast<uint32_t>(a) == std::bit_cast<uint32_t>(b);
}

// The delta of a slot as the block holds it; a slot past the block reads as 0, as the loader
// pads it.
float deltaOnFile(std::span<const uint8_t> onFile, size_t index) {
    return 4 * index + 4 <= onFile.size() ? f32At(onFile.data() + 4 * index) : 0.0f;
}

// Whether the vertex still has the position the loader gives it from the block as it is.
bool isWhereTheFilePutsIt(const Vertex& vertex, const BaseMesh& base, size_t v, size_t k,
                          std::span<const uint8_t> onFile) {
    const float* at = &base.basePos[3 * v];
    return sameBits(vertex.x, at[0] + deltaOnFile(onFile, 3 * k)) &&
           sameBits(vertex.y, -(at[1] + deltaOnFile(onFile, 3 * k + 1))) &&
           sameBits(vertex.z, at[2] + deltaOnFile(onFile, 3 * k + 2));
}

} // namespace

std::span<const uint8_t> deltaBlockOnFile(const Segment& segment, std::span<const uint8_t> file) {
    const int64_t at = int64_t{segment.posBlockAt} - 1;
    const int64_t length = segment.posBlockBytes;
    if (at < 0 || length < 0 || at + length > static_cast<int64_t>(file.size()))
        return {};
    return file.subspan(static_cast<size_t>(at), static_cast<size_t>(length));
}

Result deltaBlockBytes(const Segment& segment, const BaseMesh& base, size_t part,
                       std::span<const uint8_t> onFile, std::vector<uint8_t>& bytes) {
    bytes.assign(onFile.begin(), onFile.end());
    const size_t withBase = std::min(base.deltaSlot.size(), base.basePos.size() / 3);
    for (size_t v = 0; v < segment.verts.size(); ++v) {
        const Vertex& vertex = segment.verts[v];
        const int16_t k = v < base.deltaSlot.size() ? base.deltaSlot[v] : -1;
        if (v >= withBase || k < 0) {
            if (vertex.x != 0 || vertex.y != 0 || vertex.z != 0)
                return unsavableVertex(part, v);
            continue;
        }
        const size_t slot = static_cast<size_t>(k);
        if (isWhereTheFilePutsIt(vertex, base, v, slot, onFile))
            continue;
        const float deltas[3] = {vertex.x - base.basePos[3 * v],
                                 negated(vertex.y) - base.basePos[3 * v + 1],
                                 vertex.z - base.basePos[3 * v + 2]};
        for (size_t i = 0; i < 3; ++i) {
            const size_t at = 4 * (3 * slot + i);
            if (at + 4 <= bytes.size())
                ByteWriter({&bytes[at], 4}).writeF32(deltas[i]);
            else if (deltas[i] != 0)
                return unsavableVertex(part, v);
        }
    }
    return {};
}

} // namespace vw
