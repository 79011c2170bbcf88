#include "model/ebo_layouts.h"

namespace vw {

namespace {

// Reads one segment's data starting at offset; returns where the next segment's data starts,
// which may lie past the end of a file that holds nothing more.
int64_t readPlainSegment(ByteReader& in, int64_t offset, int32_t vertexCount, Segment& segment) {
    in.seek(offset);
    segment.posBlockAt = positionOf(static_cast<int64_t>(in.offset()));
    const uint8_t* positions = in.take(vertexCount, 12).data();
    in.skip(28);
    segment.uvBlockAt = positionOf(static_cast<int64_t>(in.offset()));
    const uint8_t* uvs = in.take(vertexCount, 8).data();
    in.skip(28);
    segment.colorBlockAt = positionOf(static_cast<int64_t>(in.offset()));
    const uint8_t* colours = in.take(vertexCount, 4).data();
    segment.verts = readVertices(static_cast<size_t>(vertexCount), positions, uvs, colours);

    const int32_t stripBytes = in.readI32();
    if (stripBytes < 0)
        throw MalformedFile("negative strip size");
    in.skip(20);
    segment.stripBlockAt = positionOf(static_cast<int64_t>(in.offset()));
    segment.strip = readInt16s(in.take(roundHalfEven(stripBytes, 2), 2));
    return nextBlockAfter(static_cast<int64_t>(in.offset()));
}

} // namespace

void readPlainLayout(ByteReader& in, int32_t partCount, Model& model) {
    int64_t blockStart = kFirstPartBlock;
    for (int32_t p = 0; p < partCount; ++p) {
        in.seek(blockStart + 28);
        const int64_t n = in.readI32();
        if (n < 1)
            throw MalformedFile("part without segments");
        // The segment data must start inside the file, which bounds n before any allocation.
        int64_t offset = blockStart + 220 + 308 * n;
        in.seek(offset);
        in.seek(blockStart + 172 + 128 * n);
        const uint8_t* countTable = in.take(n, 36).data();

        Part& part = model.Parts[static_cast<size_t>(p)];
        part.segments.resize(static_cast<size_t>(n));
        for (int64_t s = 0; s < n; ++s) {
            const int32_t vertexCount = i32At(countTable + 36 * s);
            offset =
                readPlainSegment(in, offset, vertexCount, part.segments[static_cast<size_t>(s)]);
        }
        blockStart = offset;
    }
}

} // namespace vw
