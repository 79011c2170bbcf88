#pragma once
// The one in-memory document: parts, segments, vertices, and which data the pane edits.
// Plain structs of vectors, so assignment is a deep copy.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vw {

struct Vertex {
    float x = 0, y = 0, z = 0; // y is held negated relative to the file
    float u = 0, v = 0;
    uint8_t red = 0, green = 0, blue = 0;
    uint8_t alpha = 0;
    int16_t selected = 0; // 0 or -1; never read from or written to a file

    // The five float members addressed by number: 0 x, 1 y, 2 z, 3 u, 4 v.
    float& coord(int axis) {
        switch (axis) {
        case 0:
            return x;
        case 1:
            return y;
        case 2:
            return z;
        case 3:
            return u;
        default:
            return v;
        }
    }
    float coord(int axis) const { return const_cast<Vertex*>(this)->coord(axis); }

    bool operator==(const Vertex&) const = default;
};

// A segment of Parts by number; part -1 names none.
struct SegmentRef {
    int32_t part = -1;
    int32_t seg = -1;

    explicit operator bool() const { return part >= 0; }
    bool operator==(const SegmentRef&) const = default;
    // Model order: by part, then by segment.
    bool operator<(const SegmentRef& other) const {
        return part != other.part ? part < other.part : seg < other.seg;
    }
};

// The vertex blocks that segments can share: one block of a file, read by each of them.
enum BlockKind : uint8_t { kPositionBlock, kUvBlock, kColourBlock };
constexpr size_t kBlockKindCount = 3;

struct Segment {
    std::vector<Vertex> verts;
    int32_t posBlockAt = 0;   // 1-based file position; 0 = not recorded
    int32_t colorBlockAt = 0; // 0 = the segment has no colour block
    int32_t uvBlockAt = 0;
    std::vector<int16_t> strip;
    int32_t stripBlockAt = 0;
    int32_t nodeIndex = 0; // the segment's node in the parts tree, 1-based
    // Delta layout: how many bytes the delta block had in the file, so a save never writes past it.
    int32_t posBlockBytes = 0;
    // Per block kind, the next segment whose block of that kind starts at the same file position
    // with as many vertices, in a ring through all of them; none when the block is its own.
    std::array<SegmentRef, kBlockKindCount> nextSharer{};

    bool operator==(const Segment&) const = default;
};

struct Part {
    std::vector<Segment> segments;

    bool operator==(const Part&) const = default;
};

struct BaseMesh {
    std::vector<float> basePos;     // three per base vertex, as stored (not negated)
    std::vector<int16_t> deltaSlot; // one per base vertex

    bool operator==(const BaseMesh&) const = default;
};

// The file layout a model was loaded from, numbered as loadModel reports it. The loader sets
// it; the saver and every other reader go by it instead of the header words.
enum class ModelLayout : uint8_t { None = 0, Plain2 = 2, Plain3 = 3, Version6 = 6, Delta = 10 };

// A file as a program last saw it: its identity, size and modification time. Every write to a
// file changes its modification time, and a file put in its place has another identity, so a
// later look can tell that another program changed it since. FileStamp{} stands for no file.
struct FileStamp {
    uint64_t device = 0;
    uint64_t inode = 0;
    int64_t size = 0;
    int64_t modifiedNs = 0;

    bool operator==(const FileStamp&) const = default;
};

struct Model {
    std::vector<Part> Parts;
    int16_t fileVersion = 0;
    int16_t modelFormat = 0;
    ModelLayout layout = ModelLayout::None;
    std::string modelPath;
    int32_t curPart = 0;
    int32_t curSeg = 0; // 0 = the whole current part; k = segment k - 1
    std::vector<Segment> curData;
    std::array<BaseMesh, 4> baseMeshes;
    FileStamp workingCopyStamp; // zero when the model has no working copy
    // The model file as it was loaded or last saved, or as the user agreed to overwrite it;
    // none when the model did not come from a file.
    std::optional<FileStamp> modelFileStamp;

    bool operator==(const Model&) const = default;
};

// The largest value of a non-empty list, in signed comparison.
int16_t maxOf(const std::vector<int16_t>& values);

// The segment of Parts the reference names; null when the model has no such segment.
const Segment* segmentAt(const Model& model, SegmentRef ref);
Segment* segmentAt(Model& model, SegmentRef ref);
// "part/segment", as reasons name a segment.
std::string segmentName(SegmentRef ref);

// Inclusive point-in-rectangle test; the corners may come in any order.
bool isInRect(float x, float y, float x1, float y1, float x2, float y2);

} // namespace vw
