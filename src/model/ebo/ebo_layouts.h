#pragma once
// The readers of the three EBO layouts, shared by the loader. Each throws MalformedFile on a
// file it cannot read and fills only the model it is given.

#include "model/ebo/byte_reader.h"
#include "model/ebo/ebo_format.h"
#include "model/model.h"

#include <cstdint>
#include <span>

namespace vw {

// The header words every layout starts with.
struct EboHeader {
    int16_t fileVersion = 0;
    int16_t modelFormat = 0;
    int16_t partCount = 0;
};
EboHeader readHeader(ByteReader& in);

// value / divisor rounded to the nearest integer, halves to even; value must not be negative.
int64_t roundHalfEven(int64_t value, int64_t divisor);

// The 1-based position recorded for a block starting at a 0-based offset.
int32_t positionOf(int64_t offset);

// The reading position after a segment's last block: aligned, then past the gap.
int64_t nextBlockAfter(int64_t offset);

// The segment count of the part block starting at blockStart; a part without segments is
// malformed.
int64_t readSegmentCount(ByteReader& in, int64_t blockStart);

// Builds count vertices from bounds-checked runs of position records (three floats, y negated
// on the way in), UV records (two floats) and, when colours is not null, colour records (blue,
// green, red, alpha).
std::vector<Vertex> readVertices(size_t count, const uint8_t* positions, const uint8_t* uvs,
                                 const uint8_t* colours);
std::vector<int16_t> readInt16s(std::span<const uint8_t> run);

void readPlainLayout(ByteReader& in, int32_t partCount, Model& model);

// The plain-mesh layout's first pass alone: model's parts get their segments with block
// positions but no vertices or strips; each segment's vertex count and strip bytes come back in
// model order.
struct PlainSegmentRuns {
    size_t vertexCount = 0;
    std::span<const uint8_t> strip;
};
std::vector<PlainSegmentRuns> walkPlainLayout(ByteReader& in, int32_t partCount, Model& model);
void readVersion6Layout(ByteReader& in, int32_t partCount, Model& model);

struct CompanionBytes {
    std::span<const uint8_t> baseMesh;
    std::span<const uint8_t> offsets;
};
void readDeltaLayout(ByteReader& in, const CompanionBytes& companions, Model& model);

} // namespace vw
