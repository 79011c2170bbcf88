#include "app/obj_link.h"

#include "model/editing/limits/value_write.h"
#include "model/files/file_io.h"

#include <QFile>
#include <QFileInfo>

#include <filesystem>

namespace vw {
namespace {

// Long enough for a modeller's save to finish, short enough to feel live.
constexpr int kSettleMilliseconds = 100;

std::filesystem::path toPath(const QString& text) {
    return std::filesystem::path(QFile::encodeName(text).toStdString());
}

FileStamp stampNow(const QString& path) {
    FileStamp stamp;
    return currentStamp(toPath(path), stamp) ? stamp : FileStamp{};
}

} // namespace

ObjSelection workingSelection(const Model& model) {
    ObjSelection selection;
    selection.part = model.curPart;
    if (model.curSeg > 0)
        selection.seg = model.curSeg - 1;
    return selection;
}

Result importObjFile(Document& document, const ObjSelection& selection,
                     const std::filesystem::path& path, std::string label, int32_t selCount) {
    ValueWrite values;
    if (Result read = readObjFile(document.model(), selection, path, values); !read)
        return read;
    return writeValues(document, std::move(label), values, selCount);
}

ObjLink::ObjLink(Document& document, Notify notify, SelectionCount selectionCount, QObject* parent)
    : QObject(parent), m_document(document), m_notify(std::move(notify)),
      m_selectionCount(std::move(selectionCount)), m_watch(new ModelFileWatch(this)) {
    m_settle.setSingleShot(true);
    m_settle.setInterval(kSettleMilliseconds);
    connect(m_watch, &ModelFileWatch::touched, this, &ObjLink::fileTouched);
    connect(&m_settle, &QTimer::timeout, this, &ObjLink::settled);
    m_subscription = m_document.subscribe([this](const DocumentChange& change) {
        if (change.model && isLinked())
            unlink();
    });
}

Result ObjLink::link(const QString& path, bool wholeModel) {
    unlink();
    const ObjSelection selection =
        wholeModel ? ObjSelection{} : workingSelection(m_document.model());
    if (const Result written = exportObjFile(m_document.model(), selection, toPath(path)); !written)
        return written;
    m_path = QFileInfo(path).absoluteFilePath();
    m_selection = selection;
    m_handled = m_pending = stampNow(m_path);
    m_watch->watch(m_path);
    m_notify(QStringLiteral("Linked to %1: its saves update the model").arg(fileName()));
    emit linkChanged(true);
    return {};
}

void ObjLink::unlink() {
    if (!isLinked())
        return;
    m_settle.stop();
    m_watch->watch({});
    const QString name = fileName();
    m_path.clear();
    m_notify(QStringLiteral("Unlinked from %1").arg(name));
    emit linkChanged(false);
}

QString ObjLink::fileName() const {
    return QFileInfo(m_path).fileName();
}

void ObjLink::fileTouched() {
    if (!isLinked())
        return;
    m_pending = stampNow(m_path);
    m_settle.start();
}

// Read only once the file stands still: a save still under way is looked at again.
void ObjLink::settled() {
    const FileStamp now = stampNow(m_path);
    if (now != m_pending) {
        m_pending = now;
        m_settle.start();
        return;
    }
    if (now == m_handled || now == FileStamp{})
        return;
    m_handled = now;
    applyFile();
}

// The linked part or segment is made the working data again when the user moved elsewhere.
bool ObjLink::showLinkedData() {
    if (!m_selection.part)
        return false;
    Model& model = m_document.model();
    const int32_t seg = m_selection.seg ? *m_selection.seg + 1 : 0;
    if (model.curPart == *m_selection.part && model.curSeg == seg)
        return false;
    model.curPart = *m_selection.part;
    model.curSeg = seg;
    m_document.loadWorkingData();
    return true;
}

// Read before the linked data is shown again, so a file that does not fit changes nothing.
void ObjLink::applyFile() {
    ValueWrite values;
    std::string reason =
        readObjFile(m_document.model(), m_selection, toPath(m_path), values).reason();
    if (reason.empty()) {
        const int32_t selCount = showLinkedData() ? 0 : m_selectionCount();
        const std::string label = "Update from " + fileName().toStdString();
        reason = writeValues(m_document, label, values, selCount).reason();
    }
    if (reason.empty())
        m_notify(QStringLiteral("Updated from %1").arg(fileName()));
    else
        m_notify(QStringLiteral("%1 was not taken: %2; the link waits for its next save")
                     .arg(fileName(), QString::fromStdString(reason)));
}

} // namespace vw
