#include "app/frm_main.h"

#include "app/frm_panes.h"
#include "app/frm_splash.h"
#include "app/open_model.h"
#include "model/ebo_saver.h"
#include "panels/frm_parts.h"
#include "panels/frm_vertices.h"
#include "tools/frm_tools.h"

#include <QAction>
#include <QCoreApplication>
#include <QDockWidget>
#include <QFile>
#include <QImageReader>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QStatusBar>

namespace {

// The initial interior, 10,830 x 8,175 twips.
constexpr int kClientWidth = 722;
constexpr int kClientHeight = 545;
// Wide enough for the sheet's names and values; the drawing gets the rest.
constexpr int kPanelsWidth = 180;
constexpr int kPaletteWidth = 64; // the buttons and the caption "Tools"
constexpr int kSheetHeight = 300; // every item in view

} // namespace

frmMain::frmMain(vw::Model& model, vw::ModelFolders folders, vw::Prompts& prompts, QWidget* parent)
    : QMainWindow(parent), m_model(model), m_folders(std::move(folders)), m_prompts(prompts) {
    setWindowTitle(QStringLiteral("Vertwright V0.2"));
    setWindowIcon(vw::programIcon());

    m_mdiArea = new QMdiArea(this);
    setCentralWidget(m_mdiArea);

    m_statusPanel = new QLabel(this);
    statusBar()->addWidget(m_statusPanel, 1);

    createDocks();
    createMenus();
    resize(kClientWidth,
           kClientHeight + menuBar()->sizeHint().height() + statusBar()->sizeHint().height());
}

frmMain::~frmMain() {
    // The pane dies with this window's children; its unload must not reach a half-gone frmMain,
    // and the panels, going later, must not reach the pane.
    if (m_panes)
        disconnect(m_panes, nullptr, this, nullptr);
    m_parts->setPane(nullptr);
    m_vertices->setPane(nullptr);
}

void frmMain::createDocks() {
    // No menu brings a closed panel back, so the panels can be moved and floated, not closed.
    auto dock = [this](QWidget* panel, const QString& name, Qt::Orientation beside) {
        auto* frame = new QDockWidget(panel->windowTitle(), this);
        frame->setObjectName(name);
        frame->setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
        frame->setWidget(panel);
        addDockWidget(Qt::LeftDockWidgetArea, frame, beside);
        return frame;
    };
    m_vertices = new frmVertices(m_model, m_prompts);
    QDockWidget* verticesDock = dock(m_vertices, QStringLiteral("frmVertices"), Qt::Vertical);
    m_parts = new frmParts(m_model);
    QDockWidget* partsDock = dock(m_parts, QStringLiteral("frmparts"), Qt::Vertical);
    m_tools = new frmTools;
    m_tools->setOrientation(Qt::Vertical);
    m_tools->setMovable(false);
    // The palette gets a column of its own, between the panels and the drawing.
    QDockWidget* toolsDock = dock(m_tools, QStringLiteral("frmTools"), Qt::Horizontal);
    toolsDock->setMinimumWidth(kPaletteWidth);
    resizeDocks({verticesDock}, {kPanelsWidth}, Qt::Horizontal);
    resizeDocks({verticesDock, partsDock}, {kSheetHeight, kClientHeight - kSheetHeight},
                Qt::Vertical);
}

void frmMain::createMenus() {
    QMenu* mnuFile = menuBar()->addMenu(QStringLiteral("&File"));
    m_mnuFileOpen = mnuFile->addAction(QStringLiteral("&Open"));
    m_mnuFileOpen->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    connect(m_mnuFileOpen, &QAction::triggered, this, &frmMain::mnuFileOpen_Click);
    m_mnuFileSave = mnuFile->addAction(QStringLiteral("&Save"));
    m_mnuFileSave->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    connect(m_mnuFileSave, &QAction::triggered, this, &frmMain::mnuFileSave_Click);
    mnuFile->addSeparator();
    m_mnuFileExit = mnuFile->addAction(QStringLiteral("E&xit"));
    m_mnuFileExit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_X));
    connect(m_mnuFileExit, &QAction::triggered, this, &frmMain::mnuFileExit_Click);

    QMenu* mnuOptions = menuBar()->addMenu(QStringLiteral("&Options"));
    m_mnuOptionsImageMap = mnuOptions->addAction(QStringLiteral("Change Image &Map"));
    connect(m_mnuOptionsImageMap, &QAction::triggered, this, &frmMain::mnuOptionsImageMap_Click);
    mnuOptions->addSeparator();
    m_mnuAbout = mnuOptions->addAction(QStringLiteral("About"));
    connect(m_mnuAbout, &QAction::triggered, this, &frmMain::mnuAbout_Click);

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
    m_paneWindow->setWindowIcon(windowIcon());
    m_panes = panes;
    m_parts->setPane(&panes->pane());
    m_vertices->setPane(&panes->pane());
    m_tools->attach(panes->pane(), panes->tools(), panes);
    panes->tools().feedback.onStatus = [panel = m_statusPanel](const QString& text) {
        panel->setText(text);
    };
    // The one document fills the area; the user may restore it to a window of its own.
    m_paneWindow->showMaximized();
}

QString frmMain::modelPathText() const {
    return QFile::decodeName(QByteArray::fromStdString(m_model.modelPath));
}

void frmMain::frmPanes_Unload() {
    setModelCommandsEnabled(false);
    m_parts->setPane(nullptr);
    m_vertices->setPane(nullptr);
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

void frmMain::mnuFileExit_Click() {
    QCoreApplication::exit(0);
}

void frmMain::mnuOptionsImageMap_Click() {
    const QString path =
        m_prompts.openFile(QStringLiteral("Change Image Map"),
                           QStringLiteral("Supported Picture Files (*.bmp *.jpg *.png *.gif)"));
    if (path.isEmpty() || !m_panes)
        return;
    QImageReader reader(path);
    const QImage picture = reader.read();
    if (picture.isNull()) {
        m_prompts.message(
            QStringLiteral("Unable to load the picture %1: %2").arg(path, reader.errorString()),
            QStringLiteral("Error"), vw::PromptIcon::Error, vw::PromptButtons::Ok);
        return;
    }
    m_panes->setImageMap(picture);
}

void frmMain::showSplash() {
    frmSplash splash(this);
    splash.exec();
}

void frmMain::mnuAbout_Click() {
    showSplash();
}
