// The main window's frame, kept between runs, and its File and Options commands through loads,
// failed loads and a closed pane.

#include "fake_settings.h"
#include "open_model_support.h"
#include "panels/frm_parts.h"
#include "panels/frm_vertices.h"
#include "parts_tree_support.h"
#include "tools/frm_tools.h"
#include "tools/selection.h"

#include <QDockWidget>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStatusBar>

#include <gtest/gtest.h>

#include <QTest>

#include <chrono>
#include <filesystem>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using vw::test::Editor;
using vw::test::loadedFrom;
using vw::test::twoPartModel;

// The menu bar's entries are checked in menus_commands_test.
TEST(MainWindow, FrameHoldsPaneAreaPartsDockAndStatusBar) {
    Editor editor;
    frmMain& main = *editor.main;
    EXPECT_EQ(main.windowTitle(), "Vertwright V0.2");
    EXPECT_EQ(main.centralWidget(), main.mdiArea());
    EXPECT_TRUE(main.mdiArea()->subWindowList().isEmpty());
    auto* dock = qobject_cast<QDockWidget*>(main.parts()->parentWidget());
    ASSERT_NE(dock, nullptr);
    EXPECT_EQ(dock->windowTitle(), "Parts");
    EXPECT_TRUE(dock->isVisible());
    EXPECT_TRUE(main.statusPanel()->isVisibleTo(main.statusBar()));
}

TEST(MainWindow, SizeAndDockLayoutAreKeptForTheNextRun) {
    vw::test::MemorySettings settings;
    auto toolsDock = [](frmMain& main) {
        return qobject_cast<QDockWidget*>(main.tools()->parentWidget());
    };
    {
        Editor first;
        first.main->setSettings(&settings);
        first.main->resize(900, 640);
        first.main->addDockWidget(Qt::RightDockWidgetArea, toolsDock(*first.main));
        ASSERT_TRUE(first.main->close());
    }
    Editor next;
    next.main->setSettings(&settings);
    EXPECT_EQ(next.main->size(), QSize(900, 640));
    EXPECT_EQ(next.main->dockWidgetArea(toolsDock(*next.main)), Qt::RightDockWidgetArea);
}

TEST(MainWindow, CtrlOOpensTheChosenModel) {
    Editor editor;
    const std::string path = editor.put(twoPartModel(), "keyed2.ebo");
    editor.prompts.fileAnswer = QString::fromStdString(path);

    QTest::keyClick(editor.main.get(), Qt::Key_O, Qt::ControlModifier);

    ASSERT_EQ(editor.prompts.files.size(), 1u);
    EXPECT_EQ(editor.prompts.files[0].filter, "EBO Files (*.ebo)");
    EXPECT_EQ(editor.model.modelPath, path);
    EXPECT_NE(editor.main->panes(), nullptr);
}

TEST(MainWindow, CancelledOpenDoesNothing) {
    Editor editor;
    editor.main->mnuFileOpen()->trigger();

    EXPECT_EQ(editor.prompts.files.size(), 1u);
    EXPECT_TRUE(editor.prompts.messages.empty());
    EXPECT_EQ(editor.main->panes(), nullptr);
    EXPECT_FALSE(editor.main->mnuFileSave()->isEnabled());
}

bool modelCommandsEnabled(const frmMain& main) {
    EXPECT_EQ(main.mnuFileSave()->isEnabled(), main.mnuOptionsImageMap()->isEnabled());
    return main.mnuFileSave()->isEnabled();
}

TEST(MainWindow, SaveAndImageMapFollowLoadsAndThePane) {
    Editor editor;
    const std::string good = editor.put(twoPartModel(), "good2.ebo");
    const std::string missing = (editor.workspace.dir / "missing2.ebo").string();
    EXPECT_FALSE(modelCommandsEnabled(*editor.main));

    editor.open(good);
    EXPECT_TRUE(modelCommandsEnabled(*editor.main));
    editor.open(missing);
    EXPECT_TRUE(modelCommandsEnabled(*editor.main));

    editor.main->paneWindow()->close();
    EXPECT_FALSE(modelCommandsEnabled(*editor.main));
    EXPECT_EQ(editor.main->panes(), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(editor.main->mdiArea()->subWindowList().isEmpty());
    // Closing the pane closed the model: the tree has nothing left to choose.
    EXPECT_EQ(editor.main->parts()->nodeCount(), 0);

    editor.open(missing);
    EXPECT_FALSE(modelCommandsEnabled(*editor.main));

    editor.open(good);
    EXPECT_TRUE(modelCommandsEnabled(*editor.main));
    ASSERT_NE(editor.main->panes(), nullptr);
    EXPECT_TRUE(editor.main->paneWindow()->isVisible());
    EXPECT_EQ(editor.main->mdiArea()->subWindowList().size(), 1);
}

TEST(MainWindow, CtrlSSavesEditsIntoTheModelFile) {
    Editor editor;
    const std::string path = editor.put(twoPartModel(), "saved2.ebo");
    editor.open(path);
    editor.model.Parts[0].segments[0].verts[4].z = -7.25f;
    editor.activate();

    QTest::keyClick(editor.main.get(), Qt::Key_S, Qt::ControlModifier);

    EXPECT_TRUE(editor.prompts.messages.empty());
    EXPECT_EQ(loadedFrom(path).Parts[0].segments[0].verts[4].z, -7.25f);
}

TEST(MainWindow, FailedSaveNamesTheFileAndTheReason) {
    Editor editor;
    const std::filesystem::path folder = editor.workspace.dir / "models";
    const std::string path = editor.put(twoPartModel(), "gone2.ebo");
    editor.open(path);
    std::filesystem::remove_all(folder);
    editor.prompts.changedAnswer = vw::PromptAnswer::Overwrite; // the file is gone: write it

    editor.main->mnuFileSave()->trigger();

    ASSERT_EQ(editor.prompts.messages.size(), 2u);
    const vw::test::AskedMessage& shown = editor.prompts.messages[1];
    EXPECT_EQ(shown.title, "Error");
    EXPECT_EQ(shown.icon, vw::PromptIcon::Error);
    EXPECT_TRUE(shown.text.contains(QString::fromStdString(path))) << shown.text.toStdString();
    EXPECT_GT(shown.text.size(), QString::fromStdString(path).size() + 20);
    EXPECT_FALSE(std::filesystem::exists(folder));
}

// Another program rewrote the model file since it was opened (every way it can is told apart by
// the saver's own tests): Ctrl+S asks first, and each answer does what it says; the other
// program's file survives all but Overwrite.
void laterModificationTime(const std::filesystem::path& file) {
    std::filesystem::last_write_time(file, std::filesystem::last_write_time(file) +
                                               std::chrono::seconds(2));
}

TEST(MainWindow, SavingOverAFileChangedOnDiskAsksFirst) {
    for (const vw::PromptAnswer answer :
         {vw::PromptAnswer::Overwrite, vw::PromptAnswer::SaveAs, vw::PromptAnswer::Cancel}) {
        SCOPED_TRACE(int(answer));
        Editor editor;
        const std::string path = editor.put(twoPartModel(), "house2.ebo");
        const std::string elsewhere = (editor.workspace.dir / "copy2.ebo").string();
        editor.open(path);
        editor.model.Parts[0].segments[0].verts[4].z = -7.25f;
        const std::vector<uint8_t> theirs = twoPartModel(9).model;
        vw::test::writeBytes(path, theirs);
        laterModificationTime(path);
        editor.prompts.changedAnswer = answer;
        editor.prompts.saveFileAnswer = QString::fromStdString(elsewhere);
        editor.activate();

        QTest::keyClick(editor.main.get(), Qt::Key_S, Qt::ControlModifier);

        ASSERT_EQ(editor.prompts.messages.size(), 1u);
        EXPECT_EQ(editor.prompts.messages[0].text.toStdString(),
                  path + " was changed on disk since it was opened.");
        EXPECT_EQ(editor.prompts.messages[0].buttons, vw::PromptButtons::OverwriteSaveAsCancel);
        const bool overwritten = answer == vw::PromptAnswer::Overwrite;
        EXPECT_EQ(vw::test::readBytes(path) == theirs, !overwritten);
        EXPECT_EQ(loadedFrom(path).Parts[0].segments[0].verts[4].z == -7.25f, overwritten);
        EXPECT_EQ(std::filesystem::exists(elsewhere), answer == vw::PromptAnswer::SaveAs);
    }
}

// Two editors on one file: whichever saves second is asked instead of losing the first's edit.
TEST(MainWindow, TheSecondOfTwoEditorsOnOneFileIsAskedBeforeItSaves) {
    for (const bool firstSavesFirst : {true, false}) {
        Editor first, second;
        const std::string path = first.put(twoPartModel(), "shared2.ebo");
        first.open(path);
        second.open(path);
        first.model.Parts[0].segments[0].verts[0].x = 11.0f;
        second.model.Parts[0].segments[0].verts[0].y = -12.0f;
        Editor& earlier = firstSavesFirst ? first : second;
        Editor& later = firstSavesFirst ? second : first;

        EXPECT_TRUE(earlier.main->mnuFileSave_Click());
        EXPECT_FALSE(later.main->mnuFileSave_Click());

        EXPECT_TRUE(earlier.prompts.messages.empty());
        ASSERT_EQ(later.prompts.messages.size(), 1u);
        EXPECT_EQ(later.prompts.messages[0].buttons, vw::PromptButtons::OverwriteSaveAsCancel);
        const vw::Vertex saved = loadedFrom(path).Parts[0].segments[0].verts[0];
        EXPECT_EQ(saved.x == 11.0f, firstSavesFirst);
        EXPECT_EQ(saved.y == -12.0f, !firstSavesFirst);
    }
}

// While the model is open the editor watches its file: without unsaved edits it offers to
// reload another program's change, with them it says so and leaves the model as edited.
TEST(MainWindow, AnotherProgramsChangeIsOfferedForReloadOrNoted) {
    for (const bool edited : {false, true}) {
        Editor editor;
        const std::string path = editor.put(twoPartModel(), "watched2.ebo");
        editor.open(path);
        if (edited) {
            (void)editor.main->document().edit(
                "Move %n", 0, 1, [](std::vector<vw::Segment>& data) { data[0].verts[0].x += 1; });
        }
        vw::test::writeBytes(path, twoPartModel(9).model);
        laterModificationTime(path);

        QTRY_VERIFY(!editor.prompts.messages.empty() ||
                    !editor.main->statusBar()->currentMessage().isEmpty());

        const float theirs = loadedFrom(path).Parts[0].segments[0].verts[0].x;
        if (edited) {
            EXPECT_TRUE(editor.prompts.messages.empty());
            EXPECT_TRUE(editor.main->statusBar()->currentMessage().contains("changed on disk"));
            EXPECT_NE(editor.model.Parts[0].segments[0].verts[0].x, theirs);
            continue;
        }
        ASSERT_EQ(editor.prompts.messages.size(), 1u);
        EXPECT_EQ(editor.prompts.messages[0].text,
                  "watched2.ebo was changed on disk by another program.");
        EXPECT_EQ(editor.model.Parts[0].segments[0].verts[0].x, theirs);
        editor.main->checkModelFileOnDisk();
        EXPECT_EQ(editor.prompts.messages.size(), 1u) << "the reloaded file is the model's now";
    }
}

// A save killed while it wrote a hard-linked file in place left its earlier content in a backup:
// the next open says so and offers it back.
TEST(MainWindow, OpeningAfterAnInterruptedSaveOffersTheBackup) {
    Editor editor;
    const std::string path = editor.put(twoPartModel(), "cut2.ebo");
    std::filesystem::create_hard_link(path, editor.workspace.dir / "models" / "link2.ebo");
    const std::vector<uint8_t> whole = vw::test::readBytes(path);
    struct stat status;
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    const pid_t gone = ::fork();
    if (gone == 0)
        ::_exit(0);
    ::waitpid(gone, nullptr, 0);
    char name[64];
    std::snprintf(name, sizeof name, ".vw%d-0badf00d-%016llx.bak", int(gone),
                  static_cast<unsigned long long>(status.st_ino));
    const std::filesystem::path backup = std::filesystem::path(path).parent_path() / name;
    vw::test::writeBytes(backup, whole);
    std::filesystem::resize_file(path, 100);

    editor.open(path);

    ASSERT_FALSE(editor.prompts.messages.empty());
    EXPECT_EQ(editor.prompts.messages[0].text,
              "A save of cut2.ebo was interrupted, so it may be incomplete.");
    EXPECT_TRUE(editor.prompts.messages[0].details.contains(QString::fromStdString(name)));
    EXPECT_EQ(vw::test::readBytes(path), whole);
    EXPECT_FALSE(std::filesystem::exists(backup));
    EXPECT_NE(editor.main->panes(), nullptr);
}

// The working copy holds the model's bytes: it goes with the model.
TEST(MainWindow, ClosingThePaneClosesTheModel) {
    Editor editor;
    frmMain& main = *editor.main;
    editor.open(editor.put(twoPartModel(), "closed2.ebo"));
    ASSERT_TRUE(std::filesystem::exists(editor.workspace.folders.workingCopy));
    vw::selectAll(main.panes()->pane());
    main.vertices()->applySheetChange("X", 3.5f);
    ASSERT_FALSE(main.document().isClean());
    editor.prompts.saveAnswer = vw::PromptAnswer::Discard;
    main.paneWindow()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    EXPECT_FALSE(std::filesystem::exists(editor.workspace.folders.workingCopy));
    EXPECT_EQ(main.parts()->nodeCount(), 0);
    EXPECT_TRUE(main.selectionPanel()->text().isEmpty());
    EXPECT_FALSE(main.vertices()->propSheet->isEnabled());
    for (int button = 1; button <= frmTools::buttonCount; ++button)
        EXPECT_FALSE(main.tools()->button(button)->isEnabled()) << "palette button " << button;
    for (const char* command : {"Save &As...", "&Export OBJ...", "&Transform...", "Select &All"})
        EXPECT_FALSE(main.action(command)->isEnabled()) << command;
    // Nothing is left to edit, so nothing is unsaved and no way out asks.
    main.vertices()->applySheetChange("X", 7.0f);
    EXPECT_TRUE(editor.model.Parts.empty());
    const size_t asked = editor.prompts.messages.size();
    EXPECT_TRUE(main.maySetModelAside());
    EXPECT_EQ(editor.prompts.messages.size(), asked);
}

} // namespace
