// The Move tool and the write-back of the working data.

#include "model/editing/history/working_data.h"
#include "tools/move_tool.h"
#include "tools_fixture.h"
#include "views/pane.h"

#include <QTest>

namespace vw::test {
namespace {

// The first part has two segments, the second one. Every vertex has distinct x, y, z, u, v.
const std::vector<PartPoints> kModel = {
    {{{0, 0, 3, 0.25f, 0.5f}, {1, 0, 3, 0.5f, 0.5f}, {1, 1, 3, 0.5f, 0.75f}},
     {{-2, -1, 7, 0.75f, 0.25f}, {-1, -1, 7, 0.75f, 0.5f}}},
    {{{4, 4, 4, 0.1f, 0.1f}}},
};

class MoveTool : public ToolsTest {
protected:
    void SetUp() override { loadModel(kModel); }
    // Selects everything in the working data with a box, then chooses Move by its letter.
    void selectAllAndChooseMove() {
        drag(pixelAt(-3, -2), pixelAt(2, 2));
        ASSERT_GT(pane().SelCount(), 0);
        typeKey('v');
        ASSERT_EQ(pane().toolMode, kToolMove);
    }
};

TEST_F(MoveTool, ADragMovesTheSelectionAlongThePlanesTwoAxesAndCommitsEveryStep) {
    click(pixelAt(1, 1));
    typeKey('v');
    const QPointF start = pixelAt(1, 1);
    press(start);
    moveTo(start + QPointF(15, 0));
    EXPECT_FLOAT_EQ(vert(0, 2).x, 1 + 225 / 100.0f);
    EXPECT_FLOAT_EQ(modelVert(0, 0, 2).x, vert(0, 2).x);
    moveTo(start + QPointF(15, 30));
    release(start + QPointF(15, 30));
    const Vertex& moved = modelVert(0, 0, 2);
    EXPECT_FLOAT_EQ(moved.x, 3.25f);
    EXPECT_FLOAT_EQ(moved.y, 5.5f);
    EXPECT_EQ(moved.z, 3.0f);
    EXPECT_EQ(moved.u, 0.5f);
    EXPECT_EQ(moved.v, 0.75f);
    EXPECT_EQ(modelVert(0, 0, 1).x, 1.0f); // unselected
    EXPECT_EQ(frame().feedback.pointer(), PointerShape::Move);
    tick();
    EXPECT_EQ(colourOfVertex(0, 2), qRgb(250, 0, 0) & RGB_MASK);
}

TEST_F(MoveTool, ArrowKeysNudgeByAPixelOrTenAsOneUndoStepEach) {
    click(pixelAt(1, 1));
    QTest::keyClick(surface(), Qt::Key_Right);
    EXPECT_FLOAT_EQ(modelVert(0, 0, 2).x, 1 + 15 / 100.0f);
    QTest::keyClick(surface(), Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_FLOAT_EQ(modelVert(0, 0, 2).y, 1 - 150 / 100.0f);
    EXPECT_EQ(modelVert(0, 0, 2).z, 3.0f);
    EXPECT_EQ(pane().document().stepCount(), 2u);
    pane().document().undo();
    pane().document().undo();
    EXPECT_EQ(modelVert(0, 0, 2).x, 1.0f);
    EXPECT_EQ(modelVert(0, 0, 2).y, 1.0f);
}

TEST_F(MoveTool, EachTabMovesItsOwnTwoCoordinates) {
    struct Case {
        int tab;
        float Vertex::*horizontal;
        float Vertex::*vertical;
    };
    for (const Case c : {Case{2, &Vertex::z, &Vertex::y}, Case{3, &Vertex::x, &Vertex::z},
                         Case{4, &Vertex::u, &Vertex::v}}) {
        chooseTab(c.tab);
        click(QPointF(1, 1)); // clears
        const Vertex before = vert(0, 0);
        click(pixelAt(before.*c.horizontal, before.*c.vertical));
        ASSERT_NE(vert(0, 0).selected, 0) << c.tab;
        typeKey('v');
        const QPointF start = pixelAt(before.*c.horizontal, before.*c.vertical);
        drag(start, start + QPointF(6, -3), Qt::NoModifier, 3); // whole twips at every step
        const float zoom = pane().currentView().zoom;
        const Vertex& after = modelVert(0, 0, 0);
        EXPECT_FLOAT_EQ(after.*c.horizontal, before.*c.horizontal + 90 / zoom) << c.tab;
        EXPECT_FLOAT_EQ(after.*c.vertical, before.*c.vertical - 45 / zoom) << c.tab;
        for (float Vertex::*other : {&Vertex::x, &Vertex::y, &Vertex::z, &Vertex::u, &Vertex::v}) {
            if (other != c.horizontal && other != c.vertical) {
                EXPECT_EQ(after.*other, before.*other) << c.tab;
            }
        }
        typeKey('s');
    }
}

TEST_F(MoveTool, OnlyTheLeftButtonAloneMovesWhateverTheModifiers) {
    selectAllAndChooseMove();
    const Vertex before = vert(0, 0);
    const QPointF start = pixelAt(0, 0);
    for (Qt::MouseButtons held :
         {Qt::MouseButtons(Qt::RightButton), Qt::MouseButtons(Qt::MiddleButton),
          Qt::LeftButton | Qt::RightButton}) {
        press(start, Qt::RightButton);
        moveTo(start + QPointF(20, 20), held);
        release(start + QPointF(20, 20), Qt::RightButton);
    }
    EXPECT_EQ(vert(0, 0).x, before.x);
    EXPECT_EQ(vert(0, 0).y, before.y);

    drag(start, start + QPointF(10, 0), Qt::ShiftModifier | Qt::AltModifier);
    EXPECT_FLOAT_EQ(vert(0, 0).x, before.x + 1.5f);
}

TEST_F(MoveTool, NothingMovesWhileSelCountIsZeroEvenWithFlagsLoadedFromTheModel) {
    for (Segment& segment : model.Parts[0].segments)
        for (Vertex& vertex : segment.verts)
            vertex.selected = -1;
    panes().setCurData();
    ASSERT_EQ(pane().SelCount(), 0);
    typeKey('V');
    drag(pixelAt(0, 0), pixelAt(1, 1));
    EXPECT_EQ(modelVert(0, 0, 0).x, 0.0f);
    EXPECT_EQ(vert(0, 0).x, 0.0f);
}

TEST_F(MoveTool, AStepAtTheAnchorChangesNothingAndAsksForNoRedraw) {
    selectAllAndChooseMove();
    const QPointF start = pixelAt(0, 0);
    press(start);
    pane().isChanged = false;
    moveTo(start);
    EXPECT_FALSE(pane().isChanged);
    EXPECT_EQ(vert(0, 0).x, 0.0f);
    release(start);
}

TEST_F(MoveTool, AStepIsMeasuredFromTheRoundedAnchorToTheUnroundedPointer) {
    selectAllAndChooseMove();
    const QPointF start = pixelAt(0, 0);
    press(start);
    moveTo(start + QPointF(0.5, 0)); // 7.5 twips; the anchor becomes 8 (ties to even)
    EXPECT_FLOAT_EQ(vert(0, 0).x, 0.075f);
    EXPECT_EQ(pane().downX, pane().toPaneX(0) + 8);
    moveTo(start + QPointF(1, 0)); // 15 twips: 7 more
    EXPECT_FLOAT_EQ(vert(0, 0).x, 0.145f);
    release(start + QPointF(1, 0));
}

TEST_F(MoveTool, WithOneSegmentCurrentOnlyThatSegmentOfThePartChanges) {
    model.curSeg = 2;
    panes().setCurData();
    ASSERT_EQ(model.curData.size(), 1u);
    const std::vector<Vertex> first = model.Parts[0].segments[0].verts;
    selectAllAndChooseMove();
    drag(pixelAt(-1, -1), pixelAt(0, 0));
    EXPECT_FLOAT_EQ(modelVert(0, 1, 0).x, -1.0f);
    EXPECT_NEAR(modelVert(0, 1, 1).y, 0.0f, 1e-6);
    EXPECT_EQ(model.Parts[0].segments.size(), 2u);
    for (size_t i = 0; i < first.size(); ++i)
        EXPECT_EQ(modelVert(0, 0, i).x, first[i].x);
    EXPECT_EQ(modelVert(1, 0, 0).x, 4.0f);
}

// A drag of 26 pixels right and 10 up is 3.9 and -1.5 model units at zoom 100; snapped, it
// moves by whole spacings of 5.
TEST_F(MoveTool, SnapStepsInWholeGridSpacingsFromTheMenuOrWithCtrlOverAShownGrid) {
    struct Case {
        const char* name;
        bool snap, grid;
        Qt::KeyboardModifiers modifiers;
        float dx, dy;
    };
    const Case cases[] = {
        {"snap", true, false, Qt::NoModifier, 5, 0},
        {"ctrl over the grid", false, true, Qt::ControlModifier, 5, 0},
        {"ctrl without the grid", false, false, Qt::ControlModifier, 3.9f, -1.5f},
        {"the grid alone", false, true, Qt::NoModifier, 3.9f, -1.5f},
    };
    click(pixelAt(1, 1));
    typeKey('v');
    ASSERT_EQ(pane().gridSpacing(), 5.0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        pane().session().setSnap({c.snap, false});
        pane().setGridShown(c.grid);
        const QPointF start = pixelAt(1, 1);
        drag(start, start + QPointF(26, -10), c.modifiers, 5);
        EXPECT_NEAR(modelVert(0, 0, 2).x, 1 + c.dx, 1e-5);
        EXPECT_NEAR(modelVert(0, 0, 2).y, 1 + c.dy, 1e-5);
        EXPECT_EQ(modelVert(0, 0, 2).z, 3.0f);
        pane().document().undo();
    }
    pane().session().setSnap({true, false});
    QTest::keyClick(surface(), Qt::Key_Right);
    QTest::keyClick(surface(), Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(modelVert(0, 0, 2).x, 6.0f);
    EXPECT_EQ(modelVert(0, 0, 2).y, -49.0f);
}

// The vertex under the press lands bit for bit on the nearest unselected one within reach, the
// rest of the selection going along; out of reach the drag moves freely.
TEST_F(MoveTool, SnapToVertexLandsTheGrabbedVertexExactlyOnTheNearestOther) {
    pane().session().setSnap({false, true});
    click(pixelAt(1, 1));
    click(pixelAt(-1, -1), Qt::LeftButton, Qt::ShiftModifier);
    typeKey('v');
    drag(pixelAt(1, 1), pixelAt(0, 0) + QPointF(3, -2));
    EXPECT_EQ(vert(0, 2).x, 0.0f);
    EXPECT_EQ(vert(0, 2).y, 0.0f);
    EXPECT_EQ(vert(0, 2).z, 3.0f);
    EXPECT_EQ(vert(1, 1).x, -2.0f);
    EXPECT_EQ(vert(1, 1).y, -2.0f);
    EXPECT_EQ(pane().document().stepCount(), 1u);
    drag(pixelAt(0, 0), pixelAt(2.5f, -2.5f));
    EXPECT_NEAR(vert(0, 2).x, 2.5f, 1e-5);
    EXPECT_NEAR(vert(0, 2).y, -2.5f, 1e-5);
}

TEST(CommitCurData, CopiesDeeplyToWhereTheDataCameFromAndIgnoresMissingPlaces) {
    Model model;
    model.Parts.resize(2);
    model.Parts[1].segments.resize(3);
    model.curPart = 1;
    model.curData = {Segment{}};
    model.curData[0].verts = {Vertex{1, 2, 3}};
    model.curData[0].strip = {0, 0, 0};

    model.curSeg = 3;
    commitCurData(model);
    EXPECT_EQ(model.Parts[1].segments.size(), 3u);
    EXPECT_EQ(model.Parts[1].segments[2].verts.size(), 1u);
    EXPECT_TRUE(model.Parts[1].segments[0].verts.empty());
    model.curData[0].verts[0].x = 9;
    EXPECT_EQ(model.Parts[1].segments[2].verts[0].x, 1.0f);

    model.curSeg = 0;
    commitCurData(model);
    EXPECT_EQ(model.Parts[1].segments.size(), 1u);
    EXPECT_EQ(model.Parts[1].segments[0].verts[0].x, 9.0f);

    const std::vector<Part> before = model.Parts;
    for (auto [part, seg] : {std::pair{2, 0}, {-1, 0}, {1, 2}, {1, -1}}) {
        model.curPart = part;
        model.curSeg = seg;
        commitCurData(model);
        ASSERT_EQ(model.Parts.size(), before.size());
        EXPECT_EQ(model.Parts[1].segments.size(), before[1].segments.size());
    }
    model.curPart = 1;
    model.curSeg = 1;
    model.curData.clear();
    commitCurData(model);
    EXPECT_EQ(model.Parts[1].segments[0].verts.size(), 1u);
}

} // namespace
} // namespace vw::test
