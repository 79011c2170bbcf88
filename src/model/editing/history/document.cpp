#include "model/editing/history/document.h"

#include "model/editing/history/step_recorder.h"
#include "model/editing/history/working_data.h"
#include "model/editing/limits/edit_limits.h"
#include "model/editing/limits/shared_blocks.h"
#include "model/vertex_fields.h"

#include <algorithm>
#include <bit>

namespace vw {
namespace {

template <class T> uint32_t bitsOf(T value) {
    return std::bit_cast<uint32_t>(value);
}

// Bit for bit, so a -0.0 written over 0.0 or a changed NaN counts as a change.
bool sameBits(const Vertex& a, const Vertex& b) {
    return bitsOf(a.x) == bitsOf(b.x) && bitsOf(a.y) == bitsOf(b.y) && bitsOf(a.z) == bitsOf(b.z) &&
           bitsOf(a.u) == bitsOf(b.u) && bitsOf(a.v) == bitsOf(b.v) && a.red == b.red &&
           a.green == b.green && a.blue == b.blue && a.alpha == b.alpha && a.selected == b.selected;
}

// The segment's strip and file positions, which the working data carries along.
void copyRecord(const Segment& from, Segment& to) {
    if (to.strip != from.strip)
        to.strip = from.strip;
    to.posBlockAt = from.posBlockAt;
    to.colorBlockAt = from.colorBlockAt;
    to.uvBlockAt = from.uvBlockAt;
    to.stripBlockAt = from.stripBlockAt;
    to.nodeIndex = from.nodeIndex;
    to.posBlockBytes = from.posBlockBytes;
}

// Copies the working segment over its place in Parts, vertex by vertex, and returns the range of
// vertices whose values or flags differed; empty when none did.
VertexRange copyBack(const Segment& from, Segment& to, int32_t part, int32_t seg) {
    VertexRange range{part, seg, 0, 0};
    if (from.verts.size() != to.verts.size()) {
        to = from;
        range.end = uint32_t(from.verts.size());
        return range;
    }
    bool any = false;
    for (size_t i = 0; i < from.verts.size(); ++i) {
        if (sameBits(from.verts[i], to.verts[i]))
            continue;
        to.verts[i] = from.verts[i];
        if (!any)
            range.first = uint32_t(i);
        range.end = uint32_t(i + 1);
        any = true;
    }
    copyRecord(from, to);
    return range;
}

std::vector<uint64_t> selectionBits(const std::vector<Segment>& data) {
    BitList bits;
    for (const Segment& segment : data)
        for (const Vertex& vertex : segment.verts)
            bits.push(vertex.selected != 0);
    return bits.take();
}

// Sets the working vertices' flags from the bits, and their counterparts' in Parts with them.
void applySelection(Model& model, const std::vector<uint64_t>& bits) {
    size_t n = 0;
    for (size_t i = 0; i < model.curData.size(); ++i) {
        const std::optional<size_t> seg = partSegmentOf(model, i);
        std::vector<Vertex>& verts = model.curData[i].verts;
        std::vector<Vertex>* stored =
            seg ? &model.Parts[size_t(model.curPart)].segments[*seg].verts : nullptr;
        for (size_t j = 0; j < verts.size(); ++j, ++n) {
            const bool on = n / 64 < bits.size() && (bits[n / 64] >> (n % 64) & 1);
            verts[j].selected = on ? -1 : 0;
            if (stored && j < stored->size())
                (*stored)[j].selected = verts[j].selected;
        }
    }
}

std::string countText(size_t count) {
    return std::to_string(count) + (count == 1 ? " Vertex" : " Vertices");
}

std::string labelFor(std::string label, size_t count) {
    const size_t at = label.find("%n");
    if (at != std::string::npos)
        label.replace(at, 2, countText(count));
    return label;
}

// The changed vertices of one segment against its state when the edit opened.
SegmentEdit diffSegment(const std::vector<Vertex>& before, const std::vector<Vertex>& after,
                        int32_t part, int32_t seg, size_t& changed) {
    SegmentRecorder recorder(part, seg);
    const size_t n = std::min(before.size(), after.size());
    for (size_t i = 0; i < n; ++i)
        recorder.record(uint32_t(i), before[i], after[i]);
    changed += recorder.changed();
    return recorder.finish();
}

// Writes the working segment's vertices into their segment of Parts, which holds them as the
// edit found them, recording what changed and the working selection in the same pass. Returns
// the range of vertices whose values or flags differed.
VertexRange commitSegment(const std::vector<Vertex>& working, std::vector<Vertex>& stored,
                          SegmentRecorder& recorder, BitList& selection, VertexRange range) {
    bool any = false;
    for (size_t i = 0; i < working.size(); ++i) {
        const Vertex& from = working[i];
        Vertex& to = stored[i];
        selection.push(from.selected != 0);
        const bool changed = recorder.record(uint32_t(i), to, from);
        if (!changed && from.selected == to.selected)
            continue;
        to = from;
        if (!any)
            range.first = uint32_t(i);
        range.end = uint32_t(i + 1);
        any = true;
    }
    return range;
}

} // namespace

Document::Document(Model& model) : m_model(model) {}

void Document::modelReplaced() {
    m_open.reset();
    emptyHistory();
    DocumentChange change;
    change.model = true;
    change.history = true;
    if (m_follower)
        change.selCount = m_follower(std::nullopt);
    notify(change);
}

void Document::modelClosed() {
    m_open.reset();
    m_model = Model{};
    modelReplaced();
}

void Document::emptyHistory() {
    m_steps.clear();
    m_index = 0;
    m_clean = 0;
}

void Document::loadWorkingData() {
    if (m_open)
        endDrag();
    loadCurData(m_model);
    DocumentChange change;
    change.workingData = true;
    if (m_follower)
        change.selCount = m_follower(std::nullopt);
    notify(change);
}

void Document::selectionChanged(int32_t selCount) {
    DocumentChange change;
    change.selection = true;
    change.selCount = selCount;
    notify(change);
}

Result Document::edit(std::string label, uint16_t fields, int32_t selCount, const Change& change) {
    if (Result opened = beginDrag(std::move(label), fields, selCount); !opened)
        return opened;
    dragStep(change, false);
    return closeEdit();
}

Result Document::beginDrag(std::string label, uint16_t fields, int32_t selCount) {
    if (m_open)
        endDrag();
    if (!hasModel())
        return Result::failure("No model is open.");
    if (const Result editable = checkEditable(m_model, fields); !editable)
        return editable;
    m_open = OpenEdit{std::move(label), m_model.curPart, m_model.curSeg, selCount, {}, true};
    // Until the first write-back, Parts hold the values the edit opened on.
    if (!workingDataMatchesParts(m_model))
        takeSnapshot();
    return {};
}

void Document::takeSnapshot() {
    m_open->before.reserve(m_model.curData.size());
    for (const Segment& segment : m_model.curData)
        m_open->before.push_back(segment.verts);
    m_open->partsHoldBefore = false;
}

Result Document::editModel(std::string label, int32_t selCount, const PartsChange& change) {
    if (m_open)
        endDrag();
    if (!hasModel())
        return Result::failure("No model is open.");
    std::vector<std::vector<std::vector<Vertex>>> before(m_model.Parts.size());
    for (size_t p = 0; p < m_model.Parts.size(); ++p)
        for (const Segment& segment : m_model.Parts[p].segments)
            before[p].push_back(segment.verts);
    change(m_model.Parts);
    EditStep step;
    step.curPart = m_model.curPart;
    step.curSeg = m_model.curSeg;
    step.selCount = selCount;
    size_t changed = 0;
    for (size_t p = 0; p < before.size(); ++p)
        for (size_t s = 0; s < before[p].size(); ++s) {
            SegmentEdit edit = diffSegment(before[p][s], m_model.Parts[p].segments[s].verts,
                                           int32_t(p), int32_t(s), changed);
            if (!edit.fields.empty())
                step.edits.push_back(std::move(edit));
        }
    if (changed == 0)
        return {};
    if (const Result kept = keepRefusal(step); !kept) {
        for (size_t p = 0; p < before.size(); ++p)
            for (size_t s = 0; s < before[p].size(); ++s)
                m_model.Parts[p].segments[s].verts = std::move(before[p][s]);
        return kept;
    }
    DocumentChange news;
    for (const SegmentEdit& edit : step.edits)
        news.vertices.push_back({edit.part, edit.seg, edit.first, edit.end});
    const std::vector<VertexRange> sharers = syncSharedBlocks(m_model, news.vertices);
    news.vertices.insert(news.vertices.end(), sharers.begin(), sharers.end());
    showPartsInWorkingData();
    step.label = labelFor(std::move(label), changed);
    step.selection = selectionBits(m_model.curData);
    notify(news);
    push(std::move(step));
    return {};
}

// The working data takes the stored values of Parts, keeping its own selection.
void Document::showPartsInWorkingData() {
    for (size_t i = 0; i < m_model.curData.size(); ++i) {
        const std::optional<size_t> seg = partSegmentOf(m_model, i);
        if (!seg)
            return;
        const auto& from = m_model.Parts[size_t(m_model.curPart)].segments[*seg].verts;
        auto& to = m_model.curData[i].verts;
        for (size_t j = 0; j < to.size() && j < from.size(); ++j) {
            const int16_t selected = to[j].selected;
            to[j] = from[j];
            to[j].selected = selected;
        }
    }
}

void Document::dragStep(const Change& change, bool commitNow) {
    if (!m_open)
        return;
    if (commitNow && m_open->partsHoldBefore)
        takeSnapshot();
    change(m_model.curData);
    if (commitNow)
        commitCurData();
}

void Document::endDrag() {
    // A refusal was announced by closeEdit; a drag has no caller left to tell.
    (void)closeEdit();
}

void Document::cancelDrag() {
    if (!m_open)
        return;
    const bool fits = matchesOpenEdit();
    const OpenEdit open = std::move(*m_open);
    m_open.reset();
    if (!fits)
        return;
    if (open.partsHoldBefore) {
        showPartsInWorkingData();
        commitCurData();
    } else {
        putBack(open);
    }
}

void Document::putBack(const OpenEdit& open) {
    for (size_t i = 0; i < open.before.size(); ++i)
        m_model.curData[i].verts = open.before[i];
    commitCurData();
}

void Document::commitCurData() {
    DocumentChange change;
    if (namesWorkingData(m_model)) {
        auto& segments = m_model.Parts[size_t(m_model.curPart)].segments;
        const int32_t part = m_model.curPart;
        if (m_model.curSeg == 0 && segments.size() != m_model.curData.size()) {
            vw::commitCurData(m_model);
            for (size_t s = 0; s < segments.size(); ++s)
                change.vertices.push_back(
                    {part, int32_t(s), 0, uint32_t(segments[s].verts.size())});
        } else {
            for (size_t i = 0; i < m_model.curData.size(); ++i) {
                const std::optional<size_t> s = partSegmentOf(m_model, i);
                if (!s)
                    break;
                const VertexRange range =
                    copyBack(m_model.curData[i], segments[*s], part, int32_t(*s));
                if (range.end > range.first)
                    change.vertices.push_back(range);
            }
        }
    }
    announceVertices(change);
}

void Document::announceVertices(DocumentChange& change) {
    if (change.vertices.empty())
        return;
    // Segments reading one block of the file change together.
    const std::vector<VertexRange> sharers = syncSharedBlocks(m_model, change.vertices);
    change.vertices.insert(change.vertices.end(), sharers.begin(), sharers.end());
    notify(change);
}

bool Document::matchesOpenEdit() const {
    if (m_open->curPart != m_model.curPart || m_open->curSeg != m_model.curSeg)
        return false;
    if (m_open->partsHoldBefore)
        return workingDataMatchesParts(m_model);
    if (m_open->before.size() != m_model.curData.size())
        return false;
    for (size_t i = 0; i < m_open->before.size(); ++i)
        if (m_open->before[i].size() != m_model.curData[i].verts.size())
            return false;
    return true;
}

// Fails with why the file could not keep what the step changed.
Result Document::keepRefusal(const EditStep& step) const {
    uint16_t fields = 0;
    for (const SegmentEdit& edit : step.edits)
        fields |= edit.fieldMask();
    if (Result storable = checkStorableFields(m_model, fields); !storable)
        return storable;
    for (const SegmentEdit& edit : step.edits) {
        for (const FieldEdit& field : edit.fields) {
            if (!((1u << field.field) & kPositionFields))
                continue;
            Result movable;
            field.vertices.forEach([&](uint32_t i) {
                if (movable)
                    movable = checkMovable(m_model, size_t(edit.part), size_t(edit.seg), i);
            });
            if (!movable)
                return movable;
        }
    }
    return {};
}

Result Document::closeEdit() {
    if (!m_open)
        return {};
    if (m_open->partsHoldBefore)
        return closeOverParts();
    commitCurData();
    const bool fits = matchesOpenEdit();
    OpenEdit open = std::move(*m_open);
    m_open.reset();
    if (!fits)
        return {};
    EditStep step;
    size_t changed = 0;
    for (size_t i = 0; i < open.before.size(); ++i) {
        const std::optional<size_t> seg = partSegmentOf(m_model, i);
        if (!seg)
            return {};
        SegmentEdit edit = diffSegment(open.before[i], m_model.curData[i].verts, open.curPart,
                                       int32_t(*seg), changed);
        if (!edit.fields.empty())
            step.edits.push_back(std::move(edit));
    }
    if (changed == 0)
        return {};
    if (const Result kept = keepRefusal(step); !kept) {
        putBack(open);
        return kept;
    }
    step.selection = selectionBits(m_model.curData);
    return keep(std::move(open), std::move(step), changed);
}

// Parts still hold the values the edit opened on: one pass over the working data writes it back,
// finds what changed and notes the selection.
Result Document::closeOverParts() {
    const bool fits = matchesOpenEdit();
    OpenEdit open = std::move(*m_open);
    m_open.reset();
    if (!fits) {
        commitCurData();
        return {};
    }
    std::vector<Segment>& segments = m_model.Parts[size_t(open.curPart)].segments;
    EditStep step;
    DocumentChange change;
    BitList selection;
    size_t changed = 0;
    for (size_t i = 0; i < m_model.curData.size(); ++i) {
        const int32_t seg = int32_t(*partSegmentOf(m_model, i));
        Segment& stored = segments[size_t(seg)];
        SegmentRecorder recorder(open.curPart, seg);
        const VertexRange range = commitSegment(m_model.curData[i].verts, stored.verts, recorder,
                                                selection, {open.curPart, seg, 0, 0});
        copyRecord(m_model.curData[i], stored);
        if (range.end > range.first)
            change.vertices.push_back(range);
        changed += recorder.changed();
        if (SegmentEdit edit = recorder.finish(); !edit.fields.empty())
            step.edits.push_back(std::move(edit));
    }
    if (changed > 0) {
        if (const Result kept = keepRefusal(step); !kept) {
            swapStep(m_model, step);
            return kept;
        }
    }
    announceVertices(change);
    if (changed == 0)
        return {};
    step.selection = selection.take();
    return keep(std::move(open), std::move(step), changed);
}

Result Document::keep(OpenEdit open, EditStep step, size_t changed) {
    step.curPart = open.curPart;
    step.curSeg = open.curSeg;
    step.selCount = open.selCount;
    step.label = labelFor(std::move(open.label), changed);
    push(std::move(step));
    return {};
}

void Document::push(EditStep step) {
    m_steps.resize(m_index);
    if (m_clean && *m_clean > m_index)
        m_clean.reset();
    m_steps.push_back(std::move(step));
    ++m_index;
    trim();
    DocumentChange change;
    change.history = true;
    notify(change);
}

void Document::trim() {
    size_t drop = 0;
    size_t bytes = historyBytes();
    while (m_steps.size() - drop > 1 &&
           (m_steps.size() - drop > m_maxSteps || bytes > m_maxBytes)) {
        bytes -= m_steps[drop].bytes();
        ++drop;
    }
    if (drop == 0)
        return;
    m_steps.erase(m_steps.begin(), m_steps.begin() + std::ptrdiff_t(drop));
    m_index -= drop;
    if (m_clean && *m_clean >= drop)
        *m_clean -= drop;
    else
        m_clean.reset();
}

size_t Document::historyBytes() const {
    size_t total = 0;
    for (const EditStep& step : m_steps)
        total += step.bytes();
    return total;
}

void Document::setHistoryLimits(size_t steps, size_t bytes) {
    m_maxSteps = std::max<size_t>(steps, 1);
    m_maxBytes = bytes;
    trim();
}

void Document::undo() {
    step(false);
}

void Document::redo() {
    step(true);
}

void Document::step(bool redo) {
    if (m_open)
        endDrag();
    if (redo ? !canRedo() : !canUndo())
        return;
    EditStep& step = m_steps[redo ? m_index : m_index - 1];
    // The step writes its values into the working data too when that holds what it edited.
    const bool sameData = m_model.curPart == step.curPart && m_model.curSeg == step.curSeg &&
                          workingDataMatchesParts(m_model);
    if (!swapStep(m_model, step))
        return;
    m_index = redo ? m_index + 1 : m_index - 1;
    DocumentChange change;
    for (const SegmentEdit& edit : step.edits)
        change.vertices.push_back({edit.part, edit.seg, edit.first, edit.end});
    // A step holds the segments edited through the working data; those sharing their blocks
    // outside it follow.
    const std::vector<VertexRange> sharers = syncSharedBlocks(m_model, change.vertices);
    change.vertices.insert(change.vertices.end(), sharers.begin(), sharers.end());
    restoreWorkingData(step, sameData, change);
    change.history = true;
    notify(change);
}

void Document::restoreWorkingData(const EditStep& step, bool sameData, DocumentChange& change) {
    m_model.curPart = step.curPart;
    m_model.curSeg = step.curSeg;
    if (!sameData)
        loadCurData(m_model);
    applySelection(m_model, step.selection);
    change.workingData = true;
    change.selection = true;
    change.selCount = m_follower ? m_follower(step.selCount) : step.selCount;
}

void Document::markClean() {
    m_clean = m_index;
    DocumentChange change;
    change.history = true;
    notify(change);
}

void Document::notify(const DocumentChange& change) {
    struct Announcing {
        Document& document;
        explicit Announcing(Document& d) : document(d) {
            ++document.m_announcing;
            document.m_summary.reset();
        }
        // A listener's own announcement may follow a change: the listeners after it look again.
        ~Announcing() {
            --document.m_announcing;
            document.m_summary.reset();
        }
    } announcing(*this);
    m_changed.send(change);
}

const SelectionSummary& Document::selectionSummary() {
    if (!m_summary || m_announcing == 0)
        m_summary = summarizeSelection(m_model.curData);
    return *m_summary;
}

void Document::refuse(const std::string& reason) {
    DocumentChange change;
    change.notice = reason;
    notify(change);
}

} // namespace vw
