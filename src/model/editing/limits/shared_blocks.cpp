#include "model/editing/limits/shared_blocks.h"

#include "model/block_sharing.h"
#include "model/editing/history/working_data.h"
#include "model/vertex_fields.h"

#include <algorithm>
#include <cstdint>
#include <optional>

namespace vw {

namespace {

constexpr BlockKind kBlockKinds[kBlockKindCount] = {kPositionBlock, kUvBlock, kColourBlock};

// The working data's copy of a segment of Parts; null when the working data does not hold it.
Segment* workingSegment(Model& model, SegmentRef ref) {
    if (ref.part != model.curPart)
        return nullptr;
    const size_t index = model.curSeg == 0 ? size_t(ref.seg) : 0;
    const std::optional<size_t> seg = partSegmentOf(model, index);
    return seg && *seg == size_t(ref.seg) ? &model.curData[index] : nullptr;
}

// Copies the fields of vertices [first, end) from source into target; true when a bit changed.
bool copyFields(const std::vector<Vertex>& source, std::vector<Vertex>& target, uint16_t fields,
                uint32_t first, uint32_t end) {
    bool changed = false;
    end = static_cast<uint32_t>(std::min<size_t>({end, source.size(), target.size()}));
    for (uint32_t i = first; i < end; ++i) {
        for (int f = 0; f < kVertexFieldCount; ++f) {
            const uint32_t bits = fieldBits(source[i], f);
            if ((fields >> f & 1u) && fieldBits(target[i], f) != bits) {
                setFieldBits(target[i], f, bits);
                changed = true;
            }
        }
    }
    return changed;
}

// Adds range to the list, merged with an earlier range of the same segment from the same edit.
void addRange(std::vector<VertexRange>& ranges, size_t fromEdit, const VertexRange& range) {
    for (size_t i = fromEdit; i < ranges.size(); ++i) {
        VertexRange& earlier = ranges[i];
        if (earlier.part == range.part && earlier.seg == range.seg) {
            earlier.first = std::min(earlier.first, range.first);
            earlier.end = std::max(earlier.end, range.end);
            return;
        }
    }
    ranges.push_back(range);
}

} // namespace

std::vector<VertexRange> syncSharedBlocks(Model& model, std::span<const VertexRange> changed) {
    std::vector<VertexRange> synced;
    for (const VertexRange& range : changed) {
        const SegmentRef source{range.part, range.seg};
        const size_t fromEdit = synced.size();
        for (BlockKind kind : kBlockKinds) {
            for (SegmentRef sharer : sharersOf(model, source, kind)) {
                const Segment* from = segmentAt(model, source);
                Segment* to = segmentAt(model, sharer);
                if (!from || !to)
                    continue;
                const uint16_t fields = fieldsOfBlock(kind);
                if (Segment* working = workingSegment(model, sharer))
                    copyFields(from->verts, working->verts, fields, range.first, range.end);
                if (copyFields(from->verts, to->verts, fields, range.first, range.end))
                    addRange(synced, fromEdit, {sharer.part, sharer.seg, range.first, range.end});
            }
        }
    }
    return synced;
}

void spreadFromLeaders(Model& model) {
    for (size_t p = 0; p < model.Parts.size(); ++p) {
        for (size_t s = 0; s < model.Parts[p].segments.size(); ++s) {
            const SegmentRef self{int32_t(p), int32_t(s)};
            for (BlockKind kind : kBlockKinds) {
                if (!leadsBlock(model, self, kind))
                    continue;
                for (SegmentRef sharer : sharersOf(model, self, kind)) {
                    if (Segment* to = segmentAt(model, sharer))
                        copyFields(model.Parts[p].segments[s].verts, to->verts, fieldsOfBlock(kind),
                                   0, UINT32_MAX);
                }
            }
        }
    }
}

} // namespace vw
