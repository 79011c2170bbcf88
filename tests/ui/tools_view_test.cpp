// The Pan and Zoom tools: each tab's own view, zoom clicks about the clicked point, drag fits.

#include "tools/view_navigation.h"
#include "tools_fixture.h"
#include "views/pane.h"

#include <QCoreApplication>
#include <QWheelEvent>

namespace vw::test {
namespace {

const std::vector<PartPoints> kModel = {
    {{{1, 1, 2, 0.5f, 0.5f}, {-1, 0, 0, 0, 0}, {0, -1, 0, 1, 1}}}};

class ViewTools : public ToolsTest {
protected:
    void SetUp() override {
        loadModel(kModel);
        middle = QPoint(pane().surfaceWidth() / 2, pane().surfaceHeight() / 2);
    }
    ViewParams view(int tab) { return pane().views[size_t(tab - 1)]; }
    static void expectSame(const ViewParams& a, const ViewParams& b) {
        EXPECT_EQ(a.zoom, b.zoom);
        EXPECT_EQ(a.originX, b.originX);
        EXPECT_EQ(a.originY, b.originY);
    }
    QPoint middle; // of the surface, in pane units
};

TEST_F(ViewTools, PanMovesOnlyTheCurrentTabsOriginWithTheLeftButton) {
    chooseTab(2);
    typeKey('a');
    const ViewParams before = view(2);
    moveTo(QPointF(50, 50), Qt::NoButton);
    EXPECT_EQ(frame().feedback.pointer(), PointerShape::OpenHand);
    drag(QPointF(50, 50), QPointF(70, 40));
    EXPECT_EQ(frame().feedback.pointer(), PointerShape::ClosedHand);
    EXPECT_EQ(view(2).originX, before.originX + 300);
    EXPECT_EQ(view(2).originY, before.originY - 150);
    EXPECT_EQ(view(2).zoom, before.zoom);
    expectSame(view(1), view(3));

    press(QPointF(10, 10), Qt::RightButton);
    moveTo(QPointF(90, 90), Qt::RightButton);
    release(QPointF(90, 90), Qt::RightButton);
    EXPECT_EQ(view(2).originX, before.originX + 300);

    chooseTab(1);
    chooseTab(2);
    EXPECT_EQ(view(2).originX, before.originX + 300);
}

// The wheel and the middle button move the view whatever the tool, and leave the tool alone.
TEST_F(ViewTools, TheWheelZoomsAboutThePointerAndTheMiddleButtonPansWithAnyTool) {
    typeKey('v');
    const QPointF at(40, 30);
    const float h = pane().toModelX(float(at.x() * 15)), v = pane().toModelY(float(at.y() * 15));
    QWheelEvent notch(at, surface()->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(surface(), &notch);
    EXPECT_FLOAT_EQ(view(1).zoom, 125);
    EXPECT_EQ(pane().toPaneX(h), qRound(at.x() * 15));
    EXPECT_EQ(pane().toPaneY(v), qRound(at.y() * 15));
    EXPECT_EQ(pane().toolMode, kToolMove);

    const ViewParams before = view(1);
    press(QPointF(50, 50), Qt::MiddleButton);
    moveTo(QPointF(60, 45), Qt::MiddleButton);
    release(QPointF(60, 45), Qt::MiddleButton);
    EXPECT_EQ(view(1).originX, before.originX + 150);
    EXPECT_EQ(view(1).originY, before.originY - 75);
    EXPECT_EQ(pane().toolMode, kToolMove);
}

TEST_F(ViewTools, FitModelAndFitSelectionShowTheirVerticesAndResetViewPutsTheStartBack) {
    const ViewParams start = view(1);
    fitModel(pane());
    for (const Vertex& vertex : model.curData[0].verts) {
        const int32_t x = pane().toPaneX(vertex.x), y = pane().toPaneY(vertex.y);
        EXPECT_TRUE(x >= 0 && x <= pane().surfaceWidth() && y >= 0 && y <= pane().surfaceHeight());
    }
    EXPECT_GT(view(1).zoom, start.zoom);
    click(pixelAt(1, 1));
    fitSelection(pane()); // one vertex: centred, zoom kept
    EXPECT_EQ(pane().toPaneX(1), pane().surfaceWidth() / 2);
    panViewBy(pane(), 1e6f, 0);
    EXPECT_FALSE(workingDataInView(pane()));
    resetCurrentView(pane());
    expectSame(view(1), start);
    EXPECT_TRUE(workingDataInView(pane()));
}

TEST_F(ViewTools, PanAsksForARedrawEvenWithoutMoving) {
    typeKey('A');
    press(QPointF(30, 30));
    pane().isChanged = false;
    moveTo(QPointF(30, 30));
    EXPECT_TRUE(pane().isChanged);
    release(QPointF(30, 30));
}

TEST_F(ViewTools, PanKeepsTheUnroundedStepAndRoundsTheNewOrigin) {
    typeKey('a');
    const ViewParams before = view(1);
    press(QPointF(20, 20));
    moveTo(QPointF(20.5, 20.1)); // 7.5 and 1.5 twips
    EXPECT_EQ(view(1).originX, before.originX + 8);
    EXPECT_EQ(view(1).originY, before.originY + 2);
    EXPECT_EQ(pane().downX, 308);
    EXPECT_EQ(pane().downY, 302);
    release(QPointF(20.5, 20.1));
}

TEST_F(ViewTools, AZoomClickStepsByAQuarterAndBringsTheClickedPointToTheMiddle) {
    typeKey('z');
    click(pixelAt(1, 1));
    EXPECT_FLOAT_EQ(view(1).zoom, 125);
    EXPECT_FLOAT_EQ(pane().ZoomInc, 0.25f);
    EXPECT_EQ(pane().toPaneX(1), middle.x());
    EXPECT_EQ(pane().toPaneY(1), middle.y());
    tick();
    EXPECT_EQ(pixelColour(middle.x(), middle.y()), qRgb(240, 240, 240) & RGB_MASK);

    click(pixelAt(-1, 0), Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_FLOAT_EQ(view(1).zoom, 93.75f);
    EXPECT_FLOAT_EQ(pane().ZoomInc, -0.25f);
    EXPECT_EQ(pane().toPaneX(-1), middle.x());
    EXPECT_EQ(pane().toPaneY(0), middle.y());
    expectSame(view(2), view(3));
}

TEST_F(ViewTools, TheZoomPointerShowsInOrOutAndEveryMoveAsksForARedraw) {
    typeKey('z');
    pane().isChanged = false;
    moveTo(QPointF(40, 40), Qt::NoButton);
    EXPECT_EQ(frame().feedback.pointer(), PointerShape::ZoomIn);
    EXPECT_TRUE(pane().isChanged);
    moveTo(QPointF(41, 40), Qt::NoButton, Qt::ShiftModifier);
    EXPECT_EQ(frame().feedback.pointer(), PointerShape::ZoomOut);
    moveTo(QPointF(42, 40), Qt::NoButton, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_EQ(frame().feedback.pointer(), PointerShape::ZoomIn);
}

TEST_F(ViewTools, ARightButtonZoomChangesNothing) {
    typeKey('z');
    const ViewParams before = view(1);
    click(pixelAt(1, 1), Qt::RightButton);
    press(QPointF(10, 10), Qt::RightButton);
    moveTo(QPointF(90, 60), Qt::RightButton);
    release(QPointF(90, 60), Qt::RightButton);
    expectSame(view(1), before);
}

TEST_F(ViewTools, AZoomDragFitsTheLargerRelativeSideWithOrWithoutShift) {
    typeKey('z');
    const ViewParams start = view(1);
    // 2 x 0.5 model units: relatively wider than the 5880 x 4080 pane, so the width fits.
    press(pixelAt(-1, -0.5f));
    moveTo(pixelAt(1, 0));
    tick();
    EXPECT_EQ(pixelColour(pane().toPaneX(-1), pane().toPaneY(-0.5f)),
              qRgb(180, 180, 180) & RGB_MASK);
    release(pixelAt(1, 0));
    EXPECT_FLOAT_EQ(view(1).zoom, 100 / (200 / 5880.0f));
    EXPECT_EQ(pane().toPaneX(0), middle.x());
    EXPECT_EQ(pane().toPaneX(-1), 0);

    pane().views[0] = start;
    drag(pixelAt(-1, -0.5f), pixelAt(1, 0), Qt::ShiftModifier);
    EXPECT_FLOAT_EQ(view(1).zoom, 100 / (200 / 5880.0f));
}

TEST_F(ViewTools, AZoomDragBeyondThePaneZoomsOut) {
    typeKey('z');
    drag(QPointF(10, 10), QPointF(800, 20));
    EXPECT_LT(view(1).zoom, 100);
    EXPECT_GT(view(1).zoom, 0);
}

TEST_F(ViewTools, EachTabKeepsItsOwnView) {
    typeKey('z');
    chooseTab(4);
    const ViewParams uv = view(4);
    click(pixelAt(0.5f, 0.5f));
    EXPECT_FLOAT_EQ(view(4).zoom, uv.zoom * 1.25f);
    chooseTab(3);
    click(pixelAt(0, 0), Qt::LeftButton, Qt::ShiftModifier);
    chooseTab(1);
    EXPECT_FLOAT_EQ(view(1).zoom, 100);
    EXPECT_FLOAT_EQ(view(3).zoom, 75);
    EXPECT_FLOAT_EQ(view(4).zoom, uv.zoom * 1.25f);
}

TEST_F(ViewTools, OnThePreviewTabNeitherToolActs) {
    const std::array<ViewParams, 4> before = pane().views;
    chooseTab(5);
    for (char tool : {'z', 'a'}) {
        typeKey(tool);
        click(QPointF(50, 50));
        drag(QPointF(10, 10), QPointF(100, 80));
    }
    for (int tab = 1; tab <= 4; ++tab)
        expectSame(view(tab), before[size_t(tab - 1)]);
}

} // namespace
} // namespace vw::test
