#include "model/interchange/obj_io.h"

#include "../../fuzz/obj_reader_model.h"
#include "model/editing/history/document.h"
#include "model/editing/limits/value_write.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <filesystem>
#include <sstream>

namespace vw {
namespace {

using Triangles = std::vector<std::array<int, 3>>;

struct StripCase {
    const char* name;
    std::vector<int16_t> strip;
    size_t vertexCount;
    Triangles triangles;
};

class StripTriangles : public testing::TestWithParam<StripCase> {};

TEST_P(StripTriangles, BuildsFaces) {
    EXPECT_EQ(stripTriangles(GetParam().strip, GetParam().vertexCount), GetParam().triangles);
}

INSTANTIATE_TEST_SUITE_P(
    Strips, StripTriangles,
    testing::Values(
        StripCase{"Empty", {}, 3, {}}, StripCase{"TwoEntries", {0, 1}, 3, {}},
        StripCase{"OneTriangle", {0, 1, 2}, 3, {{0, 1, 2}}},
        StripCase{"OddTrianglesFlipped", {0, 1, 2, 3, 4}, 5, {{0, 1, 2}, {2, 1, 3}, {2, 3, 4}}},
        // Skipped triples still count, so the triangles after them keep their parity.
        StripCase{"DegenerateSkippedKeepParity", {0, 1, 1, 2, 3}, 4, {{1, 2, 3}}},
        StripCase{"DegenerateBridge", {0, 1, 2, 2, 3, 3, 4, 5}, 6, {{0, 1, 2}, {4, 3, 5}}},
        StripCase{"FirstAndLastEqual", {0, 1, 0}, 2, {}},
        StripCase{"IndexPastTheVertices", {0, 1, 2, 3}, 3, {{0, 1, 2}}},
        StripCase{"NegativeIndex", {0, -1, 2, 3}, 4, {}}),
    [](const auto& info) { return std::string(info.param.name); });

// Signed area in the x-y plane: all faces of a flat strip must have the same sign.
float signedArea(const std::vector<Vertex>& verts, const std::array<int, 3>& t) {
    const Vertex &a = verts[t[0]], &b = verts[t[1]], &c = verts[t[2]];
    return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

TEST(StripTriangles, FlatStripKeepsOneWinding) {
    std::vector<Vertex> verts;
    for (int column = 0; column < 5; ++column) {
        for (int row = 0; row < 2; ++row)
            verts.push_back({float(column), float(row)});
    }
    std::vector<int16_t> strip = {0, 1, 2, 3, 4, 5, 5, 6, 6, 7, 8, 9};
    Triangles triangles = stripTriangles(strip, verts.size());
    ASSERT_EQ(triangles.size(), 6u);
    for (const auto& triangle : triangles)
        EXPECT_LT(signedArea(verts, triangle), 0) << triangle[0] << triangle[1] << triangle[2];
}

Model twoPartModel() {
    Model model;
    model.Parts.resize(2);
    Segment first;
    first.verts = {{1.5f, 2.0f, -3.0f, 0.25f, 1.0f}, {0, 0, 0.1f, 0, 0}, {1, -1, 1, 1, 1}};
    first.strip = {0, 1, 2};
    Segment second;
    second.verts = {{4, 5, 6, 0.5f, 0.5f}, {7, 8, 9, 0, 1}, {1, 1, 1, 1, 0}, {2, 2, 2, 0, 0}};
    second.strip = {0, 1, 2, 3};
    model.Parts[0].segments = {first};
    model.Parts[1].segments = {Segment{}, second};
    return model;
}

std::string objOf(const Model& model, const ObjSelection& selection) {
    std::ostringstream out;
    writeObj(out, model, selection);
    return out.str();
}

// Reads OBJ text into the selected segments through the document, as the front ends do.
Result readInto(Model& model, const std::string& text, const ObjSelection& selection) {
    std::istringstream in(text);
    ValueWrite values;
    if (Result read = readObjValues(in, model, selection, values); !read)
        return read;
    Document document(model);
    return writeValues(document, "Import OBJ", values);
}

// The text's objects (from each o line on) in reverse order.
std::string reversedObjects(const std::string& text) {
    std::vector<std::string> objects;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (line.starts_with("o ") || objects.empty())
            objects.emplace_back();
        objects.back() += line + "\n";
    }
    std::string reversed;
    for (auto object = objects.rbegin(); object != objects.rend(); ++object)
        reversed += *object;
    return reversed;
}

TEST(ObjExport, FileOrientationAndRunningIndices) {
    EXPECT_EQ(objOf(twoPartModel(), {}), "o part0_seg0\n"
                                         "v 1.5 -2 -3\n"
                                         "v 0 -0 0.1\n"
                                         "v 1 1 1\n"
                                         "vt 0.25 1\n"
                                         "vt 0 0\n"
                                         "vt 1 1\n"
                                         "f 1/1 2/2 3/3\n"
                                         "o part1_seg0\n"
                                         "o part1_seg1\n"
                                         "v 4 -5 6\n"
                                         "v 7 -8 9\n"
                                         "v 1 -1 1\n"
                                         "v 2 -2 2\n"
                                         "vt 0.5 0.5\n"
                                         "vt 0 1\n"
                                         "vt 1 0\n"
                                         "vt 0 0\n"
                                         "f 4/4 5/5 6/6\n"
                                         "f 6/6 5/5 7/7\n");
}

TEST(ObjExport, OneSegmentNumbersFromOne) {
    std::string obj = objOf(twoPartModel(), {1, 1});
    EXPECT_EQ(obj.rfind("o part1_seg1\nv 4 -5 6\n", 0), 0u) << obj;
    EXPECT_NE(obj.find("f 1/1 2/2 3/3\nf 3/3 2/2 4/4\n"), std::string::npos) << obj;
}

void expectSameFloats(const Model& a, const Model& b) {
    ASSERT_EQ(a.Parts.size(), b.Parts.size());
    for (size_t p = 0; p < a.Parts.size(); ++p) {
        for (size_t s = 0; s < a.Parts[p].segments.size(); ++s) {
            const auto& vertsA = a.Parts[p].segments[s].verts;
            const auto& vertsB = b.Parts[p].segments[s].verts;
            ASSERT_EQ(vertsA.size(), vertsB.size());
            for (size_t i = 0; i < vertsA.size(); ++i) {
                for (int axis = 0; axis < 5; ++axis) {
                    EXPECT_EQ(std::bit_cast<uint32_t>(vertsA[i].coord(axis)),
                              std::bit_cast<uint32_t>(vertsB[i].coord(axis)))
                        << "part " << p << " segment " << s << " vertex " << i << " axis " << axis;
                }
            }
        }
    }
}

// A NaN keeps its sign and payload, quiet or signalling: written as [-]nan(0xPAYLOAD).
TEST(ObjExport, NansKeepTheirBitsInTheText) {
    Model model;
    model.Parts.resize(1);
    model.Parts[0].segments.resize(1);
    model.Parts[0].segments[0].verts = {
        {std::bit_cast<float>(0xFFC00000u), std::bit_cast<float>(0xFFC00000u),
         std::bit_cast<float>(0x7F800001u), std::bit_cast<float>(0xFFA5A5A5u),
         std::bit_cast<float>(0x7FFFFFFFu)}};
    EXPECT_EQ(objOf(model, {}), "o part0_seg0\n"
                                "v -nan(0x400000) nan(0x400000) nan(0x1)\n"
                                "vt -nan(0x25a5a5) nan(0x7fffff)\n");
}

TEST(ObjImport, ExportReadsBackBitForBit) {
    Model original = twoPartModel();
    original.Parts[0].segments[0].verts[1].x = 1e-40f;
    original.Parts[0].segments[0].verts[1].y = -0.0f;
    // NaNs of both signs, quiet and signalling.
    original.Parts[1].segments[1].verts[0] = {
        std::bit_cast<float>(0x7FC00000u), std::bit_cast<float>(0xFFC00000u),
        std::bit_cast<float>(0x7F800001u), std::bit_cast<float>(0xFF800001u),
        std::bit_cast<float>(0x7FBFFFFFu)};
    Model target = twoPartModel();
    for (auto& part : target.Parts) {
        for (auto& segment : part.segments) {
            for (Vertex& vertex : segment.verts)
                vertex = {9, 9, 9, 9, 9};
        }
    }
    ASSERT_EQ(readInto(target, objOf(original, {}), {}).reason(), "");
    expectSameFloats(target, original);
}

// Another program may sort the objects: each still lands on the segment it names.
TEST(ObjImport, NamedObjectsLandOnTheirSegmentsInAnyOrder) {
    Model original = twoPartModel();
    for (Vertex& vertex : original.Parts[1].segments[1].verts)
        vertex.x += 10;
    original.Parts[0].segments[0].verts[2].v = 0.75f;
    const std::string reversed = reversedObjects(objOf(original, {}));
    ASSERT_EQ(reversed.rfind("o part1_seg1\n", 0), 0u) << reversed;
    Model target = twoPartModel();
    ASSERT_EQ(readInto(target, reversed, {}).reason(), "");
    expectSameFloats(target, original);
}

TEST(ObjImport, OneSegmentOnlyChangesThatSegment) {
    Model model = twoPartModel();
    const std::string text = "v 1 2 3\nv 4 5 6\r\nv 7 8 9 0.5 0.5 0.5\nv +1 -1e3 nan\n"
                             "vt 0.1\nvt 0.2 0.3\nvt 0 0\nvt 1 1 0\n# comment\nf 1 2 3\n";
    ASSERT_EQ(readInto(model, text, {1, 1}).reason(), "");
    Model expected = twoPartModel();
    expected.Parts[1].segments[1].verts = {{1, -2, 3, 0.1f, 0},
                                           {4, -5, 6, 0.2f, 0.3f},
                                           {7, -8, 9, 0, 0},
                                           {1, 1e3f, std::nanf(""), 1, 1}};
    expectSameFloats(model, expected);
}

TEST(ObjImport, UvsKeptWhenTheirCountDiffers) {
    Model model = twoPartModel();
    ASSERT_EQ(readInto(model, "v 1 1 1\nv 2 2 2\nv 3 3 3\nvt 0 0\n", {0, 0}).reason(), "");
    const auto& verts = model.Parts[0].segments[0].verts;
    EXPECT_EQ(verts[2].x, 3);
    EXPECT_EQ(verts[2].y, -3);
    EXPECT_EQ(verts[0].u, 0.25f);
    EXPECT_EQ(verts[0].v, 1.0f);
}

// The vt lines kept are capped over the whole file, so stray ones before the first object can
// leave an object with its full count of vt lines but not all of them kept.
TEST(ObjImport, UvsNotAllKeptAreLeftAsTheyWere) {
    Model model = twoPartModel();
    const std::string text = "vt 9 9\nvt 9 9\nvt 9 9\no part0_seg0\nv 1 1 1\nv 2 2 2\nv 3 3 3\n"
                             "vt 0 0\nvt 0 0\nvt 0 0\n";
    ASSERT_EQ(readInto(model, text, {0, 0}).reason(), "");
    const auto& verts = model.Parts[0].segments[0].verts;
    EXPECT_EQ(verts[2].x, 3);
    EXPECT_EQ(verts[0].u, 0.25f);
    EXPECT_EQ(verts[0].v, 1.0f);
}

// What the OBJ reader's fuzzer found, read again as it read them: the first byte chooses the
// selection of its model, the rest is the text.
TEST(ObjImport, TheFuzzersFindsReadCleanly) {
    const std::filesystem::path corpus =
        std::filesystem::path(__FILE__).parent_path() / "fuzz_corpus" / "fuzz_obj_reader";
    const Model model = objReaderModel();
    size_t replayed = 0;
    for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
        const std::vector<uint8_t> bytes = test::readBytes(entry.path());
        ASSERT_FALSE(bytes.empty()) << entry.path();
        const ObjSelection selection = objReaderSelection(bytes[0]);
        std::istringstream in(std::string(bytes.begin() + 1, bytes.end()));
        ValueWrite values;
        if (readObjValues(in, model, selection, values))
            EXPECT_TRUE(objReaderValuesFit(model, selection, values)) << entry.path();
        ++replayed;
    }
    EXPECT_GT(replayed, 0u);
}

struct BadObj {
    const char* name;
    const char* text;
    const char* reason;
};

class ObjImportRejects : public testing::TestWithParam<BadObj> {};

TEST_P(ObjImportRejects, LeavesTheModelAlone) {
    Model model = twoPartModel();
    std::string reason = readInto(model, GetParam().text, {}).reason();
    EXPECT_NE(reason.find(GetParam().reason), std::string::npos) << reason;
    expectSameFloats(model, twoPartModel());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ObjImportRejects,
    testing::Values(
        BadObj{"TooFew", "v 1 1 1\n", "its vertex count 1 differs from the selection's 7"},
        BadObj{"TooMany",
               "v 1 1 1\nv 1 1 1\nv 1 1 1\nv 1 1 1\nv 1 1 1\n"
               "v 1 1 1\nv 1 1 1\nv 1 1 1\n",
               "its vertex count 8 differs"},
        BadObj{"ShortVertex", "v 1 1 1\nv 1 1\n", "line 2: a v line"},
        BadObj{"NotANumber", "v 1 1 1\n\nv 1 x 1\n", "line 3: a v line"},
        BadObj{"TrailingJunk", "v 1 1 1.5q\n", "line 1: a v line"},
        BadObj{"EmptyVt", "vt\n", "line 1: a vt line"},
        BadObj{"OutOfRange", "v 1 1 1e50\n", "line 1: 1e50 is beyond the range of a 32-bit float"},
        BadObj{"OutOfRangeUv", "v 1 1 1\nvt 0 -1e39\n",
               "line 2: -1e39 is beyond the range of a 32-bit float"},
        BadObj{"NanWithoutPayload", "v 1 1 nan(0x0)\n", "line 1: a v line"},
        BadObj{"NanPayloadTooWide", "v 1 1 nan(0x800000)\n", "line 1: a v line"},
        BadObj{"TwoSigns", "v 1 1 --1\n", "line 1: a v line"},
        BadObj{"UnknownName", "o part0_seg0\nv 1 1 1\nv 1 1 1\nv 1 1 1\no Cube\nv 1 1 1\n",
               "object 'Cube' matches no segment of the selection"},
        BadObj{"CountOfANamedObject", "o part1_seg1\nv 1 1 1\n",
               "object 'part1_seg1' has 1 vertices, its segment 4"},
        BadObj{"TooManyInANamedObject",
               "o part0_seg0\nv 1 1 1\nv 1 1 1\nv 1 1 1\nv 1 1 1\n"
               "v 1 1 1\nv 1 1 1\nv 1 1 1\nv 1 1 1\n",
               "object 'part0_seg0': its vertex count 8 differs"},
        BadObj{"ASegmentWithoutItsObject", "o part0_seg0\nv 1 1 1\nv 1 1 1\nv 1 1 1\n",
               "the file has no object 'part1_seg0'"},
        BadObj{"AnObjectTwice", "o part1_seg0\no part1_seg0\n", "object 'part1_seg0' comes twice"},
        BadObj{"MoreObjectsThanSegments", "o a\no b\no c\no d\n",
               "more objects than the selection's 3 segments (reading stopped at line 4)"},
        BadObj{"SomeObjectsUnnamed", "v 1 1 1\no part1_seg0\n",
               "the file names some objects and not others"}),
    [](const auto& info) { return std::string(info.param.name); });

struct SelectionCase {
    const char* name;
    ObjSelection selection;
    const char* reason; // empty when valid
};

class Selections : public testing::TestWithParam<SelectionCase> {};

TEST_P(Selections, AreChecked) {
    EXPECT_EQ(checkSelection(twoPartModel(), GetParam().selection).reason(), GetParam().reason);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Selections,
    testing::Values(
        SelectionCase{"WholeModel", {}, ""}, SelectionCase{"Part1", {1, {}}, ""},
        SelectionCase{"Part1Seg1", {1, 1}, ""},
        SelectionCase{"PartPastTheEnd", {2, {}}, "part 2 is not in the model (part count 2)"},
        SelectionCase{"NegativePart", {-1, {}}, "part -1 is not in the model (part count 2)"},
        SelectionCase{"SegmentPastTheEnd", {0, 1}, "segment 1 is not in part 0 (segment count 1)"},
        SelectionCase{"SegmentWithoutPart", {{}, 0}, "a segment needs its part"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Selections, CoverSegmentsInModelOrder) {
    using Pairs = std::vector<std::pair<int, int>>;
    EXPECT_EQ(selectedSegments(twoPartModel(), {}), (Pairs{{0, 0}, {1, 0}, {1, 1}}));
    EXPECT_EQ(selectedSegments(twoPartModel(), {1, {}}), (Pairs{{1, 0}, {1, 1}}));
    EXPECT_EQ(selectedSegments(twoPartModel(), {1, 0}), (Pairs{{1, 0}}));
}

} // namespace
} // namespace vw
