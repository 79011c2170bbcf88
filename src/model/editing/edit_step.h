#pragma once
// One undoable edit: only the vertices it changed, by part, segment and index, with the old and
// new raw bits of the fields that changed, and the selection of the working data it was made on.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vw {

struct Model;

// The changed vertices of one segment of Parts. For vertex k of indexes, before and after hold
// one value per field of fields, in field order, at k * fieldCount.
struct SegmentEdit {
    int32_t part = 0;
    int32_t seg = 0;
    uint16_t fields = 0;
    std::vector<uint32_t> indexes;
    std::vector<uint32_t> before;
    std::vector<uint32_t> after;
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

// Writes the step's old (undo) or new (redo) values into Parts. Returns false, writing nothing,
// when the model has no vertex the step names.
bool applyStep(Model& model, const EditStep& step, bool redo);

} // namespace vw
