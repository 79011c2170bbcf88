// The main window's file commands beyond Open and Save: Save As, the recent files, OBJ export
// and import of the working data, models dropped on the window, and the watch over the model's
// file for other programs' changes.

#include "app/frm_main.h"

#include "app/gltf_command.h"
#include "app/obj_link.h"
#include "app/open_model.h"
#include "model/ebo/ebo_loader.h"
#include "model/ebo/ebo_saver.h"
#include "model/editing/history/working_data.h"
#include "model/editing/limits/edit_limits.h"
#include "model/files/file_io.h"
#include "model/interchange/obj_io.h"
#include "model/vertex_fields.h"

#include <QAction>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMimeData>

#include <algorithm>
#include <string>

namespace {

constexpr int kRecentCount = 8;
const QString kRecentKey = QStringLiteral("recentFiles");
const QString kEboFilter = QStringLiteral("EBO Files (*.ebo)");
const QString kObjFilter = QStringLiteral("Wavefront OBJ (*.obj)");
constexpr int kNoticeMilliseconds = 5000;

std::filesystem::path toPath(const QString& text) {
    return std::filesystem::path(QFile::encodeName(text).toStdString());
}

// The first local .ebo file among dropped links; empty when there is none.
QString droppedModel(const QMimeData* data) {
    for (const QUrl& url : data->urls())
        if (url.isLocalFile() &&
            url.toLocalFile().endsWith(QStringLiteral(".ebo"), Qt::CaseInsensitive))
            return url.toLocalFile();
    return {};
}

} // namespace

void frmMain::setSettings(vw::Settings* settings) {
    m_settings = settings;
    restoreWindowLayout();
    showRecentFiles();
    restoreModellingAids();
    restoreAidOptions();
    restoreKeyMap();
}

void frmMain::createFileCommands(QMenu* mnuFile) {
    QAction* saveAs = mnuFile->addAction(QStringLiteral("Save &As..."));
    saveAs->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    connect(saveAs, &QAction::triggered, this, &frmMain::mnuFileSaveAs_Click);
    mnuFile->addSeparator();
    QAction* exportObj = mnuFile->addAction(QStringLiteral("&Export OBJ..."));
    connect(exportObj, &QAction::triggered, this, &frmMain::mnuFileExportObj_Click);
    QAction* importObj = mnuFile->addAction(QStringLiteral("&Import OBJ..."));
    connect(importObj, &QAction::triggered, this, &frmMain::mnuFileImportObj_Click);
    QAction* exportGltf = mnuFile->addAction(QStringLiteral("Export &glTF..."));
    connect(exportGltf, &QAction::triggered, this, [this] { vw::exportGltfCommand(*this); });
    QAction* linkObj = mnuFile->addAction(QStringLiteral("&Link OBJ..."));
    connect(linkObj, &QAction::triggered, this, &frmMain::mnuFileLinkObj_Click);
    QAction* unlinkObj = mnuFile->addAction(QStringLiteral("&Unlink OBJ"));
    m_objLink = new vw::ObjLink(
        m_document, [this](const QString& text) { showNotice(text); },
        [this] { return m_panes ? m_panes->pane().SelCount() : 0; }, this);
    connect(unlinkObj, &QAction::triggered, m_objLink, &vw::ObjLink::unlink);
    connect(m_objLink, &vw::ObjLink::linkChanged, unlinkObj, &QAction::setEnabled);
    connect(m_objLink, &vw::ObjLink::linkChanged, this, [this](bool linked) {
        m_linkPanel->setText(
            linked ? QStringLiteral("Linked: %1").arg(QFileInfo(m_objLink->path()).fileName())
                   : QString());
    });
    unlinkObj->setEnabled(false);
    m_paneCommands.append({saveAs, exportObj, importObj, exportGltf, linkObj});
    mnuFile->addSeparator();
    m_recentFiles = mnuFile->addMenu(QStringLiteral("Recent &Files"));
    showRecentFiles();
}

QStringList frmMain::recentFiles() const {
    if (!m_settings)
        return {};
    return m_settings->text(kRecentKey).split(u'\n', Qt::SkipEmptyParts);
}

void frmMain::addRecentFile(const QString& path) {
    if (!m_settings)
        return;
    // Absolute, so the entry still opens when the editor starts from another folder.
    const QString absolute = QFileInfo(path).absoluteFilePath();
    QStringList files = recentFiles();
    files.removeAll(absolute);
    files.prepend(absolute);
    m_settings->setText(kRecentKey, files.mid(0, kRecentCount).join(u'\n'));
    showRecentFiles();
}

// A file that is gone stays listed, greyed, so the list does not shift under the user's hand.
void frmMain::showRecentFiles() {
    if (!m_recentFiles)
        return;
    m_recentFiles->clear();
    const QStringList files = recentFiles();
    for (const QString& file : files) {
        QAction* entry = m_recentFiles->addAction(file);
        entry->setEnabled(QFileInfo::exists(file));
        connect(entry, &QAction::triggered, this, [this, file] {
            if (maySetModelAside())
                vw::openModel(*this, file);
        });
    }
    m_recentFiles->setEnabled(!files.isEmpty());
}

QString frmMain::modelFolder() const {
    return m_model.modelPath.empty() ? QString() : QFileInfo(modelPathText()).absolutePath();
}

bool frmMain::mnuFileSaveAs_Click() {
    if (!m_panes)
        return false;
    const QString path = m_prompts.saveFile(QStringLiteral("Save As"), kEboFilter, modelPathText());
    if (path.isEmpty())
        return false;
    const std::string target = QFile::encodeName(path).toStdString();
    if (m_model.layout == vw::ModelLayout::Delta) {
        const auto now = vw::companionFiles(m_model.modelPath, m_folders.programDir);
        const auto then = vw::companionFiles(target, m_folders.programDir);
        if (then && (!now || now->baseMesh != then->baseMesh)) {
            const vw::PromptAnswer answer = m_prompts.message(
                QStringLiteral("The new file will look for other companion files: %1 and %2.")
                    .arg(QFile::decodeName(then->baseMesh.string().c_str()),
                         QFile::decodeName(then->offsets.string().c_str())),
                QStringLiteral("Vertwright"), vw::PromptIcon::Warning, vw::PromptButtons::YesNo,
                QStringLiteral("Save it under this name all the same?"));
            if (answer != vw::PromptAnswer::Yes)
                return false;
        }
    }
    // The file dialog asked before naming an existing file, the model's own included.
    if (QFileInfo(path) == QFileInfo(modelPathText()))
        vw::overwriteModelFileAsIs(m_model);
    const vw::Result saved = saveGuarded(target);
    if (!saved) {
        reportFailure(QStringLiteral("save"), path, saved.reason());
        return false;
    }
    m_model.modelPath = target;
    m_document.markClean();
    showPanes();
    addRecentFile(path);
    watchModelFile();
    showNotice(QStringLiteral("Saved %1").arg(QFileInfo(path).fileName()));
    return true;
}

// Anything the saver throws (no memory, a file system error) fails the save, as a refusal does;
// the model stays as it was.
vw::Result frmMain::saveGuarded(const std::string& path) {
    try {
        return vw::saveModel(m_model, path, m_folders, vw::SameBytes::kLeaveAlone);
    } catch (const std::exception& error) {
        return vw::Result::failure(error.what());
    }
}

void frmMain::reportFailure(const QString& doing, const QString& path, const std::string& reason) {
    m_prompts.message(
        QStringLiteral("Unable to %1 %2: %3").arg(doing, path, QString::fromStdString(reason)),
        QStringLiteral("Error"), vw::PromptIcon::Error, vw::PromptButtons::Ok);
}

void frmMain::watchModelFile() {
    m_toldChange.reset();
    m_fileWatch->watch(modelPathText());
}

void frmMain::checkModelFileOnDisk() {
    if (!m_panes || !vw::modelFileChanged(m_model))
        return;
    vw::FileStamp now;
    if (!vw::currentStamp(m_model.modelPath, now) || now == m_toldChange)
        return;
    m_toldChange = now;
    const QString name = QFileInfo(modelPathText()).fileName();
    const bool gone = now == vw::FileStamp{};
    if (m_document.isClean() && !gone) {
        const vw::PromptAnswer answer = m_prompts.message(
            QStringLiteral("%1 was changed on disk by another program.").arg(name),
            QStringLiteral("Vertwright"), vw::PromptIcon::Question, vw::PromptButtons::YesNo,
            QStringLiteral("Reload it?"));
        if (answer == vw::PromptAnswer::Yes)
            vw::openModel(*this, modelPathText());
        return;
    }
    showNotice((gone ? QStringLiteral("%1 was deleted by another program")
                     : QStringLiteral("%1 was changed on disk by another program"))
                   .arg(name) +
               QStringLiteral("; saving will ask before overwriting it"));
}

void frmMain::mnuFileExportObj_Click() {
    if (!m_panes)
        return;
    const QString suggested =
        QFileInfo(modelPathText()).completeBaseName() + QStringLiteral(".obj");
    const QString path = m_prompts.saveFile(QStringLiteral("Export OBJ"), kObjFilter,
                                            QDir(modelFolder()).filePath(suggested));
    if (path.isEmpty())
        return;
    const vw::Result exported =
        vw::exportObjFile(m_model, vw::workingSelection(m_model), toPath(path));
    if (!exported)
        reportFailure(QStringLiteral("export"), path, exported.reason());
}

void frmMain::mnuFileImportObj_Click() {
    if (!m_panes)
        return;
    const QString path =
        m_prompts.openFile(QStringLiteral("Import OBJ"), kObjFilter, modelFolder());
    if (path.isEmpty())
        return;
    size_t importedCount = 0;
    for (const vw::Segment& segment : m_model.curData)
        importedCount += segment.verts.size();
    // The label names what was imported; vertices the file cannot move are refused by the
    // edit, which then changes nothing.
    const std::string label = "Import OBJ to " + std::to_string(importedCount) +
                              (importedCount == 1 ? " Vertex" : " Vertices");
    const vw::Result result = vw::importObjFile(m_document, vw::workingSelection(m_model),
                                                toPath(path), label, m_session.selCount());
    if (!result)
        reportFailure(QStringLiteral("import"), path, result.reason());
}

void frmMain::mnuFileLinkObj_Click() {
    if (!m_panes)
        return;
    const QString suggested =
        QFileInfo(modelPathText()).completeBaseName() + QStringLiteral(".obj");
    const QString path = m_prompts.saveFile(QStringLiteral("Link OBJ"), kObjFilter,
                                            QDir(modelFolder()).filePath(suggested));
    if (path.isEmpty())
        return;
    const bool wholeModel =
        m_prompts.message(QStringLiteral("Link the whole model?"), QStringLiteral("Link OBJ"),
                          vw::PromptIcon::Question, vw::PromptButtons::YesNo,
                          QStringLiteral("Yes writes and follows every part; No only the part "
                                         "or segment being edited.")) == vw::PromptAnswer::Yes;
    if (const vw::Result linked = m_objLink->link(path, wholeModel); !linked)
        reportFailure(QStringLiteral("link"), path, linked.reason());
}

void frmMain::dragEnterEvent(QDragEnterEvent* event) {
    if (!droppedModel(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void frmMain::dropEvent(QDropEvent* event) {
    const QString path = droppedModel(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    if (maySetModelAside())
        vw::openModel(*this, path);
}
