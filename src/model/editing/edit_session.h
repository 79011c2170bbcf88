#pragma once
// The editing session: the one owner of what editing works on and with. It holds the document
// (the values and their history), the working data's selection and its count, the hidden
// vertices, the edit aids (symmetry, soft selection) and the snapping rules, and is the one way to
// change any of them. Views and front ends only read it; every change is announced once, through
// the document, by the call that made it.

#include "model/editing/aids/edit_aids.h"
#include "model/editing/aids/pivot.h"
#include "model/editing/history/document.h"
#include "model/editing/selection/hidden_vertices.h"
#include "model/model.h"
#include "model/result.h"
#include "model/signal.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vw {

// How Move drags and nudges land: in whole grid spacings, and on the nearest other vertex.
struct SnapRules {
    bool toGrid = false;
    bool toVertex = false;
    bool operator==(const SnapRules&) const = default;
};

class EditSession {
public:
    // A session over a document of its own, or over the editor's shared one.
    explicit EditSession(Model& model);
    explicit EditSession(Document& document);
    ~EditSession();
    EditSession(const EditSession&) = delete;
    EditSession& operator=(const EditSession&) = delete;

    Document& document() { return *m_document; }
    Model& model() { return m_document->model(); }
    const Model& model() const { return m_document->model(); }
    EditAids& aids() { return m_aids; }
    const EditAids& aids() const { return m_aids; }
    const HiddenVertices& hidden() const { return m_hidden; }
    const SnapRules& snap() const { return m_snap; }
    void setSnap(const SnapRules& rules) { m_snap = rules; }

    // The number of selected working vertices as the selecting gestures count them.
    int32_t selCount() const { return m_selCount; }

    // The one way to change the working data's selection: change sets the selected flags and
    // returns the count it leaves (a pick counts one, a box adds what it caught). The change is
    // announced once.
    using SelectionChange = std::function<int32_t(std::vector<Segment>& data, int32_t selCount)>;
    void select(const SelectionChange& change);
    // The same for changes that leave the count to a recount; hidden vertices are taken out of
    // the selection first.
    void selectCounted(const std::function<void(std::vector<Segment>& data)>& change);
    // Hiding: hidden vertices leave the selection, and no selection takes them in until they are
    // shown again. Not an edit: nothing is kept in the history.
    void hideSelected();
    void hideUnselected();
    void showHidden();

    // The edits of values, with the aids, labelled as the document labels them ("Move %n").
    Result edit(std::string label, uint16_t fields, const Document::Change& change,
                AidUse use = AidUse::MirrorAndSoft);
    // A drag as one edit; nothing is opened while no working vertex is selected (and that is no
    // refusal). endDrag keeps the drag as one step; cancelDrag puts every value back.
    Result beginDrag(std::string label, uint16_t fields);
    void dragStep(const Document::Change& change, bool commitNow = true);
    void endDrag() { m_document->endDrag(); }
    // Shows a refused edit's reason as the status bar's notice, once; returns whether the edit
    // went through. For callers with no display of their own.
    bool shown(const Result& result);
    void cancelDrag() { m_document->cancelDrag(); }

    // What Scale and Rotate work about, and the marks it may be found from: the vertex a click
    // picked last (forgotten when the working data is loaded anew) and the 3D cursor (kept while
    // the model is open, forgotten when another one opens).
    Pivot pivot() const { return m_pivot; }
    void setPivot(Pivot pivot);
    const PivotMarks& pivotMarks() const { return m_marks; }
    void setActiveVertex(std::optional<VertexAt> vertex) { m_marks.active = vertex; }
    void placeCursor(const ModelPoint& at);
    // The pivot's point in the working data; none without a selection.
    std::optional<ModelPoint> pivotPoint() const;
    // Called when the pivot or the cursor changed.
    [[nodiscard]] Subscription subscribePivot(std::function<void()> listener) {
        return m_pivotChanged.subscribe(std::move(listener));
    }

private:
    void start();
    int32_t followWorkingData(std::optional<int32_t> selCount);

    std::unique_ptr<Document> m_own;
    Document* m_document;
    HiddenVertices m_hidden;
    EditAids m_aids;
    SnapRules m_snap;
    int32_t m_selCount = 0;
    Pivot m_pivot = Pivot::BoundingBoxCentre;
    PivotMarks m_marks;
    std::string m_cursorModel; // the modelPath the cursor was placed in
    Signal<> m_pivotChanged;
    Subscription m_modelSubscription;
};

using SessionRef = SharedOrOwn<EditSession>;

} // namespace vw
