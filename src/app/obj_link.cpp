#include "app/obj_link.h"

#include "model/editing/history/working_data.h"
#include "model/editing/limits/edit_limits.h"
#include "model/files/file_io.h"
#include "model/vertex_fields.h"

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

// The positions, and the texture coordinates where the file keeps them, of from into to.
void takeValues(const std::vector<Vertex>& from, std::vector<Vertex>& to, bool keepsTexture) {
    for (size_t j = 0; j < to.size() && j < from.size(); ++j) {
        to[j].x = from[j].x;
        to[j].y = from[j].y;
        to[j].z = from[j].z;
        if (keepsTexture) {
            to[j].u = from[j].u;
            to[j].v = from[j].v;
        }
    }
}

bool keepsTexture(const Model& model) {
    return (storableFields(model) & kTextureFields) != 0;
}

// What read holds for every part, put into the model as one edit.
Result takeWholeModel(Document& document, const Model& read, std::string label, int32_t selCount) {
    const bool texture = keepsTexture(document.model());
    return document.editModel(std::move(label), selCount, [&](std::vector<Part>& parts) {
        for (size_t p = 0; p < parts.size() && p < read.Parts.size(); ++p)
            for (size_t s = 0; s < parts[p].segments.size() && s < read.Parts[p].segments.size();
                 ++s)
                takeValues(read.Parts[p].segments[s].verts, parts[p].segments[s].verts, texture);
    });
}

} // namespace

ObjSelection workingSelection(const Model& model) {
    ObjSelection selection;
    selection.part = model.curPart;
    if (model.curSeg > 0)
        selection.seg = model.curSeg - 1;
    return selection;
}

Result takeObjValues(Document& document, const Model& read, std::string label, int32_t selCount) {
    const Model& model = document.model();
    const bool texture = keepsTexture(model);
    const auto take = [&](std::vector<Segment>& working) {
        for (size_t i = 0; i < working.size(); ++i) {
            if (const std::optional<size_t> seg = partSegmentOf(model, i))
                takeValues(read.Parts[size_t(model.curPart)].segments[*seg].verts, working[i].verts,
                           texture);
        }
    };
    return document.edit(std::move(label), 0, selCount, take);
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

// Read into a copy first, so a file that does not fit changes nothing.
void ObjLink::applyFile() {
    Model read = m_document.model();
    std::string reason = importObjFile(read, m_selection, toPath(m_path)).reason();
    if (reason.empty()) {
        const int32_t selCount = showLinkedData() ? 0 : m_selectionCount();
        const std::string label = "Update from " + fileName().toStdString();
        reason = (m_selection.part ? takeObjValues(m_document, read, label, selCount)
                                   : takeWholeModel(m_document, read, label, selCount))
                     .reason();
    }
    if (reason.empty())
        m_notify(QStringLiteral("Updated from %1").arg(fileName()));
    else
        m_notify(QStringLiteral("%1 was not taken: %2; the link waits for its next save")
                     .arg(fileName(), QString::fromStdString(reason)));
}

} // namespace vw
