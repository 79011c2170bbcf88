#include "model/editing/history/step_recorder.h"

#include <bit>

namespace vw {
namespace {

// Most vertices of a small edit keep their values: one quick comparison passes them over before
// the field by field one.
bool sameValues(const Vertex& a, const Vertex& b) {
    return std::bit_cast<uint32_t>(a.x) == std::bit_cast<uint32_t>(b.x) &&
           std::bit_cast<uint32_t>(a.y) == std::bit_cast<uint32_t>(b.y) &&
           std::bit_cast<uint32_t>(a.z) == std::bit_cast<uint32_t>(b.z) &&
           std::bit_cast<uint32_t>(a.u) == std::bit_cast<uint32_t>(b.u) &&
           std::bit_cast<uint32_t>(a.v) == std::bit_cast<uint32_t>(b.v) && a.red == b.red &&
           a.green == b.green && a.blue == b.blue && a.alpha == b.alpha;
}

} // namespace

SegmentRecorder::SegmentRecorder(int32_t part, int32_t seg) {
    m_edit.part = part;
    m_edit.seg = seg;
    m_slot.fill(-1);
}

bool SegmentRecorder::record(uint32_t index, const Vertex& before, const Vertex& after) {
    if (sameValues(before, after))
        return false;
    const uint16_t fields = changedFields(before, after);
    for (int f = 0; f < kVertexFieldCount; ++f) {
        if (!(fields >> f & 1u))
            continue;
        if (m_slot[size_t(f)] < 0) {
            m_slot[size_t(f)] = int8_t(m_edit.fields.size());
            m_edit.fields.push_back({f, {}, {}});
        }
        m_edit.fields[size_t(m_slot[size_t(f)])].add(index, fieldBits(before, f));
    }
    if (m_changed == 0)
        m_edit.first = index;
    m_edit.end = index + 1;
    ++m_changed;
    return true;
}

SegmentEdit SegmentRecorder::finish() {
    for (FieldEdit& field : m_edit.fields) {
        field.vertices.finish();
        field.values.shrink_to_fit();
    }
    return std::move(m_edit);
}

} // namespace vw
