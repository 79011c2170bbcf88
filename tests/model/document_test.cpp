// The document: every edit as one undoable step holding only what changed, the saved state, and
// what listeners are told; and segments that share a block kept identical in it.

#include "model/block_sharing.h"
#include "model/editing/edit_session.h"
#include "model/editing/exact_transform.h"
#include "model/editing/history/document.h"
#include "model/editing/history/working_data.h"
#include "model/editing/limits/edit_limits.h"
#include "model/editing/limits/shared_blocks.h"
#include "model/editing/limits/value_write.h"
#include "model/editing/selection/hidden_vertices.h"
#include "model/editing/selection/mesh_selection.h"
#include "model/editing/selection/quad_loops.h"
#include "model/vertex_fields.h"
#include "support/quad_grid.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <limits>

using namespace vw;

namespace {

Vertex at(float x, float y) {
    Vertex vertex;
    vertex.x = x;
    vertex.y = y;
    vertex.z = 1;
    vertex.red = 7;
    return vertex;
}

// Part 0: two segments of three vertices; part 1: one segment of two.
Model twoParts() {
    Model model;
    model.Parts.resize(2);
    model.Parts[0].segments.resize(2);
    model.Parts[0].segments[0].verts = {at(0, 0), at(1, 0), at(2, 0)};
    model.Parts[0].segments[1].verts = {at(0, 1), at(1, 1), at(2, 1)};
    model.Parts[1].segments.resize(1);
    model.Parts[1].segments[0].verts = {at(5, 5), at(6, 6)};
    loadCurData(model);
    return model;
}

// A move of the selected working vertices by (dx, dy), as the Move tool makes it.
void moveSelected(Document& document, float dx, float dy, int32_t selCount) {
    (void)document.edit("Move %n", 0, selCount, [&](std::vector<Segment>&) {
        for (Segment& segment : document.model().curData)
            for (Vertex& vertex : segment.verts)
                if (vertex.selected != 0) {
                    vertex.x += dx;
                    vertex.y += dy;
                }
    });
}

uint32_t bits(float value) {
    return std::bit_cast<uint32_t>(value);
}

TEST(DocumentHistory, UndoAndRedoRestoreExactBitsAndTheSelection) {
    Model model = twoParts();
    Document document(model);
    model.curData[0].verts[1].selected = -1;
    model.curData[1].verts[2].selected = -1;
    const float quietNan = std::bit_cast<float>(0xffc00123u);
    (void)document.edit("Set X of %n", 0, 2, [&](std::vector<Segment>&) {
        model.curData[0].verts[1].x = -0.0f;
        model.curData[1].verts[2].x = quietNan;
    });
    ASSERT_TRUE(document.canUndo());
    EXPECT_EQ(document.undoLabel(), "Set X of 2 Vertices");

    model.curData[0].verts[1].selected = 0; // the user selects something else meanwhile
    model.curData[0].verts[0].selected = -1;
    document.undo();
    EXPECT_EQ(bits(model.Parts[0].segments[0].verts[1].x), bits(1.0f));
    EXPECT_EQ(bits(model.Parts[0].segments[1].verts[2].x), bits(2.0f));
    EXPECT_EQ(bits(model.curData[0].verts[1].x), bits(1.0f));
    EXPECT_EQ(model.curData[0].verts[0].selected, 0);
    EXPECT_EQ(model.curData[0].verts[1].selected, -1);
    EXPECT_EQ(model.curData[1].verts[2].selected, -1);
    EXPECT_EQ(document.redoLabel(), "Set X of 2 Vertices");

    document.redo();
    EXPECT_EQ(bits(model.Parts[0].segments[0].verts[1].x), bits(-0.0f));
    EXPECT_EQ(bits(model.Parts[0].segments[1].verts[2].x), 0xffc00123u);
    EXPECT_EQ(bits(model.curData[1].verts[2].x), 0xffc00123u);
    EXPECT_FALSE(document.canRedo());
}

TEST(DocumentHistory, AnEditThatChangesNothingLeavesNoStep) {
    Model model = twoParts();
    Document document(model);
    model.curData[0].verts[0].selected = -1;
    moveSelected(document, 0, 0, 1);
    EXPECT_FALSE(document.canUndo());
    EXPECT_TRUE(document.isClean());
}

TEST(DocumentHistory, UndoMakesTheEditedPartTheWorkingDataAgain) {
    Model model = twoParts();
    Document document(model);
    model.curPart = 1;
    document.loadWorkingData();
    model.curData[0].verts[1].selected = -1;
    moveSelected(document, 2, 0, 1);
    model.curPart = 0;
    document.loadWorkingData();

    document.undo();
    EXPECT_EQ(model.curPart, 1);
    ASSERT_EQ(model.curData.size(), 1u);
    EXPECT_EQ(model.curData[0].verts[1].x, 6.0f);
    EXPECT_EQ(model.curData[0].verts[1].selected, -1);
}

TEST(DocumentHistory, CleanStateFollowsSavesUndoAndNewEdits) {
    Model model = twoParts();
    Document document(model);
    model.curData[0].verts[0].selected = -1;
    moveSelected(document, 1, 0, 1);
    EXPECT_FALSE(document.isClean());
    document.markClean();
    moveSelected(document, 1, 0, 1);
    EXPECT_FALSE(document.isClean());
    document.undo();
    EXPECT_TRUE(document.isClean());
    document.undo();
    EXPECT_FALSE(document.isClean());
    // A new edit after undoing past the save drops the saved state from reach.
    moveSelected(document, 3, 0, 1);
    EXPECT_FALSE(document.canRedo());
    document.undo();
    EXPECT_FALSE(document.isClean());

    document.modelReplaced();
    EXPECT_TRUE(document.isClean());
    EXPECT_FALSE(document.canUndo());
}

TEST(DocumentHistory, OldestStepsAreDroppedPastTheLimit) {
    Model model = twoParts();
    Document document(model);
    document.setHistoryLimits(3, size_t(1) << 30);
    model.curData[0].verts[0].selected = -1;
    for (int i = 1; i <= 5; ++i)
        moveSelected(document, 1, 0, 1);
    EXPECT_EQ(document.stepCount(), 3u);
    while (document.canUndo())
        document.undo();
    EXPECT_EQ(model.Parts[0].segments[0].verts[0].x, 2.0f); // two moves could not be undone
}

TEST(DocumentHistory, AMoveOf32768VerticesCostsUnderOneMegabyte) {
    Model model;
    model.Parts.resize(1);
    model.Parts[0].segments.resize(1);
    model.Parts[0].segments[0].verts.assign(32768, at(1, 2));
    loadCurData(model);
    for (Vertex& vertex : model.curData[0].verts)
        vertex.selected = -1;
    Document document(model);
    moveSelected(document, 0.5f, 0.25f, 32768);
    EXPECT_LE(document.historyBytes(), size_t(1) << 20);
    EXPECT_EQ(document.undoLabel(), "Move 32768 Vertices");
}

// Whether every field of every vertex holds the same bits in both.
bool sameFieldBits(const std::vector<Part>& a, const std::vector<Part>& b) {
    for (size_t p = 0; p < a.size(); ++p)
        for (size_t s = 0; s < a[p].segments.size(); ++s)
            for (size_t i = 0; i < a[p].segments[s].verts.size(); ++i)
                if (changedFields(a[p].segments[s].verts[i], b[p].segments[s].verts[i]) != 0)
                    return false;
    return true;
}

// The bytes of the field values in which the two differ: 4 a float, 1 a colour byte.
size_t changedBytes(const std::vector<Part>& a, const std::vector<Part>& b) {
    size_t bytes = 0;
    for (size_t p = 0; p < a.size(); ++p)
        for (size_t s = 0; s < a[p].segments.size(); ++s)
            for (size_t i = 0; i < a[p].segments[s].verts.size(); ++i) {
                const uint16_t fields =
                    changedFields(a[p].segments[s].verts[i], b[p].segments[s].verts[i]);
                bytes += 4 * size_t(std::popcount(uint16_t(fields & 0x1f))) +
                         size_t(std::popcount(uint16_t(fields >> 5)));
            }
    return bytes;
}

TEST(DocumentHistory, BigStepsUndoAndRedoToTheExactBitsWithinTwiceTheChangedBytes) {
    struct BigEdit {
        const char* name;
        int every; // every n-th working vertex is selected
        uint16_t fields;
        bool drag;
    };
    for (const BigEdit& edit : {BigEdit{"all, x", 1, kFieldX, false},
                                BigEdit{"every other, x and y", 2, kFieldX | kFieldY, false},
                                BigEdit{"every third, the colour", 3, kColourFields, false},
                                BigEdit{"all in a drag, z and v", 1, kFieldZ | kFieldV, true}}) {
        SCOPED_TRACE(edit.name);
        Model model;
        model.Parts.resize(2);
        model.Parts[0].segments.resize(3);
        for (Segment& segment : model.Parts[0].segments)
            for (uint32_t i = 0; i < 32768; ++i)
                segment.verts.push_back(at(float(i) * 0.25f, float(i % 97)));
        model.Parts[1].segments.push_back(model.Parts[0].segments[0]);
        loadCurData(model);
        for (Segment& segment : model.curData)
            for (size_t i = 0; i < segment.verts.size(); i += size_t(edit.every))
                segment.verts[i].selected = -1;
        const std::vector<Part> original = model.Parts;
        Document document(model);
        // Signed zeros and NaN payloads among the new values: only their bits tell them apart.
        const auto write = [&](std::vector<Segment>& data) {
            for (Segment& segment : data)
                for (uint32_t i = 0; i < segment.verts.size(); ++i) {
                    if (segment.verts[i].selected == 0)
                        continue;
                    const uint32_t value = i % 5 == 0   ? bits(-0.0f)
                                           : i % 7 == 0 ? 0x7fc00000u | i
                                                        : bits(float(i) + 0.5f);
                    for (int f = 0; f < kVertexFieldCount; ++f)
                        if (edit.fields >> f & 1u)
                            setFieldBits(segment.verts[i], f, f < 5 ? value : i * 31 + 1);
                }
        };
        if (edit.drag) {
            ASSERT_TRUE(document.beginDrag("Drag %n", edit.fields, 0));
            document.dragStep(write);
            document.endDrag();
        } else {
            ASSERT_TRUE(document.edit("Set %n", edit.fields, 0, write));
        }
        const std::vector<Part> edited = model.Parts;
        ASSERT_TRUE(document.canUndo());
        EXPECT_LE(document.historyBytes(), 2 * changedBytes(original, edited));

        document.undo();
        EXPECT_TRUE(sameFieldBits(model.Parts, original));
        EXPECT_TRUE(sameFieldBits({Part{model.curData}}, {original[0]}));
        document.redo();
        EXPECT_TRUE(sameFieldBits(model.Parts, edited));
        EXPECT_TRUE(sameFieldBits({Part{model.curData}}, {edited[0]}));
    }
}

TEST(DocumentListeners, ACommitNamesOnlyTheChangedVertices) {
    Model model = twoParts();
    Document document(model);
    std::vector<VertexRange> ranges;
    const Subscription subscription = document.subscribe([&](const DocumentChange& change) {
        ranges.insert(ranges.end(), change.vertices.begin(), change.vertices.end());
    });
    model.curData[1].verts[1].selected = -1;
    moveSelected(document, 0, 4, 1);
    ASSERT_EQ(ranges.size(), 1u);
    EXPECT_EQ(ranges[0].part, 0);
    EXPECT_EQ(ranges[0].seg, 1);
    EXPECT_EQ(ranges[0].first, 1u);
    EXPECT_EQ(ranges[0].end, 2u);
}

// Per layout, the edits a save could not keep are refused when they are made.
TEST(EditLimits, FieldsAndDeltaVerticesTheFileCannotHold) {
    Model plain = twoParts();
    plain.modelFormat = 2;
    EXPECT_TRUE(checkEditable(plain, kColourFields | kFieldAlpha));
    plain.Parts[0].segments[0].colorBlockAt = 301;
    EXPECT_TRUE(checkStorableFields(plain, {0, 0}, kColourFields));
    EXPECT_EQ(checkStorableFields(plain, {0, 1}, kFieldAlpha).reason(),
              "Segment 0/1 has no colour block in the file, so its colours and alpha cannot be "
              "saved.");

    Model version6 = twoParts();
    version6.fileVersion = 6;
    EXPECT_FALSE(checkEditable(version6, kFieldAlpha));
    EXPECT_TRUE(checkEditable(version6, kTextureFields));

    Model delta = twoParts();
    delta.modelFormat = 0;
    delta.baseMeshes[0].basePos = {0, 0, 0, 1, 0, 0};
    delta.baseMeshes[0].deltaSlot = {0, 5};
    EXPECT_FALSE(checkEditable(delta, kFieldU));
    delta.Parts[0].segments[0].posBlockBytes = 36; // three slots
    delta.curData[0].verts[0].selected = -1;
    EXPECT_TRUE(checkEditable(delta, kFieldX));
    delta.curData[0].verts[1].selected = -1; // slot 5 lies past the block
    EXPECT_NE(checkEditable(delta, kFieldX).reason().find("past the file's delta block"),
              std::string::npos);
    delta.curData[0].verts[1].selected = 0;
    delta.curData[0].verts[2].selected = -1; // no base position
    EXPECT_NE(checkEditable(delta, kFieldY).reason().find("no base position"), std::string::npos);
}

// Segments 0/0 and 0/1 read one position block and one colour block, 0/0 and 1/0 one texture
// block; 1/1 starts on the position block too but is shorter, so it reads a block of its own.
// The working data is segment 0/1 alone.
Model sharingModel() {
    Model model;
    model.layout = ModelLayout::Plain2;
    model.Parts.resize(2);
    model.Parts[0].segments.resize(2);
    model.Parts[1].segments.resize(2);
    const int32_t blocks[4][3] = {
        {101, 201, 301}, {101, 401, 301}, {501, 201, 601}, {101, 701, 801}};
    for (size_t i = 0; i < 4; ++i) {
        Segment& segment = model.Parts[i / 2].segments[i % 2];
        segment.verts = {at(0, 0), at(1, 0), at(2, 0)};
        segment.posBlockAt = blocks[i][0];
        segment.uvBlockAt = blocks[i][1];
        segment.colorBlockAt = blocks[i][2];
    }
    model.Parts[1].segments[1].verts.pop_back();
    linkSharedBlocks(model);
    model.curSeg = 2;
    loadCurData(model);
    return model;
}

void expectRanges(const std::vector<VertexRange>& ranges,
                  const std::vector<std::array<int32_t, 4>>& expected) {
    ASSERT_EQ(ranges.size(), expected.size());
    for (size_t i = 0; i < ranges.size(); ++i) {
        const VertexRange& r = ranges[i];
        EXPECT_EQ((std::array<int32_t, 4>{r.part, r.seg, int32_t(r.first), int32_t(r.end)}),
                  expected[i]);
    }
}

TEST(SharedBlocks, AChangeOfEitherSharerReachesTheOtherInPartsAndTheWorkingData) {
    Model model = sharingModel();

    Vertex& edited = model.Parts[0].segments[0].verts[1];
    edited.x = 7;
    edited.u = 0.5f;
    edited.alpha = 9;
    edited.selected = -1;
    const VertexRange first[] = {{0, 0, 1, 2}};
    expectRanges(syncSharedBlocks(model, first), {{0, 1, 1, 2}, {1, 0, 1, 2}});
    const Vertex& samePositions = model.Parts[0].segments[1].verts[1];
    EXPECT_EQ(samePositions.x, 7.0f);
    EXPECT_EQ(samePositions.alpha, 9);
    EXPECT_EQ(samePositions.u, 0.0f);
    EXPECT_EQ(samePositions.selected, 0);
    EXPECT_EQ(model.curData[0].verts[1], samePositions);
    EXPECT_EQ(model.Parts[1].segments[0].verts[1].u, 0.5f);
    EXPECT_EQ(model.Parts[1].segments[0].verts[1].x, 1.0f);
    EXPECT_EQ(model.Parts[1].segments[1].verts[1].x, 1.0f);

    // Back the other way, the whole part as working data, bit for bit.
    model.curSeg = 0;
    loadCurData(model);
    model.Parts[0].segments[1].verts[2].y = -0.0f;
    const VertexRange second[] = {{0, 1, 0, 3}};
    expectRanges(syncSharedBlocks(model, second), {{0, 0, 0, 3}});
    EXPECT_EQ(bits(model.Parts[0].segments[0].verts[2].y), bits(-0.0f));
    EXPECT_EQ(bits(model.curData[0].verts[2].y), bits(-0.0f));
    EXPECT_TRUE(syncSharedBlocks(model, second).empty());

    EXPECT_TRUE(checkSharedBlocks(model));
    model.Parts[0].segments[1].verts[0].blue = 1;
    EXPECT_EQ(checkSharedBlocks(model).reason(),
              "segments 0/0 and 0/1 share one colour block: give them the same values");
}

// The segment's values as they are, for a write to change.
SegmentValues valuesOf(const Model& model, SegmentRef ref) {
    return {ref, model.Parts[size_t(ref.part)].segments[size_t(ref.seg)].verts};
}

TEST(ValueWrite, AWriteThroughOneSharerIsOneStepOfAllAndUndoesToTheBit) {
    Model model = sharingModel();
    const std::vector<Part> before = model.Parts;
    Document document(model);
    std::string notice;
    const Subscription subscription =
        document.subscribe([&](const DocumentChange& change) { notice += change.notice; });
    ValueWrite write{kPositionFields, kColourFields | kFieldAlpha, {valuesOf(model, {0, 1})}};
    write.segments[0].verts[2].x = -0.0f;
    write.segments[0].verts[2].blue = 44;
    ASSERT_TRUE(writeValues(document, "Import", write));
    for (SegmentRef ref : {SegmentRef{0, 0}, SegmentRef{0, 1}}) {
        const Vertex& vertex = model.Parts[size_t(ref.part)].segments[size_t(ref.seg)].verts[2];
        EXPECT_EQ(bits(vertex.x), bits(-0.0f));
        EXPECT_EQ(vertex.blue, 44);
    }
    EXPECT_EQ(bits(model.curData[0].verts[2].x), bits(-0.0f));
    EXPECT_EQ(model.Parts[1].segments[1].verts[1].x, 1.0f); // a shorter block of its own
    EXPECT_EQ(document.stepCount(), 1u);
    document.undo();
    EXPECT_EQ(model.Parts, before);
    EXPECT_EQ(bits(model.curData[0].verts[2].x), bits(2.0f));
    document.redo();
    EXPECT_EQ(bits(model.Parts[0].segments[0].verts[2].x), bits(-0.0f));
    EXPECT_EQ(notice, "");
}

struct RefusedWrite {
    const char* name;
    void (*prepare)(Model& model, ValueWrite& write);
    const char* reason;
};

class ValueWriteRefuses : public testing::TestWithParam<RefusedWrite> {};

TEST_P(ValueWriteRefuses, ChangingAndAnnouncingNothing) {
    Model model = sharingModel();
    ValueWrite write{kPositionFields, 0, {valuesOf(model, {0, 0}), valuesOf(model, {1, 1})}};
    GetParam().prepare(model, write);
    const std::vector<Part> before = model.Parts;
    Document document(model);
    bool told = false;
    const Subscription subscription =
        document.subscribe([&](const DocumentChange&) { told = true; });
    const Result written = writeValues(document, "Import", write);
    EXPECT_NE(written.reason().find(GetParam().reason), std::string::npos) << written.reason();
    EXPECT_EQ(model.Parts, before);
    EXPECT_FALSE(told);
    EXPECT_FALSE(document.canUndo());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ValueWriteRefuses,
    testing::Values(
        RefusedWrite{"SharersGivenDifferentValues",
                     [](Model& model, ValueWrite& write) {
                         write.segments.push_back(valuesOf(model, {0, 1}));
                         write.segments.back().verts[0].z = 5;
                     },
                     "segments 0/0 and 0/1 share one position block: give them the same values"},
        RefusedWrite{"SharersGivenDifferentTextureWhereKept",
                     [](Model& model, ValueWrite& write) {
                         write.fieldsIfKept = kTextureFields;
                         write.segments.push_back(valuesOf(model, {1, 0}));
                         write.segments.back().verts[0].v = 5;
                     },
                     "segments 0/0 and 1/0 share one texture block"},
        RefusedWrite{"ColourTheLayoutCannotKeep",
                     [](Model& model, ValueWrite& write) {
                         model.fileVersion = 6;
                         write.fields = kColourFields;
                     },
                     "has no colour block, so colours and alpha cannot be saved"},
        RefusedWrite{"ColourOfASegmentWithoutItsBlock",
                     [](Model& model, ValueWrite& write) {
                         model.Parts[1].segments[1].colorBlockAt = 0;
                         write.fields = kFieldAlpha;
                     },
                     "Segment 1/1 has no colour block in the file"},
        RefusedWrite{"ADeltaVertexWithoutBasePosition",
                     [](Model& model, ValueWrite& write) {
                         model.modelFormat = 0;
                         model.baseMeshes[1].basePos = {0, 0, 0};
                         model.baseMeshes[1].deltaSlot = {0};
                         model.Parts[1].segments[1].posBlockBytes = 12;
                         write.segments[1].verts[1].x = 3;
                     },
                     "Vertex 1 of part 1 has no base position"},
        RefusedWrite{"AnotherVertexCount",
                     [](Model&, ValueWrite& write) { write.segments[1].verts.pop_back(); },
                     "segment 1/1 has 2 vertices, not 1"},
        RefusedWrite{"ASegmentNotInTheModel",
                     [](Model&, ValueWrite& write) {
                         write.segments[1].segment = {1, 2};
                     },
                     "segment 1/2 is not in the model"},
        RefusedWrite{"ASegmentTwice",
                     [](Model&, ValueWrite& write) {
                         write.segments[1] = write.segments[0];
                         write.segments[1].verts[0].x = 4;
                     },
                     "segment 0/0 is given values twice"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace

namespace {

Model selectedSquare() {
    Model model;
    model.Parts.resize(1);
    model.Parts[0].segments.resize(1);
    // File positions (1, 1, 0), (3, 1, 0), (3, 3, 0), (1, 3, 0): y held negated.
    model.Parts[0].segments[0].verts = {at(1, -1), at(3, -1), at(3, -3), at(1, -3), at(9, 9)};
    for (Vertex& vertex : model.Parts[0].segments[0].verts)
        vertex.z = 0;
    loadCurData(model);
    for (int i = 0; i < 4; ++i)
        model.curData[0].verts[size_t(i)].selected = -1;
    return model;
}

// Typed transforms of the selection: amounts in the values the model holds, as the sheet shows
// them; turns in the file's orientation (y up).
struct MeshSelectionCase {
    const char* name;
    void (*run)(std::vector<Segment>&);
    std::vector<int> before, after;
};

// One segment of two pieces, a run of four triangles over vertices 0 to 5 and one of two over 6
// to 9, joined by degenerate triangles that connect nothing; vertex 10 is in no triangle.
TEST(MeshSelection, FollowsTheTrianglesAndNotTheJoints) {
    const MeshSelectionCase cases[] = {
        {"linked", selectLinked, {1}, {0, 1, 2, 3, 4, 5}},
        {"linked from both pieces", selectLinked, {3, 9}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}},
        {"linked alone", selectLinked, {10}, {10}},
        {"linked from one vertex, added",
         [](std::vector<Segment>& data) { selectLinkedFrom(data[0], 7); },
         {1},
         {1, 6, 7, 8, 9}},
        {"grow", growSelection, {0}, {0, 1, 2}},
        {"grow twice in one", growSelection, {0, 1, 2}, {0, 1, 2, 3, 4}},
        {"shrink", shrinkSelection, {0, 1, 2, 3, 4, 5, 7, 10}, {0, 1, 2, 3, 4, 5, 10}},
        {"shrink an edge ring", shrinkSelection, {0, 1, 2, 3, 4}, {0, 1, 2}},
    };
    for (const MeshSelectionCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<Segment> data(1);
        data[0].verts.resize(11);
        data[0].strip = {0, 1, 2, 3, 4, 5, 5, 6, 6, 7, 8, 9};
        for (int i : c.before)
            data[0].verts[size_t(i)].selected = -1;
        c.run(data);
        std::vector<int> selected;
        for (size_t i = 0; i < data[0].verts.size(); ++i)
            if (data[0].verts[i].selected != 0)
                selected.push_back(int(i));
        EXPECT_EQ(selected, c.after);
    }
}

enum class Walk { Loop, Ring };

struct QuadWalkCase {
    const char* name;
    const Segment& segment;
    Walk walk;
    uint32_t a, b;
    std::vector<uint32_t> hidden, expected;
};

// A segment of the grid's strip, with extra runs after its rows.
Segment quadSegment(const test::QuadGrid& grid, std::vector<test::StripRun> extra = {},
                    size_t extraVertices = 0) {
    std::vector<test::StripRun> runs = grid.runs();
    runs.insert(runs.end(), extra.begin(), extra.end());
    Segment segment;
    segment.verts.resize(grid.vertexCount() + extraVertices);
    segment.strip = test::joinRuns(runs);
    return segment;
}

// 4 x 3 grids of quads, each row one run: vertex (column, row) is 5 * row + column (4 * row +
// column on the tube).
TEST(MeshSelection, LoopsAndRingsWalkTheQuadsOfTheStrips) {
    const test::QuadGrid holedGrid{.columns = 4, .rows = 3, .holes = {{2, 1}}};
    const Segment grid = quadSegment({.columns = 4, .rows = 3});
    const Segment holed = quadSegment(holedGrid);
    const Segment tube = quadSegment({.columns = 4, .rows = 3, .wraps = true});
    // The hole's cell (2, 1) as a fan of triangles about vertex 20, each a run of its own.
    const Segment fan =
        quadSegment(holedGrid, {{7, 8, 20}, {8, 13, 20}, {13, 12, 20}, {12, 7, 20}}, 1);
    // A triangle standing on the side 7-8 between two quads.
    const Segment fin = quadSegment({.columns = 4, .rows = 3}, {{7, 8, 20}}, 1);
    // A fifth quad on vertex 7, over three vertices of its own.
    const Segment fivePole =
        quadSegment({.columns = 4, .rows = 3}, {test::quadRun(7, 20, 21, 22)}, 3);
    const QuadWalkCase cases[] = {
        {"loop along a row to the border", grid, Walk::Loop, 6, 7, {}, {5, 6, 7, 8, 9}},
        {"loop down a column", grid, Walk::Loop, 12, 7, {}, {2, 7, 12, 17}},
        {"loop from a border side", grid, Walk::Loop, 1, 2, {}, {1, 2}},
        {"loop to a corner of three quads", holed, Walk::Loop, 5, 6, {}, {5, 6, 7}},
        {"loop to a corner of five quads", fivePole, Walk::Loop, 5, 6, {}, {5, 6, 7}},
        {"loop to a triangle fan", fan, Walk::Loop, 5, 6, {}, {5, 6, 7}},
        {"loop to a lone triangle's corner", fin, Walk::Loop, 5, 6, {}, {5, 6, 7}},
        {"loop up to a hidden vertex", grid, Walk::Loop, 5, 6, {8}, {5, 6, 7}},
        {"loop round a tube", tube, Walk::Loop, 5, 6, {}, {4, 5, 6, 7}},
        {"loop from a diagonal", grid, Walk::Loop, 0, 6, {}, {}},
        {"loop from a hidden end", grid, Walk::Loop, 6, 7, {7}, {}},
        {"ring across a row", grid, Walk::Ring, 5, 10, {}, {5, 6, 7, 8, 9, 10, 11, 12, 13, 14}},
        {"ring across a column", grid, Walk::Ring, 7, 8, {}, {2, 3, 7, 8, 12, 13, 17, 18}},
        {"ring to a triangle fan", fan, Walk::Ring, 5, 10, {}, {5, 6, 7, 10, 11, 12}},
        {"ring to a lone triangle's side", fin, Walk::Ring, 2, 3, {}, {2, 3, 7, 8}},
        {"ring to a hole", holed, Walk::Ring, 9, 14, {}, {8, 9, 13, 14}},
        {"ring up to a hidden vertex", grid, Walk::Ring, 5, 10, {13}, {5, 6, 7, 10, 11, 12}},
        {"ring round a tube", tube, Walk::Ring, 4, 8, {}, {4, 5, 6, 7, 8, 9, 10, 11}},
    };
    for (const QuadWalkCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> hidden(c.segment.verts.size(), 0);
        for (uint32_t vertex : c.hidden)
            hidden[vertex] = 1;
        const StripQuads quads(c.segment);
        EXPECT_EQ(c.walk == Walk::Loop ? quads.loop(c.a, c.b, hidden)
                                       : quads.ring(c.a, c.b, hidden),
                  c.expected);
    }
}

TEST(ExactTransforms, MoveScaleAndRotateTheSelectionAboutItsCentreOrTheOrigin) {
    using Kind = ExactTransform::Kind;
    Model model = selectedSquare();
    EXPECT_EQ(transformSelected(model.curData, {Kind::Move, {0.5, 2, -1}}), 4u);
    EXPECT_EQ(model.curData[0].verts[0].x, 1.5f);
    EXPECT_EQ(model.curData[0].verts[0].y, 1.0f); // -1 + 2, as the sheet's Y runs
    EXPECT_EQ(model.curData[0].verts[0].z, -1.0f);
    EXPECT_EQ(model.curData[0].verts[4].x, 9.0f); // unselected

    model = selectedSquare();
    transformSelected(model.curData, {Kind::Scale, {2, 3, 1}});
    EXPECT_EQ(model.curData[0].verts[0].x, 0.0f); // about the centre (2, -2)
    EXPECT_EQ(model.curData[0].verts[0].y, 1.0f); // (-1 + 2) * 3 - 2
    model = selectedSquare();
    ExactTransform fromOrigin{Kind::Scale, {2, 2, 2}};
    fromOrigin.aboutOrigin = true;
    transformSelected(model.curData, fromOrigin);
    EXPECT_EQ(model.curData[0].verts[2].x, 6.0f);

    // A quarter turn about z, counter-clockwise with y up: (3, 1) goes to (3, 3) about (2, 2).
    model = selectedSquare();
    ExactTransform turn{Kind::Rotate};
    turn.degrees = 90;
    turn.axis = 2;
    transformSelected(model.curData, turn);
    EXPECT_NEAR(model.curData[0].verts[1].x, 3, 1e-6);
    EXPECT_NEAR(model.curData[0].verts[1].y, -3, 1e-6);
    // About x, from the origin: (1, 1, 0) goes to (1, 0, 1).
    model = selectedSquare();
    turn.axis = 0;
    turn.aboutOrigin = true;
    transformSelected(model.curData, turn);
    EXPECT_NEAR(model.curData[0].verts[0].y, 0, 1e-6);
    EXPECT_NEAR(model.curData[0].verts[0].z, 1, 1e-6);

    Model none = selectedSquare();
    for (Vertex& vertex : none.curData[0].verts)
        vertex.selected = 0;
    EXPECT_EQ(transformSelected(none.curData, {Kind::Move, {1, 1, 1}}), 0u);
}

} // namespace

namespace {

// Hiding is a view state: it takes vertices out of the selection, keeps them out, and goes when
// the working data is another.
TEST(HiddenVertices, HideDeselectsKeepsOutOfTheSelectionAndGoesWithTheWorkingData) {
    Model model = twoParts();
    model.curData[0].verts[1].selected = model.curData[1].verts[2].selected = -1;
    HiddenVertices hidden;
    hidden.hideSelected(model);
    EXPECT_EQ(hidden.count(), 2u);
    EXPECT_TRUE(hidden.isHidden(0, 1) && hidden.isHidden(1, 2) && !hidden.isHidden(0, 0));
    EXPECT_EQ(model.curData[0].verts[1].selected, 0);

    model.curData[0].verts[0].selected = model.curData[0].verts[1].selected = -1;
    EXPECT_TRUE(hidden.deselectHidden(model.curData));
    EXPECT_EQ(model.curData[0].verts[1].selected, 0);
    EXPECT_NE(model.curData[0].verts[0].selected, 0);
    hidden.hideUnselected(model);
    EXPECT_EQ(hidden.count(), 5u);

    model.curSeg = 1;
    loadCurData(model);
    hidden.follow(model);
    EXPECT_EQ(hidden.count(), 0u);
    EXPECT_FALSE(hidden.isHidden(0, 1));
}

// Every change of the selection is one announcement carrying the count; undo gives back its
// selection without the vertices hidden since, in the one announcement of the undo.
TEST(EditSession, OneAnnouncementPerSelectionChangeWithTheCountHiddenVerticesLeftOut) {
    Model model = twoParts();
    EditSession session(model);
    std::vector<int32_t> told;
    const Subscription listening = session.document().subscribe([&](const DocumentChange& change) {
        if (change.selection)
            told.push_back(change.selCount);
    });
    session.select([](std::vector<Segment>& data, int32_t) {
        data[0].verts[0].selected = data[0].verts[1].selected = -1;
        return 1; // a pick's count, not a recount
    });
    EXPECT_EQ(told, std::vector<int32_t>{1});
    session.selectCounted([](std::vector<Segment>&) {});
    EXPECT_EQ(session.selCount(), 2);
    ASSERT_TRUE(
        session.edit("Move %n", 0, [](std::vector<Segment>& data) { data[0].verts[0].x += 1; }));
    session.hideSelected();
    EXPECT_EQ(session.selCount(), 0);
    EXPECT_EQ(session.hidden().count(), 2u);
    told.clear();
    session.document().undo();
    EXPECT_EQ(told, std::vector<int32_t>{0});
    EXPECT_EQ(model.curData[0].verts[0].selected, 0);
    EXPECT_EQ(session.hidden().count(), 2u);

    session.document().loadWorkingData();
    EXPECT_EQ(session.hidden().count(), 0u);
    EXPECT_EQ(session.selCount(), 0);
}

} // namespace
