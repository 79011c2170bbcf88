// Which bytes a save writes: none of them when the working copy is too short for its blocks, nor
// when its blocks would overwrite the file's own structure or one another, nor when segments that
// share a block disagree about its values.
#include "model/block_sharing.h"
#include "model/ebo/ebo_format.h"
#include "model/ebo/ebo_saver.h"
#include "model/editing/history/document.h"
#include "model/vertex_fields.h"
#include "support/ebo_builder.h"
#include "support/file_bytes.h"
#include "support/temp_dir.h"
#include "support/workspace.h"

#include <gtest/gtest.h>

#include <string_view>

using namespace vw;
using namespace vw::test;

namespace {

// A working copy cut short inside the last block fails the save before any block is written.
TEST(SaveBlocks, AWorkingCopyTooShortForOneBlockGetsNoneOfThem) {
    Workspace workspace;
    EboPlan plan;
    plan.parts = {{{gridSegment(3, 2), gridSegment(2, 2, 1.0f)}}};
    const BuiltEbo built = buildEbo(plan);
    const std::string path = workspace.put(built);
    Model model;
    ASSERT_EQ(loadModel(model, path, workspace.folders), 2);
    for (Segment& segment : model.Parts[0].segments) {
        for (Vertex& v : segment.verts)
            v.x += 1.0f;
    }
    const Segment& last = model.Parts[0].segments.back();
    const size_t cut = static_cast<size_t>(last.colorBlockAt) - 1 + 4 * last.verts.size() - 1;
    const std::vector<uint8_t> shortCopy(built.model.begin(), built.model.begin() + cut);
    writeBytes(workspace.folders.workingCopy, shortCopy);

    EXPECT_NE(saveModel(model, path, workspace.folders).reason(), "");
    EXPECT_EQ(readBytes(workspace.folders.workingCopy), shortCopy);
    EXPECT_EQ(readBytes(path), built.model);
}

// Verify before replace: a save whose blocks would overwrite the file's own structure, or one
// another, is refused, saying what overwrites what, and neither the model file nor the working
// copy changes.

const std::filesystem::path kSamples =
    std::filesystem::path(__FILE__).parent_path().parent_path().parent_path() / "samples";

constexpr std::string_view kAtByte = " at byte ";

// The 1-based byte a refusal that begins with says names; 0 when the reason is another.
uint64_t refusedAt(const std::string& reason, const std::string& says) {
    if (!reason.starts_with(says + std::string(kAtByte)))
        return 0;
    return std::stoull(reason.substr(says.size() + kAtByte.size()));
}

// Moves every vertex of the chosen part (every part when it is negative) and its UVs.
void moveVertices(Model& model, int part = -1) {
    for (size_t p = 0; p < model.Parts.size(); ++p) {
        for (Segment& segment : model.Parts[p].segments) {
            for (Vertex& v : segment.verts) {
                if (part >= 0 && static_cast<int>(p) != part)
                    continue;
                v.x += 1.0f;
                v.u += 0.25f;
            }
        }
    }
}

// A file that loads although one of its blocks overlaps the file's own structure or another
// block. Moving the vertices of the chosen part (every part when it is negative) must be refused
// with a byte in [firstByte, endByte) (0-based offsets) and what overwrites what, both files left
// as they were.
struct Overlap {
    const char* name;
    BuiltEbo built;
    std::string fileName;
    int part;
    size_t firstByte, endByte;
    const char* says;
};

std::vector<uint8_t> withBitFlipped(const std::string& sample, size_t position, uint8_t mask) {
    std::vector<uint8_t> bytes = readBytes(kSamples / sample);
    bytes.at(position - 1) ^= mask;
    return bytes;
}

EboPlan version6TwoSegments() {
    EboPlan plan;
    plan.fileVersion = 6;
    plan.parts = {{{gridSegment(3, 2), gridSegment(2, 2, 1.0f)}}};
    return plan;
}

// The header offset of segment s of a version-6 file's first part of two segments.
size_t version6HeaderAt(const std::vector<uint8_t>& bytes, size_t s) {
    return static_cast<size_t>(i32In(bytes, ebo::kFirstPartBlock + ebo::version6TableAt(2) +
                                                ebo::kVersion6TableEntrySize * s));
}

// The first segment's UV block moved onto its own header (offsets a, b, c and counts).
Overlap uvBlockOverItsHeader() {
    BuiltEbo built = buildEbo(version6TwoSegments());
    const size_t header = version6HeaderAt(built.model, 0);
    putI32(built.model, header + 32, static_cast<int32_t>(header - ebo::kVersion6UvsBias));
    Overlap overlap{"UvBlockOverItsHeader", built, "v6.ebo", -1, header, header + 48, ""};
    overlap.says = "the texture block of segment 0/0 would overwrite the file's own structure";
    return overlap;
}

// The second segment's position block moved onto the first one's UV block (48 bytes each).
Overlap positionsOverAnotherUvBlock() {
    BuiltEbo built = buildEbo(version6TwoSegments());
    const size_t uv = static_cast<size_t>(built.positions[0][0].uvBlockAt) - 1;
    putI32(built.model, version6HeaderAt(built.model, 1) + 20,
           static_cast<int32_t>(uv - ebo::kVersion6PositionsBias));
    Overlap overlap{"PositionsOverAnotherUvBlock", built, "v6.ebo", -1, uv, uv + 48, ""};
    overlap.says =
        "the position block of segment 0/1 would overwrite the texture block of segment 0/0";
    return overlap;
}

// Part 1's delta block started 12 bytes early, on its own offset word: the block holds one
// spare slot, so the record after it is still read where it lies.
Overlap deltaBlockOverItsOffset() {
    EboPlan plan;
    plan.modelFormat = 0;
    for (int p = 0; p < 4; ++p)
        plan.deltaParts[p] = simpleDeltaPart(4, static_cast<float>(p));
    plan.deltaParts[1].deltas.resize(plan.deltaParts[1].deltas.size() + 3, 0.0f);
    BuiltEbo built = buildEbo(plan);
    const size_t block = static_cast<size_t>(built.positions[1][0].posBlockAt) - 1;
    putI32(built.model, block - 12, static_cast<int32_t>(block) - 12);
    putI32(built.model, block - 16, i32In(built.model, block - 16) + 12);
    Overlap overlap{"DeltaBlockOverItsOffset", built, "head2.ebo", 1, block - 12, block - 8, ""};
    overlap.says = "the delta block of segment 1/0 would overwrite the file's own structure";
    return overlap;
}

// The two single-bit variants of the samples: byte 642 moves fish6's first UV block from 2593
// to 545, over part records and positions; byte 2117 moves head2's part-2 delta block 64 bytes
// back, over its own part record.
Overlap version6Sample() {
    BuiltEbo built;
    built.model = withBitFlipped("fish6.ebo", 642, 0x08);
    Overlap overlap{"Version6Sample", built, "fish6.ebo", -1, 0, ~size_t{0}, ""};
    overlap.says = "the texture block of segment 0/0 would overwrite the file's own structure";
    return overlap;
}

Overlap deltaSample() {
    BuiltEbo built{withBitFlipped("head2.ebo", 2117, 0x40),
                   readBytes(kSamples / "lod" / "base_lod2.ebo"),
                   readBytes(kSamples / "misc2.dat"),
                   {}};
    Overlap overlap{"DeltaSample", built, "head2.ebo", 2, 0, ~size_t{0}, ""};
    overlap.says = "the delta block of segment 2/0 would overwrite the file's own structure";
    return overlap;
}

class OverlapSave : public testing::TestWithParam<Overlap (*)()> {
protected:
    void SetUp() override {
        overlap = GetParam()();
        path = workspace.put(overlap.built, overlap.fileName);
        ASSERT_NE(loadModel(model, path, workspace.folders), 0) << "it loads as it always did";
        moveVertices(model, overlap.part);
    }

    void expectRefused(const std::string& reason) const {
        const uint64_t byte = refusedAt(reason, overlap.says);
        EXPECT_GT(byte, overlap.firstByte) << reason;
        EXPECT_LE(byte, overlap.endByte) << reason;
    }

    Workspace workspace;
    Overlap overlap;
    std::string path;
    Model model;
};

TEST_P(OverlapSave, IsRefusedAndChangesNothing) {
    expectRefused(saveModel(model, path, workspace.folders).reason());
    EXPECT_EQ(readBytes(path), overlap.built.model);
    EXPECT_EQ(readBytes(workspace.folders.workingCopy), overlap.built.model);
}

TEST_P(OverlapSave, IsRefusedInMemoryToo) {
    std::vector<uint8_t> bytes = overlap.built.model;
    expectRefused(saveModelBytes(model, bytes).reason());
    EXPECT_EQ(bytes, overlap.built.model);
}

INSTANTIATE_TEST_SUITE_P(Kinds, OverlapSave,
                         testing::Values(uvBlockOverItsHeader, positionsOverAnotherUvBlock,
                                         deltaBlockOverItsOffset, version6Sample, deltaSample),
                         [](const auto& info) { return std::string(info.param().name); });

// Loading stays as it was: an odd layout saves as long as the edit breaks nothing.
TEST(OverlapSave, AnEditThatLeavesTheOverlapAloneIsSaved) {
    Workspace workspace;
    const Overlap overlap = uvBlockOverItsHeader();
    const std::string path = workspace.put(overlap.built, overlap.fileName);
    Model model;
    ASSERT_EQ(loadModel(model, path, workspace.folders), 6);
    ASSERT_EQ(saveModel(model, path, workspace.folders).reason(), "");
    EXPECT_EQ(readBytes(path), overlap.built.model);
    for (Segment& segment : model.Parts[0].segments) {
        for (Vertex& v : segment.verts)
            v.z -= 0.5f;
    }
    ASSERT_EQ(saveModel(model, path, workspace.folders).reason(), "");
    Model reloaded;
    ASSERT_EQ(loadModel(reloaded, path, workspace.folders), 6);
    EXPECT_EQ(reloaded.Parts[0].segments[1].verts[3].z, model.Parts[0].segments[1].verts[3].z);
}

} // namespace

namespace {

// A version-6 part of three segments of six vertices: the second reads the first one's position
// block, the third its texture block.
EboPlan sharedBlocksPlan() {
    EboPlan plan;
    plan.fileVersion = 6;
    plan.parts = {{{gridSegment(3, 2), gridSegment(3, 2, 1.0f), gridSegment(3, 2, 2.0f)}}};
    plan.parts[0].segments[1].positionsOf = 0;
    plan.parts[0].segments[2].uvsOf = 0;
    return plan;
}

class SharedBlockSave : public testing::Test {
protected:
    void SetUp() override {
        built = buildEbo(sharedBlocksPlan());
        path = workspace.put(built, "v6.ebo");
        ASSERT_EQ(loadModel(model, path, workspace.folders), 6);
    }

    std::vector<Segment>& segments() { return model.Parts[0].segments; }

    Workspace workspace;
    BuiltEbo built;
    std::string path;
    Model model;
};

// Loaded as one storage: the sharers ringed and holding the block's values. Sharers that agree
// save into the one block, and only its bytes change.
TEST_F(SharedBlockSave, TheLoaderRecordsTheSharersAndAnEditOfAllIsSavedIntoTheOneBlock) {
    using Refs = std::vector<SegmentRef>;
    EXPECT_EQ(sharersOf(model, {0, 1}, kPositionBlock), (Refs{{0, 0}}));
    EXPECT_EQ(sharersOf(model, {0, 0}, kUvBlock), (Refs{{0, 2}}));
    EXPECT_TRUE(sharersOf(model, {0, 2}, kPositionBlock).empty());
    EXPECT_EQ(segments()[1].verts[4].x, segments()[0].verts[4].x);
    ASSERT_EQ(saveModel(model, path, workspace.folders).reason(), "");
    EXPECT_EQ(readBytes(path), built.model);

    for (size_t s : {0, 1})
        segments()[s].verts[2].x = 9.5f;
    for (size_t s : {0, 2})
        segments()[s].verts[5].v = -0.75f;
    ASSERT_EQ(saveModel(model, path, workspace.folders).reason(), "");
    std::vector<uint8_t> expected = built.model;
    const BlockPositions& at = built.positions[0][0];
    putFloats(expected, at.posBlockAt - 1 + 2 * ebo::kPositionSize, {9.5f});
    putFloats(expected, at.uvBlockAt - 1 + 5 * ebo::kUvSize + 4, {-0.75f});
    EXPECT_EQ(readBytes(path), expected);
}

// An edit through one sharer, made as the editor makes it, is an edit of all: in the model, in
// the working data the views show, in the saved block, and in its undo.
TEST_F(SharedBlockSave, AnEditThroughOneSharerIsAnEditOfAllAndUndoesTogether) {
    Document document(model);
    const float x = segments()[0].verts[2].x;
    model.curSeg = 0; // the whole part: both sharers are in the working data
    document.loadWorkingData();
    model.curData[1].verts[2].selected = -1;
    ASSERT_TRUE(document.edit("Set X of %n", kFieldX, 1,
                              [](std::vector<Segment>& data) { data[1].verts[2].x = 9.5f; }));
    EXPECT_EQ(model.curData[0].verts[2].x, 9.5f) << "the views show it in both";
    EXPECT_EQ(segments()[0].verts[2].x, 9.5f);

    model.curSeg = 1; // the first segment alone: its sharer lies outside the working data
    document.loadWorkingData();
    model.curData[0].verts[2].selected = -1;
    ASSERT_TRUE(document.edit("Set X of %n", kFieldX, 1,
                              [](std::vector<Segment>& data) { data[0].verts[2].x = -4.25f; }));
    EXPECT_EQ(segments()[1].verts[2].x, -4.25f);
    ASSERT_EQ(saveModel(model, path, workspace.folders).reason(), "");
    std::vector<uint8_t> expected = built.model;
    putFloats(expected, built.positions[0][0].posBlockAt - 1 + 2 * ebo::kPositionSize, {-4.25f});
    EXPECT_EQ(readBytes(path), expected);

    document.undo();
    EXPECT_EQ(segments()[1].verts[2].x, 9.5f);
    document.undo();
    for (size_t s : {0, 1})
        EXPECT_EQ(segments()[s].verts[2].x, x) << "segment " << s;
}

struct Conflict {
    const char* name;
    size_t seg;
    void (*edit)(std::vector<Vertex>&);
    const char* reason;
};

class SharedBlockConflict : public SharedBlockSave, public testing::WithParamInterface<Conflict> {};

// A save that would give sharers different values is refused before anything is written.
TEST_P(SharedBlockConflict, IsRefusedNamingTheSegments) {
    GetParam().edit(segments()[GetParam().seg].verts);
    EXPECT_EQ(saveModel(model, path, workspace.folders).reason(), GetParam().reason);
    EXPECT_EQ(readBytes(path), built.model);
    EXPECT_EQ(readBytes(workspace.folders.workingCopy), built.model);
    std::vector<uint8_t> bytes = built.model;
    EXPECT_EQ(saveModelBytes(model, bytes).reason(), GetParam().reason);
    EXPECT_EQ(bytes, built.model);
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, SharedBlockConflict,
    testing::Values(
        Conflict{"Position", 1, [](std::vector<Vertex>& v) { v[3].y -= 1.0f; },
                 "segments 0/0 and 0/1 share one position block: give them the same values"},
        Conflict{"ZeroMadeMinusZero", 0, [](std::vector<Vertex>& v) { v[0].z = -0.0f; },
                 "segments 0/0 and 0/1 share one position block: give them the same values"},
        Conflict{"Texture", 2, [](std::vector<Vertex>& v) { v[5].u += 0.5f; },
                 "segments 0/0 and 0/2 share one texture block: give them the same values"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
