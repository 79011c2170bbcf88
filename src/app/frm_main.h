#pragma once
// The main window: the pane as a child window of the document area, the docked panels, the
// menus and the status bar.

#include "app/frm_panes.h"
#include "app/model_file_watch.h"
#include "app/settings.h"
#include "dialogs/prompts.h"
#include "model/ebo/ebo_loader.h"
#include "model/editing/aids/edit_aids.h"
#include "model/editing/edit_session.h"
#include "model/editing/history/document.h"
#include "model/model.h"
#include "views/key_map.h"

#include <QMainWindow>
#include <QMdiSubWindow>
#include <QPointer>
#include <QTimer>

#include <array>
#include <optional>
#include <string>

class QAction;
class QDragEnterEvent;
class QDropEvent;
class QLabel;
class QMenu;
class QMdiArea;
class frmParts;
class frmTools;
class frmVertices;
namespace vw {
class ObjLink;
}

class frmMain : public QMainWindow {
    Q_OBJECT
public:
    // The model, the folders and the prompts belong to the caller and outlive the window.
    frmMain(vw::Model& model, vw::ModelFolders folders, vw::Prompts& prompts,
            QWidget* parent = nullptr);
    ~frmMain() override;

    vw::Model& model() { return m_model; }
    // The owner of every edit of the model, with its undo history.
    vw::Document& document() { return m_document; }
    const vw::ModelFolders& folders() const { return m_folders; }
    // Where the next open looks up a delta model's companion files.
    void setCompanionFolder(const std::filesystem::path& folder) { m_folders.programDir = folder; }
    vw::Prompts& prompts() { return m_prompts; }
    // The error box of a failed file command: "Unable to <doing> <path>: <reason>".
    void reportFailure(const QString& doing, const QString& path, const std::string& reason);
    // Where recent files, the image map and the window's size and dock layout are kept between
    // runs; none keeps nothing. The kept layout is applied at once.
    void setSettings(vw::Settings* settings);
    vw::Settings* settings() const { return m_settings; }

    frmVertices* vertices() const { return m_vertices; }
    frmParts* parts() const { return m_parts; }
    frmTools* tools() const { return m_tools; }
    // The pane and its child window; null before the first successful load and after the
    // pane was closed.
    frmPanes* panes() const { return m_panes; }
    QMdiSubWindow* paneWindow() const { return m_paneWindow; }
    QMdiArea* mdiArea() const { return m_mdiArea; }
    QLabel* statusPanel() const { return m_statusPanel; }
    // The last notice ("Saved <file>", a refused edit), beside the first panel for five seconds.
    QLabel* noticePanel() const { return m_noticePanel; }
    // Every notice goes here: the status bar's own message would hide the panels beside it.
    void showNotice(const QString& text);

    QAction* mnuFileOpen() const { return m_mnuFileOpen; }
    QAction* mnuFileSave() const { return m_mnuFileSave; }
    QAction* mnuFileExit() const { return m_mnuFileExit; }
    QAction* mnuEditUndo() const { return m_mnuEditUndo; }
    QAction* mnuEditRedo() const { return m_mnuEditRedo; }
    QAction* mnuOptionsImageMap() const { return m_mnuOptionsImageMap; }
    QAction* mnuOptionsCompanions() const { return m_mnuOptionsCompanions; }
    QAction* mnuAbout() const { return m_mnuAbout; }
    QAction* action(const QString& caption) const; // any menu item, by its caption
    QMenu* recentFilesMenu() const { return m_recentFiles; }
    // The status bar's panels beside the angle: the angle in degrees, the pointer's position,
    // the selection count, the zoom, and the hint shown when the working data is out of view.
    QLabel* degreesPanel() const { return m_degreesPanel; }
    QLabel* positionPanel() const { return m_positionPanel; }
    QLabel* selectionPanel() const { return m_selectionPanel; }
    QLabel* zoomPanel() const { return m_zoomPanel; }
    // The OBJ file the model is linked to, while it is.
    QLabel* linkPanel() const { return m_linkPanel; }
    // How many selected vertices have no mirror partner, while a mirror is on.
    QLabel* mirrorPanel() const { return m_mirrorPanel; }
    // Symmetry and soft selection as the menus, the palette and the settings hold them; the
    // pane edits with them.
    const vw::AidOptions& aidOptions() const { return m_aidOptions; }
    void setAidOptions(const vw::AidOptions& options);

    // Shows the pane window titled with modelPath, creating it when there is none.
    frmPanes* showPanes();
    // "&Save" and "Change Image &Map" act on a loaded model only.
    void setModelCommandsEnabled(bool enabled);

    // The splash window, modal, made anew for every showing: at start-up and as the about box.
    void showSplash();

    // With unsaved changes, asks "Save changes to <file name>?" first: Save saves (a failed save
    // cancels), Discard goes on, Cancel stops. Returns whether to go on.
    bool maySetModelAside();

    // Asks about unsaved changes first, then opens the chosen model.
    void mnuFileOpen_Click();
    // Saves the model; returns whether it was saved. A failure is reported. When the model's file
    // changed on disk since it was opened, asks first: Overwrite, Save As... or Cancel.
    bool mnuFileSave_Click();
    // Ends the program, asking about unsaved changes first.
    void mnuFileExit_Click();
    // Closes the window as a quit does but without asking, the unsaved changes left unsaved: for
    // an end the user asked for outside the editor (a signal).
    void closeWithoutAsking();
    // Writes the model with its edits to a new path and edits that file from then on. A delta
    // model whose new name would look for other companion files asks first. Returns whether it
    // was saved.
    bool mnuFileSaveAs_Click();
    // The working data as OBJ, and back as one undoable edit.
    void mnuFileExportObj_Click();
    void mnuFileImportObj_Click();
    // Links the working data to a chosen OBJ file, whose later saves come back as edits.
    void mnuFileLinkObj_Click();
    vw::ObjLink* objLink() const { return m_objLink; }
    // Edit > Transform...: the typed transform of the selection as one undoable edit.
    void mnuEditTransform_Click();
    // Replaces the pane's image map with a chosen picture, kept for later runs; one that cannot
    // be read changes nothing and is reported.
    void mnuOptionsImageMap_Click();
    // The model opened: it heads the recent files, by its absolute path.
    void addRecentFile(const QString& path);
    // Watches the model's file from now on, for changes by other programs.
    void watchModelFile();
    // Looks whether another program changed the model's file, as the watch calls it: without
    // unsaved edits offers to reload it, with them says so in the status bar. Each change is
    // told once.
    void checkModelFileOnDisk();
    void mnuAbout_Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    // An .ebo file dropped on the window opens, after the question about unsaved changes.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    // Tool letters typed on the tool palette reach it here and go to the pane.
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void documentChanged(const vw::DocumentChange& change);
    void showHistory();
    bool forwardToolLetter(const QKeyEvent& event);
    void createDocks();
    void createMenus();
    void createNavigationMenus();
    void createFileCommands(QMenu* mnuFile);
    void createAidCommands(QMenu* mnuEdit);
    void restoreAidOptions();
    void attachAids();
    void showAidOptions();
    void showUnpartnered();
    void createStatusPanels();
    // View > Grid, Snap and Snap to Vertex, and the hiding commands; the toggles are applied to
    // every new pane, and the grid's is kept in the settings.
    void createModellingAids(QMenu* view);
    void applyModellingAids();
    void restoreModellingAids();
    // Options > Keys: the key map's menu, the menus' shortcuts from its table, and the map
    // every pane reads; kept in the settings.
    void createKeyMapMenu(QMenu* options);
    void bindKeys(QAction* action, vw::KeyCommand command);
    void applyKeyMap(vw::KeyMap map);
    void restoreKeyMap();
    void showRecentFiles();
    void keepWindowLayout();
    void restoreWindowLayout();
    void showSelectionCount();
    void showViewState();
    void showPointer(int axisH, float h, int axisV, float v);
    void showRotateStatus(const QString& text);
    void loadKeptImageMap();
    void setImageMapFrom(const QString& path, bool report);
    QStringList recentFiles() const;
    QString modelFolder() const;
    void createPanes();
    QString modelPathText() const;
    void frmPanes_Unload();
    vw::Result saveGuarded(const std::string& path);

    vw::Model& m_model;
    // The editor's one editing session, which every window views and edits through.
    vw::EditSession m_session{m_model};
    vw::Document& m_document = m_session.document();
    vw::Subscription m_subscription;
    vw::ModelFolders m_folders;
    vw::Prompts& m_prompts;
    vw::ModelFileWatch* m_fileWatch = nullptr;
    vw::ObjLink* m_objLink = nullptr;
    std::optional<vw::FileStamp> m_toldChange; // the file's change last told to the user

    vw::Settings* m_settings = nullptr;
    QMdiArea* m_mdiArea = nullptr;
    QLabel* m_statusPanel = nullptr;
    QLabel* m_noticePanel = nullptr;
    QTimer m_noticeTimer;
    QLabel* m_degreesPanel = nullptr;
    QLabel* m_positionPanel = nullptr;
    QLabel* m_selectionPanel = nullptr;
    QLabel* m_zoomPanel = nullptr;
    QLabel* m_linkPanel = nullptr;
    QLabel* m_mirrorPanel = nullptr;
    vw::AidOptions m_aidOptions;
    vw::Subscription m_aidSubscription;
    std::array<QAction*, 3> m_mirrorActions{};
    QAction* m_softAction = nullptr;
    QList<QAction*> m_falloffActions;
    QMenu* m_recentFiles = nullptr;
    QList<QAction*> m_paneCommands; // enabled while a pane shows a model
    vw::KeyMap m_keyMap = vw::KeyMap::Designed;
    QMenu* m_pivotMenu = nullptr; // Edit > Pivot
    QList<std::pair<QAction*, vw::KeyCommand>> m_keyedActions;
    std::array<QAction*, 2> m_keyMapActions{}; // by map
    frmVertices* m_vertices = nullptr;
    frmParts* m_parts = nullptr;
    frmTools* m_tools = nullptr;
    QPointer<frmPanes> m_panes;
    QPointer<QMdiSubWindow> m_paneWindow;
    QAction* m_mnuFileOpen = nullptr;
    QAction* m_mnuFileSave = nullptr;
    QAction* m_mnuFileExit = nullptr;
    QAction* m_mnuEditUndo = nullptr;
    QAction* m_mnuEditRedo = nullptr;
    QAction* m_mnuOptionsImageMap = nullptr;
    QAction* m_mnuOptionsCompanions = nullptr;
    QAction* m_mnuAbout = nullptr;
    QAction* m_mnuViewGrid = nullptr;
    QAction* m_mnuViewSnap = nullptr;
    QAction* m_mnuViewSnapToVertex = nullptr;
    bool m_closingWithoutAsking = false;
};
