// The pane window with real Qt events: layout, tabs, pointer and key hand-over, timer, close.

#include "app/frm_panes.h"
#include "pane_test_support.h"
#include "preview/preview_panel.h"
#include "views/pane_colours.h"
#include "views/pane_surface.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using pane_test::partOf;
using pane_test::segmentOf;
using pane_test::vertexAt;

struct Recorded {
    char kind;
    vw::PointerInput input;
};

class RecordingInput : public vw::PaneInput {
public:
    void press(const vw::PointerInput& input) override { events.push_back({'p', input}); }
    void move(const vw::PointerInput& input) override { events.push_back({'m', input}); }
    void release(const vw::PointerInput& input) override { events.push_back({'r', input}); }
    void keyPress(uint16_t keyAscii) override { keys.push_back(keyAscii); }
    std::vector<Recorded> events;
    std::vector<uint16_t> keys;
};

// A window of 408 x 328 pixels: the surface is 400 x 300 pixels (6000 x 4500 twips) at (4, 24).
class PaneWindow : public testing::Test {
protected:
    void SetUp() override {
        model.Parts.push_back(
            partOf({segmentOf({vertexAt(0, 0), vertexAt(2, 0), vertexAt(1, 1)}, {0, 1, 2})}));
        window.resize(408, 328);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        window.Init_Ebo();
        window.pane().setInput(&input);
    }
    void TearDown() override { window.pane().setInput(nullptr); }

    QImage onScreen() { return window.picMain->grab().toImage(); }

    vw::Model model;
    frmPanes window{model};
    RecordingInput input;
};

TEST_F(PaneWindow, TabsSurfaceAndCanvasesAreLaidOut) {
    ASSERT_EQ(window.tabAxes->count(), 5);
    const char* captions[] = {"XY Plane", "YZ Plane", "XZ Plane", "UV Mapping", "Preview"};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(window.tabAxes->tabText(i), captions[i]);
    EXPECT_EQ(window.tabAxes->geometry(), window.rect());
    EXPECT_EQ(window.picMain->geometry(), QRect(4, 24, 400, 300));
    EXPECT_EQ(window.pane().picMain.size(), QSize(400, 300));
    EXPECT_EQ(window.tmeRefresher->interval(), 10);
    EXPECT_TRUE(window.tmeRefresher->isActive());
}

TEST_F(PaneWindow, ModelOriginShowsInTheMiddleOfTheSurface) {
    EXPECT_EQ(window.pane().toPaneX(0), 3000);
    EXPECT_EQ(window.pane().toPaneY(0), 2250);
    const QImage screen = onScreen();
    EXPECT_EQ(screen.pixel(199, 149), qRgb(240, 240, 240));
    EXPECT_EQ(screen.pixel(198, 148), qRgb(240, 0, 0));
    EXPECT_EQ(screen.pixel(201, 151), qRgb(240, 0, 0));
    EXPECT_EQ(screen.pixel(197, 148), vw::kBackGround);
}

TEST_F(PaneWindow, ResizingKeepsEveryVertexWhereItWas) {
    window.resize(700, 520);
    QApplication::processEvents();
    EXPECT_EQ(window.picMain->geometry(), QRect(4, 24, 692, 492));
    EXPECT_EQ(window.pane().picMain.size(), QSize(692, 492));
    const QImage screen = onScreen();
    EXPECT_EQ(screen.pixel(199, 149), qRgb(240, 240, 240));
    EXPECT_EQ(screen.pixel(213, 149), qRgb(240, 240, 240)); // the mark of (2, 0)
    window.resize(300, 200);
    QApplication::processEvents();
    EXPECT_EQ(window.pane().picMain.size(), QSize(292, 172));
    EXPECT_EQ(onScreen().pixel(199, 149), qRgb(240, 240, 240));
}

TEST_F(PaneWindow, PointerEventsArriveAsMasksAndTwips) {
    QTest::mousePress(window.picMain, Qt::LeftButton, Qt::ShiftModifier, QPoint(10, 20));
    QMouseEvent drag(QEvent::MouseMove, QPointF(12, 25),
                     window.picMain->mapToGlobal(QPointF(12, 25)), Qt::NoButton,
                     Qt::LeftButton | Qt::RightButton, Qt::ControlModifier | Qt::AltModifier);
    QApplication::sendEvent(window.picMain, &drag);
    QTest::mouseRelease(window.picMain, Qt::LeftButton, Qt::NoModifier, QPoint(12, 25));
    QTest::mouseClick(window.picMain, Qt::MiddleButton, Qt::NoModifier, QPoint(1, 2));

    ASSERT_EQ(input.events.size(), 5u);
    const Recorded& press = input.events[0];
    EXPECT_EQ(press.kind, 'p');
    EXPECT_EQ(press.input.buttons, 1);
    EXPECT_EQ(press.input.modifiers, 1);
    EXPECT_EQ(press.input.x, 150);
    EXPECT_EQ(press.input.y, 300);
    const Recorded& move = input.events[1];
    EXPECT_EQ(move.kind, 'm');
    EXPECT_EQ(move.input.buttons, 3);
    EXPECT_EQ(move.input.modifiers, 6);
    EXPECT_EQ(move.input.x, 180);
    EXPECT_EQ(move.input.y, 375);
    EXPECT_EQ(input.events[2].kind, 'r');
    EXPECT_EQ(input.events[2].input.buttons, 1);
    EXPECT_EQ(input.events[3].input.buttons, 4);
    EXPECT_EQ(input.events[4].kind, 'r');
}

TEST_F(PaneWindow, KeysOfTheSurfaceAndTheTabStripReachTheKeyHandler) {
    QTest::keyClick(window.picMain, 'c');
    QTest::keyClick(window.tabAxes, 'R');
    QTest::keyClick(window.tabAxes, Qt::Key_Right); // no character: not handed on
    QTest::keyClick(&window, 'z');
    EXPECT_EQ(input.keys, (std::vector<uint16_t>{'c', 'R', 'z'})); // each exactly once
}

TEST_F(PaneWindow, ClickingATabDrawsItsView) {
    QTest::mouseClick(window.tabAxes, Qt::LeftButton, Qt::NoModifier,
                      window.tabAxes->tabRect(4).center());
    EXPECT_EQ(window.pane().selectedTab(), 5);
    EXPECT_EQ(onScreen().pixel(199, 149), vw::kMainGround);

    QTest::mouseClick(window.tabAxes, Qt::LeftButton, Qt::NoModifier,
                      window.tabAxes->tabRect(0).center());
    EXPECT_EQ(window.pane().selectedTab(), 1);
    EXPECT_EQ(onScreen().pixel(199, 149), qRgb(240, 240, 240));

    // Clicking the selected tab again redraws it.
    window.pane().picMain.fill(qRgb(1, 2, 3));
    QTest::mouseClick(window.tabAxes, Qt::LeftButton, Qt::NoModifier,
                      window.tabAxes->tabRect(0).center());
    EXPECT_EQ(window.pane().picMain.pixel(199, 149), qRgb(240, 240, 240));
}

TEST_F(PaneWindow, ThePreviewTabShowsThePreviewInPlaceOfTheSurface) {
    EXPECT_FALSE(window.preview->isVisible());
    QTest::mouseClick(window.tabAxes, Qt::LeftButton, Qt::NoModifier,
                      window.tabAxes->tabRect(4).center());
    EXPECT_TRUE(window.preview->isVisible());
    EXPECT_FALSE(window.picMain->isVisible());
    EXPECT_EQ(window.preview->geometry(), window.picMain->geometry());
    // The offscreen platform has no OpenGL: one line says so, and no GL view is made.
    EXPECT_EQ(window.preview->view(), nullptr);
    ASSERT_NE(window.preview->notice(), nullptr);
    EXPECT_TRUE(window.preview->notice()->isVisible());
    // Fitting has no camera to move there, and no plane view to change.
    const vw::ViewParams xy = window.pane().views[0];
    window.fitModel();
    window.fitSelection();
    EXPECT_EQ(window.pane().views[0], xy);
    // Tool letters still choose tools there.
    QTest::keyClick(window.preview->notice(), 'v');
    EXPECT_EQ(input.keys, (std::vector<uint16_t>{'v'}));

    QTest::mouseClick(window.tabAxes, Qt::LeftButton, Qt::NoModifier,
                      window.tabAxes->tabRect(1).center());
    EXPECT_FALSE(window.preview->isVisible());
    EXPECT_TRUE(window.picMain->isVisible());
}

TEST_F(PaneWindow, TheTimerShowsChangesByItself) {
    window.pane().isChanged = true;
    window.pane().views[0].originX += 300; // 20 pixels to the right
    QTest::qWait(60);
    EXPECT_EQ(onScreen().pixel(219, 149), qRgb(240, 240, 240));
}

TEST_F(PaneWindow, ClosingTellsTheMainWindow) {
    QSignalSpy unloaded(&window, &frmPanes::unloaded);
    window.close();
    EXPECT_EQ(unloaded.count(), 1);
}

} // namespace
