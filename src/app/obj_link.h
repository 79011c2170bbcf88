#pragma once
// A live link to an OBJ file: the working data is written there once, and every later save of
// that file by another program (a modeller keeping it open) comes back as one undoable edit.

#include "app/model_file_watch.h"
#include "model/editing/history/document.h"
#include "model/interchange/obj_io.h"
#include "model/model.h"
#include "model/result.h"
#include "model/signal.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <filesystem>
#include <functional>
#include <string>

namespace vw {

// The working data's part, or its one segment: what an OBJ export or import of it covers.
ObjSelection workingSelection(const Model& model);

// Reads the OBJ file's values for the selection (readObjFile) and writes them as one edit
// (writeValues); fails with a one-line reason, the model unchanged.
Result importObjFile(Document& document, const ObjSelection& selection,
                     const std::filesystem::path& path, std::string label, int32_t selCount);

class ObjLink : public QObject {
    Q_OBJECT
public:
    using Notify = std::function<void(const QString&)>;
    using SelectionCount = std::function<int32_t()>;

    // Every state and update is told through notify; selectionCount gives the pane's count of
    // selected vertices for each edit.
    ObjLink(Document& document, Notify notify, SelectionCount selectionCount,
            QObject* parent = nullptr);

    // Writes the working data (or the whole model) to path as the OBJ export does and follows
    // that file from now on, ending any earlier link. On failure nothing is linked.
    Result link(const QString& path, bool wholeModel = false);
    // Ends the link; opening or closing a model ends it too.
    void unlink();
    bool isLinked() const { return !m_path.isEmpty(); }
    const QString& path() const { return m_path; }

    // A changed file is read once its size and time stayed the same this long, so a file
    // caught half-written is read again when it settles.
    void setSettleMilliseconds(int milliseconds) { m_settle.setInterval(milliseconds); }

signals:
    void linkChanged(bool linked);

private:
    void fileTouched();
    void settled();
    void applyFile();
    bool showLinkedData();
    QString fileName() const;

    Document& m_document;
    Notify m_notify;
    SelectionCount m_selectionCount;
    ModelFileWatch* m_watch = nullptr;
    QTimer m_settle;
    Subscription m_subscription;
    QString m_path;
    ObjSelection m_selection;
    FileStamp m_pending; // the file as last seen changing
    FileStamp m_handled; // the file as written or last read
};

} // namespace vw
