// The palette docked in the main window, following the pane, and the rotate angle in the first
// panel of the status bar, which a notice leaves in view.

#include "fake_settings.h"
#include "open_model_support.h"
#include "panels/frm_parts.h"
#include "panels/frm_vertices.h"
#include "tools/frm_tools.h"
#include "tools/selection.h"
#include "tools_fixture.h"
#include "views/pane_surface.h"

#include <QAction>
#include <QDockWidget>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMdiSubWindow>
#include <QMenu>
#include <QTest>

#include <gtest/gtest.h>

#include <bit>

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
    EXPECT_GT(pane.SelCount(), 0);
    EXPECT_EQ(panes->picMain->cursor().shape(), Qt::CrossCursor);
    EXPECT_EQ(enabledButtons(palette), std::vector<bool>(6, true));

    clickButton(palette, 6);
    EXPECT_EQ(pane.toolMode, kToolRotate);
    pane.tmeRefresher_Timer();
    // A notice just before the drag leaves the angle in view.
    main.mnuFileSave()->trigger();
    const std::vector<Segment> before = editor.model.curData;
    const RotateTool& rotate = currentToolAs<RotateTool>(panes->tools());
    const QPointF below = pixelOf(pane, rotate.centre().h, rotate.centre().v + 5);
    sendMouse(panes->picMain, QEvent::MouseButtonPress,
              pixelOf(pane, rotate.handle().h, rotate.handle().v), Qt::LeftButton, Qt::LeftButton);
    sendMouse(panes->picMain, QEvent::MouseMove, below, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(main.noticePanel()->text(), "Saved model.ebo");
    EXPECT_TRUE(main.statusPanel()->isVisible());
    EXPECT_TRUE(main.degreesPanel()->isVisible());
    EXPECT_EQ(main.statusPanel()->text(), "1.570796");
    sendMouse(panes->picMain, QEvent::MouseButtonRelease, below, Qt::LeftButton, Qt::NoButton);
    // The readout is over with the turn, and an undo does not bring it back.
    EXPECT_EQ(main.statusPanel()->text(), "");
    EXPECT_EQ(main.degreesPanel()->text(), "");
    main.mnuEditUndo()->trigger();
    EXPECT_EQ(main.statusPanel()->text(), "");
    EXPECT_EQ(main.degreesPanel()->text(), "");
    main.mnuEditRedo()->trigger();
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

// Symmetric across x = 0 but for the last vertex.
BuiltEbo symmetricModel() {
    SegmentPlan segment;
    segment.verts = {{-2, 1, 0.5f}, {-1, 2, -1}, {0, 3, 2}, {1, 2, -1}, {2, 1, 0.5f}, {3, 0, 0}};
    segment.strip = {0, 1, 2, 3, 4, 5};
    EboPlan plan;
    plan.parts = {PartPlan{{segment}}};
    return buildEbo(plan);
}

QAction* paletteAction(frmTools& palette, const QString& text) {
    for (QAction* action : palette.actions())
        if (action->text() == text)
            return action;
    return nullptr;
}

TEST(ToolsInMainWindow, MirrorXReachesTheDragTheNudgeTheSheetAndTransformAndSoftIsKept) {
    Editor editor;
    MemorySettings settings;
    frmMain& main = *editor.main;
    main.setSettings(&settings);
    editor.open(editor.put(symmetricModel(), "symmetric.ebo"));
    Pane& pane = main.panes()->pane();
    QWidget* surface = main.panes()->picMain;
    QTest::mouseClick(main.tools()->widgetForAction(paletteAction(*main.tools(), "Mirror X")),
                      Qt::LeftButton);
    std::vector<Vertex>& verts = editor.model.curData[0].verts;
    for (size_t i : {2, 3, 4, 5})
        verts[i].selected = -1;
    pane.session().select([](std::vector<Segment>&, int32_t) { return 4; });
    EXPECT_EQ(main.mirrorPanel()->text(), "1 selected vertex has no mirror partner");
    // Edit > Symmetry > Tolerance...: wide enough, the odd vertex finds a partner; kept.
    QAction* tolerance = nullptr;
    for (QAction* item : main.action(QStringLiteral("S&ymmetry"))->menu()->actions())
        if (item->text() == QStringLiteral("&Tolerance..."))
            tolerance = item;
    ASSERT_NE(tolerance, nullptr);
    editor.prompts.distanceAnswer = 100;
    tolerance->trigger();
    EXPECT_EQ(main.mirrorPanel()->text(), "");
    EXPECT_EQ(settings.text("mirrorTolerance"), "100");
    editor.prompts.distanceAnswer = std::nullopt; // cancelled: as it was
    tolerance->trigger();
    EXPECT_EQ(pane.session().aids().options().mirrorTolerance, 100.0f);
    editor.prompts.distanceAnswer = kCoincidentTolerance;
    tolerance->trigger();
    EXPECT_EQ(main.mirrorPanel()->text(), "1 selected vertex has no mirror partner");

    const std::vector<Vertex>& saved = editor.model.Parts[0].segments[0].verts;
    auto expectMirrored = [&](size_t steps) {
        for (auto [left, right] : {std::pair{0, 4}, std::pair{1, 3}}) {
            EXPECT_EQ(std::bit_cast<uint32_t>(saved[left].x),
                      std::bit_cast<uint32_t>(-saved[right].x));
            EXPECT_EQ(saved[left].y, saved[right].y);
            EXPECT_EQ(saved[left].z, saved[right].z);
        }
        EXPECT_EQ(saved[2].x, 0.0f);
        EXPECT_EQ(main.document().stepCount(), steps);
    };
    QTest::keyClick(surface, 'v');
    drag(surface, pixelOf(pane, verts[3].x, verts[3].y), pixelOf(pane, 1.5f, 2.5f));
    EXPECT_NE(saved[3].x, 1.0f);
    expectMirrored(1);
    QTest::keyClick(surface, Qt::Key_Right);
    expectMirrored(2);
    main.vertices()->applySheetChange("X", 1.5f);
    EXPECT_EQ(saved[1].x, -1.5f);
    expectMirrored(3);
    ExactTransform turn;
    turn.kind = ExactTransform::Kind::Rotate;
    turn.degrees = 30;
    turn.aboutOrigin = true;
    editor.prompts.transformAnswer = turn;
    main.mnuEditTransform_Click();
    expectMirrored(4);

    // Soft selection: O, the radius sized by the wheel during a drag, kept with the settings.
    editor.activate();
    QTest::keyClick(surface, Qt::Key_O);
    EXPECT_TRUE(main.aidOptions().soft);
    const QPointF from = pixelOf(pane, verts[3].x, verts[3].y);
    sendMouse(surface, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    sendMouse(surface, QEvent::MouseMove, from + QPointF(4, 0), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(pane.softCircleRadius, 1.0f);
    pane.picMain_Wheel({kLeftButton, 0, float(from.x() * 15), float(from.y() * 15)}, 1);
    EXPECT_EQ(pane.softCircleRadius, 1.25f);
    EXPECT_TRUE(main.panes()->tools().isDragging());
    sendMouse(surface, QEvent::MouseButtonRelease, from + QPointF(4, 0), Qt::LeftButton,
              Qt::NoButton);
    EXPECT_EQ(pane.softCircleRadius, 0.0f);
    EXPECT_EQ(settings.text("softRadius"), "1.25");
    settings.values["softRadius"] = "0.5";
    main.setSettings(&settings);
    EXPECT_EQ(pane.session().aids().options().softRadius, 0.5);
}

} // namespace
} // namespace vw::test
