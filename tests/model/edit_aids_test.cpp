// Symmetry and soft selection around the document's edit call: mirror partners edited exactly,
// found within the tolerance, vertices on the plane kept on it, partners missing counted, soft
// weights by 3D distance; and the pivots Scale and Rotate work about.

#include "model/editing/aids/edit_aids.h"
#include "model/editing/aids/pivot.h"
#include "model/editing/exact_transform.h"
#include "model/editing/history/working_data.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <functional>

using namespace vw;

namespace {

uint32_t bits(float value) {
    return std::bit_cast<uint32_t>(value);
}

Vertex point(float x, float y, float z = 0) {
    Vertex vertex;
    vertex.x = x;
    vertex.y = y;
    vertex.z = z;
    return vertex;
}

Model modelOf(std::vector<Vertex> verts) {
    Model model;
    model.Parts.resize(1);
    model.Parts[0].segments.resize(1);
    model.Parts[0].segments[0].verts = std::move(verts);
    loadCurData(model);
    return model;
}

// Symmetric across x = 0 but for the last vertex, which has no partner. The right half, the
// vertex on the plane and the odd one are selected.
Model symmetricModel() {
    Model model = modelOf({point(-2, 0.5f, 1), point(-1, 1.25f, -3), point(0, 2, 0.75f),
                           point(1, 1.25f, -3), point(2, 0.5f, 1), point(3, 7, 7)});
    for (size_t i : {2, 3, 4, 5})
        model.curData[0].verts[i].selected = -1;
    return model;
}

void moveSelected(std::vector<Segment>& data, float dx, float dy) {
    for (Segment& segment : data)
        for (Vertex& vertex : segment.verts)
            if (vertex.selected != 0) {
                vertex.x = static_cast<float>(double(vertex.x) + dx);
                vertex.y = static_cast<float>(double(vertex.y) + dy);
            }
}

struct MirroredEdit {
    const char* name;
    std::function<void(EditAids&)> edit;
};

TEST(EditAids, MirrorXEditsBothSidesExactlyInOneStep) {
    const MirroredEdit edits[] = {
        {"drag",
         [](EditAids& aids) {
             (void)aids.beginDrag("Move %n", 0, 4);
             aids.dragStep([](auto& data) { moveSelected(data, 0.25f, 0.5f); });
             aids.dragStep([](auto& data) { moveSelected(data, 0.125f, -0.75f); });
         }},
        {"nudge",
         [](EditAids& aids) {
             (void)aids.edit("Move %n", 0, 4, [](auto& data) { moveSelected(data, 0.3f, -0.2f); });
         }},
        {"sheet",
         [](EditAids& aids) {
             (void)aids.edit(
                 "Set X of %n", 0, 4,
                 [](auto& data) {
                     for (Vertex& vertex : data[0].verts)
                         if (vertex.selected != 0) {
                             vertex.x = 1.5f;
                             vertex.alpha = 9;
                         }
                 },
                 AidUse::MirrorOnly);
         }},
        {"transform",
         [](EditAids& aids) {
             ExactTransform turn;
             turn.kind = ExactTransform::Kind::Rotate;
             turn.degrees = 30;
             turn.axis = 2;
             turn.aboutOrigin = true;
             (void)aids.edit(
                 "Rotate %n", 0, 4, [&](auto& data) { transformSelected(data, turn); },
                 AidUse::MirrorOnly);
         }},
    };
    for (const MirroredEdit& edit : edits) {
        SCOPED_TRACE(edit.name);
        Model model = symmetricModel();
        const Model before = model;
        Document document(model);
        EditAids aids(document);
        aids.setOptions({kMirrorX, false, Falloff::Smooth, 1});
        EXPECT_EQ(aids.unpartneredCount(), 1u);
        edit.edit(aids);
        document.endDrag();

        const std::vector<Vertex>& v = model.Parts[0].segments[0].verts;
        for (auto [left, right] : {std::pair{0, 4}, std::pair{1, 3}}) {
            EXPECT_EQ(bits(v[left].x), bits(-v[right].x));
            EXPECT_EQ(bits(v[left].y), bits(v[right].y));
            EXPECT_EQ(bits(v[left].z), bits(v[right].z));
            EXPECT_EQ(v[left].alpha, v[right].alpha);
            EXPECT_NE(v[right], before.curData[0].verts[right]); // the edit did change it
        }
        EXPECT_EQ(bits(v[2].x), bits(0.0f)); // on the plane it stays
        EXPECT_EQ(document.stepCount(), 1u);
        document.undo();
        EXPECT_EQ(model.curData, before.curData);
    }
}

TEST(EditAids, SelectMirrorTakesThePartnersAcrossEveryAxisOn) {
    Model model = modelOf({point(1, 2, 0), point(-1, 2, 0), point(1, -2, 0), point(-1, -2, 0),
                           point(-1, 2.00005f, 0)});
    model.curData[0].verts[0].selected = -1;
    // Both lie within the tolerance; only the nearer one is the partner.
    EXPECT_EQ(selectMirror(model.curData, kMirrorX), 1u);
    EXPECT_TRUE(model.curData[0].verts[1].selected && !model.curData[0].verts[4].selected);
    EXPECT_FALSE(model.curData[0].verts[0].selected);
    model.curData[0].verts[1].selected = 0;
    model.curData[0].verts[0].selected = -1;
    EXPECT_EQ(selectMirror(model.curData, kMirrorX | kMirrorY), 3u); // one across each mirror
    EXPECT_FALSE(model.curData[0].verts[0].selected);
}

TEST(EditAids, MirrorPartnersAreTheNearestWithinTheTolerance) {
    // The selected vertex at x = 1 and two candidates across x = 0, 0.001 and 0.004 off.
    Model model = modelOf({point(1, 2, 3), point(-1.004f, 2, 3), point(-1.001f, 2, 3)});
    model.curData[0].verts[0].selected = -1;
    const struct Row {
        float tolerance;
        size_t unpartnered;
        std::vector<uint32_t> partners;
    } rows[] = {
        {kCoincidentTolerance, 1, {}},
        {0.0005f, 1, {}},
        {0.002f, 0, {2}},
        {0.01f, 0, {2}}, // both within it: the nearer
    };
    for (const Row& row : rows) {
        const MirrorPartners found =
            findMirrorPartners(model.curData, {{0, 0}}, kMirrorX, row.tolerance);
        std::vector<uint32_t> partners;
        for (const MirrorLink& link : found.links)
            partners.push_back(link.partner.index);
        EXPECT_EQ(partners, row.partners) << row.tolerance;
        Document document(model);
        EditAids aids(document);
        aids.setOptions({kMirrorX, false, Falloff::Smooth, 1, row.tolerance});
        EXPECT_EQ(aids.unpartneredCount(), row.unpartnered) << row.tolerance;
    }
}

// Scale 0.5 and a quarter turn about z of the selection (0,0,0), (4,0,0), (1,3,0) about each
// pivot: the box's centre (2,1.5,0), the mean (5/3,1,0), the active vertex (1,3,0) and the cursor
// (10,-2,6); the values of the vertex at (4,0,0) after.
TEST(Pivots, ScaleAndRotateAboutEachPivot) {
    const struct Row {
        Pivot pivot;
        ExactTransform transform;
        std::array<float, 3> expected;
    } rows[] = {
        {Pivot::BoundingBoxCentre, {TransformKind::Scale, {0.5, 0.5, 0.5}}, {3, 0.75f, 0}},
        {Pivot::SelectionCentre, {TransformKind::Scale, {0.5, 0.5, 0.5}}, {2.8333333f, 0.5f, 0}},
        {Pivot::ActiveVertex, {TransformKind::Scale, {0.5, 0.5, 0.5}}, {2.5f, 1.5f, 0}},
        {Pivot::Cursor, {TransformKind::Scale, {0.5, 0.5, 0.5}}, {7, -1, 3}},
        // Counter-clockwise with the file's y up: (3,3) from the vertex, so (-3,3) after.
        {Pivot::ActiveVertex, {TransformKind::Rotate, {}, 90, 2}, {-2, 0, 0}},
    };
    for (const Row& row : rows) {
        Model model = modelOf({point(0, 0), point(4, 0), point(1, 3), point(9, 9)});
        for (size_t i : {0, 1, 2})
            model.curData[0].verts[i].selected = -1;
        const PivotMarks marks{VertexAt{0, 2}, ModelPoint{10, -2, 6}};
        ExactTransform transform = row.transform;
        transform.centre = pivotPoint(model.curData, row.pivot, marks);
        transformSelected(model.curData, transform);
        const Vertex& moved = model.curData[0].verts[1];
        if (row.transform.kind == TransformKind::Rotate) {
            EXPECT_NEAR(moved.x, row.expected[0], 1e-6) << int(row.pivot);
            EXPECT_NEAR(moved.y, row.expected[1], 1e-6) << int(row.pivot);
        } else {
            EXPECT_EQ(bits(moved.x), bits(row.expected[0])) << int(row.pivot);
            EXPECT_EQ(bits(moved.y), bits(row.expected[1])) << int(row.pivot);
            EXPECT_EQ(bits(moved.z), bits(row.expected[2])) << int(row.pivot);
        }
        EXPECT_EQ(model.curData[0].verts[3].x, 9.0f); // unselected
    }
    // No active vertex, or one the working data no longer has: the box's centre.
    Model model = modelOf({point(0, 0), point(4, 2)});
    model.curData[0].verts[0].selected = model.curData[0].verts[1].selected = -1;
    for (const PivotMarks& marks : {PivotMarks{}, PivotMarks{VertexAt{3, 0}, std::nullopt}})
        EXPECT_EQ(pivotPoint(model.curData, Pivot::ActiveVertex, marks), (ModelPoint{2, 1, 0}));
    EXPECT_EQ(pivotPoint(model.curData, Pivot::Cursor, {}), (ModelPoint{0, 0, 0}));
    EXPECT_EQ(locateVertex(model.curData, &model.curData[0].verts[1]), (VertexAt{0, 1}));
}

TEST(EditAids, SoftMoveWeighsByEachFalloffAtKnownDistancesIn3D) {
    struct Row {
        Falloff falloff;
        double halfway;
    };
    const Row rows[] = {{Falloff::Smooth, 0.5},          {Falloff::Sphere, std::sqrt(0.75)},
                        {Falloff::Root, std::sqrt(0.5)}, {Falloff::Linear, 0.5},
                        {Falloff::Sharp, 0.25},          {Falloff::Constant, 1}};
    for (const Row& row : rows) {
        SCOPED_TRACE(kFalloffNames[size_t(row.falloff)]);
        EXPECT_EQ(falloffWeight(row.falloff, 0, 2), 1);
        EXPECT_DOUBLE_EQ(falloffWeight(row.falloff, 1, 2), row.halfway);
        EXPECT_EQ(falloffWeight(row.falloff, 2.5, 2), 0);

        // Selected at the origin; one vertex 1 along x, one 1 away in 3D (0.6, 0, 0.8), one
        // beyond the radius.
        Model model = modelOf({point(0, 0), point(1, 0), point(0.6f, 0, 0.8f), point(2.5f, 0)});
        model.curData[0].verts[0].selected = -1;
        Document document(model);
        EditAids aids(document);
        aids.setOptions({0, true, row.falloff, 2});
        (void)aids.edit("Move %n", 0, 1, [](auto& data) { moveSelected(data, 0, 4); });
        const std::vector<Vertex>& v = model.curData[0].verts;
        EXPECT_EQ(v[0].y, 4);
        EXPECT_FLOAT_EQ(v[1].y, float(4 * row.halfway));
        EXPECT_FLOAT_EQ(v[2].y, float(4 * row.halfway));
        EXPECT_EQ(bits(v[3].y), bits(0.0f));
        EXPECT_EQ(v[1].x, 1);
        EXPECT_EQ(document.stepCount(), 1u);
    }
}

TEST(EditAids, SoftRegionIsMirroredAndFollowsARadiusChangedDuringTheDrag) {
    Model model = modelOf({point(1, 0), point(1.5f, 0), point(-1, 0), point(-1.5f, 0),
                           point(2.5f, 0), point(-2.5f, 0)});
    model.curData[0].verts[0].selected = -1;
    const Model before = model;
    Document document(model);
    EditAids aids(document);
    aids.setOptions({kMirrorX, true, Falloff::Linear, 1});
    (void)aids.beginDrag("Move %n", 0, 1);
    aids.dragStep([](auto& data) { moveSelected(data, 0.5f, 1); });
    const std::vector<Vertex>& v = model.curData[0].verts;
    EXPECT_EQ(v[1].x, 1.75f);
    EXPECT_EQ(v[1].y, 0.5f);
    EXPECT_EQ(v[2].x, -1.5f);
    EXPECT_EQ(v[3].x, -1.75f);
    EXPECT_EQ(v[3].y, 0.5f);
    EXPECT_EQ(v[4].y, 0);

    // Radius 2.5: the vertex 1.5 away comes in where the selection took it, weighted; the
    // selection's own partner, 2 away, stays its exact mirror.
    aids.setOptions({kMirrorX, true, Falloff::Linear, 2.5});
    EXPECT_FLOAT_EQ(v[4].x, 2.5f + 0.5f * 0.4f);
    EXPECT_FLOAT_EQ(v[4].y, 0.4f);
    EXPECT_EQ(v[5].y, v[4].y);
    EXPECT_FLOAT_EQ(v[1].y, 0.8f);
    aids.dragStep([](auto& data) { moveSelected(data, 0, 1); });
    EXPECT_FLOAT_EQ(v[4].y, 0.8f);
    EXPECT_EQ(bits(v[2].x), bits(-v[0].x));
    EXPECT_EQ(bits(v[2].y), bits(v[0].y));
    document.endDrag();
    EXPECT_EQ(document.stepCount(), 1u);
    document.undo();
    EXPECT_EQ(model.curData, before.curData);
}

// Hidden vertices are edited by nothing: neither as a partner nor in the soft region.
TEST(EditAids, HiddenVerticesAreNeitherPartnersNorSoft) {
    Model model = modelOf({point(1, 0), point(-1, 0), point(1.5f, 0), point(-1.5f, 0)});
    model.curData[0].verts[1].selected = model.curData[0].verts[2].selected = -1;
    HiddenVertices hidden;
    hidden.hideSelected(model);
    model.curData[0].verts[0].selected = -1;
    const Model before = model;
    Document document(model);
    EditAids aids(document);
    aids.setHidden(&hidden);
    aids.setOptions({kMirrorX, true, Falloff::Constant, 1});
    (void)aids.edit("Move %n", 0, 1, [](auto& data) { moveSelected(data, 0, 1); });
    const std::vector<Vertex>& v = model.curData[0].verts;
    EXPECT_EQ(v[0].y, 1);
    EXPECT_EQ(v[1], before.curData[0].verts[1]);
    EXPECT_EQ(v[2], before.curData[0].verts[2]);
    EXPECT_EQ(v[3], before.curData[0].verts[3]) << "no soft vertex, so no partner of one";
}

} // namespace
