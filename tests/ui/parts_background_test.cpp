// The tree's check boxes decide which segments the pane draws behind the working data.

#include "app/frm_panes.h"
#include "open_model_support.h"
#include "panels/frm_parts.h"
#include "parts_tree_support.h"
#include "views/pane_colours.h"

#include <gtest/gtest.h>

namespace {

using vw::test::Editor;
using vw::test::twoPartModel;

// The middle of the first strip edge of part 1's segment 0, a background edge while part 0 is
// the working data.
QRgb backgroundEdgePixel(frmMain& main) {
    const vw::Pane& pane = main.panes()->pane();
    const std::vector<vw::Vertex>& verts = main.model().Parts[1].segments[0].verts;
    const std::vector<int16_t>& strip = main.model().Parts[1].segments[0].strip;
    const vw::Vertex& a = verts[strip[0]];
    const vw::Vertex& b = verts[strip[1]];
    const int32_t x = pane.toPaneX((a.x + b.x) / 2);
    const int32_t y = pane.toPaneY((a.y + b.y) / 2);
    // Off the surface every colour reads black, the background pen's colour.
    EXPECT_TRUE(x > 0 && x < pane.surfaceWidth() && y > 0 && y < pane.surfaceHeight());
    return pane.colourAt(x, y);
}

TEST(PartsBackground, UncheckedSegmentLeavesTheDrawingAtOnce) {
    Editor editor;
    editor.open(editor.put(twoPartModel(), "shown2.ebo"));
    frmParts& parts = *editor.main->parts();
    ASSERT_EQ(parts.nodeKey(4), "Part1Seg0");
    ASSERT_EQ(backgroundEdgePixel(*editor.main), vw::kBackPen);

    vw::test::clickCheckBoxOf(parts, 4);
    EXPECT_EQ(backgroundEdgePixel(*editor.main), vw::kBackGround);

    vw::test::clickCheckBoxOf(parts, 3); // Part1 off, then on: all its segments return
    EXPECT_EQ(backgroundEdgePixel(*editor.main), vw::kBackGround);
    vw::test::clickCheckBoxOf(parts, 3);
    EXPECT_EQ(backgroundEdgePixel(*editor.main), vw::kBackPen);
}

} // namespace
