// The pane's views, conversions, working data and bounding boxes.

#include "pane_test_support.h"
#include "support/test_names.h"
#include "tools/rotate_tool.h"
#include "tools/tool_feedback.h"
#include "views/pane.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using pane_test::partOf;
using pane_test::segmentOf;
using pane_test::vertexAt;

// A model of two parts: the first with three segments of 1, 2 and 3 vertices, the second with
// one segment.
vw::Model threeSegmentModel() {
    vw::Model model;
    model.Parts.push_back(
        partOf({segmentOf({vertexAt(1, 1)}, {}, 2),
                segmentOf({vertexAt(2, 2), vertexAt(2, 3)}, {0, 1, 1}, 3),
                segmentOf({vertexAt(3, 1), vertexAt(3, 2), vertexAt(3, 3)}, {0, 1, 2}, 4)}));
    model.Parts.push_back(partOf({segmentOf({vertexAt(9, 9)}, {}, 6)}));
    return model;
}

void showOn(vw::Pane& pane, int32_t width, int32_t height) {
    pane.resize(pane_test::windowWidthFor(width), pane_test::windowHeightFor(height));
    pane.Init_Ebo();
}

struct ConversionCase {
    float value;
    float zoom;
    int32_t origin;
    int32_t pane;
};

class PaneConversion : public testing::TestWithParam<ConversionCase> {};

TEST_P(PaneConversion, RoundsOnceToNearestTiesToEven) {
    const ConversionCase& c = GetParam();
    vw::Model model;
    vw::Pane pane(model);
    pane.views[0].zoom = c.zoom;
    pane.views[0].originX = c.origin;
    pane.views[0].originY = c.origin;
    EXPECT_EQ(pane.toPaneX(c.value), c.pane);
    EXPECT_EQ(pane.toPaneY(c.value), c.pane);
}

INSTANTIATE_TEST_SUITE_P(
    Table, PaneConversion,
    testing::Values(ConversionCase{2.5f, 1, 0, 2}, ConversionCase{3.5f, 1, 0, 4},
                    ConversionCase{-2.5f, 1, 0, -2}, ConversionCase{0.125f, 100, 0, 12},
                    ConversionCase{0.375f, 100, 0, 38}, ConversionCase{0.125f, 100, 1, 14},
                    ConversionCase{1, 100, 452, 552},
                    // Exact only when product and sum are formed in double precision.
                    ConversionCase{16777215.0f, 3, 1, 50331646},
                    ConversionCase{1e30f, 100, 0, std::numeric_limits<int32_t>::max()},
                    ConversionCase{-1e30f, 100, 0, std::numeric_limits<int32_t>::min()}),
    [](const testing::TestParamInfo<ConversionCase>& info) {
        return "Value" + vw::test::nameOf(info.param.value) + "Zoom" +
               vw::test::nameOf(info.param.zoom) + "Origin" + std::to_string(info.param.origin);
    });

TEST(PaneConversion, ToModelIsTheInverseAsFloat) {
    vw::Model model;
    vw::Pane pane(model);
    pane.selectTab(vw::kTabUV);
    pane.views[3] = vw::ViewParams{400, 252, 100, 3, 4};
    EXPECT_FLOAT_EQ(pane.toModelX(452), 0.5f);
    EXPECT_FLOAT_EQ(pane.toModelY(0), -0.25f);
    EXPECT_EQ(pane.toPaneX(pane.toModelX(652)), 652);
}

TEST(PaneInitEbo, SetsViewsForTheSurfaceOf905By600Twips) {
    vw::Model model = threeSegmentModel();
    vw::Pane pane(model);
    showOn(pane, 905, 600);
    ASSERT_EQ(pane.surfaceWidth(), 905);
    ASSERT_EQ(pane.surfaceHeight(), 600);
    const vw::ViewParams expected[4] = {
        {100, 452, 300, 0, 1}, // 452.5 goes to the even neighbour
        {100, 452, 300, 2, 1},
        {100, 452, 300, 0, 2},
        {400, 252, 100, 3, 4}, // (905 - 400) / 2 = 252.5
    };
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(pane.views[i], expected[i]) << "tab " << i + 1;

    // Tab 1: the model origin in the middle, one model unit 100 twips.
    EXPECT_EQ(pane.toPaneX(0), 452);
    EXPECT_EQ(pane.toPaneY(0), 300);
    EXPECT_EQ(pane.toPaneX(1) - pane.toPaneX(0), 100);
}

class PaneInitEboHeight : public testing::TestWithParam<int32_t> {};

TEST_P(PaneInitEboHeight, EveryViewConvertsBothWays) {
    vw::Model model = threeSegmentModel();
    vw::Pane pane(model);
    showOn(pane, 905, GetParam());
    for (int tab = vw::kTabXY; tab <= vw::kTabUV; ++tab) {
        pane.selectTab(tab);
        EXPECT_TRUE(std::isfinite(pane.currentView().zoom)) << "tab " << tab;
        EXPECT_GT(pane.currentView().zoom, 0) << "tab " << tab;
        EXPECT_TRUE(std::isfinite(pane.toModelX(100))) << "tab " << tab;
        EXPECT_TRUE(std::isfinite(pane.toModelY(100))) << "tab " << tab;
    }
}

// No height at all, the least the window allows beside it, and a usual one.
INSTANTIATE_TEST_SUITE_P(Heights, PaneInitEboHeight, testing::Values(0, 1, 2, 600),
                         [](const testing::TestParamInfo<int32_t>& info) {
                             return "Height" + std::to_string(info.param);
                         });

TEST(PaneInitEbo, UvViewOfAnEmptySurfaceUsesTheDefaultZoom) {
    vw::Model model = threeSegmentModel();
    vw::Pane pane(model);
    showOn(pane, 905, 0);
    EXPECT_EQ(pane.views[vw::kTabUV - 1], (vw::ViewParams{vw::kDefaultZoom, 402, -50, 3, 4}));
}

TEST(PaneInitEbo, ResetsZoomStepToolAndPalette) {
    vw::Model model = threeSegmentModel();
    vw::Pane pane(model);
    pane.ZoomInc = -0.25f;
    pane.toolMode = vw::kToolRotate;
    for (int tool = 1; tool <= 6; ++tool)
        pane.setToolEnabled(tool, tool % 2 == 0);
    int paletteChanges = 0;
    QObject::connect(&pane, &vw::Pane::paletteChanged, [&] { ++paletteChanges; });
    showOn(pane, 3000, 2000);
    EXPECT_EQ(pane.ZoomInc, 0.25f);
    EXPECT_EQ(pane.toolMode, vw::kToolSelect);
    EXPECT_EQ(pane.pressedTool(), vw::kToolSelect);
    const bool enabled[7] = {false, true, false, true, true, false, false};
    for (int tool = 1; tool <= 6; ++tool)
        EXPECT_EQ(pane.isToolEnabled(tool), enabled[tool]) << "tool " << tool;
    EXPECT_GT(paletteChanges, 0);
}

TEST(PaneSetCurData, OneSegmentIsCopiedAloneAndDeeply) {
    vw::Model model = threeSegmentModel();
    model.Parts[0].segments[2].verts[1].selected = -1;
    vw::Pane pane(model);
    pane.session().select([](std::vector<vw::Segment>&, int32_t) { return 5; });
    model.curPart = 0;
    model.curSeg = 3;
    pane.setCurData();
    ASSERT_EQ(model.curData.size(), 1u);
    const vw::Segment& copy = model.curData[0];
    ASSERT_EQ(copy.verts.size(), 3u);
    EXPECT_EQ(copy.verts[0].x, 3);
    EXPECT_EQ(copy.verts[1].selected, -1);
    EXPECT_EQ(copy.strip, (std::vector<int16_t>{0, 1, 2}));
    EXPECT_EQ(copy.nodeIndex, 4);
    EXPECT_EQ(pane.SelCount(), 0);

    model.curData[0].verts[0].x = 42;
    EXPECT_EQ(model.Parts[0].segments[2].verts[0].x, 3);
}

TEST(PaneSetCurData, WholePartWhenNoSegmentIsChosen) {
    vw::Model model = threeSegmentModel();
    vw::Pane pane(model);
    model.curPart = 1;
    model.curSeg = 0;
    pane.setCurData();
    ASSERT_EQ(model.curData.size(), 1u);
    EXPECT_EQ(model.curData[0].verts[0].x, 9);
}

struct MissingCase {
    int32_t curPart;
    int32_t curSeg;
};

class PaneSetCurDataMissing : public testing::TestWithParam<MissingCase> {};

// A part or segment the model lacks (after loading a smaller model) falls back to the whole
// first part instead of reading past the lists.
TEST_P(PaneSetCurDataMissing, FallsBackToTheFirstPart) {
    vw::Model model = threeSegmentModel();
    vw::Pane pane(model);
    model.curPart = GetParam().curPart;
    model.curSeg = GetParam().curSeg;
    showOn(pane, 1500, 1500);
    EXPECT_EQ(model.curPart, 0);
    EXPECT_EQ(model.curSeg, 0);
    EXPECT_EQ(model.curData.size(), 3u);
}

INSTANTIATE_TEST_SUITE_P(Table, PaneSetCurDataMissing,
                         testing::Values(MissingCase{2, 0}, MissingCase{-1, 0}, MissingCase{0, 4},
                                         MissingCase{1, 2}, MissingCase{0, -1}),
                         [](const testing::TestParamInfo<MissingCase>& info) {
                             return "Part" + vw::test::nameOf(float(info.param.curPart)) + "Seg" +
                                    vw::test::nameOf(float(info.param.curSeg));
                         });

TEST(PaneSetCurData, EmptyModelGivesNoWorkingData) {
    vw::Model model;
    model.curData.push_back(segmentOf({vertexAt(1, 1)}));
    model.curPart = 3;
    vw::Pane pane(model);
    showOn(pane, 1500, 1500);
    EXPECT_TRUE(model.curData.empty());
}

TEST(PaneBoundingBox, SelectedVerticesInTheCurrentViewsAxes) {
    vw::Model model;
    model.Parts.push_back(partOf({segmentOf({vertexAt(-1, 2, 7), vertexAt(4, -3, -5)}),
                                  segmentOf({vertexAt(100, 100, 100), vertexAt(1, 0.5f, 2)})}));
    model.Parts[0].segments[0].verts[0].selected = -1;
    model.Parts[0].segments[0].verts[1].selected = 1; // any non-zero value counts
    model.Parts[0].segments[1].verts[1].selected = -1;
    vw::Pane pane(model);
    showOn(pane, 1500, 1500);
    vw::ToolFeedback feedback;
    vw::RotateTool rotate(pane, feedback);

    rotate.SetRotateValues();
    EXPECT_EQ(pane.selLeft, -1);
    EXPECT_EQ(pane.selRight, 4);
    EXPECT_EQ(pane.selTop, -3);
    EXPECT_EQ(pane.selBottom, 2);
    EXPECT_EQ(rotate.centre().h, 1.5f);
    EXPECT_EQ(rotate.centre().v, -0.5f);
    EXPECT_EQ(rotate.handle().h, 4);
    EXPECT_EQ(rotate.handle().v, -0.5f);

    pane.selectTab(vw::kTabYZ); // z across, y down
    pane.SetScaleValues();
    EXPECT_EQ(pane.selLeft, -5);
    EXPECT_EQ(pane.selRight, 7);
    EXPECT_EQ(pane.selTop, -3);
    EXPECT_EQ(pane.selBottom, 2);
}

TEST(PaneBoundingBox, NothingSelectedGivesTheStartValues) {
    vw::Model model = threeSegmentModel();
    vw::Pane pane(model);
    showOn(pane, 1500, 1500);
    vw::ToolFeedback feedback;
    vw::RotateTool rotate(pane, feedback);
    rotate.SetRotateValues();
    EXPECT_EQ(pane.selLeft, 999999);
    EXPECT_EQ(pane.selRight, -999999);
    EXPECT_EQ(rotate.centre().h, 0);
    EXPECT_EQ(rotate.centre().v, 0);
    EXPECT_EQ(rotate.handle().h, -999999);
    EXPECT_EQ(rotate.handle().v, 0);
}

TEST(PaneBoundingBox, PreviewTabLeavesTheBoxAsItWas) {
    vw::Model model = threeSegmentModel();
    model.Parts[0].segments[0].verts[0].selected = -1;
    vw::Pane pane(model);
    showOn(pane, 1500, 1500);
    pane.selectTab(vw::kTabPreview);
    pane.selLeft = 1.25f;
    pane.selTop = 2.5f;
    pane.selRight = 3.75f;
    pane.selBottom = 5;
    pane.SetScaleValues();
    EXPECT_EQ(pane.selLeft, 1.25f);
    EXPECT_EQ(pane.selTop, 2.5f);
    EXPECT_EQ(pane.selRight, 3.75f);
    EXPECT_EQ(pane.selBottom, 5);
}

TEST(PaneResize, SurfaceAndCanvasesFollowTheWindowAndViewsStay) {
    vw::Model model = threeSegmentModel();
    vw::Pane pane(model);
    showOn(pane, 1500, 900);
    EXPECT_EQ(pane.picMainGeometry(), QRect(60, 360, 1500, 900));
    EXPECT_EQ(pane.picMain.size(), QSize(100, 60));
    const auto views = pane.views;
    const int32_t before = pane.toPaneX(3);

    pane.resize(3000, 2000);
    EXPECT_EQ(pane.picMainGeometry(), QRect(60, 360, 2880, 1580));
    for (const QImage* canvas : {&pane.picBack, &pane.picBuff, &pane.picMain}) {
        EXPECT_EQ(canvas->size(), QSize(192, 105));
        EXPECT_EQ(canvas->format(), QImage::Format_RGB32);
    }
    EXPECT_EQ(pane.views, views);
    EXPECT_EQ(pane.toPaneX(3), before);
}

TEST(PaneResize, TooSmallAWindowKeepsTheOldSurface) {
    vw::Model model = threeSegmentModel();
    vw::Pane pane(model);
    showOn(pane, 1500, 900);
    pane.resize(100, 300);
    EXPECT_EQ(pane.surfaceWidth(), 1500);
    EXPECT_EQ(pane.surfaceHeight(), 900);
    pane.resize(500, 300);
    EXPECT_EQ(pane.surfaceWidth(), 380);
    EXPECT_EQ(pane.surfaceHeight(), 900);
}

} // namespace
