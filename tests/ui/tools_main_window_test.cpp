// The palette docked in the main window, following the pane, and the rotate angle in the first
// panel of the status bar, which a notice leaves in view.

#include "open_model_support.h"
#include "panels/frm_parts.h"
#include "panels/frm_vertices.h"
#include "tools/frm_tools.h"
#include "tools_fixture.h"
#include "views/pane_surface.h"

#include <QAction>
#include <QDockWidget>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMdiSubWindow>
#include <QTest>

#include <gtest/gtest.h>

namespace vw::test {
namespace {

std::vector<bool> enabledButtons(const frmTools& palette) {
    std::vector<bool> result;
    for (int position = 1; position <= 6; ++position)
        result.push_back(palette.button(position)->isEnabled());
    return result;
}

void clickButton(frmTools& palette, int position) {
    QTest::mouseClick(palette.widgetForAction(palette.button(position)), Qt::LeftButton);
}

QPointF pixelOf(Pane& pane, float h, float v) {
    return {pane.toPaneX(h) / 15.0, pane.toPaneY(v) / 15.0};
}

void drag(QWidget* surface, QPointF from, QPointF to) {
    sendMouse(surface, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    sendMouse(surface, QEvent::MouseMove, (from + to) / 2, Qt::NoButton, Qt::LeftButton);
    sendMouse(surface, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    sendMouse(surface, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
}

TEST(ToolsInMainWindow, ThePaletteFollowsEachPaneAndTheAngleShowsInTheStatusBar) {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    Editor editor;
    frmMain& main = *editor.main;
    frmTools& palette = *main.tools();
    auto* dock = qobject_cast<QDockWidget*>(palette.parentWidget());
    ASSERT_NE(dock, nullptr);
    EXPECT_EQ(dock->objectName(), "frmTools");
    EXPECT_TRUE(palette.isVisible());

    editor.open(editor.put(twoPartModel(), "model.ebo"));
    frmPanes* panes = main.panes();
    ASSERT_NE(panes, nullptr);
    Pane& pane = panes->pane();
    EXPECT_TRUE(palette.button(1)->isChecked());
    EXPECT_EQ(enabledButtons(palette), (std::vector<bool>{true, false, true, true, false, false}));
    // The hint to fit the model shows exactly while the working data is out of view.
    EXPECT_EQ(main.zoomPanel()->text(), "Zoom 100%");
    ViewParams away = pane.currentView();
    away.originX += 1000000;
    pane.setCurrentView(away);
    EXPECT_EQ(main.zoomPanel()->text(), "Zoom 100%  Home: fit model");
    main.action("Fit Model")->trigger();
    EXPECT_FALSE(main.zoomPanel()->text().contains("Home"));

    const QSize size = panes->picMain->size();
    drag(panes->picMain, QPointF(1, 1), QPointF(size.width() - 2, size.height() - 2));
    EXPECT_GT(pane.SelCount, 0);
    EXPECT_EQ(panes->picMain->cursor().shape(), Qt::CrossCursor);
    EXPECT_EQ(enabledButtons(palette), std::vector<bool>(6, true));

    clickButton(palette, 6);
    EXPECT_EQ(pane.toolMode, kToolRotate);
    pane.tmeRefresher_Timer();
    // A notice just before the drag leaves the angle in view.
    main.mnuFileSave()->trigger();
    const std::vector<Segment> before = editor.model.curData;
    drag(panes->picMain, pixelOf(pane, pane.rotHandleH, pane.rotHandleV),
         pixelOf(pane, pane.rotCenterH, pane.rotCenterV + 5));
    EXPECT_EQ(main.noticePanel()->text(), "Saved model.ebo");
    EXPECT_TRUE(main.statusPanel()->isVisible());
    EXPECT_TRUE(main.degreesPanel()->isVisible());
    EXPECT_EQ(main.statusPanel()->text(), "1.570796");
    EXPECT_NE(editor.model.Parts[0].segments[0].verts[0].x, before[0].verts[0].x);

    QTest::keyClick(panes->picMain, 'v');
    EXPECT_TRUE(palette.button(2)->isChecked());
    sendMouse(panes->picMain, QEvent::MouseMove, QPointF(5, 5), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(panes->picMain->cursor().shape(), Qt::BitmapCursor);
    EXPECT_FALSE(main.positionPanel()->text().isEmpty());
    panes->tabAxes->setCurrentIndex(kTabPreview - 1);
    EXPECT_TRUE(main.positionPanel()->text().isEmpty()) << "the Preview has no plane position";
    panes->tabAxes->setCurrentIndex(kTabXY - 1);

    // A new pane after the old one closed drives the palette in its turn.
    editor.prompts.saveAnswer = PromptAnswer::Discard;
    main.paneWindow()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(enabledButtons(palette), std::vector<bool>(6, false)) << "no model, no tool";
    editor.open(editor.put(twoPartModel(1), "other.ebo"));
    ASSERT_NE(main.panes(), nullptr);
    EXPECT_TRUE(palette.button(1)->isChecked());
    clickButton(palette, 4);
    EXPECT_EQ(main.panes()->pane().toolMode, kToolZoom);

    // Tool letters work from the tree and the palette too, never inside a text field.
    const int32_t workingSeg = editor.model.curSeg;
    QTest::keyClick(main.parts()->tvwParts, 's');
    EXPECT_EQ(main.panes()->pane().toolMode, kToolSelect);
    EXPECT_EQ(editor.model.curSeg, workingSeg); // not taken as a search for "Seg"
    QTest::keyClick(palette.widgetForAction(palette.button(3)), 'R');
    EXPECT_EQ(main.panes()->pane().toolMode, kToolRotate);
    EXPECT_TRUE(palette.button(6)->isChecked());
    QTest::keyClick(main.vertices()->propSheet->lineEdit("X"), 'a');
    EXPECT_EQ(main.panes()->pane().toolMode, kToolRotate);
    QLocale::setDefault(QLocale::system());
}

} // namespace
} // namespace vw::test
