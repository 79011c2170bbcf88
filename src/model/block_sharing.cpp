#include "model/block_sharing.h"

#include "model/vertex_fields.h"

#include <algorithm>
#include <map>
#include <string>
#include <utility>

namespace vw {

namespace {

constexpr BlockKind kBlockKinds[kBlockKindCount] = {kPositionBlock, kUvBlock, kColourBlock};

const char* blockName(BlockKind kind) {
    switch (kind) {
    case kPositionBlock:
        return "position";
    case kUvBlock:
        return "texture";
    default:
        return "colour";
    }
}

bool sameStoredValues(const Segment& a, const Segment& b, uint16_t fields) {
    if (a.verts.size() != b.verts.size())
        return false;
    for (size_t i = 0; i < a.verts.size(); ++i) {
        for (int f = 0; f < kVertexFieldCount; ++f) {
            if ((fields >> f & 1u) && fieldBits(a.verts[i], f) != fieldBits(b.verts[i], f))
                return false;
        }
    }
    return true;
}

} // namespace

uint16_t fieldsOfBlock(BlockKind kind) {
    switch (kind) {
    case kPositionBlock:
        return kPositionFields;
    case kUvBlock:
        return kTextureFields;
    default:
        return kColourFields | kFieldAlpha;
    }
}

int32_t blockAt(const Segment& segment, BlockKind kind) {
    switch (kind) {
    case kPositionBlock:
        return segment.posBlockAt;
    case kUvBlock:
        return segment.uvBlockAt;
    default:
        return segment.colorBlockAt;
    }
}

void linkSharedBlocks(Model& model) {
    for (Part& part : model.Parts) {
        for (Segment& segment : part.segments)
            segment.nextSharer = {};
    }
    if (model.layout == ModelLayout::Delta)
        return;
    for (BlockKind kind : kBlockKinds) {
        std::map<std::pair<int32_t, size_t>, std::vector<SegmentRef>> readers;
        for (size_t p = 0; p < model.Parts.size(); ++p) {
            const std::vector<Segment>& segments = model.Parts[p].segments;
            for (size_t s = 0; s < segments.size(); ++s) {
                const int32_t at = blockAt(segments[s], kind);
                if (at != 0 && !segments[s].verts.empty())
                    readers[{at, segments[s].verts.size()}].push_back(
                        {static_cast<int32_t>(p), static_cast<int32_t>(s)});
            }
        }
        for (const auto& [block, refs] : readers) {
            for (size_t i = 0; refs.size() > 1 && i < refs.size(); ++i) {
                const SegmentRef ref = refs[i];
                model.Parts[size_t(ref.part)].segments[size_t(ref.seg)].nextSharer[kind] =
                    refs[(i + 1) % refs.size()];
            }
        }
    }
}

std::vector<SegmentRef> sharersOf(const Model& model, SegmentRef segment, BlockKind kind) {
    std::vector<SegmentRef> sharers;
    const Segment* at = segmentAt(model, segment);
    // A ring is at most as long as the model has segments; a broken one ends the walk.
    size_t limit = 0;
    for (const Part& part : model.Parts)
        limit += part.segments.size();
    while (at && at->nextSharer[kind] && at->nextSharer[kind] != segment &&
           sharers.size() < limit) {
        sharers.push_back(at->nextSharer[kind]);
        at = segmentAt(model, sharers.back());
    }
    std::sort(sharers.begin(), sharers.end());
    return sharers;
}

SegmentRef blockLeader(const Model& model, SegmentRef segment, BlockKind kind) {
    const std::vector<SegmentRef> sharers = sharersOf(model, segment, kind);
    return sharers.empty() || segment < sharers.front() ? segment : sharers.front();
}

bool leadsBlock(const Model& model, SegmentRef segment, BlockKind kind) {
    return blockLeader(model, segment, kind) == segment;
}

Result sharedBlockRefusal(SegmentRef a, SegmentRef b, BlockKind kind) {
    const auto [first, second] = std::minmax(a, b);
    return Result::failure("segments " + segmentName(first) + " and " + segmentName(second) +
                           " share one " + blockName(kind) + " block: give them the same values");
}

Result checkSharedBlocks(const Model& model) {
    for (size_t p = 0; p < model.Parts.size(); ++p) {
        const std::vector<Segment>& segments = model.Parts[p].segments;
        for (size_t s = 0; s < segments.size(); ++s) {
            for (BlockKind kind : kBlockKinds) {
                const SegmentRef self{static_cast<int32_t>(p), static_cast<int32_t>(s)};
                const SegmentRef next = segments[s].nextSharer[kind];
                const Segment* other = segmentAt(model, next);
                if (!other || sameStoredValues(segments[s], *other, fieldsOfBlock(kind)))
                    continue;
                return sharedBlockRefusal(self, next, kind);
            }
        }
    }
    return {};
}

} // namespace vw
