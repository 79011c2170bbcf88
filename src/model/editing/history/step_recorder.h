#pragma once
// Building one segment's part of an undoable step, vertex by vertex, from its values before and
// after an edit.

#include "model/editing/history/edit_step.h"
#include "model/model.h"
#include "model/vertex_fields.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace vw {

class SegmentRecorder {
public:
    SegmentRecorder(int32_t part, int32_t seg);

    // Keeps the old bits of every field in which the vertex differs bit for bit; index is past
    // every index recorded before. Returns whether any field differed.
    bool record(uint32_t index, const Vertex& before, const Vertex& after);

    // How many vertices differed so far.
    size_t changed() const { return m_changed; }
    // The segment's edit; it has no fields when no vertex differed.
    SegmentEdit finish();

private:
    SegmentEdit m_edit;
    std::array<int8_t, kVertexFieldCount> m_slot; // the field's place in m_edit.fields, or -1
    size_t m_changed = 0;
};

// One bit per vertex, in order.
class BitList {
public:
    void push(bool on) {
        if (m_count % 64 == 0)
            m_words.push_back(0);
        m_words.back() |= uint64_t(on) << (m_count % 64);
        ++m_count;
    }
    std::vector<uint64_t> take() { return std::move(m_words); }

private:
    std::vector<uint64_t> m_words;
    size_t m_count = 0;
};

} // namespace vw
