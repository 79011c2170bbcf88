#include "app/frm_main.h"

#include "app/open_model.h"
#include "model/ebo_saver.h"
#include "panels/frm_parts.h"
#include "views/frm_panes.h"

#include <QAction>
#include <QDockWidget>
#include <QFile>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QStatusBar>

namespace {

// The initial interior, 10,830 x 8,175 twips.
constexpr int kClientWidth = 722;
constexpr int kClientHeight = 545;
// Wide enough for "Part999" under its check box; the drawing gets the rest.
constexpr int kPartsDockWidth = 150;

} // namespace

frmMain::frmMain(vw::Model& model, vw::ModelFolders folders, vw::Prompts& prompts, QWidget* parent)
    : QMainWindow(parent), m_model(model), m_folders(std::move(folders)), m_prompts(prompts) {
    setWindowTitle(QStringLiteral("Vertwright V0.2"));

    m_mdiArea = new QMdiArea(this);
    setCentralWidget(m_mdiArea);

    m_statusPanel = new QLabel(this);
    statusBar()->addWidget(m_statusPanel, 1);

    m_parts = new frmParts(model);
    auto* partsDock = new QDockWidget(m_parts->windowTitle(), this);
    partsDock->setObjectName(QStringLiteral("frmparts"));
    partsDock->setWidget(m_parts);
    addDockWidget(Qt::LeftDockWidgetArea, partsDock);
    resizeDocks({partsDock}, {kPartsDockWidth}, Qt::Horizontal);

    createMenus();
    resize(kClientWidth,
           kClientHeight + menuBar()->sizeHint().height() + statusBar()->sizeHint().height());
}

frmMain::~frmMain() {
    // The pane dies with this window's children; its unload must not reach a half-gone frmMain.
    if (m_panes)
        disconnect(m_panes, nullptr, this, nullptr);
}

void frmMain::createMenus() {
    QMenu* mnuFile = menuBar()->addMenu(QStringLiteral("&File"));
    m_mnuFileOpen = mnuFile->addAction(QStringLiteral("&Open"));
    m_mnuFileOpen->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    connect(m_mnuFileOpen, &QAction::triggered, this, &frmMain::mnuFileOpen_Click);
    m_mnuFileSave = mnuFile->addAction(QStringLiteral("&Save"));
    m_mnuFileSave->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    connect(m_mnuFileSave, &QAction::triggered, this, &frmMain::mnuFileSave_Click);

    QMenu* mnuOptions = menuBar()->addMenu(QStringLiteral("&Options"));
    m_mnuOptionsImageMap = mnuOptions->addAction(QStringLiteral("Change Image &Map"));

    setModelCommandsEnabled(false);
}

void frmMain::setModelCommandsEnabled(bool enabled) {
    m_mnuFileSave->setEnabled(enabled);
    m_mnuOptionsImageMap->setEnabled(enabled);
}

frmPanes* frmMain::showPanes() {
    if (m_paneWindow)
        m_paneWindow->show();
    else
        createPanes();
    const QString title = modelPathText();
    m_panes->setWindowTitle(title);
    m_paneWindow->setWindowTitle(title);
    return m_panes;
}

void frmMain::createPanes() {
    auto* panes = new frmPanes(m_model);
    panes->setBackgroundFilter(
        [parts = m_parts](int32_t nodeIndex) { return parts->isInBackground(nodeIndex); });
    connect(panes, &frmPanes::unloaded, this, &frmMain::frmPanes_Unload);
    m_paneWindow = m_mdiArea->addSubWindow(panes);
    m_paneWindow->setAttribute(Qt::WA_DeleteOnClose);
    m_panes = panes;
    m_parts->setPane(panes);
    // The one document fills the area; the user may restore it to a window of its own.
    m_paneWindow->showMaximized();
}

QString frmMain::modelPathText() const {
    return QFile::decodeName(QByteArray::fromStdString(m_model.modelPath));
}

void frmMain::frmPanes_Unload() {
    setModelCommandsEnabled(false);
    m_parts->setPane(nullptr);
    m_panes = nullptr;
    m_paneWindow = nullptr;
}

void frmMain::mnuFileOpen_Click() {
    const QString path =
        m_prompts.openFile(QStringLiteral("Open"), QStringLiteral("EBO Files (*.ebo)"));
    if (!path.isEmpty())
        vw::openModel(*this, path);
}

void frmMain::mnuFileSave_Click() {
    const std::string reason = vw::saveModel(m_model, m_model.modelPath, m_folders);
    if (reason.empty())
        return;
    m_prompts.message(QStringLiteral("Unable to save %1: %2")
                          .arg(modelPathText(), QString::fromStdString(reason)),
                      QStringLiteral("Error"), vw::PromptIcon::Error, vw::PromptButtons::Ok);
}
