#include "model/editing/history/edit_step.h"

#include "model/editing/history/working_data.h"
#include "model/model.h"
#include "model/vertex_fields.h"

#include <cstddef>
#include <cstring>

namespace vw {
namespace {

// The float fields come before the colour bytes.
size_t widthOf(int field) {
    return field < 5 ? sizeof(float) : 1;
}

Segment* segmentOf(Model& model, const SegmentEdit& edit) {
    if (edit.part < 0 || size_t(edit.part) >= model.Parts.size())
        return nullptr;
    auto& segments = model.Parts[size_t(edit.part)].segments;
    if (edit.seg < 0 || size_t(edit.seg) >= segments.size())
        return nullptr;
    return &segments[size_t(edit.seg)];
}

// The working data's copy of the edited segment, when it holds one of the same length.
std::vector<Vertex>* workingCopyOf(Model& model, const SegmentEdit& edit, size_t length) {
    if (edit.part != model.curPart || !workingDataMatchesParts(model))
        return nullptr;
    const size_t index = model.curSeg == 0 ? size_t(edit.seg) : 0;
    const std::optional<size_t> seg = partSegmentOf(model, index);
    if (!seg || *seg != size_t(edit.seg) || model.curData[index].verts.size() != length)
        return nullptr;
    return &model.curData[index].verts;
}

constexpr size_t kFieldOffsets[kVertexFieldCount] = {
    offsetof(Vertex, x),     offsetof(Vertex, y),    offsetof(Vertex, z),
    offsetof(Vertex, u),     offsetof(Vertex, v),    offsetof(Vertex, red),
    offsetof(Vertex, green), offsetof(Vertex, blue), offsetof(Vertex, alpha)};

// Exchanges the field's raw bytes in the vertices with those the edit holds, writing the new
// ones into the working copy as well.
template <size_t Width>
void swapValues(FieldEdit& field, std::vector<Vertex>& verts, std::vector<Vertex>* working) {
    const size_t offset = kFieldOffsets[field.field];
    uint8_t* held = field.values.data();
    field.vertices.forEach([&](uint32_t i) {
        uint8_t* value = reinterpret_cast<uint8_t*>(&verts[i]) + offset;
        uint8_t old[Width];
        std::memcpy(old, value, Width);
        std::memcpy(value, held, Width);
        if (working)
            std::memcpy(reinterpret_cast<uint8_t*>(&(*working)[i]) + offset, held, Width);
        std::memcpy(held, old, Width);
        held += Width;
    });
}

} // namespace

void IndexSet::add(uint32_t index) {
    if (m_runs.empty())
        m_first = index;
    if (!m_runs.empty() && m_runs.back() == index)
        ++m_runs.back();
    else
        m_runs.insert(m_runs.end(), {index, index + 1});
    m_end = index + 1;
}

void IndexSet::finish() {
    const size_t words = (size_t(m_end - m_first) + 63) / 64;
    if (words * sizeof(uint64_t) >= m_runs.size() * sizeof(uint32_t)) {
        m_runs.shrink_to_fit();
        return;
    }
    std::vector<uint64_t> bits(words, 0);
    forEach([&](uint32_t i) { bits[(i - m_first) / 64] |= uint64_t(1) << ((i - m_first) % 64); });
    m_bits = std::move(bits);
    m_runs = std::vector<uint32_t>();
}

size_t IndexSet::bytes() const {
    return m_runs.capacity() * sizeof(uint32_t) + m_bits.capacity() * sizeof(uint64_t);
}

void FieldEdit::add(uint32_t index, uint32_t bits) {
    vertices.add(index);
    if (widthOf(field) == 1) {
        values.push_back(uint8_t(bits));
        return;
    }
    // A float's bytes as the vertex holds them.
    values.resize(values.size() + sizeof(bits));
    std::memcpy(values.data() + values.size() - sizeof(bits), &bits, sizeof(bits));
}

uint16_t SegmentEdit::fieldMask() const {
    uint16_t mask = 0;
    for (const FieldEdit& edit : fields)
        mask |= uint16_t(1u << edit.field);
    return mask;
}

size_t EditStep::bytes() const {
    size_t total = sizeof(EditStep) + label.capacity() + selection.capacity() * sizeof(uint64_t);
    for (const SegmentEdit& edit : edits) {
        total += sizeof(SegmentEdit) + edit.fields.capacity() * sizeof(FieldEdit);
        for (const FieldEdit& field : edit.fields)
            total += field.vertices.bytes() + field.values.capacity();
    }
    return total;
}

bool swapStep(Model& model, EditStep& step) {
    for (const SegmentEdit& edit : step.edits) {
        const Segment* segment = segmentOf(model, edit);
        if (!segment || (edit.end > edit.first && edit.end > segment->verts.size()))
            return false;
    }
    for (SegmentEdit& edit : step.edits) {
        std::vector<Vertex>& verts = segmentOf(model, edit)->verts;
        std::vector<Vertex>* working = workingCopyOf(model, edit, verts.size());
        for (FieldEdit& field : edit.fields) {
            if (widthOf(field.field) == sizeof(float))
                swapValues<sizeof(float)>(field, verts, working);
            else
                swapValues<1>(field, verts, working);
        }
    }
    return true;
}

} // namespace vw
