// What the Preview shows, without a widget: the buffers and their patches after edits, hidden
// segments, the colours sent, the camera per model and what the pointer does to it.

#include "model/editing/history/document.h"
#include "model/editing/history/working_data.h"
#include "pane_test_support.h"
#include "preview/preview_scene.h"
#include "preview/strip_triangles.h"
#include "support/fine_grid.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <set>
#include <vector>

namespace {

using pane_test::vertexAt;

// Every write a buffer got, with what was written.
template <typename Element> struct Recording : vw::BufferSink {
    struct Write {
        size_t offset;
        std::vector<Element> verts;
    };
    std::vector<Write> writes;
    void write(size_t offsetBytes, const void* data, size_t bytes) override {
        Write w{offsetBytes, std::vector<Element>(bytes / sizeof(Element))};
        std::memcpy(w.verts.data(), data, bytes);
        writes.push_back(std::move(w));
    }
};
using RecordingSink = Recording<vw::PreviewVertex>;

vw::Segment quadSegment(float left, int32_t nodeIndex) {
    return pane_test::segmentOf({vertexAt(left, 0, 0), vertexAt(left + 1, 0, 0),
                                 vertexAt(left, -1, 0), vertexAt(left + 1, -1, 0)},
                                {0, 1, 2, 3}, nodeIndex);
}

// Part 0: two quads; part 1: one quad and a segment with no triangles.
vw::Model threeQuads(const std::string& path = "three.ebo") {
    vw::Model model;
    model.modelPath = path;
    model.Parts.push_back(pane_test::partOf({quadSegment(0, 2), quadSegment(2, 3)}));
    model.Parts.push_back(
        pane_test::partOf({quadSegment(4, 5), pane_test::segmentOf({vertexAt(9, 9, 9)}, {}, 6)}));
    for (vw::Part& part : model.Parts)
        for (vw::Segment& segment : part.segments)
            segment.colorBlockAt = 1;
    return model;
}

struct PreviewSceneTest : testing::Test {
    vw::Model model = threeQuads();
    vw::Document document{model};
    vw::PreviewScene scene{model};
    vw::Subscription subscription = document.subscribe(
        [this](const vw::DocumentChange& change) { scene.documentChanged(change); });
    RecordingSink sink;

    void sendAll() {
        scene.rebuild();
        scene.mesh().sendVertices(model, sink);
        sink.writes.clear();
    }
};

TEST_F(PreviewSceneTest, BuffersAreLaidOutOncePerModelInPartsOrder) {
    scene.rebuild();
    const auto& spans = scene.mesh().segments();
    ASSERT_EQ(spans.size(), 4u);
    EXPECT_EQ(spans[1].firstVertex, 4u);
    EXPECT_EQ(spans[2].firstVertex, 8u);
    EXPECT_EQ(spans[2].firstIndex, 8u);
    EXPECT_EQ(spans[3].indexCount, 0u);
    EXPECT_EQ(scene.mesh().vertexCount(), 13u);
    EXPECT_EQ(scene.mesh().triangleCount(), 6u);
    EXPECT_EQ(scene.mesh().takeStrips().size(), 12u);
    const size_t sent = scene.mesh().sendVertices(model, sink);
    ASSERT_EQ(sink.writes.size(), 1u);
    EXPECT_EQ(sink.writes[0].offset, 0u);
    EXPECT_EQ(sent, 13 * sizeof(vw::PreviewVertex));
}

TEST_F(PreviewSceneTest, AMovedVertexSendsOnlyItsRange) {
    sendAll();
    model.curPart = 0;
    model.curSeg = 2; // segment 1 of part 0
    document.loadWorkingData();
    (void)document.edit("Move %n", 0, 1, [&](std::vector<vw::Segment>&) {
        model.curData[0].verts[2].x = 7.5f;
        model.curData[0].verts[2].y = -3.0f;
        model.curData[0].verts[2].u = 0.5f;
    });
    EXPECT_FALSE(scene.needsRebuild());
    Recording<vw::PreviewMapping> mapping; // once the image map shows, its places go too
    const size_t sent = scene.mesh().sendVertices(model, sink, &mapping);
    ASSERT_EQ(sink.writes.size(), 1u);
    EXPECT_EQ(sink.writes[0].offset, (4 + 2) * sizeof(vw::PreviewVertex));
    ASSERT_EQ(sink.writes[0].verts.size(), 1u);
    EXPECT_EQ(sink.writes[0].verts[0].x, 7.5f);
    EXPECT_EQ(sink.writes[0].verts[0].y, 3.0f); // the file's y
    ASSERT_EQ(mapping.writes.size(), 1u);
    EXPECT_EQ(mapping.writes[0].offset, (4 + 2) * sizeof(vw::PreviewMapping));
    EXPECT_EQ(mapping.writes[0].verts.at(0).u, 0.5f);
    EXPECT_EQ(sent, sizeof(vw::PreviewVertex) + sizeof(vw::PreviewMapping));

    sink.writes.clear();
    document.undo();
    scene.mesh().sendVertices(model, sink);
    ASSERT_EQ(sink.writes.size(), 1u);
    EXPECT_EQ(sink.writes[0].offset, 6 * sizeof(vw::PreviewVertex));
    EXPECT_EQ(sink.writes[0].verts[0].x, 2.0f);
}

TEST_F(PreviewSceneTest, EditsOfNeighbouringVerticesGoOutAsOneWrite) {
    sendAll();
    scene.mesh().verticesChanged({0, 1, 3, 4});
    scene.mesh().verticesChanged({1, 0, 0, 2});
    scene.mesh().verticesChanged({0, 0, 1, 2});
    scene.mesh().sendVertices(model, sink);
    ASSERT_EQ(sink.writes.size(), 2u);
    EXPECT_EQ(sink.writes[0].offset, 1 * sizeof(vw::PreviewVertex));
    EXPECT_EQ(sink.writes[1].offset, 7 * sizeof(vw::PreviewVertex));
    EXPECT_EQ(sink.writes[1].verts.size(), 3u); // vertex 7 and part 1's 0 and 1, side by side
    EXPECT_FALSE(scene.mesh().hasPendingVertices());
}

TEST_F(PreviewSceneTest, RangesOutsideTheModelAreIgnored) {
    sendAll();
    scene.mesh().verticesChanged({5, 0, 0, 1});
    scene.mesh().verticesChanged({0, 7, 0, 1});
    scene.mesh().verticesChanged({0, 0, 3, 99});
    scene.mesh().sendVertices(model, sink);
    ASSERT_EQ(sink.writes.size(), 1u);
    EXPECT_EQ(sink.writes[0].offset, 3 * sizeof(vw::PreviewVertex));
    EXPECT_EQ(sink.writes[0].verts.size(), 1u);
}

TEST_F(PreviewSceneTest, ASegmentThatChangedShapeRebuildsTheBuffers) {
    sendAll();
    model.Parts[0].segments[1].verts.push_back(vertexAt(1, 1, 1));
    scene.documentChanged({{{0, 1, 0, 5}}, false, false, 0, false, false, {}});
    EXPECT_TRUE(scene.needsRebuild());
}

TEST_F(PreviewSceneTest, HiddenSegmentsAndSegmentsWithoutTrianglesAreLeftOut) {
    scene.rebuild();
    std::vector<int32_t> shown;
    for (const vw::SegmentSpan& span :
         scene.mesh().shownSegments([](int32_t nodeIndex) { return nodeIndex != 3; }))
        shown.push_back(span.nodeIndex);
    EXPECT_EQ(shown, (std::vector<int32_t>{2, 5}));
    EXPECT_EQ(scene.mesh().shownSegments({}).size(), 3u);
}

TEST(PreviewVertexTest, ColoursComeFromTheVertexOrGreyWithoutAColourBlock) {
    vw::Vertex vertex = vertexAt(1, 2, 3, 0.25f, 0.75f);
    vertex.red = 10;
    vertex.green = 20;
    vertex.blue = 30;
    vertex.alpha = 40;
    const vw::PreviewVertex coloured = vw::previewVertex(vertex, true);
    EXPECT_EQ(coloured.y, -2.0f);
    EXPECT_EQ(vw::previewMapping(vertex).v, 0.75f);
    EXPECT_EQ(coloured.red, 10);
    EXPECT_EQ(coloured.alpha, 40);
    const vw::PreviewVertex plain = vw::previewVertex(vertex, false);
    EXPECT_EQ(plain.red, vw::kUncolouredGrey);
    EXPECT_EQ(plain.blue, vw::kUncolouredGrey);
    EXPECT_EQ(plain.alpha, 255);
}

TEST_F(PreviewSceneTest, SelectedWorkingVerticesArePointsInFileOrientation) {
    model.curSeg = 0;
    document.loadWorkingData();
    model.curData[1].verts[3].selected = -1;
    std::vector<float> points;
    scene.selectedPoints(points);
    EXPECT_EQ(points, (std::vector<float>{3, 1, 0}));
}

TEST_F(PreviewSceneTest, EachModelKeepsItsCameraAndANewOneIsFitted) {
    scene.setViewport(300, 200);
    const vw::Vec3 fitted = scene.camera().target;
    EXPECT_NEAR(fitted.x, 4.5, 1e-9); // the middle of x 0 to 9 (the lone vertex counts)
    scene.press(1, 0, 10, 10);
    scene.drag(60, 30);
    scene.release();
    const double yaw = scene.camera().yaw;

    vw::Model other;
    other.modelPath = "other.ebo";
    other.Parts.push_back(pane_test::partOf({quadSegment(100, 2)}));
    model = other;
    document.modelReplaced();
    EXPECT_NEAR(scene.camera().target.x, 100.5, 1e-9);
    EXPECT_NE(scene.camera().yaw, yaw);
    EXPECT_EQ(scene.camera().width, 300);
    EXPECT_TRUE(scene.needsRebuild());

    scene.setOrthographic(true);
    model = threeQuads();
    document.modelReplaced();
    EXPECT_EQ(scene.camera().yaw, yaw);
    EXPECT_NEAR(scene.camera().target.x, 4.5, 1e-9);
    EXPECT_TRUE(scene.camera().orthographic); // as the View strip now says
}

struct DragCase {
    std::string name;
    int buttons, modifiers;
    bool orbits, pans;
};

class PreviewDragTest : public testing::TestWithParam<DragCase> {};

TEST_P(PreviewDragTest, ButtonsChooseOrbitOrPan) {
    vw::Model model = threeQuads();
    vw::PreviewScene scene(model);
    scene.setViewport(200, 200);
    const vw::OrbitCamera before = scene.camera();
    scene.press(GetParam().buttons, GetParam().modifiers, 50, 50);
    scene.drag(80, 70);
    scene.release();
    scene.drag(150, 150); // no button held: nothing moves
    EXPECT_EQ(scene.camera().yaw != before.yaw, GetParam().orbits);
    EXPECT_EQ((scene.camera().target - before.target).length() > 1e-9, GetParam().pans);
}

INSTANTIATE_TEST_SUITE_P(
    Buttons, PreviewDragTest,
    testing::Values(DragCase{"Left", 1, 0, true, false}, DragCase{"Right", 2, 0, false, true},
                    DragCase{"Middle", 4, 0, false, true}, DragCase{"ShiftLeft", 1, 1, false, true},
                    DragCase{"CtrlLeft", 1, 2, true, false},
                    DragCase{"LeftAndRight", 3, 0, false, false}),
    [](const testing::TestParamInfo<DragCase>& info) { return info.param.name; });

TEST(PreviewWheelTest, TheWheelZoomsInAboutThePointer) {
    vw::Model model = threeQuads();
    vw::PreviewScene scene(model);
    scene.setViewport(200, 200);
    const vw::Vec3 under = scene.camera().onTargetPlane(40, 160);
    const double distance = scene.camera().distance;
    scene.wheel(40, 160, 2);
    EXPECT_LT(scene.camera().distance, distance);
    const vw::Vec3 at = scene.camera().toWindow(under);
    EXPECT_NEAR(at.x, 40, 1e-6);
    EXPECT_NEAR(at.y, 160, 1e-6);
}

TEST(PreviewFitTest, FitSelectionFramesTheSelectedVertices) {
    vw::Model model = threeQuads();
    vw::PreviewScene scene(model);
    scene.setViewport(200, 200);
    vw::loadCurData(model);
    model.curData[1].verts[0].selected = -1;
    model.curData[1].verts[3].selected = -1;
    scene.fitSelection();
    EXPECT_NEAR(scene.camera().target.x, 2.5, 1e-9);
    EXPECT_NEAR(scene.camera().target.y, 0.5, 1e-9);
    model.curData[1].verts[0].selected = 0;
    model.curData[1].verts[3].selected = 0;
    scene.fitSelection(); // nothing selected: the working data, part 0
    EXPECT_NEAR(scene.camera().target.x, 1.5, 1e-9);
    scene.shown = [](int32_t nodeIndex) { return nodeIndex == 5; };
    scene.fitAll();
    EXPECT_NEAR(scene.camera().target.x, 4.5, 1e-9);
}

// A 120 x 120 square (28,322 triangles), a second one far off with a non-finite vertex and one
// at 1e30, and a quad.
vw::Model fineModel() {
    vw::Model model;
    model.modelPath = "fine.ebo";
    vw::Segment wild = test_models::fineSquare(120, 0, 0, 255);
    for (vw::Vertex& vertex : wild.verts)
        vertex.x += 5;
    wild.verts[500].x = std::numeric_limits<float>::quiet_NaN();
    wild.verts[900].z = 1e30f;
    model.Parts.push_back(pane_test::partOf({test_models::fineSquare(120, 255, 0, 0), wild}));
    model.Parts.push_back(pane_test::partOf({quadSegment(9, 5)}));
    return model;
}

TEST(PreviewCoarseTest, CellsKeepAboutTheBudgetOfDistinctTrianglesOfEachSegment) {
    const vw::Model model = fineModel();
    vw::PreviewMesh mesh;
    mesh.rebuild(model);
    const size_t budget = 4000;
    const std::vector<uint16_t> coarse = mesh.buildCoarse(model, budget);
    // Wild vertices neither make every cell huge nor stop the cells from gathering.
    EXPECT_GT(coarse.size() / 3, budget / 3);
    EXPECT_LE(coarse.size() / 3, budget * 5 / 4);
    for (const vw::SegmentSpan& span : mesh.segments()) {
        ASSERT_LE(span.firstCoarse + span.coarseCount, coarse.size());
        std::set<std::set<uint16_t>> seen;
        for (uint32_t k = span.firstCoarse; k < span.firstCoarse + span.coarseCount; k += 3) {
            const std::set<uint16_t> corners{coarse[k], coarse[k + 1], coarse[k + 2]};
            EXPECT_EQ(corners.size(), 3u);
            EXPECT_LT(*corners.rbegin(), span.vertexCount);
            EXPECT_TRUE(seen.insert(corners).second) << "a triangle kept twice";
        }
        EXPECT_GT(span.coarseCount, 0u); // even the quad keeps its shape
    }
}

bool coarseWhileDragged(vw::PreviewScene& scene) {
    scene.press(1, 0, 10, 10);
    const bool coarse = scene.drawsCoarse();
    scene.release();
    return coarse && !scene.drawsCoarse();
}

TEST(PreviewCoarseTest, OnlyASlowViewWhileMovingDrawsCoarseTriangles) {
    vw::Model model = fineModel();
    vw::PreviewScene scene(model);
    scene.rebuild();
    scene.fullFrameDrawn(vw::kSlowFrameMs * 2);
    EXPECT_FALSE(scene.drawsCoarse()); // still
    EXPECT_TRUE(coarseWhileDragged(scene));
    scene.wheel(10, 10, 1);
    EXPECT_TRUE(scene.drawsCoarse());
    scene.wheelSettled();
    EXPECT_FALSE(scene.drawsCoarse());
    scene.fullFrameDrawn(vw::kSlowFrameMs / 2); // a fast renderer always draws every triangle
    EXPECT_FALSE(coarseWhileDragged(scene));
    scene.fullFrameDrawn(vw::kSlowFrameMs * 2);
    scene.rebuild(); // new buffers are timed anew
    EXPECT_FALSE(coarseWhileDragged(scene));

    vw::Model small = threeQuads();
    vw::PreviewScene smallScene(small);
    smallScene.rebuild();
    smallScene.fullFrameDrawn(vw::kSlowFrameMs * 2);
    EXPECT_FALSE(coarseWhileDragged(smallScene)); // too few triangles to thin out
}

// A camera looking at the origin from the front, orthographic, showing 2 * halfHeight units
// over 1000 pixels.
vw::OrbitCamera orthographicCamera(double halfHeight) {
    vw::OrbitCamera camera;
    camera.setViewport(1000, 1000);
    camera.orthographic = true;
    camera.halfHeight = halfHeight;
    return camera;
}

TEST(PreviewDetailTest, VersionsGetCoarserAndKeepTheCornersOfSharpColourChanges) {
    const int rings = 64, around = 128;
    const vw::Segment torus = test_models::fineTorus(rings, around);
    std::vector<uint16_t> triangles;
    vw::appendStripTriangles(torus.strip, torus.verts.size(), triangles);
    const vw::SegmentDetail detail = vw::buildSegmentDetail(torus.verts, triangles);
    ASSERT_GE(detail.levels.size(), 3u);
    EXPECT_EQ(detail.normals.size(), torus.verts.size());
    size_t previous = triangles.size();
    double error = 0;
    for (const vw::DetailLevel& level : detail.levels) {
        EXPECT_LT(level.triangles.size(), previous);
        EXPECT_GT(level.error, error);
        EXPECT_TRUE(std::all_of(level.triangles.begin(), level.triangles.end(),
                                [&](uint16_t i) { return i < torus.verts.size(); }));
        previous = level.triangles.size();
        error = level.error;
    }
    // Red starts again at ring 0: the triangles between the last ring and it keep every corner.
    const std::vector<uint16_t>& coarsest = detail.levels.back().triangles;
    const std::set<uint16_t> corners(coarsest.begin(), coarsest.end());
    for (uint16_t i = 0; i < around; ++i)
        EXPECT_TRUE(corners.count(i)) << i;

    // The farther the view, the coarser the version, and none when triangles are large on screen.
    const auto chosenFor = [&](double halfHeight, double devicePixelRatio) {
        const vw::DetailLevel* level =
            vw::levelFor(detail, orthographicCamera(halfHeight), devicePixelRatio);
        return level ? level - detail.levels.data() : -1;
    };
    EXPECT_EQ(chosenFor(0.2, 1), -1);
    EXPECT_LE(chosenFor(2, 1), chosenFor(20, 1));
    EXPECT_EQ(chosenFor(200, 1), ptrdiff_t(detail.levels.size()) - 1);
    // Twice the device pixels need a version twice as close.
    EXPECT_LE(chosenFor(20, 2), chosenFor(20, 1));
    EXPECT_GE(chosenFor(20, 1), 0);

    vw::Segment wild = torus;
    wild.verts[5].y = std::numeric_limits<float>::infinity();
    EXPECT_TRUE(vw::buildSegmentDetail(wild.verts, triangles).levels.empty());
}

TEST_F(PreviewSceneTest, AnEditDropsTheSimplifiedVersionsOfItsSegmentOnly) {
    model.Parts[0].segments[0] = test_models::fineTorus(64, 128);
    model.Parts[0].segments[1] = test_models::fineTorus(64, 128, 3, 0);
    scene.rebuild();
    vw::PreviewMesh& mesh = scene.mesh();
    EXPECT_TRUE(mesh.detailPending());
    while (mesh.buildNextDetail(model)) {
    }
    const std::vector<uint16_t> packed = mesh.packDetail();
    const vw::OrbitCamera far = orthographicCamera(100);
    const auto drawnFrom = [&](int segment) {
        return mesh.detailFor(mesh.segments()[segment], far, 1.0);
    };
    ASSERT_NE(drawnFrom(0), nullptr);
    ASSERT_NE(drawnFrom(1), nullptr);
    EXPECT_LE(drawnFrom(1)->first + drawnFrom(1)->triangles.size(), packed.size());
    EXPECT_EQ(drawnFrom(2), nullptr); // a quad is drawn whole

    model.curPart = 0;
    model.curSeg = 2;
    document.loadWorkingData();
    (void)document.edit("Move %n", 0, 1,
                        [&](std::vector<vw::Segment>& data) { data[0].verts[7].x += 0.5f; });
    EXPECT_NE(drawnFrom(0), nullptr);
    EXPECT_EQ(drawnFrom(1), nullptr);
    EXPECT_TRUE(mesh.detailPending());
    EXPECT_TRUE(mesh.buildNextDetail(model));
    EXPECT_EQ(drawnFrom(1), nullptr); // until packed again
    (void)mesh.packDetail();
    EXPECT_NE(drawnFrom(1), nullptr);
}

} // namespace
