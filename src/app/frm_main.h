#pragma once
// The main window: the pane as a child window of the document area, the docked panels, the
// menus and the status bar.

#include "app/frm_panes.h"
#include "dialogs/prompts.h"
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
    const vw::ModelFolders& folders() const { return m_folders; }
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
    QAction* mnuOptionsImageMap() const { return m_mnuOptionsImageMap; }
    QAction* mnuAbout() const { return m_mnuAbout; }

    // Shows the pane window titled with modelPath, creating it when there is none.
    frmPanes* showPanes();
    // "&Save" and "Change Image &Map" act on a loaded model only.
    void setModelCommandsEnabled(bool enabled);

    // The splash window, modal, made anew for every showing: at start-up and as the about box.
    void showSplash();

    void mnuFileOpen_Click();
    void mnuFileSave_Click();
    // Ends the program at once: nothing is asked, saved or closed first.
    void mnuFileExit_Click();
    // Replaces the pane's image map with a chosen picture; one that cannot be read changes
    // nothing and is reported.
    void mnuOptionsImageMap_Click();
    void mnuAbout_Click();

private:
    void createDocks();
    void createMenus();
    void createPanes();
    QString modelPathText() const;
    void frmPanes_Unload();

    vw::Model& m_model;
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
    QAction* m_mnuOptionsImageMap = nullptr;
    QAction* m_mnuAbout = nullptr;
};
