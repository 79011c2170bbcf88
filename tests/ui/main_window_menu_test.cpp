// The main window's frame, kept between runs, and its File and Options commands through loads,
// failed loads and a closed pane.

#include "fake_settings.h"
#include "open_model_support.h"
#include "panels/frm_parts.h"
#include "parts_tree_support.h"
#include "tools/frm_tools.h"

#include <QDockWidget>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStatusBar>

#include <gtest/gtest.h>

#include <filesystem>

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

    editor.main->mnuFileSave()->trigger();

    ASSERT_EQ(editor.prompts.messages.size(), 1u);
    const vw::test::AskedMessage& shown = editor.prompts.messages[0];
    EXPECT_EQ(shown.title, "Error");
    EXPECT_EQ(shown.icon, vw::PromptIcon::Error);
    EXPECT_TRUE(shown.text.contains(QString::fromStdString(path))) << shown.text.toStdString();
    EXPECT_GT(shown.text.size(), QString::fromStdString(path).size() + 20);
    EXPECT_FALSE(std::filesystem::exists(folder));
}

} // namespace
