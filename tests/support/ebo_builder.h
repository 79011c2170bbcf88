#pragma once
// Builds EBO model files in memory from a small description, for tests, samples, the fuzzer's
// seeds and the benchmarks. Every byte the loader does not read is non-zero noise, so a wrong
// offset or a stray write shows.
//
// Layout: fileVersion 6 builds the version-6 layout; otherwise modelFormat 0 builds the delta
// layout (model file plus base-mesh and offsets files) and any other modelFormat the plain-mesh
// layout (so modelFormat 1 gives a well-formed file of no loadable layout).

#include <array>
#include <cstdint>
#include <filesystem>
#include <vector>

namespace vw::test {

// One vertex as the file stores it: y is the file's value, not the model's negated one.
struct FileVertex {
    float x = 0, y = 0, z = 0;
    float u = 0, v = 0;
    uint8_t red = 0, green = 0, blue = 0, alpha = 0;
};

// A segment of the plain-mesh or version-6 layout.
struct SegmentPlan {
    std::vector<FileVertex> verts;
    std::vector<int16_t> strip;
    // Plain mesh: the strip-size word sb; -1 writes 2 * strip.size(). The strip block always
    // holds strip.size() entries, so a test of an odd sb gives the entries the loader expects.
    int32_t stripBytes = -1;
    // Version 6: the segment is read only when its tag is 5. headerSkips are the words before
    // the stop word (none may be 1 or 2); headerStop must be 1 or 2. The strip needs at least
    // two entries (the file stores the triangle count, entries - 2).
    int32_t tag = 5;
    std::vector<int32_t> headerSkips = {7, -3};
    int32_t headerStop = 1;
    // Version 6: the segment reads the position (UV) block of the earlier segment of this number
    // in its part instead of a block of its own; -1 writes its own. The values loaded are then
    // that segment's, over this segment's vertex count.
    int32_t positionsOf = -1;
    int32_t uvsOf = -1;
};

struct PartPlan {
    std::vector<SegmentPlan> segments;
};

// One part of the delta layout.
struct DeltaPartPlan {
    std::vector<float> basePos;     // pair 1: three per base vertex
    std::vector<int16_t> deltaSlot; // pair 2: one per vertex; its length is the vertex count
    std::vector<float> baseUv;      // pair 3: two per vertex
    std::vector<int16_t> strip;     // pair 4
    std::vector<float> deltas;      // the delta block in the model file
    int32_t deltaBytes = -1;        // the size word db; -1 writes 4 * deltas.size()
    int32_t wordsBeforeMarker = 2;  // noise words the loader skips while looking for the marker
    // The count-and-skip record is written when round(db / 4) differs from 3 * (max slot + 1):
    // skipBytes is its count k; noise pads what follows to a multiple of 4.
    int32_t skipBytes = 5;
    int32_t textureWord = 0x00050000; // L; any other value is followed by 8 bytes and L floats
};

struct EboPlan {
    int16_t fileVersion = 4;
    int16_t modelFormat = 2;
    int16_t partCount = -1;      // header part count; -1 = parts.size() (delta layout: 4)
    std::vector<PartPlan> parts; // plain-mesh and version-6 layouts
    std::array<DeltaPartPlan, 4> deltaParts; // delta layout
    uint32_t noiseSeed = 1;
};

// The 1-based block positions a correct loader records for one segment (0 = none).
struct BlockPositions {
    int32_t posBlockAt = 0;
    int32_t uvBlockAt = 0;
    int32_t colorBlockAt = 0;
    int32_t stripBlockAt = 0;
    int32_t posBlockBytes = 0; // delta layout: bytes of the delta block as the loader reads it
};

struct BuiltEbo {
    std::vector<uint8_t> model;
    std::vector<uint8_t> baseMesh;                      // delta layout only
    std::vector<uint8_t> offsets;                       // delta layout only
    std::vector<std::vector<BlockPositions>> positions; // [part][segment]
};

BuiltEbo buildEbo(const EboPlan& plan);

// Writes the model file to modelFile and, for the delta layout, the companion files to
// programDir/lod/base_lod<c>.ebo and programDir/misc<c>.dat, c being the fifth character from
// the end of modelFile. Creates missing folders; throws std::runtime_error when writing fails.
void writeEbo(const BuiltEbo& built, const std::filesystem::path& modelFile,
              const std::filesystem::path& programDir);

// A simple grid of vertices (colours and UVs varying) with a strip over it, for tests that
// need a segment of a given size without caring about its values.
SegmentPlan gridSegment(int columns, int rows, float offset = 0);

// A delta part whose n vertices take slots 0..n-1 with small non-zero base values and deltas.
DeltaPartPlan simpleDeltaPart(int vertexCount, float offset = 0);

} // namespace vw::test
