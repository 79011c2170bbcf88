#include "model/editing/edit_session.h"

#include "model/editing/selection/mesh_selection.h"

namespace vw {
namespace {

bool anySelected(const std::vector<Segment>& data) {
    for (const Segment& segment : data)
        for (const Vertex& vertex : segment.verts)
            if (vertex.selected != 0)
                return true;
    return false;
}

} // namespace

EditSession::EditSession(Model& model)
    : m_own(std::make_unique<Document>(model)), m_document(m_own.get()), m_aids(*m_document) {
    start();
}

EditSession::EditSession(Document& document) : m_document(&document), m_aids(document) {
    start();
}

EditSession::~EditSession() {
    m_document->setWorkingDataFollower({});
}

void EditSession::start() {
    m_aids.setHidden(&m_hidden);
    m_modelSubscription = m_document->subscribe([this](const DocumentChange& change) {
        if (change.model && m_marks.cursor && model().modelPath != m_cursorModel) {
            m_marks.cursor.reset();
            m_pivotChanged.send();
        }
    });
    m_document->setWorkingDataFollower(
        [this](std::optional<int32_t> selCount) { return followWorkingData(selCount); });
}

int32_t EditSession::followWorkingData(std::optional<int32_t> selCount) {
    // Undo and redo give back the working data they were made on with its selection, keeping the
    // hiding; a reload or another model shows every vertex again.
    if (!selCount) {
        m_hidden.showAll();
        m_marks.active.reset();
        return m_selCount = 0;
    }
    m_hidden.follow(model());
    m_selCount =
        m_hidden.deselectHidden(model().curData) ? countSelected(model().curData) : *selCount;
    return m_selCount;
}

void EditSession::select(const SelectionChange& change) {
    m_selCount = change(model().curData, m_selCount);
    m_document->selectionChanged(m_selCount);
}

void EditSession::selectCounted(const std::function<void(std::vector<Segment>& data)>& change) {
    select([&](std::vector<Segment>& data, int32_t) {
        change(data);
        m_hidden.deselectHidden(data);
        return countSelected(data);
    });
}

void EditSession::hideSelected() {
    selectCounted([this](std::vector<Segment>&) { m_hidden.hideSelected(model()); });
}

void EditSession::hideUnselected() {
    selectCounted([this](std::vector<Segment>&) { m_hidden.hideUnselected(model()); });
}

void EditSession::showHidden() {
    selectCounted([this](std::vector<Segment>&) { m_hidden.showAll(); });
}

Result EditSession::edit(std::string label, uint16_t fields, const Document::Change& change,
                         AidUse use) {
    return m_aids.edit(std::move(label), fields, m_selCount, change, use);
}

Result EditSession::beginDrag(std::string label, uint16_t fields) {
    if (!anySelected(model().curData))
        return {};
    return m_aids.beginDrag(std::move(label), fields, m_selCount);
}

bool EditSession::shown(const Result& result) {
    if (!result)
        m_document->refuse(result.reason());
    return result.ok();
}

void EditSession::dragStep(const Document::Change& change, bool commitNow) {
    m_aids.dragStep(change, commitNow);
}

void EditSession::setPivot(Pivot pivot) {
    if (pivot == m_pivot)
        return;
    m_pivot = pivot;
    m_pivotChanged.send();
}

void EditSession::placeCursor(const ModelPoint& at) {
    m_marks.cursor = at;
    m_cursorModel = model().modelPath;
    m_pivotChanged.send();
}

std::optional<ModelPoint> EditSession::pivotPoint() const {
    return vw::pivotPoint(model().curData, m_pivot, m_marks);
}

} // namespace vw
