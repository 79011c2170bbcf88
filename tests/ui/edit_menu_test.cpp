// The editor's history as a user meets it: the Edit menu, the modified mark, the question
// before unsaved changes are set aside, one working copy per editor, and edits a file could
// not keep refused when they are made.

#include "app/working_copy.h"
#include "dialogs/transform_dialog.h"
#include "fake_settings.h"
#include "open_model_support.h"
#include "panels/frm_vertices.h"
#include "support/temp_dir.h"
#include "tools/selection.h"
#include "tools_fixture.h"
#include "views/pane_surface.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>

namespace {

using vw::PromptAnswer;
using vw::test::Editor;
using vw::test::loadedFrom;
using vw::test::twoPartModel;

// Sets x of the first working vertex through the sheet, answering Yes.
void setFirstX(frmMain& main, float x) {
    main.model().curData[0].verts[0].selected = -1;
    main.vertices()->applySheetChange("X", x);
}

// A delta model of four parts of three vertices each.
vw::test::EboPlan threeVertexDelta() {
    vw::test::EboPlan delta;
    delta.modelFormat = 0;
    for (auto& part : delta.deltaParts)
        part = vw::test::simpleDeltaPart(3);
    return delta;
}

float savedFirstX(const std::string& path) {
    return loadedFrom(path).Parts[0].segments[0].verts[0].x;
}

TEST(EditMenu, UndoRedoAndSaveKeepTheModifiedMarkAndTheLabelsRight) {
    Editor editor;
    const std::string path = editor.put(twoPartModel(), "history2.ebo");
    editor.open(path);
    frmMain& main = *editor.main;
    EXPECT_FALSE(main.paneWindow()->isWindowModified());
    EXPECT_FALSE(main.mnuEditUndo()->isEnabled());

    setFirstX(main, 2.5f);
    EXPECT_TRUE(main.paneWindow()->isWindowModified());
    EXPECT_EQ(main.mnuEditUndo()->text(), "&Undo Set X of 1 Vertex");
    EXPECT_FALSE(main.mnuEditRedo()->isEnabled());

    main.mnuEditUndo()->trigger();
    EXPECT_FALSE(main.paneWindow()->isWindowModified()); // back at the saved state
    EXPECT_NE(main.model().Parts[0].segments[0].verts[0].x, 2.5f);
    EXPECT_EQ(main.mnuEditRedo()->text(), "&Redo Set X of 1 Vertex");

    main.mnuEditRedo()->trigger();
    EXPECT_TRUE(main.paneWindow()->isWindowModified());
    EXPECT_TRUE(main.mnuFileSave_Click());
    EXPECT_FALSE(main.paneWindow()->isWindowModified());
    EXPECT_EQ(main.noticePanel()->text(), "Saved history2.ebo");
    EXPECT_EQ(savedFirstX(path), 2.5f);

    main.mnuEditUndo()->trigger(); // the saved state is the one with the edit now
    EXPECT_TRUE(main.paneWindow()->isWindowModified());
    editor.open(path);
    EXPECT_FALSE(main.mnuEditUndo()->isEnabled()); // opening a model empties the history
}

struct AnswerCase {
    const char* name;
    PromptAnswer answer;
    bool saveFails;
    bool closes;
    bool saved;
};

class UnsavedChanges : public testing::TestWithParam<AnswerCase> {};

TEST_P(UnsavedChanges, ClosingThePaneAsksAndDoesWhatTheAnswerSays) {
    const AnswerCase& c = GetParam();
    Editor editor;
    const std::string path = editor.put(twoPartModel(), "unsaved2.ebo");
    editor.open(path);
    const float original = savedFirstX(path);
    setFirstX(*editor.main, 7.5f);
    editor.prompts.messages.clear();
    editor.prompts.saveAnswer = c.answer;
    if (c.saveFails)
        std::filesystem::remove_all(std::filesystem::path(path).parent_path());

    editor.main->paneWindow()->close();
    ASSERT_GE(editor.prompts.messages.size(), 1u);
    EXPECT_EQ(editor.prompts.messages[0].text, "Save changes to unsaved2.ebo?");
    EXPECT_EQ(editor.prompts.messages[0].buttons, vw::PromptButtons::SaveDiscardCancel);
    EXPECT_EQ(editor.main->paneWindow() == nullptr, c.closes);
    if (!c.saveFails) {
        EXPECT_EQ(savedFirstX(path), c.saved ? 7.5f : original);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Answers, UnsavedChanges,
    testing::Values(AnswerCase{"Save", PromptAnswer::Save, false, true, true},
                    AnswerCase{"Discard", PromptAnswer::Discard, false, true, false},
                    AnswerCase{"Cancel", PromptAnswer::Cancel, false, false, false},
                    AnswerCase{"SaveFails", PromptAnswer::Save, true, false, false}),
    [](const testing::TestParamInfo<AnswerCase>& info) { return std::string(info.param.name); });

TEST(UnsavedChanges, OpenExitAndTheWindowsCloseButtonAskFirstAndCancelKeepsAll) {
    Editor editor;
    const std::string path = editor.put(twoPartModel(), "kept2.ebo");
    editor.open(path);
    setFirstX(*editor.main, 3.5f);
    editor.prompts.messages.clear();
    editor.prompts.fileAnswer = QString::fromStdString(editor.put(twoPartModel(1), "other2.ebo"));

    editor.main->mnuFileOpen_Click();
    editor.main->mnuFileExit_Click();
    EXPECT_FALSE(editor.main->close());
    ASSERT_EQ(editor.prompts.messages.size(), 3u);
    for (const auto& asked : editor.prompts.messages)
        EXPECT_EQ(asked.text, "Save changes to kept2.ebo?");
    EXPECT_TRUE(editor.prompts.files.empty()); // no open dialog after Cancel
    EXPECT_EQ(editor.model.modelPath, path);
    EXPECT_EQ(editor.model.Parts[0].segments[0].verts[0].x, 3.5f);

    editor.prompts.saveAnswer = PromptAnswer::Discard;
    editor.main->mnuFileOpen_Click();
    EXPECT_EQ(editor.model.modelPath, editor.prompts.fileAnswer.toStdString());
}

TEST(SaveAs, WritesTheEditsToTheNewFileEditsItFromThenOnAndHeadsTheRecentFiles) {
    Editor editor;
    vw::test::MemorySettings settings;
    editor.main->setSettings(&settings);
    const std::string path = editor.put(twoPartModel(), "first2.ebo");
    editor.open(path);
    const std::vector<uint8_t> original = vw::test::readBytes(path);
    setFirstX(*editor.main, 6.25f);
    const std::string copy = (std::filesystem::path(path).parent_path() / "second2.ebo").string();
    editor.prompts.saveFileAnswer = QString::fromStdString(copy);

    EXPECT_TRUE(editor.main->mnuFileSaveAs_Click());
    EXPECT_EQ(editor.prompts.files.back().start.toStdString(), path);
    EXPECT_EQ(savedFirstX(copy), 6.25f);
    EXPECT_EQ(vw::test::readBytes(path), original);
    EXPECT_EQ(editor.model.modelPath, copy);
    EXPECT_EQ(editor.main->paneWindow()->windowTitle().toStdString(), copy + "[*]");
    EXPECT_FALSE(editor.main->paneWindow()->isWindowModified());
    setFirstX(*editor.main, 7.25f);
    EXPECT_TRUE(editor.main->mnuFileSave_Click());
    EXPECT_EQ(savedFirstX(copy), 7.25f);
    EXPECT_EQ(vw::test::readBytes(path), original);

    QMenu* recent = editor.main->recentFilesMenu();
    ASSERT_EQ(recent->actions().size(), 2);
    EXPECT_EQ(recent->actions()[0]->text().toStdString(), copy);
    EXPECT_EQ(recent->actions()[1]->text().toStdString(), path);
    std::filesystem::remove(path);
    editor.main->setSettings(&settings);
    EXPECT_FALSE(recent->actions()[1]->isEnabled()); // gone: greyed

    editor.prompts.fileAnswer.clear();
    editor.main->mnuFileOpen_Click(); // starts in the model's folder
    EXPECT_EQ(editor.prompts.files.back().start.toStdString(),
              std::filesystem::path(copy).parent_path().string());
}

TEST(RecentFiles, AModelOpenedByARelativePathIsListedAbsoluteAndOpensFromAnotherFolder) {
    Editor editor;
    vw::test::MemorySettings settings;
    editor.main->setSettings(&settings);
    const QFileInfo model(QString::fromStdString(editor.put(twoPartModel(), "relative2.ebo")));
    const QString startFolder = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(model.absolutePath()));
    editor.open("relative2.ebo");
    ASSERT_TRUE(QDir::setCurrent(QDir::rootPath()));

    editor.main->setSettings(&settings); // as the next run shows the list
    QMenu* recent = editor.main->recentFilesMenu();
    ASSERT_EQ(recent->actions().size(), 1);
    EXPECT_EQ(recent->actions()[0]->text(), model.absoluteFilePath());
    EXPECT_TRUE(recent->actions()[0]->isEnabled());
    editor.main->paneWindow()->close();
    recent->actions()[0]->trigger();
    EXPECT_NE(editor.main->panes(), nullptr);
    QDir::setCurrent(startFolder);
}

TEST(SaveAs, ADeltaModelAsksBeforeItsNewNameLooksForOtherCompanionFiles) {
    Editor editor;
    vw::test::EboPlan delta = threeVertexDelta();
    const std::string path = editor.put(vw::test::buildEbo(delta), "head2.ebo");
    editor.open(path);
    const std::string renamed = (std::filesystem::path(path).parent_path() / "head3.ebo").string();
    editor.prompts.saveFileAnswer = QString::fromStdString(renamed);
    editor.prompts.yesNoAnswer = PromptAnswer::No;
    editor.prompts.messages.clear();

    EXPECT_FALSE(editor.main->mnuFileSaveAs_Click());
    ASSERT_EQ(editor.prompts.messages.size(), 1u);
    EXPECT_NE(editor.prompts.messages[0].text.indexOf("base_lod3.ebo"), -1);
    EXPECT_FALSE(std::filesystem::exists(renamed));
    EXPECT_EQ(editor.model.modelPath, path);
}

TEST(EditMenu, TransformAndObjImportAreOneStepEachAndTheStatusBarCountsTheSelection) {
    Editor editor;
    editor.open(editor.put(twoPartModel(), "commands2.ebo"));
    frmMain& main = *editor.main;
    const size_t count = editor.model.curData[0].verts.size();
    main.action("Select &All")->trigger();
    EXPECT_TRUE(main.selectionPanel()->text().startsWith(
        QStringLiteral("%1 of %1 selected  box ").arg(count)));
    // Two vertices are measured apart.
    vw::Pane& pane = main.panes()->pane();
    vw::selectNone(pane);
    std::vector<vw::Vertex>& verts = editor.model.curData[0].verts;
    verts[0].selected = verts[4].selected = -1;
    pane.session().selectCounted([](std::vector<vw::Segment>&) {});
    const double dx = double(verts[4].x) - verts[0].x, dy = double(verts[4].y) - verts[0].y;
    EXPECT_EQ(main.selectionPanel()->text(),
              QStringLiteral("2 of %1 selected  distance %2 (dx %3, dy %4, dz 0)")
                  .arg(count)
                  .arg(QLocale().toString(std::sqrt(dx * dx + dy * dy), 'g', 6),
                       QLocale().toString(dx, 'g', 6), QLocale().toString(dy, 'g', 6)));
    // Moving them apart measures them again.
    vw::ExactTransform apart;
    apart.kind = vw::ExactTransform::Kind::Scale;
    apart.amount = {3, 1, 1};
    editor.prompts.transformAnswer = apart;
    main.mnuEditTransform_Click();
    const double dx3 = double(verts[4].x) - verts[0].x;
    EXPECT_TRUE(main.selectionPanel()->text().contains(
        QStringLiteral("(dx %1,").arg(QLocale().toString(dx3, 'g', 6))))
        << main.selectionPanel()->text().toStdString();
    main.document().undo();
    main.action("Select &All")->trigger();
    const float x0 = editor.model.curData[0].verts[0].x;

    const std::string obj =
        (std::filesystem::path(editor.model.modelPath).parent_path() / "commands.obj").string();
    editor.prompts.saveFileAnswer = QString::fromStdString(obj);
    main.mnuFileExportObj_Click();
    ASSERT_TRUE(std::filesystem::exists(obj));

    vw::ExactTransform move;
    move.amount = {2, 0, 0};
    editor.prompts.transformAnswer = move;
    main.mnuEditTransform_Click();
    EXPECT_EQ(editor.model.Parts[0].segments[0].verts[0].x, x0 + 2);
    EXPECT_EQ(main.document().undoLabel(),
              QStringLiteral("Move %1 Vertices").arg(count).toStdString());

    editor.prompts.fileAnswer = QString::fromStdString(obj);
    main.mnuFileImportObj_Click();
    EXPECT_EQ(editor.model.Parts[0].segments[0].verts[0].x, x0);
    EXPECT_EQ(main.document().stepCount(), 2u);
    main.document().undo();
    EXPECT_EQ(editor.model.Parts[0].segments[0].verts[0].x, x0 + 2);

    // The import's label counts what it wrote, however few of those it changed.
    main.document().undo();
    main.action("Select &None")->trigger();
    editor.model.curData[0].verts[0].selected = -1;
    main.mnuEditTransform_Click();
    main.mnuFileImportObj_Click();
    EXPECT_EQ(editor.model.Parts[0].segments[0].verts[0].x, x0);
    EXPECT_EQ(main.document().undoLabel(),
              QStringLiteral("Import OBJ to %1 Vertices").arg(count).toStdString());
}

// Hiding is counted beside the selection and is no edit; the grid is kept in the settings and
// shows its spacing beside the zoom.
TEST(EditMenu, HidingIsCountedAndIsNoEditAndTheGridIsKeptBetweenRuns) {
    vw::test::MemorySettings settings;
    Editor editor;
    editor.main->setSettings(&settings);
    editor.open(editor.put(twoPartModel(), "aids.ebo"));
    editor.activate();
    frmMain& main = *editor.main;
    vw::Pane& pane = main.panes()->pane();
    const size_t count = editor.model.curData[0].verts.size();
    editor.model.curData[0].verts[0].selected = -1;
    pane.session().selectCounted([](std::vector<vw::Segment>&) {});
    QWidget* surface = main.panes()->picMain;
    surface->setFocus();
    QTest::keyClick(surface, Qt::Key_H);
    EXPECT_EQ(main.selectionPanel()->text(),
              QStringLiteral("0 of %1 selected, 1 hidden").arg(count));
    EXPECT_TRUE(main.document().isClean());

    main.action("Select &All")->trigger();
    EXPECT_TRUE(main.selectionPanel()->text().startsWith(
        QStringLiteral("%1 of %2 selected, 1 hidden  box").arg(count - 1).arg(count)));
    QTest::keyClick(surface, Qt::Key_H, Qt::AltModifier);
    EXPECT_TRUE(main.selectionPanel()->text().startsWith(
        QStringLiteral("%1 of %2 selected  box").arg(count - 1).arg(count)));

    main.action("&Grid")->trigger();
    EXPECT_TRUE(pane.gridShown());
    EXPECT_EQ(settings.values.value(QStringLiteral("viewGrid")), QStringLiteral("1"));
    EXPECT_TRUE(main.zoomPanel()->text().contains(
        QStringLiteral("Grid %1").arg(QLocale().toString(pane.gridSpacing(), 'g', 6))));
    Editor again;
    again.main->setSettings(&settings);
    again.open(again.put(twoPartModel(), "aids2.ebo"));
    EXPECT_TRUE(again.main->panes()->pane().gridShown());
}

// Each Transform opens as the last one chosen in the run left it.
TEST(EditMenu, TransformOpensWithTheLastModeAndValuesChosen) {
    vw::QtPrompts prompts;
    std::vector<vw::ExactTransform> shown;
    for (const bool accept : {true, false}) {
        QTimer::singleShot(0, [&shown, accept] {
            auto* dialog = qobject_cast<vw::TransformDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            shown.push_back(dialog->transform());
            dialog->kind->setCurrentIndex(2);
            dialog->degrees->setValue(30);
            QTest::keyClick(dialog, accept ? Qt::Key_Return : Qt::Key_Escape);
        });
        EXPECT_EQ(prompts.askTransform().has_value(), accept);
    }
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].kind, vw::ExactTransform::Kind::Move); // no change at first
    EXPECT_EQ(shown[1].kind, vw::ExactTransform::Kind::Rotate);
    EXPECT_EQ(shown[1].degrees, 30);
}

// Two editors started from one program folder, each with its own model: every save writes the
// saving editor's model, whichever saves first.
TEST(WorkingCopies, TwoEditorsInOneFolderEachSaveTheirOwnModel) {
    for (const bool firstSavesFirst : {true, false}) {
        SCOPED_TRACE(firstSavesFirst ? "first saves first" : "second saves first");
        vw::test::Workspace workspace;
        const QString folder = QString::fromStdString(workspace.folders.programDir.string());
        vw::WorkingCopyClaim firstClaim(folder), secondClaim(folder);
        EXPECT_TRUE(firstClaim.isShared());
        EXPECT_FALSE(secondClaim.isShared());
        vw::test::RecordingPrompts prompts;
        vw::Model firstModel, secondModel;
        frmMain first(firstModel, {workspace.folders.programDir, firstClaim.path().toStdString()},
                      prompts);
        frmMain second(secondModel,
                       {workspace.folders.programDir, secondClaim.path().toStdString()}, prompts);
        const std::string a = workspace.put(twoPartModel(0), "a2.ebo");
        const std::string b = workspace.put(twoPartModel(10), "b2.ebo");
        vw::openModel(first, QString::fromStdString(a));
        vw::openModel(second, QString::fromStdString(b));
        setFirstX(first, 1.25f);
        setFirstX(second, 9.75f);

        frmMain& earlier = firstSavesFirst ? first : second;
        frmMain& later = firstSavesFirst ? second : first;
        EXPECT_TRUE(earlier.mnuFileSave_Click());
        EXPECT_TRUE(later.mnuFileSave_Click());
        // Each file keeps its own other part: a save over the other editor's bytes would not.
        EXPECT_EQ(savedFirstX(a), 1.25f);
        EXPECT_EQ(loadedFrom(a).Parts[1],
                  loadedFrom(workspace.put(twoPartModel(0), "a0.ebo")).Parts[1]);
        EXPECT_EQ(savedFirstX(b), 9.75f);
        EXPECT_EQ(loadedFrom(b).Parts[1],
                  loadedFrom(workspace.put(twoPartModel(10), "b0.ebo")).Parts[1]);
    }
}

TEST(WorkingCopies, ASaveOverAWorkingCopyAnotherProgramChangedIsRefused) {
    Editor editor;
    const std::string path = editor.put(twoPartModel(), "guarded2.ebo");
    editor.open(path);
    const std::vector<uint8_t> original = vw::test::readBytes(path);
    // Another program puts other bytes where the working copy was.
    std::filesystem::copy_file(editor.put(twoPartModel(5), "other2.ebo"),
                               editor.workspace.folders.workingCopy,
                               std::filesystem::copy_options::overwrite_existing);
    setFirstX(*editor.main, 4.75f);
    editor.prompts.messages.clear();

    EXPECT_FALSE(editor.main->mnuFileSave_Click());
    ASSERT_EQ(editor.prompts.messages.size(), 1u);
    EXPECT_EQ(editor.prompts.messages[0].title, "Error");
    EXPECT_NE(editor.prompts.messages[0].text.indexOf("changed by another program"), -1);
    EXPECT_EQ(vw::test::readBytes(path), original);
    EXPECT_TRUE(editor.main->paneWindow()->isWindowModified());
}

TEST(WorkingCopies, AnOwnCopyGoesWithItsEditorAndOneLeftByACrashIsRemoved) {
    vw::test::TempDir dir;
    const QString folder = QString::fromStdString(dir.path().string());
    const std::filesystem::path leftOver = dir / "current-999999.tmp";
    { std::ofstream(leftOver) << "left by an editor that crashed"; }
    vw::WorkingCopyClaim first(folder);
    QString own;
    {
        vw::WorkingCopyClaim second(folder);
        own = second.path();
        std::ofstream(own.toStdString()) << "copy";
    }
    EXPECT_FALSE(std::filesystem::exists(own.toStdString()));
    EXPECT_FALSE(std::filesystem::exists(leftOver));
    EXPECT_TRUE(first.isShared());
}

// A version-6 file has no colour block; a delta model keeps texture coordinates and colours in
// its base mesh, which is never written.
TEST(Layouts, ItemsTheFileCannotHoldAreReadOnlyWithTheReason) {
    Editor editor;
    vw::test::EboPlan version6;
    version6.fileVersion = 6;
    version6.parts = {vw::test::PartPlan{{vw::test::gridSegment(2, 2)}}};
    editor.open(editor.put(vw::test::buildEbo(version6), "six2.ebo"));
    vw::PropertyGrid& sheet = *editor.main->vertices()->propSheet;
    for (const char* item : {"X", "Y", "Z", "U", "V"})
        EXPECT_FALSE(sheet.isReadOnly(item)) << item;
    EXPECT_TRUE(sheet.isReadOnly("Alpha"));
    EXPECT_TRUE(sheet.isReadOnly("Color"));
    EXPECT_FALSE(sheet.lineEdit("Alpha")->toolTip().isEmpty());

    vw::test::EboPlan delta = threeVertexDelta();
    editor.open(editor.put(vw::test::buildEbo(delta), "delta2.ebo"));
    for (const char* item : {"U", "V", "Alpha", "Color"})
        EXPECT_TRUE(sheet.isReadOnly(item)) << item;
    EXPECT_FALSE(sheet.isReadOnly("X"));

    editor.open(editor.put(twoPartModel(), "plain2.ebo"));
    EXPECT_FALSE(sheet.isReadOnly("Color"));
}

// The part's third vertex has slot 2, but the file's delta block holds two slots.
TEST(Layouts, AMoveADeltaFileCannotHoldIsRefusedAtOnceWithTheReason) {
    Editor editor;
    vw::test::EboPlan delta = threeVertexDelta();
    delta.deltaParts[0].deltas.resize(6);
    const std::string path = editor.put(vw::test::buildEbo(delta), "short2.ebo");
    editor.open(path);
    frmMain& main = *editor.main;
    main.model().curData[0].verts[2].selected = -1;
    const vw::Model before = main.model();
    editor.prompts.messages.clear();

    main.vertices()->applySheetChange("X", 4.0f);
    EXPECT_TRUE(editor.prompts.messages.empty()); // refused before the question
    EXPECT_EQ(main.model().Parts, before.Parts);
    EXPECT_NE(main.noticePanel()->text().indexOf("past the file's delta block"), -1);
    EXPECT_FALSE(main.document().canUndo());
}

// On the UV tab a delta model's texture coordinates cannot be saved: the tools leave them.
TEST(Layouts, DragsOnADeltaModelsUvTabMoveNothingAndSayWhy) {
    Editor editor;
    vw::test::EboPlan delta = threeVertexDelta();
    editor.open(editor.put(vw::test::buildEbo(delta), "uv2.ebo"));
    frmPanes& panes = *editor.main->panes();
    panes.tabAxes->setCurrentIndex(vw::kTabUV - 1);
    vw::selectVertsInBox(panes.pane(), -100, -100, 100, 100);
    QTest::keyClick(panes.picMain, 'v');
    const vw::Model before = editor.model;

    const QPointF from(40, 40), to(90, 70);
    vw::test::sendMouse(panes.picMain, QEvent::MouseButtonPress, from, Qt::LeftButton,
                        Qt::LeftButton);
    vw::test::sendMouse(panes.picMain, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    vw::test::sendMouse(panes.picMain, QEvent::MouseButtonRelease, to, Qt::LeftButton,
                        Qt::NoButton);
    EXPECT_EQ(editor.model.Parts, before.Parts);
    EXPECT_EQ(editor.model.curData, before.curData);
    EXPECT_NE(editor.main->noticePanel()->text().indexOf("base mesh"), -1);
    EXPECT_FALSE(editor.main->document().canUndo());
}

} // namespace
