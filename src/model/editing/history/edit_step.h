#pragma once
// One undoable edit: only the field values it changed, by part, segment, field and vertex, as
// raw bits, and the selection of the working data it was made on.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vw {

struct Model;

// Increasing vertex indexes of one segment, held as runs or, when that is smaller, as a bitmap
// over their span.
class IndexSet {
public:
    // index is greater than every index added before.
    void add(uint32_t index);
    // Chooses the smaller form; no index is added after it.
    void finish();

    size_t bytes() const;

    template <class Visit> void forEach(Visit visit) const {
        if (m_bits.empty()) {
            for (size_t r = 0; r + 1 < m_runs.size(); r += 2)
                for (uint32_t i = m_runs[r]; i < m_runs[r + 1]; ++i)
                    visit(i);
            return;
        }
        for (uint32_t i = m_first; i < m_end; ++i)
            if (m_bits[(i - m_first) / 64] >> ((i - m_first) % 64) & 1)
                visit(i);
    }

private:
    std::vector<uint32_t> m_runs; // first and end of each run
    std::vector<uint64_t> m_bits; // bit i - m_first, once chosen
    uint32_t m_first = 0;
    uint32_t m_end = 0;
};

// The values of one field in the vertices an edit changed it in, those the model does not hold
// now: the old values while the edit stands, the new ones once it is undone.
struct FieldEdit {
    int field = 0;
    IndexSet vertices;
    std::vector<uint8_t> values; // a float field's 4 bytes or a colour byte, per vertex

    // Adds the vertex, past every vertex added before, with the field's bits the model does not
    // hold after the edit.
    void add(uint32_t index, uint32_t bits);
};

// The changed vertices of one segment of Parts.
struct SegmentEdit {
    int32_t part = 0;
    int32_t seg = 0;
    std::vector<FieldEdit> fields;
    uint32_t first = 0; // the span of the changed vertices
    uint32_t end = 0;

    uint16_t fieldMask() const;
};

struct EditStep {
    std::string label; // "Move 12 Vertices"
    int32_t curPart = 0;
    int32_t curSeg = 0;
    std::vector<SegmentEdit> edits;
    std::vector<uint64_t> selection; // one bit per working vertex, segment by segment
    int32_t selCount = 0;

    size_t bytes() const;
};

// Exchanges the step's values with those of Parts, so undoing a step that stands and redoing
// one that was undone are the same call; the working data, when it holds an edited segment,
// takes the new values too. Returns false, changing nothing, when the model has no vertex the
// step names.
bool swapStep(Model& model, EditStep& step);

} // namespace vw
