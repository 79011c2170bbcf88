#pragma once
// The main window: the pane as a child window of the document area, the docked panels, the
// menus and the status bar.

#include "app/frm_panes.h"
#include "dialogs/prompts.h"
#include "model/document.h"
#include "model/ebo_loader.h"
#include "model/model.h"

#include <QMainWindow>
#include <QMdiSubWindow>
#include <QPointer>

class QAction;
class QLabel;
class QMdiArea;
class frmParts;
class frmTools;
class frmVertices;

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

    frmVertices* vertices() const { return m_vertices; }
    frmParts* parts() const { return m_parts; }
    frmTools* tools() const { return m_tools; }
    // The pane and its child window; null before the first successful load and after the
    // pane was closed.
    frmPanes* panes() const { return m_panes; }
    QMdiSubWindow* paneWindow() const { return m_paneWindow; }
    QMdiArea* mdiArea() const { return m_mdiArea; }
    QLabel* statusPanel() const { return m_statusPanel; }

    QAction* mnuFileOpen() const { return m_mnuFileOpen; }
    QAction* mnuFileSave() const { return m_mnuFileSave; }
    QAction* mnuFileExit() const { return m_mnuFileExit; }
    QAction* mnuEditUndo() const { return m_mnuEditUndo; }
    QAction* mnuEditRedo() const { return m_mnuEditRedo; }
    QAction* mnuOptionsImageMap() const { return m_mnuOptionsImageMap; }
    QAction* mnuOptionsCompanions() const { return m_mnuOptionsCompanions; }
    QAction* mnuAbout() const { return m_mnuAbout; }

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
    // Saves the model; returns whether it was saved. A failure is reported.
    bool mnuFileSave_Click();
    // Ends the program, asking about unsaved changes first.
    void mnuFileExit_Click();
    // Replaces the pane's image map with a chosen picture; one that cannot be read changes
    // nothing and is reported.
    void mnuOptionsImageMap_Click();
    void mnuAbout_Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    // Tool letters typed on the tool palette reach it here and go to the pane.
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void documentChanged(const vw::DocumentChange& change);
    void showHistory();
    bool forwardToolLetter(const QKeyEvent& event);
    void createDocks();
    void createMenus();
    void createPanes();
    QString modelPathText() const;
    void frmPanes_Unload();

    vw::Model& m_model;
    vw::Document m_document{m_model};
    int m_listener = 0;
    vw::ModelFolders m_folders;
    vw::Prompts& m_prompts;

    QMdiArea* m_mdiArea = nullptr;
    QLabel* m_statusPanel = nullptr;
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
};
