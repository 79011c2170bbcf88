// The UV tiles, the Preview text and the tool overlays, read back from the canvases.

#include "pane_test_support.h"
#include "tools/rotate_tool.h"
#include "tools/tool_frame.h"
#include "views/pane.h"
#include "views/pane_colours.h"
#include "views/twips.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

using pane_test::partOf;
using pane_test::segmentOf;
using pane_test::vertexAt;

// A pane whose tools draw their overlays.
struct Shown {
    Shown(vw::Model built, int32_t width, int32_t height) : model(std::move(built)), pane(model) {
        pane.setInput(&tools);
        pane.resize(pane_test::windowWidthFor(width), pane_test::windowHeightFor(height));
        pane.Init_Ebo();
    }
    QRgb at(int x, int y) const { return pane.picMain.pixel(x, y); }
    vw::Model model;
    vw::Pane pane;
    vw::ToolFrame tools{pane};
};

// A picture whose four quadrants tell where each tile begins and ends.
constexpr QRgb kTopLeft = qRgb(200, 0, 200);
constexpr QRgb kTopRight = qRgb(0, 0, 120);
constexpr QRgb kBottomLeft = qRgb(200, 200, 0);
constexpr QRgb kBottomRight = qRgb(0, 120, 120);

QImage quadrants() {
    QImage picture(128, 128, QImage::Format_RGB32);
    QPainter painter(&picture);
    painter.fillRect(0, 0, 64, 64, QColor::fromRgb(kTopLeft));
    painter.fillRect(64, 0, 64, 64, QColor::fromRgb(kTopRight));
    painter.fillRect(0, 64, 64, 64, QColor::fromRgb(kBottomLeft));
    painter.fillRect(64, 64, 64, 64, QColor::fromRgb(kBottomRight));
    return picture;
}

vw::Model oneVertexAt(float u, float v) {
    vw::Model model;
    model.Parts.push_back(partOf({segmentOf({vertexAt(0, 0, 0, u, v)})}));
    return model;
}

// The 905 x 600 twip surface: zoom 400 and origin (252, 100) put the tiles at twips -148,
// 252 and 652 across (pixels -10, 16 and 43) and -300, 100 and 500 down (pixels -20, 6 and
// 33), each 400 twips (26 or 27 pixels) square.
TEST(DrawUvTiles, NineTilesAndTheFrameOnTheMiddleOne) {
    Shown shown(oneVertexAt(5, 5), 905, 600);
    shown.pane.setImageMap(quadrants());
    shown.pane.tabAxes_Click(vw::kTabUV);
    ASSERT_EQ(shown.pane.picMain.size(), QSize(60, 40));

    // Across, on a row in the top half of the middle row of tiles: each tile starts with its
    // left half where the one before ends with its right half.
    EXPECT_EQ(shown.at(0, 9), kTopLeft); // 10 of the left tile's 26 columns are off the canvas
    EXPECT_EQ(shown.at(15, 9), kTopRight);
    EXPECT_EQ(shown.at(17, 9), kTopLeft);
    EXPECT_EQ(shown.at(41, 9), kTopRight);
    EXPECT_EQ(shown.at(43, 9), kTopLeft);
    EXPECT_EQ(shown.at(59, 9), kTopRight);
    // Down, on a column in the left half of the middle column.
    EXPECT_EQ(shown.at(20, 5), kBottomLeft);
    EXPECT_EQ(shown.at(20, 7), kTopLeft);
    EXPECT_EQ(shown.at(20, 31), kBottomLeft);
    EXPECT_EQ(shown.at(20, 33), kTopLeft);

    // The frame is the outer ring of the middle tile's pixels, 16..42 by 6..32.
    for (int i = 16; i <= 42; ++i) {
        EXPECT_EQ(shown.at(i, 6), vw::kImageMapFrame) << i;
        EXPECT_EQ(shown.at(i, 32), vw::kImageMapFrame) << i;
    }
    for (int i = 6; i <= 32; ++i) {
        EXPECT_EQ(shown.at(16, i), vw::kImageMapFrame) << i;
        EXPECT_EQ(shown.at(42, i), vw::kImageMapFrame) << i;
    }
    EXPECT_NE(shown.at(15, 20), vw::kImageMapFrame);
    EXPECT_NE(shown.at(43, 20), vw::kImageMapFrame);
    EXPECT_NE(shown.at(20, 5), vw::kImageMapFrame);
    EXPECT_NE(shown.at(20, 33), vw::kImageMapFrame);
}

TEST(DrawUvTiles, TheWorkingDataIsPlacedByItsTextureCoordinates) {
    Shown shown(oneVertexAt(0.5f, 0.5f), 905, 600);
    shown.pane.tabAxes_Click(vw::kTabUV);
    // (0.5, 0.5) at twips (452, 300): pixels 28..31 and 18..21.
    EXPECT_EQ(shown.at(28, 18), qRgb(240, 0, 0));
    EXPECT_EQ(shown.at(29, 19), qRgb(240, 240, 240));
}

// The built-in map: four by four cells of 32 pixels in a checkerboard of two colours, ruled by
// dark lines, each cell labelled with its own text, so a user sees where u and v lie.
TEST(DrawUvTiles, BuiltInImageMapHasSixteenLabelledCells) {
    Shown shown(oneVertexAt(0, 0), 905, 600);
    const QImage& map = shown.pane.picMap;
    ASSERT_EQ(map.size(), QSize(128, 128));
    const QRgb light = qRgb(214, 196, 160), dark = qRgb(120, 140, 170), rule = qRgb(40, 40, 40);
    std::vector<std::vector<bool>> labels;
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            SCOPED_TRACE(testing::Message() << "cell " << column << "," << row);
            const QRgb ground = (row + column) % 2 == 0 ? light : dark;
            const QRect cell(32 * column, 32 * row, 32, 32);
            EXPECT_EQ(map.pixel(cell.left() + 2, cell.top() + 2), ground);
            EXPECT_EQ(map.pixel(cell.right() - 1, cell.bottom() - 1), ground);
            EXPECT_EQ(map.pixel(cell.left(), cell.center().y()), rule);
            EXPECT_EQ(map.pixel(cell.center().x(), cell.top()), rule);
            std::vector<bool> label; // which pixels of the cell's middle the text covers
            for (int y = cell.top() + 8; y < cell.bottom() - 8; ++y)
                for (int x = cell.left() + 4; x < cell.right() - 4; ++x)
                    label.push_back(map.pixel(x, y) != ground);
            EXPECT_NE(std::count(label.begin(), label.end(), true), 0);
            labels.push_back(std::move(label));
        }
    }
    EXPECT_EQ(map.pixel(127, 60), rule); // the last line lies on the map's edge
    EXPECT_EQ(map.pixel(60, 127), rule);
    std::sort(labels.begin(), labels.end());
    EXPECT_EQ(std::adjacent_find(labels.begin(), labels.end()), labels.end()) << "labels repeat";
}

TEST(DrawPreview, OnlyTheTextAtTheTopLeft) {
    Shown shown(oneVertexAt(0, 0), 6000, 4500);
    shown.pane.tabAxes_Click(vw::kTabPreview);
    const QImage& surface = shown.pane.picMain;
    const QRect textArea(0, 0, 200, 30);
    bool textSeen = false;
    for (int y = 0; y < surface.height(); ++y) {
        for (int x = 0; x < surface.width(); ++x) {
            if (textArea.contains(x, y))
                textSeen |= surface.pixel(x, y) != vw::kMainGround;
            else
                ASSERT_EQ(surface.pixel(x, y), vw::kMainGround) << x << "," << y;
        }
    }
    EXPECT_TRUE(textSeen);
    EXPECT_NE(surface.pixel(1, 1), qRgb(240, 0, 0));
}

// A selection from (-5, -3) to (5, 3) in tab 1 on a 6000 x 4500 surface: the box's pane
// corners are (2500, 1950) and (3500, 2550).
vw::Model selectedBox() {
    vw::Model model;
    std::vector<vw::Vertex> verts = {vertexAt(-5, -3), vertexAt(5, 3), vertexAt(0, 0)};
    verts[0].selected = -1;
    verts[1].selected = -1;
    model.Parts.push_back(partOf({segmentOf(verts)}));
    return model;
}

struct HandleCase {
    const char* name;
    int32_t x, y;
    QRgb colour;
};

class DrawScaleHandles : public testing::TestWithParam<HandleCase> {};

TEST_P(DrawScaleHandles, EightPixelSquaresInTheirColours) {
    Shown shown(selectedBox(), 6000, 4500);
    shown.pane.toolMode = vw::kToolScale;
    shown.pane.SetScaleValues();
    shown.pane.tmeRefresher_Timer();
    const HandleCase& c = GetParam();
    const QRect handle = vw::pixelBox(c.x - 60, c.y - 60, c.x + 60, c.y + 60);
    ASSERT_EQ(handle.size(), QSize(8, 8));
    for (int y = handle.top() - 1; y <= handle.bottom() + 1; ++y) {
        for (int x = handle.left() - 1; x <= handle.right() + 1; ++x) {
            if (handle.contains(x, y))
                EXPECT_EQ(shown.at(x, y), c.colour) << x << "," << y;
            else
                EXPECT_NE(shown.at(x, y), c.colour) << x << "," << y;
        }
    }
    EXPECT_EQ(shown.pane.colourAt(c.x, c.y), c.colour);
}

INSTANTIATE_TEST_SUITE_P(Table, DrawScaleHandles,
                         testing::Values(HandleCase{"LeftTop", 2500, 1950, qRgb(0, 0, 245)},
                                         HandleCase{"Top", 3000, 1950, qRgb(0, 0, 246)},
                                         HandleCase{"RightTop", 3500, 1950, qRgb(0, 0, 247)},
                                         HandleCase{"Left", 2500, 2250, qRgb(0, 0, 248)},
                                         HandleCase{"Right", 3500, 2250, qRgb(0, 0, 249)},
                                         HandleCase{"LeftBottom", 2500, 2550, qRgb(0, 0, 250)},
                                         HandleCase{"Bottom", 3000, 2550, qRgb(0, 0, 251)},
                                         HandleCase{"RightBottom", 3500, 2550, qRgb(0, 0, 252)}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DrawScaleBox, BlueOutlineBetweenTheHandles) {
    Shown shown(selectedBox(), 6000, 4500);
    shown.pane.toolMode = vw::kToolScale;
    shown.pane.SetScaleValues();
    shown.pane.tmeRefresher_Timer();
    EXPECT_EQ(shown.pane.colourAt(2750, 1950), vw::kScaleBox);
    EXPECT_EQ(shown.pane.colourAt(2500, 2100), vw::kScaleBox);
    EXPECT_EQ(shown.pane.colourAt(2750, 2000), vw::kBackGround);
}

TEST(DrawRotate, CircleAroundTheCentreAndTheHandleOnItsRight) {
    Shown shown(selectedBox(), 6000, 4500);
    shown.pane.toolMode = vw::kToolRotate;
    dynamic_cast<vw::RotateTool&>(*shown.tools.currentTool()).SetRotateValues();
    shown.pane.tmeRefresher_Timer();
    // Centre (3000, 2250), radius 500 twips; the handle sits at (3500, 2250).
    const QRect handle = vw::pixelBox(3440, 2190, 3560, 2310);
    for (int y = handle.top(); y <= handle.bottom(); ++y)
        for (int x = handle.left(); x <= handle.right(); ++x)
            EXPECT_EQ(shown.at(x, y), vw::kRotateHandle) << x << "," << y;
    EXPECT_EQ(shown.pane.colourAt(3000, 1750), vw::kRotateCircle);   // top of the circle
    EXPECT_EQ(shown.pane.colourAt(2500, 2250), vw::kRotateCircle);   // left of the circle
    EXPECT_EQ(shown.pane.colourAt(3000, 2250), qRgb(240, 240, 240)); // the vertex at the centre
}

TEST(DrawRubberBand, GreyOutlineOverTheLastFrameOnly) {
    Shown shown(selectedBox(), 6000, 4500);
    shown.pane.toolMode = vw::kToolSelect;
    shown.pane.isLeftButton = true;
    shown.pane.downX = 1500;
    shown.pane.downY = 1500;
    shown.pane.lastX = 4500;
    shown.pane.lastY = 3000;
    shown.pane.tmeRefresher_Timer();
    EXPECT_EQ(shown.pane.colourAt(1500, 1500), vw::kRubberBand);
    EXPECT_EQ(shown.pane.colourAt(4485, 2985), vw::kRubberBand);
    EXPECT_EQ(shown.pane.colourAt(3000, 1500), vw::kRubberBand);
    EXPECT_EQ(shown.pane.colourAt(4500, 3000), vw::kBackGround);
    // picBuff keeps the frame without the band.
    EXPECT_EQ(shown.pane.picBuff.pixel(100, 100), vw::kBackGround);
}

} // namespace
