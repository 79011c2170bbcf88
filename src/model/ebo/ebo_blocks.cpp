#include "model/ebo/ebo_layouts.h"
#include "model/files/file_io.h"

#include <limits>
#include <utility>
#include <vector>

namespace vw {

EboHeader readHeader(ByteReader& in) {
    EboHeader header;
    in.seek(ebo::kFileVersionAt);
    header.fileVersion = in.readI16();
    in.seek(ebo::kModelFormatAt);
    header.modelFormat = in.readI16();
    in.seek(ebo::kPartCountAt);
    header.partCount = in.readI16();
    return header;
}

int64_t roundHalfEven(int64_t value, int64_t divisor) {
    int64_t quotient = value / divisor;
    const int64_t twiceRest = 2 * (value % divisor);
    if (twiceRest > divisor || (twiceRest == divisor && quotient % 2 != 0))
        ++quotient;
    return quotient;
}

int32_t positionOf(int64_t offset) {
    if (offset < 0 || offset >= std::numeric_limits<int32_t>::max())
        throw MalformedFile("block position out of range");
    return static_cast<int32_t>(offset + 1);
}

int64_t nextBlockAfter(int64_t offset) {
    if (offset % 4 != 0)
        offset += ebo::kAlignmentPad;
    return offset + ebo::kGapAfterBlock;
}

int64_t readSegmentCount(ByteReader& in, int64_t blockStart) {
    in.seek(blockStart + ebo::kSegmentCountAt);
    const int64_t n = in.readI32();
    if (n < 1)
        throw MalformedFile("part without segments");
    return n;
}

void reserveSegments(std::span<const SegmentRoom> rooms) {
    std::vector<platform::MemoryRange> ranges;
    for (const SegmentRoom& room : rooms) {
        Segment& segment = *room.segment;
        segment.verts.reserve(room.vertexCount);
        segment.strip.reserve(room.stripCount);
        ranges.push_back({segment.verts.data(), segment.verts.capacity() * sizeof(Vertex)});
        ranges.push_back({segment.strip.data(), segment.strip.capacity() * sizeof(int16_t)});
    }
    platform::preferLargePages(std::move(ranges));
}

// One pass over each run, building each vertex whole.
void appendVertices(std::vector<Vertex>& verts, size_t count, const uint8_t* positions,
                    const uint8_t* uvs, const uint8_t* colours) {
    verts.reserve(verts.size() + count);
    for (size_t i = 0; i < count; ++i) {
        Vertex& v = verts.emplace_back();
        v.x = f32At(positions);
        v.y = -f32At(positions + 4);
        v.z = f32At(positions + 8);
        v.u = f32At(uvs);
        v.v = f32At(uvs + 4);
        positions += ebo::kPositionSize;
        uvs += ebo::kUvSize;
        if (colours) {
            v.blue = colours[0];
            v.green = colours[1];
            v.red = colours[2];
            v.alpha = colours[3];
            colours += ebo::kColourSize;
        }
    }
}

void appendInt16s(std::vector<int16_t>& values, std::span<const uint8_t> run) {
    const size_t count = run.size() / ebo::kStripEntrySize;
    values.reserve(values.size() + count);
    for (size_t i = 0; i < count; ++i)
        values.push_back(i16At(run.data() + ebo::kStripEntrySize * i));
}

} // namespace vw
