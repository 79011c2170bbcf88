// The Select tool and the event frame, driven by mouse events on a loaded model.

#include "model/ebo/ebo_loader.h"
#include "model/editing/history/document.h"
#include "support/ebo_builder.h"
#include "support/quad_grid.h"
#include "tools/circle_select.h"
#include "tools/selection.h"
#include "tools_fixture.h"
#include "views/pane.h"
#include "views/pane_colours.h"
#include "views/twips.h"

#include <QTest>

namespace vw::test {
namespace {

constexpr QRgb kUnselectedFill = qRgb(240, 240, 240) & RGB_MASK;
constexpr QRgb kSelectedFill = qRgb(250, 0, 0) & RGB_MASK;

// Segment 0: A at the origin, B 30 twips right of it, C far off. Segment 1: D 40 twips right of
// C, E far off. The z, u and v values differ so that only the view's two axes can select.
const std::vector<PartPoints> kModel = {{
    {{0, 0, 5, 0.1f, 0.1f}, {0.3f, 0, -5, 0.9f, 0.9f}, {2, 1, 0, 0.5f, 0.5f}},
    {{2.4f, 1, 9, 0.2f, 0.8f}, {-2, -1, 0, 0.8f, 0.2f}},
}};

class SelectTool : public ToolsTest {
protected:
    void SetUp() override { loadModel(kModel); }

    std::vector<std::pair<size_t, size_t>> selected() {
        std::vector<std::pair<size_t, size_t>> result;
        for (size_t s = 0; s < model.curData.size(); ++s)
            for (size_t i = 0; i < model.curData[s].verts.size(); ++i)
                if (model.curData[s].verts[i].selected != 0)
                    result.emplace_back(s, i);
        return result;
    }
    std::vector<bool> enabledButtons() {
        std::vector<bool> result;
        for (int position = 1; position <= 6; ++position)
            result.push_back(pane().isToolEnabled(position));
        return result;
    }
    const std::vector<bool> onlyViewTools = {true, false, true, true, false, false};
    const std::vector<bool> allTools = {true, true, true, true, true, true};
    using Picks = std::vector<std::pair<size_t, size_t>>;
};

TEST_F(SelectTool, AClickOnAMarkSelectsItDrawsItRedAndEnablesTheEditingTools) {
    EXPECT_EQ(enabledButtons(), onlyViewTools);
    EXPECT_EQ(colourOfVertex(0, 2), kUnselectedFill);
    click(pixelAt(2, 1));
    EXPECT_EQ(selected(), (Picks{{0, 2}}));
    EXPECT_EQ(pane().SelCount(), 1);
    EXPECT_TRUE(pane().isChanged);
    EXPECT_EQ(enabledButtons(), allTools);
    tick();
    EXPECT_EQ(colourOfVertex(0, 2), kSelectedFill);
    EXPECT_EQ(colourOfVertex(1, 1), kUnselectedFill);
}

// Ctrl alone on a selected mark takes that one vertex out; Shift keeps it, and Ctrl on an
// unselected mark still adds as designed.
TEST_F(SelectTool, ACtrlClickOnASelectedMarkTakesThatVertexOut) {
    click(pixelAt(2, 1)); // C
    tick();
    click(pixelAt(0, 0), Qt::LeftButton, Qt::ShiftModifier); // A
    tick();
    click(pixelAt(2, 1), Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_EQ(selected(), (Picks{{0, 0}, {0, 2}}));
    tick();
    click(pixelAt(2, 1), Qt::LeftButton, Qt::ControlModifier);
    EXPECT_EQ(selected(), (Picks{{0, 0}}));
    EXPECT_EQ(pane().SelCount(), 1);
    tick();
    click(pixelAt(0, 0), Qt::LeftButton, Qt::ControlModifier); // A before B in the square
    EXPECT_EQ(selected(), Picks{});
    EXPECT_EQ(enabledButtons(), onlyViewTools);
    tick();
    click(pixelAt(2, 1), Qt::LeftButton, Qt::ControlModifier);
    EXPECT_EQ(selected(), (Picks{{0, 2}}));
}

struct ModifierCase {
    const char* name;
    Qt::KeyboardModifiers modifiers;
    bool keeps;
};

class SelectModifiers : public SelectTool, public testing::WithParamInterface<ModifierCase> {};

TEST_P(SelectModifiers, OnlyShiftAloneOrCtrlAloneKeepTheSelection) {
    const ModifierCase& c = GetParam();
    click(pixelAt(2, 1)); // C
    tick();

    // A press on an unselected mark: picks the first vertex in the pick square, A.
    click(pixelAt(0, 0), Qt::LeftButton, c.modifiers);
    EXPECT_EQ(selected(), c.keeps ? (Picks{{0, 0}, {0, 2}}) : (Picks{{0, 0}}));
    EXPECT_EQ(pane().SelCount(), 1);
    tick();

    // A press on empty space clears, unless the modifier keeps; the release picks nothing.
    press(pixelAt(-1, 1), Qt::LeftButton, c.modifiers);
    EXPECT_EQ(enabledButtons(), c.keeps ? allTools : onlyViewTools);
    release(pixelAt(-1, 1), Qt::LeftButton, c.modifiers);
    EXPECT_EQ(selected(), c.keeps ? (Picks{{0, 0}, {0, 2}}) : Picks{});
    EXPECT_EQ(pane().SelCount(), c.keeps ? 1 : 0);
    EXPECT_EQ(enabledButtons(), allTools);
}

INSTANTIATE_TEST_SUITE_P(
    Masks, SelectModifiers,
    testing::Values(ModifierCase{"None", Qt::NoModifier, false},
                    ModifierCase{"Shift", Qt::ShiftModifier, true},
                    ModifierCase{"Ctrl", Qt::ControlModifier, true},
                    ModifierCase{"ShiftCtrl", Qt::ShiftModifier | Qt::ControlModifier, false},
                    ModifierCase{"Alt", Qt::AltModifier, false},
                    ModifierCase{"ShiftAlt", Qt::ShiftModifier | Qt::AltModifier, false}),
    [](const testing::TestParamInfo<ModifierCase>& info) { return info.param.name; });

TEST_F(SelectTool, ThePickSquareTakesTheFirstVertexInScanOrderNotTheOneUnderThePointer) {
    press(pixelAt(0.3f, 0)); // on B; A lies 30 twips away and comes first
    EXPECT_EQ(selected(), (Picks{{0, 0}}));
    // The release is a click whose point holds B exactly: it adds B.
    release(pixelAt(0.3f, 0));
    EXPECT_EQ(selected(), (Picks{{0, 0}, {0, 1}}));
    tick();
    press(pixelAt(2.4f, 1)); // on D in segment 1; C in segment 0 lies 40 twips away
    EXPECT_EQ(selected(), (Picks{{0, 2}}));
    release(pixelAt(2.4f, 1));
}

TEST_F(SelectTool, APressOnASelectedMarkClearsAndTheClickThenPicksOnlyAtItsPoint) {
    click(pixelAt(0, 0));
    tick();
    ASSERT_EQ(colourOfVertex(0, 0), kSelectedFill);
    click(pixelAt(0, 0));
    // Cleared by the press; the release's point rectangle holds A again.
    EXPECT_EQ(selected(), (Picks{{0, 0}}));

    click(pixelAt(0, 0), Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_EQ(selected(), (Picks{{0, 0}}));
    EXPECT_EQ(pane().SelCount(), 1);
}

TEST_F(SelectTool, BoxesAddInScanOrderByTheViewsTwoAxesAndShowARubberBand) {
    press(pixelAt(-0.5f, -0.5f));
    moveTo(pixelAt(2.5f, 1.5f));
    tick();
    const int32_t bandX = pane().toPaneX(-0.5f), bandY = pane().toPaneY(-0.5f);
    EXPECT_EQ(pixelColour(bandX, bandY), qRgb(180, 180, 180) & RGB_MASK);
    EXPECT_TRUE(selected().empty());
    release(pixelAt(2.5f, 1.5f));
    EXPECT_EQ(selected(), (Picks{{0, 0}, {0, 1}, {0, 2}, {1, 0}}));
    EXPECT_EQ(pane().SelCount(), 4);

    // Shift keeps; the next box counts only what it newly selects.
    drag(pixelAt(-2.5f, -1.5f), pixelAt(0.1f, 0.1f), Qt::ShiftModifier);
    EXPECT_EQ(selected().size(), 5u);
    EXPECT_EQ(pane().SelCount(), 5);
}

TEST_F(SelectTool, OnTheUvTabBoxesSelectByTextureCoordinates) {
    chooseTab(4);
    drag(pixelAt(0.7f, 0.7f), pixelAt(1.0f, 1.0f));
    EXPECT_EQ(selected(), (Picks{{0, 1}}));
    drag(pixelAt(0.0f, 0.0f), pixelAt(0.3f, 0.3f), Qt::ControlModifier);
    EXPECT_EQ(selected(), (Picks{{0, 0}, {0, 1}}));
}

TEST_F(SelectTool, ARightButtonDragClearsNothingButAddsItsBox) {
    click(pixelAt(-2, -1));
    press(pixelAt(1.5f, 0.5f), Qt::RightButton);
    moveTo(pixelAt(2.5f, 1.5f), Qt::RightButton);
    EXPECT_FALSE(pane().isLeftButton);
    release(pixelAt(2.5f, 1.5f), Qt::RightButton);
    EXPECT_EQ(selected(), (Picks{{0, 2}, {1, 0}, {1, 1}}));
}

TEST_F(SelectTool, ABoxAroundEmptySpaceStillEnablesTheEditingTools) {
    drag(pixelAt(-1.5f, 0.5f), pixelAt(-1.0f, 1.5f));
    EXPECT_TRUE(selected().empty());
    EXPECT_EQ(pane().SelCount(), 0);
    EXPECT_EQ(enabledButtons(), allTools);
}

TEST_F(SelectTool, OnThePreviewTabPointerEventsAreIgnored) {
    press(pixelAt(-1, 1));
    release(pixelAt(-1, 1));
    const int32_t downX = pane().downX, lastX = pane().lastX;
    pane().isChanged = false;
    chooseTab(5);
    click(QPointF(5, 5));
    drag(QPointF(1, 1), QPointF(300, 200));
    EXPECT_EQ(pane().downX, downX);
    EXPECT_EQ(pane().lastX, lastX);
    EXPECT_FALSE(pane().isLeftButton);
    EXPECT_FALSE(pane().isChanged);
    EXPECT_TRUE(selected().empty());
}

TEST_F(SelectTool, APointerMoveWithoutAToolClearsTheRedrawRequest) {
    pane().toolMode = 0;
    pane().isChanged = true;
    moveTo(pixelAt(1, 1), Qt::NoButton);
    EXPECT_FALSE(pane().isChanged);
    press(pixelAt(0, 0));
    release(pixelAt(0, 0));
    EXPECT_TRUE(selected().empty());
}

TEST_F(SelectTool, SelectVertAtCountsSelectionsAndIgnoresIndexesOutsideTheData) {
    SelectVertAt(pane(), 1, 1, true);
    SelectVertAt(pane(), 0, 2, true);
    SelectVertAt(pane(), 0, 2, false);
    for (auto [i, j] : {std::pair{-1, 0}, {2, 0}, {0, -1}, {0, 3}, {1, 2}, {1, 1 << 30}})
        SelectVertAt(pane(), i, j, true);
    EXPECT_EQ(selected(), (Picks{{1, 1}}));
    EXPECT_EQ(pane().SelCount(), 2);
    EXPECT_EQ(enabledButtons(), onlyViewTools);
}

// At a zoom of 3000 twips per unit, 150 twips are exactly the single-precision 0.05.
TEST_F(SelectTool, SelectMenuCommandsKeepTheCountAndThePaletteRight) {
    selectAll(pane());
    EXPECT_EQ(selected().size(), 5u);
    EXPECT_EQ(pane().SelCount(), 5);
    EXPECT_EQ(enabledButtons(), allTools);
    click(pixelAt(0, 0)); // A alone
    invertSelection(pane());
    EXPECT_EQ(selected(), (Picks{{0, 1}, {0, 2}, {1, 0}, {1, 1}}));
    EXPECT_EQ(pane().SelCount(), 4);
    selectNone(pane());
    EXPECT_TRUE(selected().empty());
    EXPECT_EQ(enabledButtons(), onlyViewTools);
    invertSelection(pane());
    invertSelection(pane());
    EXPECT_EQ(pane().SelCount(), 0);
    EXPECT_EQ(enabledButtons(), onlyViewTools);
}

// A vertex shared by two segments is stored once in each: picking one must bring the other.
TEST_F(SelectTool, SelectCoincidentAddsTheSamePositionInEverySegmentAndNothingElse) {
    loadModel({{{{0, 0, 0}, {1, 1, 1}, {2, 2, 2}},
                {{1, 1, 1.00005f}, {1, 1, 1.01f}, {0.99995f, 1, 1}},
                {{1, 1, 1}}}});
    SelectVertAt(pane(), 0, 1, true);
    selectCoincident(pane());
    EXPECT_EQ(selected(), (Picks{{0, 1}, {1, 0}, {1, 2}, {2, 0}}));
    EXPECT_EQ(pane().SelCount(), 4);
    EXPECT_EQ(enabledButtons(), allTools);
}

// C hidden: no mark, no pick, no box and no move reaches it, and hiding is no edit.
TEST_F(SelectTool, HiddenVerticesAreNotDrawnPickedBoxedOrMovedAndHidingIsNoEdit) {
    click(pixelAt(2, 1));
    ASSERT_EQ(selected(), (Picks{{0, 2}}));
    hideSelected(pane());
    EXPECT_TRUE(selected().empty());
    EXPECT_EQ(pane().SelCount(), 0);
    EXPECT_EQ(enabledButtons(), onlyViewTools);
    EXPECT_TRUE(pane().document().isClean());
    EXPECT_EQ(pane().document().stepCount(), 0u);
    tick();
    EXPECT_NE(colourOfVertex(0, 2), kUnselectedFill);

    click(pixelAt(2, 1));
    EXPECT_TRUE(selected().empty());
    drag(pixelAt(-3, -2), pixelAt(3, 2));
    const Picks allButC = {{0, 0}, {0, 1}, {1, 0}, {1, 1}};
    EXPECT_EQ(selected(), allButC);
    invertSelection(pane());
    selectAll(pane());
    SelectVertAt(pane(), 0, 2, true);
    EXPECT_EQ(selected(), allButC);
    typeKey('v');
    drag(pixelAt(0, 0), pixelAt(0, 0) + QPointF(10, 0));
    QTest::keyClick(surface(), Qt::Key_Down);
    EXPECT_EQ(modelVert(0, 0, 2).x, 2.0f);
    EXPECT_EQ(modelVert(0, 0, 2).y, 1.0f);
    EXPECT_FLOAT_EQ(modelVert(0, 0, 0).x, 1.5f);
    EXPECT_EQ(pane().document().stepCount(), 2u);

    // A step made on a selection with C gives it back without C while C is hidden.
    showHidden(pane());
    typeKey('s');
    click(pixelAt(2, 1));
    QTest::keyClick(surface(), Qt::Key_Right);
    hideSelected(pane());
    pane().document().undo();
    EXPECT_EQ(modelVert(0, 0, 2).x, 2.0f);
    EXPECT_TRUE(selected().empty());
    EXPECT_EQ(pane().SelCount(), 0);
    EXPECT_EQ(pane().session().hidden().count(), 1u);

    panes().setCurData();
    EXPECT_EQ(pane().session().hidden().count(), 0u);
    tick();
    EXPECT_TRUE(isUnselectedMark(colourOfVertex(0, 2)) || colourOfVertex(0, 2) == kSelectedFill);
}

// B is linked to A and C by their triangle; D lies in no triangle.
TEST_F(SelectTool, LOverAVertexAddsTheLinkedPartUnderThePointer) {
    click(pixelAt(-2, -1));
    moveTo(pixelAt(0.3f, 0), Qt::NoButton);
    selectLinkedAtPointer(pane());
    EXPECT_EQ(selected(), (Picks{{0, 0}, {0, 1}, {0, 2}, {1, 1}}));
    moveTo(pixelAt(2.4f, 1), Qt::NoButton);
    selectLinkedAtPointer(pane());
    EXPECT_EQ(selected().size(), 5u);
    EXPECT_EQ(pane().SelCount(), 5);
}

// The grid lies under the marks in colours no press reads, so the same gestures pick the same.
TEST_F(SelectTool, TheGridIsDrawnUnderTheMarksAndNeverChangesAPick) {
    const auto gestures = [this] {
        std::vector<Picks> seen;
        click(pixelAt(0, 0)); // where the axes cross
        seen.push_back(selected());
        click(pixelAt(0.3f, 0), Qt::LeftButton, Qt::ShiftModifier);
        seen.push_back(selected());
        click(pixelAt(0, -1.5f)); // on the vertical axis only
        seen.push_back(selected());
        drag(pixelAt(-0.5f, -0.5f), pixelAt(2.2f, 1.2f));
        seen.push_back(selected());
        click(QPointF(1, 1));
        return seen;
    };
    const std::vector<Picks> withoutGrid = gestures();
    const int32_t axisX = pane().toPaneX(0), lineX = pane().toPaneX(5);
    const int32_t y = pane().toPaneY(-1.5f);
    EXPECT_EQ(pixelColour(axisX, y), rgbOf(kBackGround));
    pane().setGridShown(true);
    tick();
    ASSERT_EQ(pane().gridSpacing(), 5.0);
    EXPECT_EQ(pixelColour(axisX, y), rgbOf(kGridAxis));
    EXPECT_EQ(pixelColour(lineX, y), rgbOf(kGridLine));
    EXPECT_TRUE(isUnselectedMark(colourOfVertex(0, 0)));
    EXPECT_EQ(gestures(), withoutGrid);
}

class ClickThreshold : public ToolsTest {
protected:
    void SetUp() override {
        loadModel({{{{0.02f, 0.02f}, {0.04f, 0}}}});
        ViewParams view = pane().currentView();
        view.zoom = 3000;
        pane().setCurrentView(view);
        panes().RefreshEbo();
    }
    void dragBy(int32_t dx, int32_t dy) {
        const ViewParams& view = pane().currentView();
        drag(pixelAtPane(view.originX, view.originY),
             pixelAtPane(view.originX + dx, view.originY + dy));
    }
};

TEST_F(ClickThreshold, ADragOfAtMostPointZeroFiveInBothAxesIsAClick) {
    dragBy(150, 150); // 10 pixels each way, still a click: only the first vertex in it
    EXPECT_NE(vert(0, 0).selected, 0);
    EXPECT_EQ(vert(0, 1).selected, 0);
    EXPECT_EQ(pane().SelCount(), 1);
}

TEST_F(ClickThreshold, ADragBeyondPointZeroFiveInEitherAxisIsABox) {
    // The last box reaches up from the origin: only the vertex on its edge is inside.
    struct Case {
        int32_t dx, dy, selects;
    };
    for (const Case c : {Case{151, 150, 2}, Case{150, 151, 2}, Case{150, -200, 1}}) {
        click(QPointF(1, 1)); // clears
        dragBy(c.dx, c.dy);
        EXPECT_EQ(pane().SelCount(), c.selects) << c.dx << ", " << c.dy;
    }
}

// A 4 x 3 grid of quads, 3 units (20 pixels) apart, each row of quads one run of the strip:
// vertex (column, row) is 5 * row + column.
class QuadSelect : public ToolsTest {
protected:
    void SetUp() override {
        const QuadGrid grid{.columns = 4, .rows = 3};
        SegmentPlan segment;
        for (int row = 0; row <= grid.rows; ++row)
            for (int column = 0; column <= grid.columns; ++column)
                segment.verts.push_back({x(column), -y(row), 0, 0, 0, 10, 20, 30, 255});
        segment.strip = joinRuns(grid.runs());
        EboPlan plan;
        plan.parts.push_back({{segment}});
        const auto file = m_gridDir / "grid.ebo";
        writeEbo(buildEbo(plan), file, m_gridDir.path());
        ASSERT_NE(
            vw::loadModel(model, file.string(), {m_gridDir.path(), m_gridDir / "current.tmp"}),
            kLoadFailed);
        panes().Init_Ebo();
        m_listening = pane().document().subscribe(
            [this](const DocumentChange& change) { changes += change.selection ? 1 : 0; });
    }

    static float x(double column) { return float(3 * column - 6); }
    static float y(double row) { return float(3 * row - 4.5); }
    QPointF gridPixel(double column, double row) { return pixelAt(x(column), y(row)); }
    // A pointer event in twips over grid position (column, row).
    PointerInput pointerAt(double column, double row, int buttons) {
        return {buttons, 0, float(pane().toPaneX(x(column))), float(pane().toPaneY(y(row)))};
    }
    std::vector<size_t> selectedIndexes() const {
        std::vector<size_t> result;
        for (size_t i = 0; i < model.curData[0].verts.size(); ++i)
            if (model.curData[0].verts[i].selected != 0)
                result.push_back(i);
        return result;
    }
    void selectOnly(std::vector<size_t> vertices) {
        std::vector<VertexIndex> at;
        for (size_t vertex : vertices)
            at.push_back({0, vertex});
        selectVertices(pane(), at, true);
    }

    int changes = 0;

private:
    TempDir m_gridDir;
    Subscription m_listening;
};

struct LoopClickCase {
    const char* name;
    Qt::KeyboardModifiers modifiers;
    double column, row; // where the click lands on the grid
    std::vector<size_t> hidden, expected;
    int changes; // announcements of the selection
};

// Vertex 0 is selected before each click; SelCount counts the loop or ring as a box would.
TEST_F(QuadSelect, AltClickSelectsTheLoopAndCtrlAltTheRingOfTheNearestSide) {
    const Qt::KeyboardModifiers alt = Qt::AltModifier, shift = Qt::ShiftModifier,
                                ctrlAlt = Qt::ControlModifier | Qt::AltModifier;
    const LoopClickCase cases[] = {
        {"loop along a row", alt, 1.5, 1.1, {}, {5, 6, 7, 8, 9}, 1},
        {"loop down a column", alt, 2.1, 1.5, {}, {2, 7, 12, 17}, 1},
        {"loop added", alt | shift, 1.5, 1, {}, {0, 5, 6, 7, 8, 9}, 1},
        {"ring", ctrlAlt, 1.5, 0.9, {}, {1, 2, 6, 7, 11, 12, 16, 17}, 1},
        {"ring added", ctrlAlt | shift, 1.5, 1, {}, {0, 1, 2, 6, 7, 11, 12, 16, 17}, 1},
        {"loop up to a hidden vertex", alt, 1.5, 1, {8}, {5, 6, 7}, 1},
        {"no side near: a plain click", alt, -1.5, -1.5, {}, {}, 2},
    };
    for (const LoopClickCase& c : cases) {
        SCOPED_TRACE(c.name);
        showHidden(pane());
        selectOnly(c.hidden);
        hideSelected(pane());
        selectOnly({0});
        changes = 0;
        click(gridPixel(c.column, c.row), Qt::LeftButton, c.modifiers);
        EXPECT_EQ(selectedIndexes(), c.expected);
        EXPECT_EQ(pane().SelCount(), int32_t(c.expected.size()));
        EXPECT_EQ(changes, c.changes);
    }
}

// The radius starts at 25 pixels: a circle on a vertex covers its four neighbours 20 pixels away
// and not the diagonal ones 28 pixels away.
TEST_F(QuadSelect, ACircleStrokeSelectsWhatItCoversAsOneChangeAndARemoveStrokeTakesItOut) {
    CircleSelect circle(pane());
    circle.start();
    selectOnly({0});
    changes = 0;
    circle.press(pointerAt(1, 1, kLeftButton), false);
    circle.move(pointerAt(3, 1, kLeftButton));
    EXPECT_TRUE(selectedIndexes() == std::vector<size_t>{0}); // nothing before the release
    QImage canvas(400, 300, QImage::Format_RGB32);
    canvas.fill(Qt::black);
    circle.drawOverlay(canvas); // but the stroke shows as selected marks
    const PointerInput onPainted = pointerAt(4, 1, 0);
    EXPECT_EQ(
        rgbOf(canvas.pixel(twipToPixel(double(onPainted.x)), twipToPixel(double(onPainted.y)))),
        rgbOf(kMarkSelected));
    circle.release();
    circle.move(pointerAt(2, 2, 0)); // no button: the circle only moves
    EXPECT_EQ(selectedIndexes(), (std::vector<size_t>{0, 1, 3, 5, 6, 7, 8, 9, 11, 13}));
    EXPECT_EQ(pane().SelCount(), 10);
    EXPECT_EQ(changes, 1);

    circle.press(pointerAt(3, 1, kMiddleButton), CircleSelect::removes(kMiddleButton, 0));
    circle.release();
    EXPECT_EQ(selectedIndexes(), (std::vector<size_t>{0, 1, 5, 6, 11}));
    EXPECT_EQ(pane().SelCount(), 5);

    // Hidden vertices are never painted; a cancelled stroke changes nothing.
    selectOnly({6});
    hideSelected(pane());
    circle.press(pointerAt(1, 1, kLeftButton), false);
    circle.release();
    EXPECT_EQ(selectedIndexes(), (std::vector<size_t>{1, 5, 7, 11}));
    changes = 0;
    circle.press(pointerAt(3, 3, kLeftButton), CircleSelect::removes(kLeftButton, kShiftMask));
    circle.cancel();
    EXPECT_EQ(changes, 0);
}

TEST_F(QuadSelect, TheWheelSizesTheCircleWithinItsLimitsAndTheCircleIsDrawnAtThePointer) {
    CircleSelect circle(pane());
    circle.start();
    circle.wheel(1); // 31.25 pixels: the diagonal neighbours too
    circle.press(pointerAt(1, 1, kLeftButton), false);
    circle.release();
    EXPECT_EQ(selectedIndexes(), (std::vector<size_t>{0, 1, 2, 5, 6, 7, 10, 11, 12}));
    circle.wheel(-100);
    EXPECT_EQ(circle.radius(), CircleSelect::kSmallestRadius);
    circle.wheel(100);
    EXPECT_EQ(circle.radius(), CircleSelect::kLargestRadius);
    circle.end();
    circle.start();
    EXPECT_EQ(circle.radius(), CircleSelect::kLargestRadius);

    circle.wheel(-9); // 53.7 pixels
    const PointerInput at = pointerAt(2, 1.5, 0);
    circle.move(at);
    QImage canvas(400, 300, QImage::Format_RGB32);
    canvas.fill(Qt::black);
    circle.drawOverlay(canvas);
    const int32_t cx = twipToPixel(double(at.x)), cy = twipToPixel(double(at.y));
    int32_t reach = 0;
    while (cx + reach < canvas.width() && rgbOf(canvas.pixel(cx + reach, cy)) != rgbOf(kRubberBand))
        ++reach;
    EXPECT_NEAR(reach, circle.radius(), 1);
}

} // namespace
} // namespace vw::test
