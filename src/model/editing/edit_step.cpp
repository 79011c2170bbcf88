#include "model/editing/edit_step.h"

#include "model/editing/working_data.h"
#include "model/model.h"
#include "model/vertex_fields.h"

#include <bit>
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

} // namespace

void IndexSet::add(uint32_t index) {
    if (m_count == 0)
        m_first = index;
    if (!m_runs.empty() && m_runs.back() == index)
        ++m_runs.back();
    else
        m_runs.insert(m_runs.end(), {index, index + 1});
    m_end = index + 1;
    ++m_count;
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
    const size_t width = widthOf(field);
    values.resize(values.size() + width);
    std::memcpy(values.data() + values.size() - width, &bits, width);
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
            const size_t width = widthOf(field.field);
            uint8_t* value = field.values.data();
            field.vertices.forEach([&](uint32_t i) {
                uint32_t bits = 0;
                std::memcpy(&bits, value, width);
                const uint32_t held = fieldBits(verts[i], field.field);
                setFieldBits(verts[i], field.field, bits);
                if (working)
                    setFieldBits((*working)[i], field.field, bits);
                std::memcpy(value, &held, width);
                value += width;
            });
        }
    }
    return true;
}

} // namespace vw
