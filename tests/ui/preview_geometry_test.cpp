// The Preview's geometry without a widget: triangles from strips, the camera's orbit, pan and
// zoom, fitting, which way the axes point, and the navigation gizmo's.

#include "pane_test_support.h"
#include "preview/camera.h"
#include "preview/draw_pieces.h"
#include "preview/fitting.h"
#include "preview/nav_gizmo.h"
#include "preview/strip_triangles.h"
#include "tools/transform_drag.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <set>
#include <string>
#include <vector>

namespace {

using pane_test::vertexAt;

struct StripCase {
    std::string name;
    std::vector<int16_t> strip;
    size_t vertexCount;
    std::vector<uint16_t> triangles;
    std::vector<uint16_t> edges;
};

// The triangles drawn from a list (step 3) or from a strip with primitive restart (step 1), each
// as its sorted corners; a strip's triangles with a repeated corner cover nothing.
std::multiset<std::array<uint16_t, 3>> drawn(const std::vector<uint16_t>& indexes, size_t step) {
    std::multiset<std::array<uint16_t, 3>> out;
    for (size_t k = 0; k + 2 < indexes.size(); k += step) {
        std::array<uint16_t, 3> corners{indexes[k], indexes[k + 1], indexes[k + 2]};
        std::sort(corners.begin(), corners.end());
        if (corners[2] != vw::kStripRestart && corners[0] != corners[1] && corners[1] != corners[2])
            out.insert(corners);
    }
    return out;
}

class StripTrianglesTest : public testing::TestWithParam<StripCase> {};

TEST_P(StripTrianglesTest, KeepsRealTrianglesWithOneWinding) {
    std::vector<uint16_t> triangles, edges, restartStrip;
    vw::appendStripTriangles(GetParam().strip, GetParam().vertexCount, triangles);
    vw::appendStripEdges(GetParam().strip, GetParam().vertexCount, edges);
    EXPECT_EQ(triangles, GetParam().triangles);
    EXPECT_EQ(edges, GetParam().edges);
    // The strip the GPU draws gives the very same triangles.
    EXPECT_EQ(vw::appendRestartStrip(GetParam().strip, GetParam().vertexCount, restartStrip),
              triangles.size() / 3);
    EXPECT_EQ(drawn(restartStrip, 1), drawn(triangles, 3));
}

// Drawn in pieces, every primitive is drawn once, no piece has more than it may, and a strip's
// pieces start at even entries.
TEST(DrawPieces, DrawEveryPrimitiveOnce) {
    std::vector<uint16_t> strip;
    for (uint16_t i = 0; i < 41; ++i)
        strip.push_back(i % 13 == 12 ? vw::kStripRestart : i);
    const std::vector<uint16_t> list(strip.begin(), strip.begin() + 39);
    for (uint32_t most : {2u, 3u, 5u, 100u}) {
        SCOPED_TRACE(most);
        std::multiset<std::array<uint16_t, 3>> fromStrip, fromList;
        vw::forEachPiece(vw::kStripPieces, uint32_t(strip.size()), most,
                         [&](uint32_t first, uint32_t count, uint32_t primitives) {
                             EXPECT_EQ(first % 2, 0u);
                             EXPECT_LE(primitives, most);
                             EXPECT_EQ(primitives + 2, count);
                             fromStrip.merge(drawn({&strip[first], &strip[first] + count}, 1));
                         });
        EXPECT_EQ(fromStrip, drawn(strip, 1));
        vw::forEachPiece(vw::kTrianglePieces, uint32_t(list.size()), most,
                         [&](uint32_t first, uint32_t count, uint32_t primitives) {
                             EXPECT_LE(primitives, most);
                             EXPECT_EQ(primitives * 3, count);
                             fromList.merge(drawn({&list[first], &list[first] + count}, 3));
                         });
        EXPECT_EQ(fromList, drawn(list, 3));
        uint32_t points = 0;
        vw::forEachPiece(vw::kPointPieces, 7, most, [&](uint32_t first, uint32_t count, uint32_t) {
            EXPECT_EQ(first, points);
            points += count;
        });
        EXPECT_EQ(points, 7u);
    }
    uint32_t pieces = 0;
    for (uint32_t tooFew : {0u, 2u})
        vw::forEachPiece(vw::kStripPieces, tooFew, 4,
                         [&](uint32_t, uint32_t, uint32_t) { ++pieces; });
    EXPECT_EQ(pieces, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Strips, StripTrianglesTest,
    testing::Values(
        StripCase{
            "TwoTriangles", {0, 1, 2, 3}, 4, {0, 1, 2, 2, 1, 3}, {0, 1, 1, 2, 2, 0, 2, 3, 3, 1}},
        StripCase{"FewerThanThree", {0, 1}, 4, {}, {}},
        StripCase{"JointAtStart", {4, 4, 7, 9}, 10, {7, 4, 9}, {4, 7, 7, 9, 9, 4}},
        StripCase{"DegenerateInside", {0, 1, 1, 2, 3}, 4, {1, 2, 3}, {1, 2, 2, 3, 3, 1}},
        StripCase{"EntryBeyondVertices", {0, 1, 5, 2, 3}, 4, {}, {}},
        StripCase{"NegativeEntry", {0, -1, 1, 2, 3}, 4, {1, 2, 3}, {1, 2, 2, 3, 3, 1}},
        StripCase{"LastVertexIndex", {0, 1, 3}, 4, {0, 1, 3}, {0, 1, 1, 3, 3, 0}}),
    [](const testing::TestParamInfo<StripCase>& info) { return info.param.name; });

struct Projection {
    std::string name;
    bool orthographic;
};

class CameraTest : public testing::TestWithParam<Projection> {
protected:
    vw::OrbitCamera camera() const {
        vw::OrbitCamera c;
        c.setViewport(400, 300);
        c.orthographic = GetParam().orthographic;
        c.target = {1, 2, 3};
        c.distance = 10;
        c.halfHeight = 4;
        c.yaw = 0.4;
        c.pitch = -0.3;
        c.sceneCentre = {1, 2, 3};
        c.sceneRadius = 5;
        return c;
    }
};

void expectNear(const vw::Vec3& actual, const vw::Vec3& expected, double tolerance) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

TEST_P(CameraTest, OrbitKeepsTheTargetInTheMiddle) {
    vw::OrbitCamera c = camera();
    const vw::Vec3 eyeBefore = c.eye();
    c.orbit(37, -25);
    expectNear(c.target, {1, 2, 3}, 1e-12);
    EXPECT_NEAR((c.eye() - c.target).length(), 10, 1e-9);
    EXPECT_GT((c.eye() - eyeBefore).length(), 1);
    const vw::Vec3 middle = c.toWindow(c.target);
    EXPECT_NEAR(middle.x, 200, 1e-6);
    EXPECT_NEAR(middle.y, 150, 1e-6);
}

TEST_P(CameraTest, PanMovesTheTargetInTheViewPlaneWithThePointer) {
    vw::OrbitCamera c = camera();
    const vw::Vec3 grabbed = c.onTargetPlane(100, 80);
    const vw::Vec3 before = c.target;
    c.pan(30, -20);
    EXPECT_NEAR((c.target - before).dot(c.forward()), 0, 1e-9);
    EXPECT_GT((c.target - before).length(), 0.1);
    const vw::Vec3 at = c.toWindow(grabbed);
    EXPECT_NEAR(at.x, 130, 1e-6);
    EXPECT_NEAR(at.y, 60, 1e-6);
}

TEST_P(CameraTest, ZoomKeepsThePointUnderThePointer) {
    for (const double factor : {0.5, 0.85, 2.0}) {
        vw::OrbitCamera c = camera();
        const vw::Vec3 under = c.onTargetPlane(310, 40);
        const double scaleBefore = c.unitsPerPixel();
        c.zoomAt(310, 40, factor);
        const vw::Vec3 at = c.toWindow(under);
        EXPECT_NEAR(at.x, 310, 1e-6) << factor;
        EXPECT_NEAR(at.y, 40, 1e-6) << factor;
        EXPECT_NEAR(c.unitsPerPixel(), scaleBefore * factor, 1e-9) << factor;
    }
}

struct FitCase {
    std::string name;
    bool orthographic;
    int width, height;
};

class FittingTest : public testing::TestWithParam<FitCase> {};

// A long, thin, off-centre model: the worst case for a fit that only looks from the front.
vw::Model stickModel() {
    vw::Model model;
    std::vector<vw::Vertex> verts;
    for (const float x : {-9.0f, 21.0f})
        for (const float y : {-1.0f, 2.0f})
            for (const float z : {4.0f, 5.5f})
                verts.push_back(vertexAt(x, y, z));
    model.Parts.push_back(pane_test::partOf({pane_test::segmentOf(verts, {0, 1, 2})}));
    return model;
}

TEST_P(FittingTest, TheWholeModelStaysInViewFromAnyOrbitAngle) {
    const vw::Model model = stickModel();
    const vw::Bounds box = vw::shownBounds(model, {});
    vw::OrbitCamera camera;
    camera.setViewport(GetParam().width, GetParam().height);
    camera.orthographic = GetParam().orthographic;
    vw::setScene(camera, box);
    vw::fitCamera(camera, box);
    for (double yaw = -3.1; yaw < 3.2; yaw += 0.35) {
        for (double pitch = -1.5; pitch <= 1.5; pitch += 0.3) {
            camera.yaw = yaw;
            camera.pitch = pitch;
            for (const vw::Vertex& vertex : model.Parts[0].segments[0].verts) {
                const vw::Vec3 at = camera.toWindow({vertex.x, -vertex.y, vertex.z});
                EXPECT_GE(at.x, 0);
                EXPECT_LE(at.x, GetParam().width);
                EXPECT_GE(at.y, 0);
                EXPECT_LE(at.y, GetParam().height);
                EXPECT_GT(at.z, -1);
                EXPECT_LT(at.z, 1);
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Views, FittingTest,
                         testing::Values(FitCase{"PerspectiveWide", false, 800, 300},
                                         FitCase{"PerspectiveTall", false, 200, 700},
                                         FitCase{"OrthographicWide", true, 800, 300},
                                         FitCase{"OrthographicTall", true, 200, 700}),
                         [](const testing::TestParamInfo<FitCase>& info) {
                             return info.param.name;
                         });

TEST(FittingBoundsTest, SelectionBoundsTakeTheSelectedWorkingVerticesElseAllOfThem) {
    vw::Model model;
    model.curData.push_back(pane_test::segmentOf(
        {vertexAt(0, 0, 0), vertexAt(10, -4, 2), vertexAt(-3, 1, 7), vertexAt(5, 5, 5)}));
    vw::Bounds all = vw::selectionBounds(model);
    expectNear(all.min, {-3, -5, 0}, 0);
    expectNear(all.max, {10, 4, 7}, 0);
    model.curData[0].verts[1].selected = -1;
    model.curData[0].verts[3].selected = -1;
    const vw::Bounds selected = vw::selectionBounds(model);
    expectNear(selected.min, {5, -5, 2}, 0);
    expectNear(selected.max, {10, 4, 5}, 0);
}

TEST(FittingBoundsTest, NonFiniteVerticesAndHiddenSegmentsAreLeftOut) {
    vw::Model model;
    model.Parts.push_back(
        pane_test::partOf({pane_test::segmentOf({vertexAt(1, 1, 1), vertexAt(NAN, 0, 0),
                                                 vertexAt(0, INFINITY, 0), vertexAt(2, 3, 4)},
                                                {}, 2),
                           pane_test::segmentOf({vertexAt(100, 100, 100)}, {}, 3)}));
    const vw::Bounds box = vw::shownBounds(model, [](int32_t nodeIndex) { return nodeIndex != 3; });
    expectNear(box.min, {1, -3, 1}, 0);
    expectNear(box.max, {2, -1, 4}, 0);
}

TEST(FittingBoundsTest, ASinglePointStillGivesAUsableView) {
    vw::Model model;
    model.Parts.push_back(pane_test::partOf({pane_test::segmentOf({vertexAt(3, 3, 3)})}));
    vw::OrbitCamera camera;
    camera.setViewport(100, 100);
    vw::fitCamera(camera, vw::shownBounds(model, {}));
    EXPECT_GT(camera.distance, 0);
    EXPECT_TRUE(std::isfinite(camera.viewProjection().m[0]));
    const vw::Vec3 at = camera.toWindow({3, -3, 3});
    EXPECT_NEAR(at.x, 50, 1e-6);
    EXPECT_NEAR(at.y, 50, 1e-6);
}

TEST(FittingBoundsTest, SwitchingProjectionKeepsTheTargetPlaneScale) {
    vw::OrbitCamera camera;
    camera.setViewport(300, 200);
    camera.distance = 12;
    const double before = camera.unitsPerPixel();
    vw::setOrthographic(camera, true);
    EXPECT_NEAR(camera.unitsPerPixel(), before, 1e-12);
    camera.halfHeight *= 2;
    vw::setOrthographic(camera, false);
    EXPECT_NEAR(camera.unitsPerPixel(), 2 * before, 1e-12);
}

INSTANTIATE_TEST_SUITE_P(Projections, CameraTest,
                         testing::Values(Projection{"Perspective", false},
                                         Projection{"Orthographic", true}),
                         [](const testing::TestParamInfo<Projection>& info) {
                             return info.param.name;
                         });

// The file's axes are right-handed with y up: from the front x runs right and y up and +z is
// nearer; from the right side (+x) +z runs left; from above x runs right and +z down, as the XZ
// plane view draws it, also looking straight down. The model holds y negated, so a file y of +1
// is a model y of -1.
struct SideCase {
    std::string name;
    double yaw, pitch;
    vw::Vec3 rightward, upward, nearer; // file directions
};

class AxesTest : public testing::TestWithParam<SideCase> {};

TEST_P(AxesTest, FileAxesPointWhereTheSideShowsThem) {
    vw::OrbitCamera camera;
    camera.setViewport(200, 200);
    camera.yaw = GetParam().yaw;
    camera.pitch = GetParam().pitch;
    camera.sceneRadius = 3;
    camera.distance = 8;
    const vw::Vec3 middle = camera.toWindow({0, 0, 0});
    const vw::Vec3 right = camera.toWindow(GetParam().rightward);
    const vw::Vec3 up = camera.toWindow(GetParam().upward);
    const vw::Vec3 near = camera.toWindow(GetParam().nearer);
    EXPECT_GT(right.x, middle.x + 10);
    EXPECT_NEAR(right.y, middle.y, 1e-6);
    EXPECT_LT(up.y, middle.y - 10);
    EXPECT_NEAR(up.x, middle.x, 1e-6);
    EXPECT_LT(near.z, middle.z);
}

INSTANTIATE_TEST_SUITE_P(
    Sides, AxesTest,
    testing::Values(SideCase{"Front", 0, 0, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}},
                    SideCase{"RightSide", 1.5707963267948966, 0, {0, 0, -1}, {0, 1, 0}, {1, 0, 0}},
                    SideCase{"Back", 3.141592653589793, 0, {-1, 0, 0}, {0, 1, 0}, {0, 0, -1}},
                    SideCase{"NearlyAbove", 0, 1.56, {1, 0, 0}, {0, 0, -1}, {0, 1, 0}},
                    SideCase{"Above", 0, 1.5707963267948966, {1, 0, 0}, {0, 0, -1}, {0, 1, 0}},
                    SideCase{"Below", 0, -1.5707963267948966, {1, 0, 0}, {0, 0, 1}, {0, -1, 0}},
                    SideCase{"LeftSide", -1.5707963267948966, 0, {0, 0, 1}, {0, 1, 0}, {-1, 0, 0}}),
    [](const testing::TestParamInfo<SideCase>& info) { return info.param.name; });

TEST(AxesModelTest, AModelVertexAboveInTheFileShowsAboveOnScreen) {
    vw::Model model;
    // Model y -2 is file y +2: the top of the model.
    model.Parts.push_back(pane_test::partOf(
        {pane_test::segmentOf({vertexAt(0, -2, 0), vertexAt(0, 1, 0), vertexAt(3, 0, 0)})}));
    vw::OrbitCamera camera;
    camera.setViewport(200, 200);
    const vw::Bounds box = vw::shownBounds(model, {});
    vw::setScene(camera, box);
    vw::fitCamera(camera, box);
    const auto& verts = model.Parts[0].segments[0].verts;
    const auto place = [&](const vw::Vertex& v) { return camera.toWindow({v.x, -v.y, v.z}); };
    EXPECT_LT(place(verts[0]).y, place(verts[1]).y);
    EXPECT_GT(place(verts[2]).x, place(verts[0]).x);
}

struct GizmoLook {
    std::string name;
    double yaw, pitch;
    bool orthographic;
};

class GizmoTest : public testing::TestWithParam<GizmoLook> {};

// From any side, a typed +1 along an axis raises the sheet's value by 1 and moves the vertex on
// screen the way the gizmo's positive end of that axis points; the negative end points the
// other way, and a disc is hit where it is drawn, the nearest where discs overlap.
TEST_P(GizmoTest, PositiveEndsPointWhereATypedAmountMovesAVertex) {
    vw::OrbitCamera camera;
    camera.setViewport(400, 300);
    camera.orthographic = GetParam().orthographic;
    camera.yaw = GetParam().yaw;
    camera.pitch = GetParam().pitch;
    camera.target = {1, -2, 0.5};
    camera.sceneCentre = camera.target;
    camera.sceneRadius = 5;
    const vw::NavigationGizmo gizmo = vw::navigationGizmo(camera);
    const vw::CameraProjection view(camera);
    for (int axis = 0; axis < 3; ++axis) {
        SCOPED_TRACE(axis);
        std::vector<vw::Segment> data(1);
        data[0].verts = {vertexAt(1, 2, 0.5)}; // the target, in the model's values
        data[0].verts[0].selected = -1;
        const float sheetBefore = data[0].verts[0].coord(axis);
        const vw::Vec3 before = camera.toWindow(vw::fileOf(data[0].verts[0]));
        vw::TransformDrag drag;
        drag.begin(vw::TransformKind::Move, data, vw::fileOf(data[0].verts[0]), 10, 10, view, 0);
        ASSERT_TRUE(drag.limitTo(axis, false));
        ASSERT_TRUE(drag.type('1'));
        drag.apply(data, 10, 10, view);
        EXPECT_FLOAT_EQ(data[0].verts[0].coord(axis), sheetBefore + 1);
        const vw::Vec3 after = camera.toWindow(vw::fileOf(data[0].verts[0]));
        const auto end = [&](bool positive) {
            return *std::find_if(gizmo.ends.begin(), gizmo.ends.end(), [&](const vw::GizmoEnd& e) {
                return e.axis == axis && e.positive == positive;
            });
        };
        const vw::GizmoEnd plus = end(true), minus = end(false);
        const double ex = plus.x - gizmo.centreX, ey = plus.y - gizmo.centreY;
        const double mx = after.x - before.x, my = after.y - before.y;
        if (std::hypot(ex, ey) > 3) {
            EXPECT_GT((ex * mx + ey * my) / (std::hypot(ex, ey) * std::hypot(mx, my)), 0.9999);
        }
        EXPECT_NEAR(minus.x - gizmo.centreX, -ex, 1e-9);
        EXPECT_NEAR(minus.y - gizmo.centreY, -ey, 1e-9);
    }
    const vw::GizmoEnd& nearest = gizmo.ends.back();
    EXPECT_EQ(vw::gizmoViewAt(gizmo, nearest.x, nearest.y),
              vw::viewFrom(nearest.axis, nearest.positive));
    EXPECT_EQ(vw::gizmoViewAt(gizmo, gizmo.centreX + 60, gizmo.centreY + 60), std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(Looks, GizmoTest,
                         testing::Values(GizmoLook{"Front", 0, 0, true},
                                         GizmoLook{"AslantPerspective", 0.7, 0.4, false},
                                         GizmoLook{"FromBelowBehind", 2.5, -0.9, false},
                                         GizmoLook{"Above", 0, 1.5707963267948966, true}),
                         [](const testing::TestParamInfo<GizmoLook>& info) {
                             return info.param.name;
                         });

// A disc looks from its own end: the end it stands for is then the nearest, in the middle.
TEST(GizmoViewsTest, EachDiscLooksFromItsEnd) {
    for (int axis = 0; axis < 3; ++axis)
        for (const bool positive : {true, false}) {
            vw::OrbitCamera camera;
            camera.setViewport(400, 300);
            camera.lookFrom(vw::viewFrom(axis, positive));
            const vw::GizmoEnd nearest = vw::navigationGizmo(camera).ends.back();
            EXPECT_EQ(nearest.axis, axis);
            EXPECT_EQ(nearest.positive, positive);
        }
}

} // namespace
