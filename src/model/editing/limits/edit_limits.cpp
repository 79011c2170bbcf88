#include "model/editing/limits/edit_limits.h"

#include "model/block_sharing.h"
#include "model/editing/history/working_data.h"
#include "model/vertex_fields.h"

#include <algorithm>

namespace vw {
namespace {

bool isVersion6(const Model& model) {
    return model.fileVersion == 6;
}

// A loaded delta model always has delta slots; a model made in memory without a file has none.
bool isDelta(const Model& model) {
    return !isVersion6(model) && model.modelFormat == 0 &&
           std::any_of(model.baseMeshes.begin(), model.baseMeshes.end(),
                       [](const BaseMesh& base) { return !base.deltaSlot.empty(); });
}

} // namespace

uint16_t storableFields(const Model& model) {
    constexpr uint16_t all = kPositionFields | kTextureFields | kColourFields | kFieldAlpha;
    if (isVersion6(model))
        return all & ~(kColourFields | kFieldAlpha);
    if (isDelta(model))
        return kPositionFields;
    return all;
}

uint16_t storableFields(const Model& model, SegmentRef segment) {
    const Segment* held = segmentAt(model, segment);
    const uint16_t colour = fieldsOfBlock(kColourBlock);
    return held && held->colorBlockAt == 0 ? storableFields(model) & ~colour
                                           : storableFields(model);
}

Result checkStorableFields(const Model& model, uint16_t fields) {
    if ((fields & ~storableFields(model)) == 0)
        return {};
    if (isDelta(model))
        return Result::failure("A delta model keeps its texture coordinates and colours in the "
                               "base mesh, which is never saved.");
    return Result::failure(
        "This model's file has no colour block, so colours and alpha cannot be saved.");
}

Result checkStorableFields(const Model& model, SegmentRef segment, uint16_t fields) {
    if (Result layout = checkStorableFields(model, fields); !layout)
        return layout;
    if ((fields & ~storableFields(model, segment)) == 0)
        return {};
    return Result::failure("Segment " + std::to_string(segment.part) + "/" +
                           std::to_string(segment.seg) +
                           " has no colour block in the file, so its colours and alpha cannot "
                           "be saved.");
}

Result checkMovable(const Model& model, size_t part, size_t seg, size_t index) {
    if (!isDelta(model) || part >= model.baseMeshes.size() || part >= model.Parts.size() ||
        seg >= model.Parts[part].segments.size())
        return {};
    const BaseMesh& base = model.baseMeshes[part];
    const Segment& segment = model.Parts[part].segments[seg];
    const std::string which =
        "Vertex " + std::to_string(index) + " of part " + std::to_string(part);
    const size_t withBase = std::min(base.deltaSlot.size(), base.basePos.size() / 3);
    if (index >= withBase || base.deltaSlot[index] < 0)
        return Result::failure(which + " has no base position, so it cannot be moved.");
    const size_t slotEnd = (size_t(base.deltaSlot[index]) + 1) * 12;
    if (slotEnd > size_t(std::max(segment.posBlockBytes, 0)))
        return Result::failure(which + " lies past the file's delta block, so it cannot be moved.");
    return {};
}

Result checkEditable(const Model& model, uint16_t fields) {
    if (Result storable = checkStorableFields(model, fields); !storable)
        return storable;
    if (!(fields & kPositionFields) || !isDelta(model))
        return {};
    for (size_t i = 0; i < model.curData.size(); ++i) {
        const std::optional<size_t> seg = partSegmentOf(model, i);
        if (!seg)
            continue;
        const std::vector<Vertex>& verts = model.curData[i].verts;
        for (size_t j = 0; j < verts.size(); ++j) {
            if (verts[j].selected == 0)
                continue;
            if (Result movable = checkMovable(model, size_t(model.curPart), *seg, j); !movable)
                return movable;
        }
    }
    return {};
}

} // namespace vw
