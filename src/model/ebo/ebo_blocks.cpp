#include "model/ebo/ebo_layouts.h"
#include "model/files/file_io.h"

#include <limits>

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

// One pass over each run, building each vertex whole: a load's time goes mostly here.
std::vector<Vertex> readVertices(size_t count, const uint8_t* positions, const uint8_t* uvs,
                                 const uint8_t* colours) {
    std::vector<Vertex> verts;
    verts.reserve(count);
    platform::preferLargePages(verts.data(), count * sizeof(Vertex));
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
    return verts;
}

std::vector<int16_t> readInt16s(std::span<const uint8_t> run) {
    std::vector<int16_t> values(run.size() / ebo::kStripEntrySize);
    for (size_t i = 0; i < values.size(); ++i)
        values[i] = i16At(run.data() + ebo::kStripEntrySize * i);
    return values;
}

} // namespace vw
