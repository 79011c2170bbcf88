// The Scale tool: its eight handles found by colour, the edges they move, Shift, mirroring.

#include "tools_fixture.h"
#include "views/pane.h"

#include <cmath>

namespace vw::test {
namespace {

const std::vector<PartPoints>& kModel = kRectangleModel;

class ScaleTool : public ToolsTest {
protected:
    void SetUp() override {
        loadModel(kModel);
        drag(pixelAt(-0.5f, -0.5f), pixelAt(4.5f, 3.5f));
        ASSERT_EQ(pane().SelCount(), 5);
        typeKey('c');
        tick();
    }
    Vertex& corner(int index) { return vert(0, size_t(index)); }
    void expectBox(float left, float top, float right, float bottom) {
        EXPECT_FLOAT_EQ(pane().selLeft, left);
        EXPECT_FLOAT_EQ(pane().selTop, top);
        EXPECT_FLOAT_EQ(pane().selRight, right);
        EXPECT_FLOAT_EQ(pane().selBottom, bottom);
    }
};

TEST_F(ScaleTool, AShiftRightClickPlacesTheCursorAndAHandleScalesAboutIt) {
    press(pixelAt(-2, 1.5f), Qt::RightButton, Qt::ShiftModifier);
    release(pixelAt(-2, 1.5f), Qt::RightButton, Qt::ShiftModifier);
    const std::optional<ModelPoint> cursor = pane().session().pivotMarks().cursor;
    ASSERT_TRUE(cursor);
    EXPECT_NEAR((*cursor)[0], -2, 0.02);
    EXPECT_NEAR((*cursor)[1], 1.5, 0.02);
    EXPECT_EQ((*cursor)[2], 0); // the third coordinate as the cursor had it
    pane().session().setPivot(Pivot::Cursor);
    typeKey('c');
    tick();
    std::vector<float> before;
    for (int i = 0; i < 4; ++i)
        before.push_back(corner(i).x);
    // The right edge from 4 to 1: half as far from the cursor.
    drag(pixelAt(4, 1.5f), pixelAt(1, 1.5f));
    for (int i = 0; i < 4; ++i)
        EXPECT_NEAR(corner(i).x, -2 + (before[size_t(i)] + 2) * 0.5, 0.02) << i;
}

struct HandleCase {
    const char* name;
    float h, v; // the handle's centre in model units
    bool left, top, right, bottom;
    PointerShape pointer;
};

class ScaleHandles : public ScaleTool, public testing::WithParamInterface<HandleCase> {};

TEST_P(ScaleHandles, APressGrabsTheHandleUnderItAndAHoverShowsItsPointer) {
    const HandleCase& c = GetParam();
    moveTo(pixelAt(c.h, c.v), Qt::NoButton);
    EXPECT_EQ(frame().feedback.pointer(), c.pointer);
    press(pixelAt(c.h, c.v));
    EXPECT_EQ(scaleTool().grab().left, c.left);
    EXPECT_EQ(scaleTool().grab().top, c.top);
    EXPECT_EQ(scaleTool().grab().right, c.right);
    EXPECT_EQ(scaleTool().grab().bottom, c.bottom);
    release(pixelAt(c.h, c.v));
}

INSTANTIATE_TEST_SUITE_P(
    EightAndNone, ScaleHandles,
    testing::Values(
        HandleCase{"LeftTop", 0, 0, true, true, false, false, PointerShape::ResizeDiagonalNwSe},
        HandleCase{"Top", 2, 0, false, true, false, false, PointerShape::ResizeVertical},
        HandleCase{"RightTop", 4, 0, false, true, true, false, PointerShape::ResizeDiagonalNeSw},
        HandleCase{"Left", 0, 1.5f, true, false, false, false, PointerShape::ResizeHorizontal},
        HandleCase{"Right", 4, 1.5f, false, false, true, false, PointerShape::ResizeHorizontal},
        HandleCase{"LeftBottom", 0, 3, true, false, false, true, PointerShape::ResizeDiagonalNeSw},
        HandleCase{"Bottom", 2, 3, false, false, false, true, PointerShape::ResizeVertical},
        HandleCase{"RightBottom", 4, 3, false, false, true, true, PointerShape::ResizeDiagonalNwSe},
        HandleCase{"Inside", 1, 1, false, false, false, false, PointerShape::FourWayMove},
        HandleCase{"OnAVertex", 2, 1.5f, false, false, false, false, PointerShape::FourWayMove}),
    [](const testing::TestParamInfo<HandleCase>& info) { return info.param.name; });

TEST_F(ScaleTool, DraggingTheRightEdgeStretchesTheSelectionAndCommitsEachStep) {
    EXPECT_EQ(rgbOf(pane().colourAt(pane().toPaneX(2), pane().toPaneY(0))),
              qRgb(0, 0, 246) & RGB_MASK);
    drag(pixelAt(4, 1.5f), pixelAt(6, 2));
    expectBox(0, 0, 6, 3);
    EXPECT_FLOAT_EQ(corner(1).x, 6);
    EXPECT_FLOAT_EQ(corner(4).x, 3);
    EXPECT_FLOAT_EQ(corner(0).x, 0);
    EXPECT_FLOAT_EQ(corner(3).y, 3);
    EXPECT_EQ(corner(3).z, 1.0f);
    EXPECT_EQ(modelVert(0, 0, 1).x, corner(1).x);
    EXPECT_EQ(vert(1, 0).x, -5.0f);
    tick();
    EXPECT_EQ(rgbOf(pane().colourAt(pane().toPaneX(3), pane().toPaneY(0))),
              qRgb(0, 0, 246) & RGB_MASK);
}

TEST_F(ScaleTool, ShiftOnTheTopEdgeKeepsTheHeight) {
    drag(pixelAt(2, 0), pixelAt(2, -2), Qt::ShiftModifier);
    expectBox(0, 0, 4, 3);
    EXPECT_FLOAT_EQ(corner(0).y, 0);
    EXPECT_FLOAT_EQ(corner(3).y, 3);
}

TEST_F(ScaleTool, ShiftOnARightCornerKeepsTheAspectRatioByTheWidth) {
    drag(pixelAt(4, 3), pixelAt(6, 3.2f), Qt::ShiftModifier); // the bottom edge moves
    expectBox(0, 0, 6, 4.5f);
    EXPECT_FLOAT_EQ(corner(3).x, 6);
    EXPECT_FLOAT_EQ(corner(3).y, 4.5f);
    EXPECT_FLOAT_EQ(corner(0).y, 0);

    typeKey('c'); // any key while Scale is current recomputes the box
    tick();
    drag(pixelAt(6, 0), pixelAt(8, -1), Qt::ShiftModifier); // the top edge moves
    expectBox(0, -1.5f, 8, 4.5f);
    EXPECT_FLOAT_EQ(corner(1).y, -1.5f);
    EXPECT_FLOAT_EQ(corner(3).y, 4.5f);
}

TEST_F(ScaleTool, DraggingAnEdgePastTheOppositeOneMirrors) {
    drag(pixelAt(0, 1.5f), pixelAt(6, 1.5f));
    expectBox(6, 0, 4, 3);
    EXPECT_FLOAT_EQ(corner(0).x, 6);
    EXPECT_FLOAT_EQ(corner(1).x, 4);
    EXPECT_FLOAT_EQ(corner(4).x, 5);
    tick();
    // The bottom edge over the top; the second of the four steps lands exactly on it.
    drag(pixelAt(5, 3), pixelAt(5, -3));
    EXPECT_FLOAT_EQ(corner(2).y, -3);
    EXPECT_FLOAT_EQ(corner(4).y, -1.5f);
    EXPECT_FLOAT_EQ(corner(0).y, 0);
}

TEST_F(ScaleTool, APressOffTheHandlesThenADragLeavesTheVerticesWhereTheyAre) {
    const std::vector<Vertex> before = model.curData[0].verts;
    drag(pixelAt(1, 1), pixelAt(7, 9));
    drag(pixelAt(1, 1), pixelAt(7, 9), Qt::ShiftModifier);
    for (size_t i = 0; i < before.size(); ++i) {
        EXPECT_FLOAT_EQ(vert(0, i).x, before[i].x);
        EXPECT_FLOAT_EQ(vert(0, i).y, before[i].y);
    }
}

TEST_F(ScaleTool, OnlyTheLeftButtonAloneScales) {
    press(pixelAt(4, 1.5f));
    moveTo(pixelAt(6, 1.5f), Qt::LeftButton | Qt::RightButton);
    release(pixelAt(6, 1.5f));
    EXPECT_FLOAT_EQ(corner(1).x, 4);
}

TEST_F(ScaleTool, ABoxWithoutWidthScalesNothingAndWritesNothing) {
    typeKey('s');
    click(pixelAt(-5, -5)); // only the lone vertex
    typeKey('C');
    tick();
    expectBox(-5, -5, -5, -5);
    const std::vector<Part> before = model.Parts;
    drag(pixelAt(-5, -5), pixelAt(-3, -2));
    EXPECT_EQ(vert(1, 0).x, -5.0f);
    EXPECT_EQ(vert(1, 0).y, -5.0f);
    EXPECT_EQ(modelVert(0, 1, 0).x, before[0].segments[1].verts[0].x);
}

TEST_F(ScaleTool, OnTheUvTabItScalesTheTextureCoordinates) {
    chooseTab(4);
    typeKey('c');
    tick();
    expectBox(0.25f, 0.25f, 0.75f, 0.5f);
    drag(pixelAt(0.75f, 0.375f), pixelAt(1.25f, 0.375f));
    EXPECT_NEAR(corner(1).u, 1.25f, 1e-6);
    EXPECT_NEAR(corner(4).u, 0.75f, 1e-6);
    EXPECT_EQ(corner(1).x, 4.0f);
}

TEST_F(ScaleTool, OnThePreviewTabNothingScales) {
    chooseTab(5);
    typeKey('c');
    tick();
    drag(pixelAt(4, 1.5f), pixelAt(6, 1.5f));
    expectBox(0, 0, 4, 3);
    EXPECT_FLOAT_EQ(corner(1).x, 4);
}

} // namespace
} // namespace vw::test
