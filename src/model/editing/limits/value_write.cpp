#include "model/editing/limits/value_write.h"

#include "model/block_sharing.h"
#include "model/editing/limits/edit_limits.h"
#include "model/vertex_fields.h"

#include <map>

namespace vw {
namespace {

constexpr BlockKind kBlockKinds[kBlockKindCount] = {kPositionBlock, kUvBlock, kColourBlock};

bool sameFields(const std::vector<Vertex>& a, const std::vector<Vertex>& b, uint16_t fields) {
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
        for (int f = 0; f < kVertexFieldCount; ++f) {
            if ((fields >> f & 1u) && fieldBits(a[i], f) != fieldBits(b[i], f))
                return false;
        }
    }
    return true;
}

// The fields written into the segment: those asked for, and those its file keeps of the rest.
uint16_t writtenFields(const Model& model, const ValueWrite& write, SegmentRef segment) {
    return write.fields | (write.fieldsIfKept & storableFields(model, segment));
}

// Fails unless the segment exists, takes as many values as it has vertices, and its file keeps
// the fields asked for and every position that moves.
Result checkSegment(const Model& model, const ValueWrite& write, const SegmentValues& values) {
    const Segment* segment = segmentAt(model, values.segment);
    if (!segment)
        return Result::failure("segment " + segmentName(values.segment) + " is not in the model");
    if (segment->verts.size() != values.verts.size())
        return Result::failure("segment " + segmentName(values.segment) + " has " +
                               std::to_string(segment->verts.size()) + " vertices, not " +
                               std::to_string(values.verts.size()));
    if (Result storable = checkStorableFields(model, values.segment, write.fields); !storable)
        return storable;
    if (!(write.fields & kPositionFields))
        return {};
    for (size_t i = 0; i < values.verts.size(); ++i) {
        if (!(changedFields(values.verts[i], segment->verts[i]) & kPositionFields))
            continue;
        if (Result movable =
                checkMovable(model, size_t(values.segment.part), size_t(values.segment.seg), i);
            !movable)
            return movable;
    }
    return {};
}

// Fails when a segment is given twice, or two segments reading one block are given different
// values for it.
Result checkSharers(const Model& model, const ValueWrite& write) {
    std::map<SegmentRef, const SegmentValues*> given;
    for (const SegmentValues& values : write.segments) {
        if (!given.emplace(values.segment, &values).second)
            return Result::failure("segment " + segmentName(values.segment) +
                                   " is given values twice");
    }
    for (const auto& [ref, values] : given) {
        const uint16_t fields = writtenFields(model, write, ref);
        for (BlockKind kind : kBlockKinds) {
            for (SegmentRef sharer : sharersOf(model, ref, kind)) {
                const auto other = given.find(sharer);
                if (sharer < ref || other == given.end())
                    continue;
                if (!sameFields(values->verts, other->second->verts, fields & fieldsOfBlock(kind)))
                    return sharedBlockRefusal(ref, sharer, kind);
            }
        }
    }
    return {};
}

Result checkWrite(const Model& model, const ValueWrite& write) {
    for (const SegmentValues& values : write.segments) {
        if (Result fits = checkSegment(model, write, values); !fits)
            return fits;
    }
    return checkSharers(model, write);
}

} // namespace

Result writeValues(Document& document, std::string label, const ValueWrite& write,
                   int32_t selCount) {
    const Model& model = document.model();
    if (Result fits = checkWrite(model, write); !fits)
        return fits;
    // Field by field into the vertices in place: a script's arrays look at their memory.
    return document.editModel(std::move(label), selCount, [&](std::vector<Part>& parts) {
        for (const SegmentValues& values : write.segments) {
            const uint16_t fields = writtenFields(model, write, values.segment);
            std::vector<Vertex>& verts =
                parts[size_t(values.segment.part)].segments[size_t(values.segment.seg)].verts;
            for (size_t i = 0; i < verts.size(); ++i) {
                for (int f = 0; f < kVertexFieldCount; ++f) {
                    if (fields >> f & 1u)
                        setFieldBits(verts[i], f, fieldBits(values.verts[i], f));
                }
            }
        }
    });
}

} // namespace vw
