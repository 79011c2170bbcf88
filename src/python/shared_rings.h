#pragma once
// Segments that read one vertex block of the file, seen from a script: every array of such a
// segment is a view of the first one's vertices, so a write through any of them is one write.
// The others' own vertices, which the library's save, dump and export read, are brought up to
// date before each of those.

#include "model/model.h"
#include "model/result.h"

#include <map>
#include <set>
#include <utility>
#include <vector>

namespace vw::script {

// The segments reading one block of one kind, in model order: the first holds the values.
struct Ring {
    BlockKind kind;
    std::vector<SegmentRef> members;
};

class SharedRings {
public:
    SharedRings() = default;
    explicit SharedRings(const Model& model);

    // The segment whose vertices hold segment's values of the kind: itself unless it shares.
    SegmentRef holderOf(SegmentRef segment, BlockKind kind) const;

    // The other segments that read segment's block of the kind, in model order.
    std::vector<SegmentRef> sharersOf(SegmentRef segment, BlockKind kind) const;

    // Copies each holder's values into the other segments of its rings.
    void copyToSharers(Model& model) const;

    // After some segments (chosen) took new values: each ring that holds one of them takes its
    // values, the first chosen member's, into every member that was not chosen. Chosen members
    // that disagree are left for the library's check to name.
    void spreadFrom(Model& model, const std::set<SegmentRef>& chosen) const;

private:
    std::vector<Ring> m_rings;
    std::map<std::pair<SegmentRef, BlockKind>, size_t> m_ringOf;
};

// Copies, bit for bit, the fields a block of the kind stores from one segment's vertices into
// another's.
void copyBlockFields(const Segment& from, Segment& to, BlockKind kind);

} // namespace vw::script
