#include "model/editing/edit_step.h"

#include "model/model.h"
#include "model/vertex_fields.h"

#include <bit>

namespace vw {

size_t EditStep::bytes() const {
    size_t total = sizeof(EditStep) + label.capacity() + selection.capacity() * sizeof(uint64_t);
    for (const SegmentEdit& edit : edits)
        total += sizeof(SegmentEdit) +
                 (edit.indexes.capacity() + edit.before.capacity() + edit.after.capacity()) *
                     sizeof(uint32_t);
    return total;
}

namespace {

Segment* segmentOf(Model& model, const SegmentEdit& edit) {
    if (edit.part < 0 || size_t(edit.part) >= model.Parts.size())
        return nullptr;
    auto& segments = model.Parts[size_t(edit.part)].segments;
    if (edit.seg < 0 || size_t(edit.seg) >= segments.size())
        return nullptr;
    return &segments[size_t(edit.seg)];
}

bool fits(Model& model, const SegmentEdit& edit) {
    const Segment* segment = segmentOf(model, edit);
    if (!segment)
        return false;
    for (uint32_t index : edit.indexes)
        if (index >= segment->verts.size())
            return false;
    return true;
}

} // namespace

bool applyStep(Model& model, const EditStep& step, bool redo) {
    for (const SegmentEdit& edit : step.edits)
        if (!fits(model, edit))
            return false;
    for (const SegmentEdit& edit : step.edits) {
        std::vector<Vertex>& verts = segmentOf(model, edit)->verts;
        const std::vector<uint32_t>& values = redo ? edit.after : edit.before;
        const size_t count = size_t(std::popcount(edit.fields));
        for (size_t k = 0; k < edit.indexes.size(); ++k) {
            Vertex& vertex = verts[edit.indexes[k]];
            size_t at = k * count;
            for (int f = 0; f < kVertexFieldCount; ++f)
                if (edit.fields & (1u << f))
                    setFieldBits(vertex, f, values[at++]);
        }
    }
    return true;
}

} // namespace vw
