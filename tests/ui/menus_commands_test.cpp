// The main window's menu bar through a load and a closed pane, its docked panels, the image
// map command and the about box.

#include "app/frm_panes.h"
#include "app/frm_splash.h"
#include "fake_settings.h"
#include "open_model_support.h"
#include "panels/frm_parts.h"
#include "panels/frm_vertices.h"
#include "tools/frm_tools.h"
#include "tools/selection.h"
#include "views/pane_surface.h"

#include <QApplication>
#include <QDockWidget>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

namespace {

using vw::test::Editor;
using vw::test::twoPartModel;

struct MenuEntry {
    QString menu;
    QString caption; // empty for a separator
    QKeySequence shortcut;
    // AfterAnEdit: Undo and Redo, the recent files before any was opened, and Unlink OBJ
    // before a link.
    enum Enabled { Always, WithModel, AfterAnEdit } enabled;
};

const MenuEntry kMenuBar[] = {
    {"&File", "&Open", QKeySequence("Ctrl+O"), MenuEntry::Always},
    {"&File", "&Save", QKeySequence("Ctrl+S"), MenuEntry::WithModel},
    {"&File", "Save &As...", QKeySequence("Ctrl+Shift+S"), MenuEntry::WithModel},
    {"&File", "", QKeySequence(), MenuEntry::Always},
    {"&File", "&Export OBJ...", QKeySequence(), MenuEntry::WithModel},
    {"&File", "&Import OBJ...", QKeySequence(), MenuEntry::WithModel},
    {"&File", "Export &glTF...", QKeySequence(), MenuEntry::WithModel},
    {"&File", "&Link OBJ...", QKeySequence(), MenuEntry::WithModel},
    {"&File", "&Unlink OBJ", QKeySequence(), MenuEntry::AfterAnEdit},
    {"&File", "", QKeySequence(), MenuEntry::Always},
    {"&File", "Recent &Files", QKeySequence(), MenuEntry::AfterAnEdit},
    {"&File", "", QKeySequence(), MenuEntry::Always},
    {"&File", "E&xit", QKeySequence("Ctrl+X"), MenuEntry::Always},
    {"&Edit", "&Undo", QKeySequence("Ctrl+Z"), MenuEntry::AfterAnEdit},
    {"&Edit", "&Redo", QKeySequence("Ctrl+Y"), MenuEntry::AfterAnEdit},
    {"&Edit", "", QKeySequence(), MenuEntry::Always},
    {"&Edit", "&Transform...", QKeySequence("Ctrl+T"), MenuEntry::WithModel},
    {"&Edit", "S&ymmetry", QKeySequence(), MenuEntry::Always},
    {"&Edit", "S&oft Selection", QKeySequence("O"), MenuEntry::Always},
    {"&Edit", "Soft &Falloff", QKeySequence(), MenuEntry::Always},
    {"&Edit", "&Pivot", QKeySequence(), MenuEntry::Always},
    {"&View", "Fit Model", QKeySequence("Home"), MenuEntry::WithModel},
    {"&View", "Fit Selection", QKeySequence("F"), MenuEntry::WithModel},
    {"&View", "Reset View", QKeySequence(), MenuEntry::WithModel},
    {"&View", "", QKeySequence(), MenuEntry::Always},
    {"&View", "&Grid", QKeySequence(), MenuEntry::Always},
    {"&View", "S&nap", QKeySequence(), MenuEntry::Always},
    {"&View", "Snap to &Vertex", QKeySequence(), MenuEntry::Always},
    {"&View", "", QKeySequence(), MenuEntry::Always},
    {"&View", "&Hide Selected", QKeySequence("H"), MenuEntry::WithModel},
    {"&View", "Hide &Unselected", QKeySequence("Shift+H"), MenuEntry::WithModel},
    {"&View", "Show Hi&dden", QKeySequence("Alt+H"), MenuEntry::WithModel},
    {"&Select", "Select &All", QKeySequence("Ctrl+A"), MenuEntry::WithModel},
    {"&Select", "Select &None", QKeySequence("Ctrl+Shift+A"), MenuEntry::WithModel},
    {"&Select", "&Invert Selection", QKeySequence("Ctrl+I"), MenuEntry::WithModel},
    {"&Select", "Select &Coincident", QKeySequence("Ctrl+L"), MenuEntry::WithModel},
    {"&Select", "", QKeySequence(), MenuEntry::Always},
    {"&Select", "Select &Linked", QKeySequence("Ctrl+Shift+L"), MenuEntry::WithModel},
    {"&Select", "Select Linked Under &Pointer", QKeySequence("L"), MenuEntry::WithModel},
    {"&Select", "&Grow Selection", QKeySequence("Ctrl++"), MenuEntry::WithModel},
    {"&Select", "&Shrink Selection", QKeySequence("Ctrl+-"), MenuEntry::WithModel},
    {"&Select", "Select &Mirror", QKeySequence(), MenuEntry::WithModel},
    {"&Options", "Change Image &Map", QKeySequence(), MenuEntry::WithModel},
    {"&Options", "Companion Files &Folder...", QKeySequence(), MenuEntry::Always},
    {"&Options", "&Keys", QKeySequence(), MenuEntry::Always},
    {"&Options", "Show the &splash at start-up", QKeySequence(), MenuEntry::Always},
    {"&Options", "Fit a model when it &opens", QKeySequence(), MenuEntry::Always},
    {"&Options", "", QKeySequence(), MenuEntry::Always},
    {"&Options", "About", QKeySequence(), MenuEntry::Always},
};

// Checks every entry of the menu bar, in order, with or without a shown model.
void expectMenuBar(const frmMain& main, bool modelShown) {
    std::vector<QAction*> found;
    for (QAction* menu : main.menuBar()->actions())
        for (QAction* item : menu->menu()->actions())
            found.push_back(item);
    ASSERT_EQ(found.size(), std::size(kMenuBar));
    for (size_t i = 0; i < found.size(); ++i) {
        const MenuEntry& entry = kMenuBar[i];
        SCOPED_TRACE(QString("%1 %2").arg(entry.menu, entry.caption).toStdString());
        // In a menu of the menu bar, or in a submenu of one.
        QWidget* menu = qobject_cast<QWidget*>(found[i]->parent());
        while (menu && menu->parentWidget() != main.menuBar())
            menu = menu->parentWidget();
        EXPECT_NE(menu, nullptr);
        EXPECT_EQ(found[i]->isSeparator(), entry.caption.isEmpty());
        EXPECT_EQ(found[i]->text(), entry.caption);
        EXPECT_EQ(found[i]->shortcut(), entry.shortcut);
        EXPECT_EQ(found[i]->isEnabled(), entry.enabled == MenuEntry::Always ||
                                             (entry.enabled == MenuEntry::WithModel && modelShown));
    }
    std::vector<QString> menus;
    for (QAction* menu : main.menuBar()->actions())
        menus.push_back(menu->text());
    EXPECT_EQ(menus, (std::vector<QString>{"&File", "&Edit", "&View", "&Select", "&Options"}));
}

TEST(MenuBar, CaptionsShortcutsSeparatorsAndStatesThroughALoadAndAClosedPane) {
    Editor editor;
    {
        SCOPED_TRACE("at start");
        expectMenuBar(*editor.main, false);
    }
    editor.open(editor.put(twoPartModel(), "menus2.ebo"));
    {
        SCOPED_TRACE("after a load");
        expectMenuBar(*editor.main, true);
    }
    editor.main->paneWindow()->close();
    {
        SCOPED_TRACE("after the pane closed");
        expectMenuBar(*editor.main, false);
    }
}

// Options > Keys: the map chosen gives the menus' commands and the pane's letters their keys,
// through real key presses, and is kept for the next run.
TEST(MenuBar, TheKeyMapChosenGivesTheKeysAndIsKeptForTheNextRun) {
    vw::test::MemorySettings settings;
    Editor editor;
    editor.main->setSettings(&settings);
    editor.open(editor.put(twoPartModel(), "keys2.ebo"));
    editor.activate();
    const auto choose = [](frmMain& main, const QString& map) {
        for (QAction* choice : main.action("&Keys")->menu()->actions())
            if (choice->text() == map)
                choice->trigger();
    };
    struct Case {
        const char* map;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        bool selectsAll;
        uint8_t tool;
    };
    const Case cases[] = {
        {"Blender", Qt::Key_A, Qt::NoModifier, true, vw::kToolSelect},
        {"Blender", Qt::Key_A, Qt::ControlModifier, true, vw::kToolSelect},
        {"Blender", Qt::Key_A, Qt::AltModifier, false, vw::kToolSelect},
        {"Blender", Qt::Key_V, Qt::NoModifier, false, vw::kToolSelect},
        {"Designed", Qt::Key_A, Qt::NoModifier, false, vw::kToolPan},
        {"Designed", Qt::Key_A, Qt::ControlModifier, true, vw::kToolSelect},
        {"Designed", Qt::Key_V, Qt::NoModifier, false, vw::kToolMove},
    };
    vw::Pane& pane = editor.main->panes()->pane();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.map) + " " +
                     QKeySequence(c.key | c.modifiers).toString().toStdString());
        choose(*editor.main, c.map);
        pane.toolMode = vw::kToolSelect;
        // Some selected, so Select All and Select None both show.
        vw::selectAll(pane);
        vw::pickVertex(pane, 0, 0);
        QTest::keyClick(editor.main->panes()->picMain, c.key, c.modifiers);
        const int32_t all = int32_t(editor.model.curData[0].verts.size());
        EXPECT_EQ(pane.SelCount(), c.selectsAll ? all : c.modifiers == Qt::AltModifier ? 0 : 1);
        EXPECT_EQ(pane.toolMode, c.tool);
    }
    choose(*editor.main, "Blender");
    // The period key pops up Edit > Pivot at the pointer.
    QTest::keyClick(editor.main->panes()->picMain, Qt::Key_Period);
    QWidget* popup = QApplication::activePopupWidget();
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(static_cast<QMenu*>(popup)->title(), "&Pivot");
    popup->close();
    EXPECT_EQ(settings.values.value("keyMap"), "Blender");
    Editor next;
    next.main->setSettings(&settings);
    EXPECT_TRUE(std::ranges::any_of(next.main->action("&Keys")->menu()->actions(), [](QAction* a) {
        return a->text() == "Blender" && a->isChecked();
    }));
    EXPECT_EQ(next.main->action("Select &All")->shortcuts(),
              QList<QKeySequence>({QKeySequence("A"), QKeySequence("Ctrl+A")}));
}

TEST(MainFrame, ThreePanelsDockedInOrderBesideTheDocumentArea) {
    Editor editor;
    frmMain& main = *editor.main;
    const QList<QDockWidget*> docks = main.findChildren<QDockWidget*>();
    ASSERT_EQ(docks.size(), 3);
    const QWidget* panels[] = {main.vertices(), main.parts(), main.tools()};
    const QString titles[] = {"Vertices", "Parts", "Tools"};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(titles[i].toStdString());
        EXPECT_EQ(docks[i]->widget(), panels[i]);
        EXPECT_EQ(docks[i]->windowTitle(), titles[i]);
        EXPECT_FALSE(docks[i]->isFloating());
        EXPECT_NE(main.dockWidgetArea(docks[i]), Qt::NoDockWidgetArea);
        EXPECT_TRUE(docks[i]->isVisible());
        EXPECT_GT(panels[i]->width(), 20);
        EXPECT_GT(panels[i]->height(), 20);
    }
    EXPECT_EQ(main.windowTitle(), "Vertwright V0.2");
    EXPECT_EQ(main.width(), 722);
    EXPECT_EQ(main.height() - main.menuBar()->height() - main.statusBar()->height(), 545);
    EXPECT_TRUE(main.statusBar()->isVisible());
}

// A picture file of one colour in the given format, or the bytes given.
std::string writePicture(const Editor& editor, const std::string& name, const char* format) {
    const std::string path = (editor.workspace.dir / name).string();
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(QColor(10, 200, 30));
    EXPECT_TRUE(picture.save(QString::fromStdString(path), format));
    return path;
}

std::string writeBytes(const Editor& editor, const std::string& name, const std::string& bytes) {
    const std::string path = (editor.workspace.dir / name).string();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

// A 1 x 1 GIF whose one pixel is colour 0 of its table, RGB(10, 200, 30).
const std::string kGif("GIF89a\x01\x00\x01\x00\x80\x00\x00\x0a\xc8\x1e\x00\x00\x00"
                       ",\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00;",
                       35);

class ImageMap : public testing::Test {
protected:
    ImageMap() {
        editor.open(editor.put(twoPartModel(), "mapped2.ebo"));
        panes = editor.main->panes();
        original = panes->pane().picMap;
    }

    // A point of the texture copy left of the framed square, where nothing else is drawn.
    QColor leftTileColour() {
        vw::Pane& pane = panes->pane();
        return QColor(pane.colourAt(pane.toPaneX(-0.1f), pane.toPaneY(0.5f)));
    }

    void choose(const std::string& path) {
        editor.prompts.fileAnswer = QString::fromStdString(path);
        editor.main->mnuOptionsImageMap()->trigger();
    }

    Editor editor;
    frmPanes* panes = nullptr;
    QImage original;
};

TEST_F(ImageMap, EachPictureFormatReplacesTheMapAndTheUvTabShowsItAtOnce) {
    const std::string pictures[] = {
        writePicture(editor, "map.png", "PNG"),
        writePicture(editor, "map.bmp", "BMP"),
        writePicture(editor, "map.jpg", "JPG"),
        writeBytes(editor, "map.gif", kGif),
    };
    for (const std::string& path : pictures) {
        SCOPED_TRACE(path);
        panes->setImageMap(original);
        panes->tabAxes->setCurrentIndex(3);
        panes->RefreshEbo();
        const QColor before = leftTileColour();
        choose(path);
        EXPECT_TRUE(editor.prompts.messages.empty());
        const QColor shown = leftTileColour();
        EXPECT_NE(shown, before);
        EXPECT_NEAR(shown.red(), 10, 6);
        EXPECT_NEAR(shown.green(), 200, 6);
        EXPECT_NEAR(shown.blue(), 30, 6);
    }
    ASSERT_EQ(editor.prompts.files.size(), 4u);
    EXPECT_EQ(editor.prompts.files[0].filter, "Supported Picture Files (*.bmp *.jpg *.png *.gif)");
}

TEST_F(ImageMap, CancelledOrUnreadablePictureLeavesTheMap) {
    choose("");
    EXPECT_TRUE(editor.prompts.messages.empty());
    EXPECT_EQ(panes->pane().picMap, original);

    const std::string broken = writeBytes(editor, "broken.png", "\x89PNG\r\n\x1a\n not really");
    choose(broken);
    ASSERT_EQ(editor.prompts.messages.size(), 1u);
    const vw::test::AskedMessage& told = editor.prompts.messages[0];
    EXPECT_EQ(told.title, "Error");
    EXPECT_EQ(told.icon, vw::PromptIcon::Error);
    EXPECT_TRUE(told.text.contains(QString::fromStdString(broken))) << told.text.toStdString();
    EXPECT_EQ(panes->pane().picMap, original);

    choose((editor.workspace.dir / "absent.png").string());
    EXPECT_EQ(editor.prompts.messages.size(), 2u);
    EXPECT_EQ(panes->pane().picMap, original);
}

TEST(AboutBox, ShowsTheSplashModallyUntilItIsClosed) {
    Editor editor;
    bool sawSplash = false;
    QTimer::singleShot(50, [&] {
        auto* splash = qobject_cast<frmSplash*>(QApplication::activeModalWidget());
        sawSplash = splash && splash->isVisible() && splash->windowTitle().isEmpty();
        if (splash)
            QTest::keyClick(splash, 'L');
    });
    editor.main->mnuAbout()->trigger();
    EXPECT_TRUE(sawSplash);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(editor.main->findChildren<frmSplash*>().isEmpty()); // made anew each time
}

} // namespace
