// The refresh tick: it redraws what changed, and a tick with nothing new to show does nothing.

#include "pane_test_support.h"
#include "tools/tool_frame.h"
#include "views/pane.h"
#include "views/pane_colours.h"

#include <gtest/gtest.h>

#include <functional>
#include <utility>

namespace {

using pane_test::partOf;
using pane_test::segmentOf;
using pane_test::vertexAt;

constexpr QRgb kScribble = qRgb(1, 2, 3);

// A triangle of part 0 (the working data) and one of part 1 (background only) on a 6000 x 4500
// twip surface, the model origin at pixel (200, 150).
class PaneRefresh : public testing::Test {
protected:
    void SetUp() override {
        std::vector<vw::Vertex> verts = {vertexAt(0, 0), vertexAt(2, 0), vertexAt(1, 1)};
        model.Parts.push_back(partOf({segmentOf(verts, {0, 1, 2}, 2)}));
        model.Parts.push_back(partOf(
            {segmentOf({vertexAt(-4, -4), vertexAt(-2, -4), vertexAt(-3, -3)}, {0, 1, 2}, 4)}));
        pane.setInput(&tools);
        QObject::connect(&pane, &vw::Pane::surfaceChanged, [this] { ++repaints; });
        pane.resize(pane_test::windowWidthFor(6000), pane_test::windowHeightFor(4500));
        pane.Init_Ebo();
    }

    // Marks a corner of the surface that no drawing touches, then runs one tick; true when the
    // tick put a new frame up.
    bool tickRedraws() {
        pane.picMain.setPixel(0, 0, kScribble);
        const int before = repaints;
        pane.tmeRefresher_Timer();
        const bool replaced = pane.picMain.pixel(0, 0) != kScribble;
        EXPECT_EQ(replaced, repaints != before)
            << "the surface is repainted exactly on a new frame";
        return replaced;
    }

    QRgb at(int x, int y) const { return pane.picMain.pixel(x, y); }

    vw::Model model;
    vw::Pane pane{model};
    vw::ToolFrame tools{pane}; // whose tools draw the overlays
    int repaints = 0;
};

TEST_F(PaneRefresh, ChangedFlagAloneRedrawsOnlyWhatIsNew) {
    pane.isChanged = true;
    EXPECT_FALSE(tickRedraws()); // Init_Ebo has just drawn this very frame
    EXPECT_FALSE(tickRedraws());
    EXPECT_TRUE(pane.isChanged); // the flag keeps its meaning

    pane.markChanged();
    EXPECT_TRUE(tickRedraws());
    EXPECT_FALSE(tickRedraws());
}

TEST_F(PaneRefresh, NothingRedrawsWhileTheFlagIsClear) {
    pane.isChanged = false;
    pane.markChanged();
    pane.isChanged = false;
    EXPECT_FALSE(tickRedraws());
}

TEST_F(PaneRefresh, ViewChangesShowAtTheNextTickWithoutAnyOtherSignal) {
    pane.isChanged = true;
    pane.views[0].originX += 150; // what Pan does: 10 pixels to the right
    EXPECT_TRUE(tickRedraws());
    EXPECT_EQ(at(208, 148), qRgb(240, 0, 0));
    EXPECT_EQ(at(198, 148), vw::kBackGround);
    EXPECT_FALSE(tickRedraws());

    pane.views[0].zoom = 200;
    EXPECT_TRUE(tickRedraws());
}

TEST_F(PaneRefresh, ModelChangesThroughAPointerDragShowAtTheNextTick) {
    pane.isChanged = true;
    model.curData[0].verts[0].x = -1; // a tool moving a vertex during a drag
    pane.picMain_MouseMove(vw::PointerInput{1, 0, 100, 100});
    EXPECT_TRUE(tickRedraws());
    EXPECT_EQ(at(192, 149), qRgb(240, 240, 240));
    EXPECT_EQ(at(200, 148), vw::kBackGround); // the old mark is gone
    EXPECT_EQ(at(200, 150), vw::kBuffPen);    // only the edge passes there now
}

TEST_F(PaneRefresh, HoverWithoutButtonsIsNotAChange) {
    pane.isChanged = true;
    pane.picMain_MouseMove(vw::PointerInput{0, 0, 100, 100});
    EXPECT_FALSE(tickRedraws());
    pane.picMain_MouseDown(vw::PointerInput{1, 0, 100, 100});
    EXPECT_TRUE(tickRedraws());
}

TEST_F(PaneRefresh, TreeChecksAndImageMapCountAsNew) {
    pane.isChanged = true;
    pane.setBackgroundFilter([](int32_t node) { return node != 4; });
    EXPECT_TRUE(tickRedraws());
    EXPECT_EQ(at(153, 90), vw::kBackGround); // part 1's edge along y = -4 is gone
    EXPECT_FALSE(tickRedraws());
    pane.invalidateBackground();
    EXPECT_TRUE(tickRedraws());

    pane.tabAxes_Click(vw::kTabUV);
    EXPECT_FALSE(tickRedraws());
    QImage plain(128, 128, QImage::Format_RGB32);
    plain.fill(qRgb(10, 20, 30));
    pane.setImageMap(plain);
    EXPECT_TRUE(tickRedraws());
    EXPECT_EQ(at(5, 5), qRgb(10, 20, 30));
}

TEST_F(PaneRefresh, ImageMapWaitsForAFullRedraw) {
    pane.tabAxes_Click(vw::kTabUV);
    pane.isChanged = false;
    QImage plain(128, 128, QImage::Format_RGB32);
    plain.fill(qRgb(10, 20, 30));
    pane.setImageMap(plain);
    EXPECT_FALSE(tickRedraws());
    EXPECT_NE(at(5, 5), qRgb(10, 20, 30));
}

TEST_F(PaneRefresh, OverlayToolsRecomposeOnlyWhenSomethingMoved) {
    for (uint8_t tool : {vw::kToolMove, vw::kToolScale, vw::kToolRotate}) {
        pane.toolMode = tool;
        EXPECT_TRUE(tickRedraws()) << int(tool); // the tool's first frame
        EXPECT_FALSE(tickRedraws()) << int(tool);
        EXPECT_FALSE(tickRedraws()) << int(tool);
    }
    pane.toolMode = vw::kToolScale;
    pane.tmeRefresher_Timer();
    pane.selRight = 0.5f; // a scale drag moving the box's right edge
    EXPECT_TRUE(tickRedraws());

    pane.toolMode = vw::kToolMove;
    pane.tmeRefresher_Timer();
    model.curData[0].verts[2].y = 2;
    pane.picMain_MouseMove(vw::PointerInput{1, 0, 100, 100});
    EXPECT_TRUE(tickRedraws());
    EXPECT_EQ(at(205, 162), qRgb(240, 240, 240));
}

TEST_F(PaneRefresh, OverlaysLeaveTheSurfaceWhenTheToolChanges) {
    model.curData[0].verts[0].selected = -1;
    pane.toolMode = vw::kToolScale;
    pane.SetScaleValues();
    pane.tmeRefresher_Timer();
    // All eight handles of a single vertex share one spot; the last drawn, the middle of the
    // right edge, is the one a press finds.
    EXPECT_EQ(pane.colourAt(3000, 2250), vw::kHandleRight);
    pane.toolMode = vw::kToolSelect;
    pane.isChanged = true;
    EXPECT_TRUE(tickRedraws());
    EXPECT_EQ(pane.colourAt(3000, 2250), qRgb(250, 0, 0));
}

TEST_F(PaneRefresh, RubberBandFollowsThePointerAndLeavesNoTrace) {
    pane.toolMode = vw::kToolSelect;
    pane.isLeftButton = true;
    pane.downX = 1500;
    pane.downY = 1500;
    pane.lastX = 4500;
    pane.lastY = 3000;
    EXPECT_TRUE(tickRedraws());
    EXPECT_FALSE(tickRedraws());
    EXPECT_EQ(pane.colourAt(4485, 2000), vw::kRubberBand);

    pane.lastX = 3000;
    EXPECT_TRUE(tickRedraws());
    EXPECT_EQ(pane.colourAt(4485, 2000), vw::kBackGround);
    EXPECT_EQ(pane.colourAt(2985, 2000), vw::kRubberBand);

    // The release ends the band; the redraw it asks for shows the frame without it.
    pane.isLeftButton = false;
    pane.isChanged = true;
    pane.picMain_MouseUp(vw::PointerInput{1, 0, 3000, 3000});
    EXPECT_TRUE(tickRedraws());
    EXPECT_EQ(pane.colourAt(2985, 2000), vw::kBackGround);
}

// A pane made for a model about to open is drawn by Init_Ebo alone: a resize before it only
// clears the surface.
TEST_F(PaneRefresh, APaneHeldUntilInitDrawsOnceThere) {
    vw::Pane held{model};
    int heldRepaints = 0;
    QObject::connect(&held, &vw::Pane::surfaceChanged, [&] { ++heldRepaints; });
    held.holdFramesUntilInit();
    held.resize(pane_test::windowWidthFor(6000), pane_test::windowHeightFor(4500));
    QImage ground(held.picMain.size(), held.picMain.format());
    ground.fill(vw::kMainGround);
    EXPECT_EQ(held.picMain, ground);
    EXPECT_EQ(heldRepaints, 0);
    held.Init_Ebo();
    EXPECT_EQ(heldRepaints, 1);
    EXPECT_EQ(held.picMain, pane.picMain);
}

TEST_F(PaneRefresh, ExplicitRefreshAlwaysDraws) {
    pane.picMain.setPixel(0, 0, kScribble);
    pane.RefreshEbo();
    EXPECT_NE(at(0, 0), kScribble);
}

// Each kind of document change shows exactly what a full redraw of the same state shows, though
// it redraws only what it changed.
TEST_F(PaneRefresh, DocumentChangesShowWhatAFullRedrawShows) {
    vw::Document& document = pane.document();
    const auto moveWorking = [&] {
        model.curData[0].verts[0].selected = -1;
        (void)document.edit("Move %n", 0, 1,
                            [](std::vector<vw::Segment>& data) { data[0].verts[0].x += 0.5f; });
    };
    const std::pair<const char*, std::function<void()>> steps[] = {
        {"a move of the working data", moveWorking},
        {"a selection",
         [&] {
             model.curData[0].verts[1].selected = -1;
             document.selectionChanged(2);
         }},
        {"an undo", [&] { document.undo(); }},
        {"a redo", [&] { document.redo(); }},
        {"an edit of another part",
         [&] {
             (void)document.editModel("Move", 2, [](std::vector<vw::Part>& parts) {
                 parts[1].segments[0].verts[0].y += 1;
             });
         }},
        {"a move after it", moveWorking},
    };
    for (const auto& [name, step] : steps) {
        SCOPED_TRACE(name);
        step();
        const QImage back = pane.picBack.copy(), shown = pane.picMain.copy();
        pane.RefreshEbo();
        EXPECT_EQ(back, pane.picBack);
        EXPECT_EQ(shown, pane.picMain);
    }
}

} // namespace
