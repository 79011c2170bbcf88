#pragma once
// The main window: the pane as a child window of the document area, the docked panels, the
// menus and the status bar.

#include "app/prompts.h"
#include "model/ebo_loader.h"
#include "model/model.h"
#include "views/frm_panes.h"

#include <QMainWindow>
#include <QMdiSubWindow>
#include <QPointer>

class QAction;
class QLabel;
class QMdiArea;
class frmParts;

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

    frmParts* parts() const { return m_parts; }
    // The pane and its child window; null before the first successful load and after the
    // pane was closed.
    frmPanes* panes() const { return m_panes; }
    QMdiSubWindow* paneWindow() const { return m_paneWindow; }
    QMdiArea* mdiArea() const { return m_mdiArea; }
    QLabel* statusPanel() const { return m_statusPanel; }

    QAction* mnuFileOpen() const { return m_mnuFileOpen; }
    QAction* mnuFileSave() const { return m_mnuFileSave; }
    QAction* mnuOptionsImageMap() const { return m_mnuOptionsImageMap; }

    // Shows the pane window titled with modelPath, creating it when there is none.
    frmPanes* showPanes();
    // "&Save" and "Change Image &Map" act on a loaded model only.
    void setModelCommandsEnabled(bool enabled);

    void mnuFileOpen_Click();
    void mnuFileSave_Click();

private:
    void createMenus();
    void createPanes();
    QString modelPathText() const;
    void frmPanes_Unload();

    vw::Model& m_model;
    vw::ModelFolders m_folders;
    vw::Prompts& m_prompts;

    QMdiArea* m_mdiArea = nullptr;
    QLabel* m_statusPanel = nullptr;
    frmParts* m_parts = nullptr;
    QPointer<frmPanes> m_panes;
    QPointer<QMdiSubWindow> m_paneWindow;
    QAction* m_mnuFileOpen = nullptr;
    QAction* m_mnuFileSave = nullptr;
    QAction* m_mnuOptionsImageMap = nullptr;
};
