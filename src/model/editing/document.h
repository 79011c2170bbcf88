#pragma once
// The one owner of every edit of a model. Editors change the working data between beginEdit and
// endEdit and write it back with commitCurData; the document keeps each finished edit as one
// undoable step holding only what changed, tracks the state last saved, and tells its listeners
// what changed. The model stays an object of the caller's (tests and tools make their own).

#include "model/editing/edit_step.h"
#include "model/editing/vertex_range.h"
#include "model/model.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vw {

// What one operation of the document changed; listeners get one per operation.
struct DocumentChange {
    std::vector<VertexRange> vertices; // field values in Parts
    bool workingData = false;          // curPart, curSeg or curData reloaded
    bool selection = false;            // the working data's selection restored to selCount
    int32_t selCount = 0;
    bool model = false;   // a newly loaded model: everything is new
    bool history = false; // what can be undone or redone, or the saved state, changed
    std::string notice;   // an edit that was refused, and why
};

class Document {
public:
    explicit Document(Model& model);
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    Model& model() { return m_model; }
    const Model& model() const { return m_model; }

    using Listener = std::function<void(const DocumentChange&)>;
    int addListener(Listener listener);
    void removeListener(int id);

    // A model was loaded into the model: the history is emptied and the model counts as saved.
    void modelReplaced();
    // curPart and curSeg were chosen: reloads curData from Parts (an open edit is finished first).
    void loadWorkingData();

    // Opens an edit of the working data; "%n" in the label becomes "12 Vertices" (or "1 Vertex")
    // when it closes. selCount is the pane's selection count, given back on undo and redo.
    // An edit already open is finished first.
    void beginEdit(std::string label, int32_t selCount);
    bool isEditing() const { return m_open.has_value(); }
    // Writes curData back into Parts and tells listeners which vertices changed.
    void commitCurData();
    // Closes the open edit; one that changed no vertex leaves no step.
    void endEdit();

    bool canUndo() const { return m_index > 0; }
    bool canRedo() const { return m_index < m_steps.size(); }
    std::string undoLabel() const { return canUndo() ? m_steps[m_index - 1].label : std::string(); }
    std::string redoLabel() const { return canRedo() ? m_steps[m_index].label : std::string(); }
    // Writes the step's values into Parts, makes its part or segment the working data again and
    // restores the selection it was made on.
    void undo();
    void redo();

    // Whether the model is as last saved (or loaded).
    bool isClean() const { return m_clean == m_index; }
    void markClean();

    size_t stepCount() const { return m_steps.size(); }
    size_t historyBytes() const;
    // The oldest steps are dropped beyond either limit; 200 steps and 256 MB unless set.
    void setHistoryLimits(size_t steps, size_t bytes);

    // Tells listeners that an edit was refused, and why.
    void refuse(const std::string& reason);

private:
    struct OpenEdit {
        std::string label;
        int32_t curPart = 0;
        int32_t curSeg = 0;
        int32_t selCount = 0;
        std::vector<std::vector<Vertex>> before; // the working vertices when it opened
    };

    void notify(const DocumentChange& change);
    void push(EditStep step);
    void trim();
    void step(bool redo);
    void restoreWorkingData(const EditStep& step, DocumentChange& change);
    bool matchesOpenEdit() const;

    Model& m_model;
    std::vector<std::pair<int, Listener>> m_listeners;
    int m_nextListener = 1;
    std::optional<OpenEdit> m_open;
    std::vector<EditStep> m_steps;
    size_t m_index = 0;                // steps before it are done
    std::optional<size_t> m_clean = 0; // m_index of the saved state; none once dropped
    size_t m_maxSteps = 200;
    size_t m_maxBytes = size_t(256) << 20;
};

// A window's document: the editor's shared one, or one of its own over a model for a window that
// is made alone (tests, tools).
class DocumentRef {
public:
    explicit DocumentRef(Model& model)
        : m_own(std::make_unique<Document>(model)), m_document(*m_own) {}
    explicit DocumentRef(Document& document) : m_document(document) {}

    Document& get() const { return m_document; }

private:
    std::unique_ptr<Document> m_own;
    Document& m_document;
};

} // namespace vw
