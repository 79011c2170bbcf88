#pragma once
// The one owner of every edit of a model. Every change of vertex values goes through edit() (or,
// for a pointer drag, beginDrag, dragStep and endDrag): the document checks what the model's file
// can keep, runs the change on the working data, writes it back into Parts, keeps it as one
// undoable step holding only what changed, and tells its listeners. Selection changes, working
// data reloads and opening or closing a model are announced through it too. The model stays an
// object of the caller's (tests and tools make their own).

#include "model/editing/history/edit_step.h"
#include "model/editing/history/vertex_range.h"
#include "model/editing/selection/selection_summary.h"
#include "model/model.h"
#include "model/result.h"
#include "model/shared_or_own.h"
#include "model/signal.h"

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
    bool selection = false;            // the working data's selection changed; see selCount
    int32_t selCount = 0;
    bool model = false;   // a model was opened or closed: everything is new
    bool history = false; // what can be undone or redone, or the saved state, changed
    std::string notice;   // an edit that was refused, and why

    // Whether anything a view draws may differ after it.
    bool drawsDifferently() const { return !vertices.empty() || workingData || selection || model; }
};

class Document {
public:
    explicit Document(Model& model);
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    Model& model() { return m_model; }
    const Model& model() const { return m_model; }

    using Listener = std::function<void(const DocumentChange&)>;
    [[nodiscard]] Subscription subscribe(Listener listener) {
        return m_changed.subscribe(std::move(listener));
    }

    // A model was loaded into the model: the history is emptied and the model counts as saved.
    void modelReplaced();
    // The model was closed: it is emptied (no parts, no path, no working data) and so is the
    // history; nothing can be edited until the next model is loaded.
    void modelClosed();
    bool hasModel() const { return !m_model.Parts.empty() || !m_model.modelPath.empty(); }
    // curPart and curSeg were chosen: reloads curData from Parts (an open drag is ended first).
    void loadWorkingData();
    // The working vertices' selected flags changed; selCount is the count after it. The editing
    // session (edit_session.h) calls it for every change of the selection.
    void selectionChanged(int32_t selCount);
    // Runs whenever the working data was reloaded (or a model opened or closed) or given back by
    // undo or redo, before that is announced, with the selection count the step gave back (none
    // after a reload); returns the count the announcement carries. The session keeps its hiding
    // and its count with the working data through it.
    using WorkingDataFollower = std::function<int32_t(std::optional<int32_t> selCount)>;
    void setWorkingDataFollower(WorkingDataFollower follower) { m_follower = std::move(follower); }

    // Changes the working data; it must keep every segment's vertex count.
    using Change = std::function<void(std::vector<Segment>& workingData)>;

    // One edit of the working data as one undoable step. "%n" in the label becomes
    // "12 Vertices" (or "1 Vertex"), the number of vertices it changed; selCount is the pane's
    // selection count, given back on undo and redo. fields names the vertex fields the change
    // writes into the selected vertices: when the file could not keep them, nothing runs. A
    // change that leaves values the file could not keep (in any vertex) is undone. Either
    // refusal is returned, announced to no one: the caller shows it once. A change that changes
    // nothing leaves no step.
    Result edit(std::string label, uint16_t fields, int32_t selCount, const Change& change);

    // Changes the vertex values of any parts, not only the working data's, as one undoable step
    // labelled as given; the working data shows the new values. A change that leaves values the
    // file could not keep is undone and refused, as edit() does. The change must keep every
    // segment's vertex count.
    using PartsChange = std::function<void(std::vector<Part>& parts)>;
    Result editModel(std::string label, int32_t selCount, const PartsChange& change);

    // A pointer drag as one edit: beginDrag checks as edit does and opens it, each dragStep runs
    // a change (written back into Parts at once when commitNow), endDrag writes back and closes
    // the step, cancelDrag puts back every value as it was at beginDrag and leaves no step.
    // A drag still open when another operation starts is ended first.
    Result beginDrag(std::string label, uint16_t fields, int32_t selCount);
    bool isDragging() const { return m_open.has_value(); }
    void dragStep(const Change& change, bool commitNow = true);
    void endDrag();
    void cancelDrag();

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

    // Tells listeners that an edit was refused, and why: for callers whose only display of a
    // refusal is the status bar's notice.
    void refuse(const std::string& reason);

    // What the selected working vertices have in common: gathered once per announcement for all
    // its listeners, afresh on every call outside one.
    const SelectionSummary& selectionSummary();

private:
    struct OpenEdit {
        std::string label;
        int32_t curPart = 0;
        int32_t curSeg = 0;
        int32_t selCount = 0;
        std::vector<std::vector<Vertex>> before; // the working vertices when it opened
        bool partsHoldBefore = false;            // none taken: nothing was written back yet
    };

    void notify(const DocumentChange& change);
    void commitCurData();
    // Closes the open edit and keeps it as a step; one that left values the file could not
    // keep is put back as it opened, and refused.
    Result closeEdit();
    Result closeOverParts();
    Result keep(OpenEdit open, EditStep step, size_t changed);
    void takeSnapshot();
    void announceVertices(DocumentChange& change);
    Result keepRefusal(const EditStep& step) const;
    void showPartsInWorkingData();
    void putBack(const OpenEdit& open);
    void emptyHistory();
    void push(EditStep step);
    void trim();
    void step(bool redo);
    void restoreWorkingData(const EditStep& step, bool sameData, DocumentChange& change);
    bool matchesOpenEdit() const;

    Model& m_model;
    Signal<const DocumentChange&> m_changed;
    std::optional<OpenEdit> m_open;
    std::vector<EditStep> m_steps;
    size_t m_index = 0;                // steps before it are done
    std::optional<size_t> m_clean = 0; // m_index of the saved state; none once dropped
    size_t m_maxSteps = 200;
    size_t m_maxBytes = size_t(256) << 20;
    std::optional<SelectionSummary> m_summary;
    WorkingDataFollower m_follower;
    int m_announcing = 0; // notify calls under way
};

using DocumentRef = SharedOrOwn<Document>;

} // namespace vw
