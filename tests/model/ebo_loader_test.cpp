#include "model/ebo/ebo_loader.h"
#include "support/ebo_builder.h"
#include "support/model_plans.h"
#include "support/temp_dir.h"
#include "support/workspace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>

using namespace vw;
using namespace vw::test;

namespace {

uint32_t bitsOf(float value) {
    return std::bit_cast<uint32_t>(value);
}

void expectPositions(const Segment& segment, const BlockPositions& at) {
    EXPECT_EQ(segment.posBlockAt, at.posBlockAt);
    EXPECT_EQ(segment.uvBlockAt, at.uvBlockAt);
    EXPECT_EQ(segment.colorBlockAt, at.colorBlockAt);
    EXPECT_EQ(segment.stripBlockAt, at.stripBlockAt);
}

// Every value bit for bit as the file holds it, y negated; colours only where the layout has them.
void expectSegment(const Segment& segment, const SegmentPlan& plan, bool hasColour) {
    ASSERT_EQ(segment.verts.size(), plan.verts.size());
    for (size_t i = 0; i < plan.verts.size(); ++i) {
        SCOPED_TRACE("vertex " + std::to_string(i));
        const Vertex& got = segment.verts[i];
        const FileVertex& want = plan.verts[i];
        EXPECT_EQ(bitsOf(got.x), bitsOf(want.x));
        EXPECT_EQ(bitsOf(got.y), bitsOf(-want.y));
        EXPECT_EQ(bitsOf(got.z), bitsOf(want.z));
        EXPECT_EQ(bitsOf(got.u), bitsOf(want.u));
        EXPECT_EQ(bitsOf(got.v), bitsOf(want.v));
        EXPECT_EQ(got.red, hasColour ? want.red : 0);
        EXPECT_EQ(got.green, hasColour ? want.green : 0);
        EXPECT_EQ(got.blue, hasColour ? want.blue : 0);
        EXPECT_EQ(got.alpha, hasColour ? want.alpha : 0);
        EXPECT_EQ(got.selected, 0);
    }
    EXPECT_EQ(segment.strip, plan.strip);
}

void expectParts(const Model& model, const EboPlan& plan, const BuiltEbo& built, bool hasColour) {
    ASSERT_EQ(model.Parts.size(), plan.parts.size());
    for (size_t p = 0; p < plan.parts.size(); ++p) {
        ASSERT_EQ(model.Parts[p].segments.size(), plan.parts[p].segments.size());
        for (size_t s = 0; s < plan.parts[p].segments.size(); ++s) {
            SCOPED_TRACE("part " + std::to_string(p) + " segment " + std::to_string(s));
            const SegmentPlan& segmentPlan = plan.parts[p].segments[s];
            const Segment& segment = model.Parts[p].segments[s];
            expectPositions(segment, built.positions[p][s]);
            if (segmentPlan.tag == 5 || plan.fileVersion != 6)
                expectSegment(segment, segmentPlan, hasColour);
            else
                EXPECT_TRUE(segment.verts.empty() && segment.strip.empty());
        }
    }
}

SegmentPlan markedSegment() {
    SegmentPlan segment;
    segment.verts = {{1.5f, 2.0f, -3.0f, 0.25f, 0.75f, 30, 20, 10, 40},
                     {-7.0f, 0.0f, 1e-3f, -2.0f, 3.5f, 255, 1, 128, 0}};
    segment.strip = {0, 1, 1}; // 6 bytes: the strip ends off a multiple of 4
    return segment;
}

uint8_t parse(Model& model, const BuiltEbo& built) {
    return parseModel(model, {built.model, built.baseMesh, built.offsets});
}

class PlainLayout : public testing::TestWithParam<int16_t> {};

TEST_P(PlainLayout, ReadsEveryFieldAndRecordsBlockPositions) {
    const EboPlan plan = plainPlan(GetParam());
    const BuiltEbo built = buildEbo(plan);
    Workspace workspace;
    const std::string path = workspace.put(built);
    Model model;
    model.curPart = 1;
    model.curSeg = 2;

    ASSERT_EQ(loadModel(model, path, workspace.folders), GetParam());
    EXPECT_EQ(model.fileVersion, plan.fileVersion);
    EXPECT_EQ(model.modelFormat, GetParam());
    EXPECT_EQ(model.layout, GetParam() == 2 ? ModelLayout::Plain2 : ModelLayout::Plain3);
    EXPECT_EQ(model.modelPath, path);
    EXPECT_EQ(model.curPart, 1);
    EXPECT_EQ(model.curSeg, 2);
    expectParts(model, plan, built, true);
    EXPECT_EQ(readBytes(workspace.folders.workingCopy), built.model);
}

INSTANTIATE_TEST_SUITE_P(Formats, PlainLayout, testing::Values(2, 3),
                         [](const testing::TestParamInfo<int16_t>& info) {
                             return "Format" + std::to_string(info.param);
                         });

TEST(PlainLayout, FileColourBytesAreBlueGreenRedAlpha) {
    Model model;
    ASSERT_EQ(parse(model, buildEbo(plainPlan(2))), 2);
    const Vertex& v = model.Parts[0].segments[0].verts[0];
    EXPECT_EQ(v.blue, 10);
    EXPECT_EQ(v.green, 20);
    EXPECT_EQ(v.red, 30);
    EXPECT_EQ(v.alpha, 40);
    EXPECT_EQ(v.x, 1.5f);
    EXPECT_EQ(v.y, -2.0f);
    EXPECT_EQ(v.z, -3.0f);
    EXPECT_TRUE(std::signbit(model.Parts[0].segments[0].verts[1].y)); // the file's 0.0 is -0.0
}

struct StripSize {
    int32_t bytes;
    size_t entries;
};

class PlainStripSize : public testing::TestWithParam<StripSize> {};

// The entry count halves the byte count, ties to even; the segment after it must still be found,
// whichever way the strip's end falls against the 4-byte padding.
TEST_P(PlainStripSize, RoundsHalvesToEvenAndKeepsTheNextSegmentInPlace) {
    EboPlan plan;
    SegmentPlan strip = gridSegment(2, 2);
    strip.strip.assign(GetParam().entries, 1);
    strip.stripBytes = GetParam().bytes;
    plan.parts = {{{strip, gridSegment(3, 2, 2.0f)}}, {{gridSegment(2, 3, 4.0f)}}};
    const BuiltEbo built = buildEbo(plan);
    Model model;
    ASSERT_EQ(parse(model, built), 2);
    EXPECT_EQ(model.Parts[0].segments[0].strip.size(), GetParam().entries);
    expectParts(model, plan, built, true);
}

INSTANTIATE_TEST_SUITE_P(Sizes, PlainStripSize,
                         testing::Values(StripSize{10, 5}, StripSize{6, 3}, StripSize{5, 2},
                                         StripSize{7, 4}, StripSize{1, 0}, StripSize{3, 2},
                                         StripSize{0, 0}, StripSize{8, 4}),
                         [](const testing::TestParamInfo<StripSize>& info) {
                             return "Bytes" + std::to_string(info.param.bytes);
                         });

struct Version6Case {
    const char* name;
    int16_t modelFormat;
    std::vector<int32_t> headerSkips;
    int32_t headerStop;
};

class Version6Layout : public testing::TestWithParam<Version6Case> {};

TEST_P(Version6Layout, ReadsWhateverTheFormatWordAndFindsTheStopWord) {
    EboPlan plan;
    plan.fileVersion = 6;
    plan.modelFormat = GetParam().modelFormat;
    SegmentPlan first = markedSegment();
    first.headerSkips = GetParam().headerSkips;
    first.headerStop = GetParam().headerStop;
    plan.parts = {{{first, gridSegment(3, 3)}}, {{gridSegment(2, 2, 1.0f)}}};
    const BuiltEbo built = buildEbo(plan);
    Model model;
    ASSERT_EQ(parse(model, built), 6);
    EXPECT_EQ(model.modelFormat, GetParam().modelFormat);
    EXPECT_EQ(model.layout, ModelLayout::Version6);
    expectParts(model, plan, built, false);
}

INSTANTIATE_TEST_SUITE_P(Headers, Version6Layout,
                         testing::Values(Version6Case{"Format2TwoSkips", 2, {7, -3}, 1},
                                         Version6Case{"Format0StopAt2", 0, {}, 2},
                                         Version6Case{
                                             "Format3FiveSkips", 3, {0, 3, 4, 5, 0x00666666}, 2},
                                         Version6Case{"Format9OneSkip", 9, {-1}, 1},
                                         Version6Case{"Format1NoSkips", 1, {}, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Version6Layout, SegmentsWithAnotherTagStayEmptyAndDoNotMoveTheNextPart) {
    EboPlan plan;
    plan.fileVersion = 6;
    SegmentPlan skipped = gridSegment(2, 2);
    skipped.tag = 4;
    SegmentPlan skippedLast = gridSegment(2, 2);
    skippedLast.tag = 0;
    plan.parts = {{{gridSegment(3, 2), skipped, markedSegment()}},
                  {{gridSegment(2, 3, 1.0f), skippedLast}},
                  {{gridSegment(4, 2, 2.0f)}}};
    const BuiltEbo built = buildEbo(plan);
    Model model;
    ASSERT_EQ(parse(model, built), 6);
    expectParts(model, plan, built, false);
    EXPECT_EQ(model.Parts[0].segments[1].posBlockAt, 0);
    EXPECT_EQ(model.Parts[1].segments[1].uvBlockAt, 0);
}

// Base values and deltas chosen so that every sum is exact.
DeltaPartPlan deltaPart(int vertexCount, float offset) {
    DeltaPartPlan part = simpleDeltaPart(vertexCount, offset);
    part.textureWord = 2;
    return part;
}

// The delta plan with texture data after every part but part 1, a header that counts one part,
// and marker searches over 0 to 9 words.
EboPlan textureDataPlan() {
    EboPlan plan = deltaPlan();
    plan.partCount = 1;
    for (size_t p : {0, 2, 3})
        plan.deltaParts[p].textureWord = 2;
    plan.deltaParts[2].wordsBeforeMarker = 0;
    plan.deltaParts[3].wordsBeforeMarker = 9;
    return plan;
}

void expectDeltaPart(const Segment& segment, const BaseMesh& mesh, const DeltaPartPlan& plan,
                     const BlockPositions& at) {
    EXPECT_EQ(mesh.basePos, plan.basePos);
    EXPECT_EQ(mesh.deltaSlot, plan.deltaSlot);
    EXPECT_EQ(segment.strip, plan.strip);
    EXPECT_EQ(segment.posBlockAt, at.posBlockAt);
    EXPECT_EQ(segment.posBlockBytes, at.posBlockBytes);
    EXPECT_EQ(segment.uvBlockAt, 0);
    EXPECT_EQ(segment.colorBlockAt, 0);
    EXPECT_EQ(segment.stripBlockAt, 0);
    std::vector<float> deltas = plan.deltas;
    deltas.resize(3 * (*std::max_element(plan.deltaSlot.begin(), plan.deltaSlot.end()) + 1), 0.0f);
    ASSERT_EQ(segment.verts.size(), plan.deltaSlot.size());
    for (size_t k = 0; k < segment.verts.size(); ++k) {
        SCOPED_TRACE("vertex " + std::to_string(k));
        const Vertex& v = segment.verts[k];
        const size_t slot = 3 * static_cast<size_t>(plan.deltaSlot[k]);
        if (3 * k < plan.basePos.size()) {
            EXPECT_EQ(v.x, plan.basePos[3 * k] + deltas[slot]);
            EXPECT_EQ(v.y, -(plan.basePos[3 * k + 1] + deltas[slot + 1]));
            EXPECT_EQ(v.z, plan.basePos[3 * k + 2] + deltas[slot + 2]);
        } else {
            EXPECT_TRUE(v.x == 0 && v.y == 0 && v.z == 0);
        }
        if (2 * k < plan.baseUv.size()) {
            EXPECT_EQ(v.u, plan.baseUv[2 * k]);
            EXPECT_EQ(v.v, plan.baseUv[2 * k + 1]);
        }
        EXPECT_EQ(v.selected, 0);
    }
}

void expectDeltaModel(const Model& model, const EboPlan& plan, const BuiltEbo& built) {
    ASSERT_EQ(model.Parts.size(), 4u);
    for (size_t p = 0; p < 4; ++p) {
        SCOPED_TRACE("part " + std::to_string(p));
        ASSERT_EQ(model.Parts[p].segments.size(), 1u);
        expectDeltaPart(model.Parts[p].segments[0], model.baseMeshes[p], plan.deltaParts[p],
                        built.positions[p][0]);
    }
}

TEST(DeltaLayout, AddsDeltasToTheBaseMeshOfTheCompanionFiles) {
    const EboPlan plan = textureDataPlan();
    const BuiltEbo built = buildEbo(plan);
    Workspace workspace;
    const std::string path = workspace.put(built, "head2.ebo");
    Model model;
    ASSERT_EQ(loadModel(model, path, workspace.folders), 10);
    EXPECT_EQ(model.modelFormat, 0);
    EXPECT_EQ(model.layout, ModelLayout::Delta);
    expectDeltaModel(model, plan, built);
}

TEST(DeltaLayout, TheFifthCharacterFromTheEndPicksTheCompanions) {
    Workspace workspace;
    EboPlan two = textureDataPlan();
    EboPlan seven = textureDataPlan();
    seven.deltaParts[0] = deltaPart(5, 40);
    const std::string twoPath = workspace.put(buildEbo(two), "head2.ebo");
    const std::string sevenPath = workspace.put(buildEbo(seven), "x7.ebo");

    Model model;
    ASSERT_EQ(loadModel(model, sevenPath, workspace.folders), 10);
    EXPECT_EQ(model.baseMeshes[0].basePos, seven.deltaParts[0].basePos);
    ASSERT_EQ(loadModel(model, twoPath, workspace.folders), 10);
    EXPECT_EQ(model.baseMeshes[0].basePos, two.deltaParts[0].basePos);
}

TEST(DeltaLayout, CompanionFilesAreNamedByCharacterNotByte) {
    const auto files = companionFiles("/m/t\xC3\xA9.ebo", "/p"); // "té.ebo"
    ASSERT_TRUE(files);
    EXPECT_EQ(files->baseMesh, std::filesystem::path("/p/lod/base_lod\xC3\xA9.ebo"));
    EXPECT_EQ(files->offsets, std::filesystem::path("/p/misc\xC3\xA9.dat"));
    EXPECT_FALSE(companionFiles(".ebo", "/p"));
}

struct DeltaCase {
    const char* name;
    std::vector<int16_t> slots;
    int32_t deltaFloats;
    int32_t deltaBytes = -1;    // -1: 4 per float
    int32_t basePositions = -1; // vertices with a base position; -1: all
    int32_t baseUvs = -1;       // vertices with base texture coordinates; -1: all
};

class DeltaPart : public testing::TestWithParam<DeltaCase> {};

// Whenever the delta count differs from the slots' need, a count-and-skip record follows the
// block; reading it wrongly shows in the next part.
TEST_P(DeltaPart, AddsEachVertexsSlotAndSkipsThePaddingRecord) {
    EboPlan plan = textureDataPlan();
    DeltaPartPlan& part = plan.deltaParts[0];
    part.deltaSlot = GetParam().slots;
    const auto vertices = [&](int32_t count) {
        return count < 0 ? part.deltaSlot.size() : static_cast<size_t>(count);
    };
    part.basePos.resize(3 * vertices(GetParam().basePositions), 0.5f);
    part.baseUv.resize(2 * vertices(GetParam().baseUvs), 0.25f);
    part.deltas.resize(static_cast<size_t>(GetParam().deltaFloats), 0.75f);
    part.deltaBytes = GetParam().deltaBytes;
    for (int32_t skip : {0, 3, 6}) {
        part.skipBytes = skip;
        const BuiltEbo built = buildEbo(plan);
        Model model;
        ASSERT_EQ(parse(model, built), 10);
        expectDeltaModel(model, plan, built);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DeltaPart,
    testing::Values(DeltaCase{"NoRecord", {0, 1, 2}, 9},                // 36 bytes, slots 0..2
                    DeltaCase{"PaddedWithZeros", {0, 3, 1}, 9},         // slot 3 needs 12
                    DeltaCase{"CutToTheSlots", {1, 0}, 9},              // more deltas than slots: 6
                    DeltaCase{"HalfRoundsUpToEven", {0, 1, 2}, 10, 38}, // 9.5 floats: 10
                    DeltaCase{"HalfRoundsDownToEven", {0, 1, 2}, 8, 34},     // 8.5 floats: 8
                    DeltaCase{"QuarterRoundsDown", {0, 1, 2}, 9, 37},        // 9.25 floats: 9
                    DeltaCase{"ThreeQuartersRoundUp", {0, 1, 2, 2}, 10, 39}, // 9.75 floats: 10
                    DeltaCase{"SharedAndUnorderedSlots", {2, 0, 1, 0, 2, 1}, 9},
                    // Vertices past the base positions stay at the origin.
                    DeltaCase{"FewerBasePositionsThanVertices", {0, 1, 2}, 9, -1, 1, 2}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DeltaLayout, TextureWordDecidesWhetherTextureDataFollows) {
    for (int32_t word : {0x00050000, 0, 1, 7}) {
        EboPlan plan = textureDataPlan();
        for (DeltaPartPlan& part : plan.deltaParts)
            part.textureWord = word;
        const BuiltEbo built = buildEbo(plan);
        Model model;
        ASSERT_EQ(parse(model, built), 10) << word;
        expectDeltaModel(model, plan, built);
    }
}

TEST(Layouts, Version6WinsOverTheDeltaFormatWord) {
    EboPlan plan;
    plan.fileVersion = 6;
    plan.modelFormat = 0;
    plan.parts = {{{gridSegment(2, 2)}}};
    Workspace workspace;
    Model model;
    // No companion files exist: a version-6 file must not look for them.
    EXPECT_EQ(loadModel(model, workspace.put(buildEbo(plan), "m.ebo"), workspace.folders), 6);
    EXPECT_FALSE(usesCompanionFiles(buildEbo(plan).model));
}

} // namespace
