#include "model/ebo/ebo_layouts.h"

namespace vw {

namespace {

// What the first pass learns from a segment header of the tag that is read.
struct SegmentHeader {
    bool isRead = false;
    int64_t positionsAt = 0;
    int64_t uvsAt = 0;
    int64_t stripAt = 0;
    int64_t vertexCount = 0;
    int64_t stripCount = 0;
};

SegmentHeader readSegmentHeader(ByteReader& in, int64_t headerAt) {
    SegmentHeader header;
    in.seek(headerAt);
    if (in.readI32() != ebo::kVersion6ReadTag)
        return header;
    for (int32_t word = in.readI32(); word != 1 && word != 2; word = in.readI32()) {
    }
    in.skip(ebo::kVersion6GapAfterStop);
    header.positionsAt = int64_t{in.readI32()} + ebo::kVersion6PositionsBias;
    in.skip(ebo::kVersion6GapAfterPositionsField);
    header.uvsAt = int64_t{in.readI32()} + ebo::kVersion6UvsBias;
    header.stripAt = int64_t{in.readI32()} + ebo::kVersion6StripBias;
    header.vertexCount = in.readI32();
    header.stripCount = int64_t{in.readI32()} + ebo::kVersion6StripCountBias;
    header.isRead = true;
    return header;
}

// Reads the segment's blocks; returns the offset just past its strip.
int64_t readSegmentBlocks(ByteReader& in, const SegmentHeader& header, Segment& segment) {
    in.seek(header.positionsAt);
    const auto positions = in.take(header.vertexCount, ebo::kPositionSize);
    in.seek(header.uvsAt);
    const auto uvs = in.take(header.vertexCount, ebo::kUvSize);
    in.seek(header.stripAt);
    segment.strip = readInt16s(in.take(header.stripCount, ebo::kStripEntrySize));

    segment.verts = readVertices(static_cast<size_t>(header.vertexCount), positions.data(),
                                 uvs.data(), nullptr);
    segment.posBlockAt = positionOf(header.positionsAt);
    segment.uvBlockAt = positionOf(header.uvsAt);
    segment.stripBlockAt = positionOf(header.stripAt);
    return static_cast<int64_t>(in.offset());
}

} // namespace

void readVersion6Layout(ByteReader& in, int32_t partCount, Model& model) {
    int64_t blockStart = ebo::kFirstPartBlock;
    for (int32_t p = 0; p < partCount; ++p) {
        const int64_t n = readSegmentCount(in, blockStart);
        in.seek(blockStart + ebo::version6TableAt(n));
        const uint8_t* table = in.take(n, ebo::kVersion6TableEntrySize).data();

        std::vector<SegmentHeader> headers(static_cast<size_t>(n));
        for (size_t s = 0; s < headers.size(); ++s)
            headers[s] = readSegmentHeader(in, i32At(table + ebo::kVersion6TableEntrySize * s));

        // A segment of another tag stays empty and leaves the next part's start alone.
        Part& part = model.Parts[static_cast<size_t>(p)];
        part.segments.resize(headers.size());
        for (size_t s = 0; s < headers.size(); ++s) {
            if (headers[s].isRead)
                blockStart = nextBlockAfter(readSegmentBlocks(in, headers[s], part.segments[s]));
        }
    }
}

} // namespace vw
