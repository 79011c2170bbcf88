#include "app/frm_main.h"

#include "app/frm_panes.h"
#include "app/frm_splash.h"
#include "app/open_model.h"
#include "app/pivot_commands.h"
#include "app/start_options.h"
#include "model/ebo/ebo_saver.h"
#include "panels/frm_parts.h"
#include "panels/frm_vertices.h"
#include "tools/frm_tools.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QDockWidget>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QKeyEvent>
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
constexpr int kNoticeMilliseconds = 5000;
const QString kGeometryKey = QStringLiteral("windowGeometry");
const QString kDockLayoutKey = QStringLiteral("windowState");

// Qt shows "[*]" in a title as the modified mark; a literal one is written twice.
QString titleWithModifiedMark(QString path) {
    return path.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]")) + QStringLiteral("[*]");
}

bool isToolLetter(vw::KeyMap map, const QString& text) {
    return text.size() == 1 && text.at(0).unicode() < 128 &&
           vw::toolCodeForLetter(map, char(text.at(0).unicode())) != 0;
}

} // namespace

frmMain::frmMain(vw::Model& model, vw::ModelFolders folders, vw::Prompts& prompts, QWidget* parent)
    : QMainWindow(parent), m_model(model), m_folders(std::move(folders)), m_prompts(prompts) {
    setWindowTitle(QStringLiteral("Vertwright V0.2"));
    setWindowIcon(vw::programIcon());

    m_mdiArea = new QMdiArea(this);
    setCentralWidget(m_mdiArea);

    m_statusPanel = new QLabel(this);
    statusBar()->addWidget(m_statusPanel, 1);
    m_noticePanel = new QLabel(this);
    statusBar()->addWidget(m_noticePanel);
    m_noticeTimer.setSingleShot(true);
    m_noticeTimer.setInterval(kNoticeMilliseconds);
    connect(&m_noticeTimer, &QTimer::timeout, m_noticePanel, &QLabel::clear);
    createStatusPanels();
    setAcceptDrops(true);

    createDocks();
    createMenus();
    m_fileWatch = new vw::ModelFileWatch(this);
    connect(m_fileWatch, &vw::ModelFileWatch::touched, this, &frmMain::checkModelFileOnDisk);
    m_subscription =
        m_document.subscribe([this](const vw::DocumentChange& change) { documentChanged(change); });
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

void frmMain::documentChanged(const vw::DocumentChange& change) {
    if (change.history)
        showHistory();
    // The measure follows the selected vertices' values as well as the selection.
    if (change.model || change.workingData || change.selection || !change.vertices.empty())
        showSelectionCount();
    // Whether the working data is in view depends on it as much as on the view.
    if (change.model || change.workingData || !change.vertices.empty())
        showViewState();
    if (!change.notice.empty())
        showNotice(QString::fromStdString(change.notice));
}

void frmMain::showNotice(const QString& text) {
    m_noticePanel->setText(text);
    m_noticeTimer.start();
}

void frmMain::showHistory() {
    const bool canUndo = m_document.canUndo();
    const bool canRedo = m_document.canRedo();
    m_mnuEditUndo->setEnabled(canUndo);
    m_mnuEditRedo->setEnabled(canRedo);
    m_mnuEditUndo->setText(
        canUndo ? QStringLiteral("&Undo %1").arg(QString::fromStdString(m_document.undoLabel()))
                : QStringLiteral("&Undo"));
    m_mnuEditRedo->setText(
        canRedo ? QStringLiteral("&Redo %1").arg(QString::fromStdString(m_document.redoLabel()))
                : QStringLiteral("&Redo"));
    if (m_paneWindow) {
        m_paneWindow->setWindowModified(!m_document.isClean());
        m_panes->setWindowModified(!m_document.isClean());
    }
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
    m_vertices = new frmVertices(m_document, m_prompts);
    QDockWidget* verticesDock = dock(m_vertices, QStringLiteral("frmVertices"), Qt::Vertical);
    m_parts = new frmParts(m_document);
    m_parts->tvwParts->installEventFilter(this);
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
    createFileCommands(mnuFile);
    mnuFile->addSeparator();
    m_mnuFileExit = mnuFile->addAction(QStringLiteral("E&xit"));
    m_mnuFileExit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_X));
    connect(m_mnuFileExit, &QAction::triggered, this, &frmMain::mnuFileExit_Click);

    QMenu* mnuEdit = menuBar()->addMenu(QStringLiteral("&Edit"));
    m_mnuEditUndo = mnuEdit->addAction(QStringLiteral("&Undo"));
    m_mnuEditUndo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    connect(m_mnuEditUndo, &QAction::triggered, this, [this] { m_document.undo(); });
    m_mnuEditRedo = mnuEdit->addAction(QStringLiteral("&Redo"));
    m_mnuEditRedo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    connect(m_mnuEditRedo, &QAction::triggered, this, [this] { m_document.redo(); });
    mnuEdit->addSeparator();
    QAction* transform = mnuEdit->addAction(QStringLiteral("&Transform..."));
    transform->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    connect(transform, &QAction::triggered, this, &frmMain::mnuEditTransform_Click);
    m_paneCommands.append(transform);
    createNavigationMenus();
    createAidCommands(mnuEdit);
    m_pivotMenu = vw::createPivotCommands(mnuEdit, m_tools, m_session);

    QMenu* mnuOptions = menuBar()->addMenu(QStringLiteral("&Options"));
    m_mnuOptionsImageMap = mnuOptions->addAction(QStringLiteral("Change Image &Map"));
    connect(m_mnuOptionsImageMap, &QAction::triggered, this, &frmMain::mnuOptionsImageMap_Click);
    m_mnuOptionsCompanions = mnuOptions->addAction(QStringLiteral("Companion Files &Folder..."));
    createKeyMapMenu(mnuOptions);
    vw::createStartOptions(mnuOptions, [this] { return m_settings; });
    mnuOptions->addSeparator();
    m_mnuAbout = mnuOptions->addAction(QStringLiteral("About"));
    connect(m_mnuAbout, &QAction::triggered, this, &frmMain::mnuAbout_Click);

    setModelCommandsEnabled(false);
    showHistory();
}

void frmMain::setModelCommandsEnabled(bool enabled) {
    m_mnuFileSave->setEnabled(enabled);
    m_mnuOptionsImageMap->setEnabled(enabled);
    for (QAction* command : m_paneCommands)
        command->setEnabled(enabled);
}

frmPanes* frmMain::showPanes() {
    if (m_paneWindow)
        m_paneWindow->show();
    else
        createPanes();
    const QString title = titleWithModifiedMark(modelPathText());
    m_panes->setWindowTitle(title);
    m_paneWindow->setWindowTitle(title);
    showHistory();
    return m_panes;
}

void frmMain::createPanes() {
    auto* panes = new frmPanes(m_session);
    panes->setKeyMap(m_keyMap);
    connect(panes, &frmPanes::pivotMenuAsked, this, [this] { m_pivotMenu->popup(QCursor::pos()); });
    // The opening model's Init_Ebo draws it; a frame for the window's first size would be lost.
    panes->pane().holdFramesUntilInit();
    panes->closeGuard = [this] { return maySetModelAside(); };
    panes->setBackgroundFilter(
        [parts = m_parts](int32_t nodeIndex) { return parts->isInBackground(nodeIndex); });
    panes->setPreviewFilter(
        [parts = m_parts](int32_t nodeIndex) { return parts->isShown(nodeIndex); });
    connect(panes, &frmPanes::unloaded, this, &frmMain::frmPanes_Unload);
    m_paneWindow = m_mdiArea->addSubWindow(panes);
    m_paneWindow->setAttribute(Qt::WA_DeleteOnClose);
    m_paneWindow->setWindowIcon(windowIcon());
    m_panes = panes;
    m_parts->setPane(&panes->pane());
    m_vertices->setPane(&panes->pane());
    m_tools->attach(panes->pane(), panes->tools(), panes);
    applyModellingAids();
    attachAids();
    connect(&panes->tools().feedback, &vw::ToolFeedback::statusShown, this,
            &frmMain::showRotateStatus);
    // Shown at once: a check box that changes nothing on screen looks broken.
    connect(m_parts, &frmParts::shownChanged, panes, &frmPanes::shownSegmentsChanged);
    connect(&panes->pane(), &vw::Pane::viewChanged, this, &frmMain::showViewState);
    connect(panes, &frmPanes::pointerMoved, this, &frmMain::showPointer);
    loadKeptImageMap();
    // The one document fills the area; the user may restore it to a window of its own.
    m_paneWindow->showMaximized();
}

QString frmMain::modelPathText() const {
    return QFile::decodeName(QByteArray::fromStdString(m_model.modelPath));
}

// Closing the pane closes the model: nothing of it stays to be seen, edited or saved.
void frmMain::frmPanes_Unload() {
    m_panes->tools().abandonDrag();
    setModelCommandsEnabled(false);
    m_tools->detach();
    // The working copy holds the model's bytes: it goes with the model.
    std::error_code ignored;
    std::filesystem::remove(m_folders.workingCopy, ignored);
    m_fileWatch->watch({});
    m_parts->setPane(nullptr);
    m_vertices->setPane(nullptr);
    m_panes = nullptr;
    m_paneWindow = nullptr;
    m_document.modelClosed();
    m_parts->LoadList();
    m_statusPanel->clear();
    for (QLabel* panel : {m_degreesPanel, m_positionPanel, m_selectionPanel, m_zoomPanel})
        panel->clear();
    m_mirrorPanel->clear();
}

bool frmMain::maySetModelAside() {
    if (m_document.isClean())
        return true;
    const QString name = QFileInfo(modelPathText()).fileName();
    const vw::PromptAnswer answer = m_prompts.message(
        QStringLiteral("Save changes to %1?").arg(name), QStringLiteral("Vertwright"),
        vw::PromptIcon::Question, vw::PromptButtons::SaveDiscardCancel);
    if (answer == vw::PromptAnswer::Save)
        return mnuFileSave_Click();
    return answer == vw::PromptAnswer::Discard;
}

void frmMain::mnuFileOpen_Click() {
    if (!maySetModelAside())
        return;
    const QString path = m_prompts.openFile(QStringLiteral("Open"),
                                            QStringLiteral("EBO Files (*.ebo)"), modelFolder());
    if (!path.isEmpty())
        vw::openModel(*this, path);
}

bool frmMain::mnuFileSave_Click() {
    if (vw::modelFileChanged(m_model)) {
        const vw::PromptAnswer answer = m_prompts.message(
            QStringLiteral("%1 was changed on disk since it was opened.").arg(modelPathText()),
            QStringLiteral("Vertwright"), vw::PromptIcon::Warning,
            vw::PromptButtons::OverwriteSaveAsCancel,
            QStringLiteral("Overwrite replaces what the other program wrote with this model."));
        if (answer == vw::PromptAnswer::SaveAs)
            return mnuFileSaveAs_Click();
        if (answer != vw::PromptAnswer::Overwrite)
            return false;
        vw::overwriteModelFileAsIs(m_model);
    }
    const vw::Result saved = saveGuarded(m_model.modelPath);
    if (saved) {
        m_document.markClean();
        showNotice(QStringLiteral("Saved %1").arg(QFileInfo(modelPathText()).fileName()));
        return true;
    }
    reportFailure(QStringLiteral("save"), modelPathText(), saved.reason());
    return false;
}

void frmMain::mnuFileExit_Click() {
    if (!maySetModelAside())
        return;
    keepWindowLayout();
    QCoreApplication::exit(0);
}

void frmMain::closeWithoutAsking() {
    m_closingWithoutAsking = true;
    close();
}

void frmMain::closeEvent(QCloseEvent* event) {
    if (!m_closingWithoutAsking && !maySetModelAside()) {
        event->ignore();
        return;
    }
    keepWindowLayout();
    QMainWindow::closeEvent(event);
}

void frmMain::keepWindowLayout() {
    if (!m_settings)
        return;
    m_settings->setText(kGeometryKey, QString::fromLatin1(saveGeometry().toBase64()));
    m_settings->setText(kDockLayoutKey, QString::fromLatin1(saveState().toBase64()));
}

// Nothing kept, or a layout that no longer fits, leaves the window as it is.
void frmMain::restoreWindowLayout() {
    if (!m_settings)
        return;
    restoreGeometry(QByteArray::fromBase64(m_settings->text(kGeometryKey).toLatin1()));
    restoreState(QByteArray::fromBase64(m_settings->text(kDockLayoutKey).toLatin1()));
}

bool frmMain::forwardToolLetter(const QKeyEvent& event) {
    if (!m_panes || !isToolLetter(m_keyMap, event.text()))
        return false;
    m_panes->pane().Form_KeyPress(event.text().at(0).unicode());
    return true;
}

void frmMain::keyPressEvent(QKeyEvent* event) {
    if (!forwardToolLetter(*event))
        QMainWindow::keyPressEvent(event);
}

// The parts tree would take a letter as a search for a node's name and choose that node.
bool frmMain::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && forwardToolLetter(*static_cast<QKeyEvent*>(event)))
        return true;
    return QMainWindow::eventFilter(watched, event);
}

void frmMain::mnuOptionsImageMap_Click() {
    const QString path = m_prompts.openFile(
        QString(), QStringLiteral("Supported Picture Files (*.bmp *.jpg *.png *.gif)"));
    if (!path.isEmpty() && m_panes)
        setImageMapFrom(path, true);
}

void frmMain::setImageMapFrom(const QString& path, bool report) {
    QImageReader reader(path);
    const QImage picture = reader.read();
    if (picture.isNull()) {
        if (report)
            m_prompts.message(
                QStringLiteral("Unable to load the picture %1: %2").arg(path, reader.errorString()),
                QStringLiteral("Error"), vw::PromptIcon::Error, vw::PromptButtons::Ok);
        return;
    }
    m_panes->setImageMap(picture);
    if (m_settings)
        m_settings->setText(QStringLiteral("imageMap"), path);
    // Shown at once when it is in view, not at the next edit.
    if (m_panes->pane().selectedTab() == vw::kTabUV)
        m_panes->RefreshEbo();
}

void frmMain::loadKeptImageMap() {
    const QString kept = m_settings ? m_settings->text(QStringLiteral("imageMap")) : QString();
    if (!kept.isEmpty())
        setImageMapFrom(kept, false);
}

void frmMain::showSplash() {
    frmSplash splash(this);
    splash.exec();
}

void frmMain::mnuAbout_Click() {
    showSplash();
}
