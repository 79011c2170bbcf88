#include "shared_rings.h"

#include "model/block_sharing.h"
#include "vertex_layout.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace vw::script {

namespace {

constexpr BlockKind kBlockKinds[kBlockKindCount] = {kPositionBlock, kUvBlock, kColourBlock};

Segment& segmentOf(Model& model, SegmentRef ref) {
    return model.Parts[size_t(ref.part)].segments[size_t(ref.seg)];
}

} // namespace

SharedRings::SharedRings(const Model& model) {
    for (size_t p = 0; p < model.Parts.size(); ++p) {
        for (size_t s = 0; s < model.Parts[p].segments.size(); ++s) {
            const SegmentRef self{int32_t(p), int32_t(s)};
            for (BlockKind kind : kBlockKinds) {
                std::vector<SegmentRef> others = vw::sharersOf(model, self, kind);
                if (others.empty() || others.front() < self)
                    continue;
                others.insert(others.begin(), self);
                for (SegmentRef member : others)
                    m_ringOf[{member, kind}] = m_rings.size();
                m_rings.push_back({kind, std::move(others)});
            }
        }
    }
}

SegmentRef SharedRings::holderOf(SegmentRef segment, BlockKind kind) const {
    const auto found = m_ringOf.find({segment, kind});
    return found == m_ringOf.end() ? segment : m_rings[found->second].members.front();
}

std::vector<SegmentRef> SharedRings::sharersOf(SegmentRef segment, BlockKind kind) const {
    const auto found = m_ringOf.find({segment, kind});
    if (found == m_ringOf.end())
        return {};
    std::vector<SegmentRef> others = m_rings[found->second].members;
    std::erase(others, segment);
    return others;
}

void SharedRings::copyToSharers(Model& model) const {
    for (const Ring& ring : m_rings) {
        const Segment& holder = segmentOf(model, ring.members.front());
        for (size_t i = 1; i < ring.members.size(); ++i)
            copyBlockFields(holder, segmentOf(model, ring.members[i]), ring.kind);
    }
}

void SharedRings::spreadFrom(Model& model, const std::set<SegmentRef>& chosen) const {
    for (const Ring& ring : m_rings) {
        const auto source = std::find_if(ring.members.begin(), ring.members.end(),
                                         [&](SegmentRef ref) { return chosen.count(ref) > 0; });
        if (source == ring.members.end())
            continue;
        for (SegmentRef member : ring.members) {
            if (!chosen.count(member))
                copyBlockFields(segmentOf(model, *source), segmentOf(model, member), ring.kind);
        }
    }
}

void copyBlockFields(const Segment& from, Segment& to, BlockKind kind) {
    const FieldRun run = fieldRunOf(kind);
    const size_t count = std::min(from.verts.size(), to.verts.size());
    for (size_t i = 0; i < count; ++i) {
        const auto* source = reinterpret_cast<const std::byte*>(&from.verts[i]) + run.offset;
        std::memcpy(reinterpret_cast<std::byte*>(&to.verts[i]) + run.offset, source, run.bytes);
    }
}

} // namespace vw::script
