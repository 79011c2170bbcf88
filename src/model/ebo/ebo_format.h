#pragma once
// Where things lie in an EBO file, named once for the readers, the block code and the tests that
// build files. Offsets are 0-based byte counts; a part's offsets run from the start of its block
// and grow with its segment count n.

#include <cstdint>

namespace vw::ebo {

// The header.
constexpr int64_t kFileVersionAt = 36;
constexpr int64_t kModelFormatAt = 40;
constexpr int64_t kPartCountAt = 42;
constexpr int64_t kHeaderSize = 44;
constexpr int64_t kFirstPartBlock = 124;

// Every part block of the plain-mesh and version-6 layouts starts with its segment count.
constexpr int64_t kSegmentCountAt = 28;

// Records, as stored: a position is three floats (y as the file holds it), a texture coordinate
// two, a colour four bytes (blue, green, red, alpha), a strip entry one int16.
constexpr int64_t kPositionSize = 12;
constexpr int64_t kUvSize = 8;
constexpr int64_t kColourSize = 4;
constexpr int64_t kStripEntrySize = 2;

// After a segment's last block: 2 bytes more when it ends off a multiple of 4, then a gap.
constexpr int64_t kAlignmentPad = 2;
constexpr int64_t kGapAfterBlock = 60;

// The plain-mesh layout. The vertex-count table holds one entry per segment (the count in its
// first word); the segments' blocks follow, each block followed by a gap.
constexpr int64_t plainCountTableAt(int64_t n) {
    return 172 + 128 * n;
}
constexpr int64_t kPlainCountEntrySize = 36;
constexpr int64_t plainSegmentsAt(int64_t n) {
    return 220 + 308 * n;
}
constexpr int64_t kPlainGapAfterPositions = 28;
constexpr int64_t kPlainGapAfterUvs = 28;
// Between the strip-size word, which follows the colours, and the strip itself.
constexpr int64_t kPlainGapAfterStripSize = 20;

// The version-6 layout. The segment table holds one entry per segment, its first word the
// offset of the segment's header. A header read is one tagged kVersion6ReadTag: after the tag,
// words up to a stop word of 1 or 2, then a skipped word and the fields below; the stored block
// offsets lie that far before their blocks, the strip count that far below the entry count.
constexpr int64_t version6TableAt(int64_t n) {
    return 164 + 112 * n;
}
constexpr int64_t kVersion6TableEntrySize = 48;
constexpr int32_t kVersion6ReadTag = 5;
constexpr int64_t kVersion6GapAfterStop = 4;
constexpr int64_t kVersion6GapAfterPositionsField = 8;
constexpr int64_t kVersion6PositionsBias = 28;
constexpr int64_t kVersion6UvsBias = 28;
constexpr int64_t kVersion6StripBias = 24;
constexpr int64_t kVersion6StripCountBias = 2;

// The delta layout, chosen by the format word kDeltaModelFormat. Each part's record follows a
// marker word: a skipped word, the delta block's size in bytes and its offset. A padding record (a
// count, that many bytes, then up to a multiple of 4) follows the block when its size does not
// match the slots; then a texture word, kNoTextureData or a float count with kTextureGap bytes
// before the floats.
constexpr int16_t kDeltaModelFormat = 0;
constexpr int32_t kDeltaMarker = 0x00666666;
constexpr int64_t kDeltaGapAfterMarker = 4;
constexpr int32_t kNoTextureData = 0x00050000;
constexpr int64_t kTextureGap = 8;
constexpr int64_t kDeltaSize = 4;

} // namespace vw::ebo
