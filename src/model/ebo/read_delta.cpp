#include "model/ebo/ebo_layouts.h"

#include <algorithm>

namespace vw {

namespace {

// One (position, count) pair of the offsets file: count elements of elementSize bytes at a
// 1-based position in the base-mesh file.
std::span<const uint8_t> readBaseBlock(ByteReader& offsets, ByteReader& base, size_t elementSize) {
    const int64_t position = offsets.readI32();
    const int64_t count = offsets.readI32();
    base.seek(position - 1);
    return base.take(count, elementSize);
}

std::vector<float> readFloats(std::span<const uint8_t> run) {
    std::vector<float> values(run.size() / 4);
    for (size_t i = 0; i < values.size(); ++i)
        values[i] = f32At(run.data() + 4 * i);
    return values;
}

// Finds the part record's marker and reads the delta block it names, leaving the reader just
// past the block.
std::vector<float> readDeltaBlock(ByteReader& in, Segment& segment) {
    while (in.readI32() != ebo::kDeltaMarker) {
    }
    in.skip(ebo::kDeltaGapAfterMarker);
    const int64_t deltaBytes = in.readI32();
    if (deltaBytes < 0)
        throw MalformedFile("negative delta size");
    const int64_t deltaAt = in.readI32();
    in.seek(deltaAt);
    std::vector<float> deltas =
        readFloats(in.take(roundHalfEven(deltaBytes, ebo::kDeltaSize), ebo::kDeltaSize));
    segment.posBlockAt = positionOf(deltaAt);
    segment.posBlockBytes = static_cast<int32_t>(ebo::kDeltaSize * deltas.size());
    return deltas;
}

void skipPaddingRecord(ByteReader& in) {
    const int64_t count = in.readI32();
    if (count < 0)
        throw MalformedFile("negative padding count");
    in.skip(count);
    in.seek((static_cast<int64_t>(in.offset()) + 3) / 4 * 4);
}

void skipTextureData(ByteReader& in) {
    const int32_t floatCount = in.readI32();
    if (floatCount == ebo::kNoTextureData)
        return;
    in.skip(ebo::kTextureGap);
    in.take(floatCount, sizeof(float));
}

void readDeltaPart(ByteReader& in, ByteReader& offsets, ByteReader& base, Segment& segment,
                   BaseMesh& mesh) {
    std::vector<float> deltas = readDeltaBlock(in, segment);

    mesh.basePos = readFloats(readBaseBlock(offsets, base, ebo::kPositionSize));
    mesh.deltaSlot = readInt16s(readBaseBlock(offsets, base, ebo::kStripEntrySize));
    const size_t baseCount = mesh.basePos.size() / 3;
    if (mesh.deltaSlot.empty() || baseCount > mesh.deltaSlot.size())
        throw MalformedFile("base positions do not match the delta slots");
    if (std::any_of(mesh.deltaSlot.begin(), mesh.deltaSlot.end(), [](int16_t k) { return k < 0; }))
        throw MalformedFile("negative delta slot");
    segment.verts.resize(mesh.deltaSlot.size());

    const size_t slotFloats = 3 * (static_cast<size_t>(maxOf(mesh.deltaSlot)) + 1);
    if (deltas.size() != slotFloats) {
        deltas.resize(slotFloats, 0.0f);
        skipPaddingRecord(in);
    }
    for (size_t k = 0; k < baseCount; ++k) {
        const float* delta = &deltas[3 * static_cast<size_t>(mesh.deltaSlot[k])];
        Vertex& vertex = segment.verts[k];
        vertex.x = mesh.basePos[3 * k] + delta[0];
        vertex.y = -(mesh.basePos[3 * k + 1] + delta[1]);
        vertex.z = mesh.basePos[3 * k + 2] + delta[2];
    }

    const auto uvs = readBaseBlock(offsets, base, ebo::kUvSize);
    if (uvs.size() / ebo::kUvSize > segment.verts.size())
        throw MalformedFile("more texture coordinates than vertices");
    skipTextureData(in);
    for (size_t k = 0; k < uvs.size() / ebo::kUvSize; ++k) {
        segment.verts[k].u = f32At(uvs.data() + ebo::kUvSize * k);
        segment.verts[k].v = f32At(uvs.data() + ebo::kUvSize * k + 4);
    }
    segment.strip = readInt16s(readBaseBlock(offsets, base, ebo::kStripEntrySize));
}

} // namespace

void readDeltaLayout(ByteReader& in, const CompanionBytes& companions, Model& model) {
    ByteReader offsets(companions.offsets);
    ByteReader base(companions.baseMesh);
    model.Parts.assign(4, Part{});
    in.seek(ebo::kHeaderSize);
    for (size_t p = 0; p < 4; ++p) {
        model.Parts[p].segments.resize(1);
        readDeltaPart(in, offsets, base, model.Parts[p].segments[0], model.baseMeshes[p]);
    }
}

} // namespace vw
