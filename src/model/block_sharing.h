#pragma once
// Segments that read one vertex block of the file: a block pointed at by several segments holds
// one set of values, so their vertices must agree in the fields it stores.

#include "model/model.h"
#include "model/result.h"

#include <cstdint>
#include <vector>

namespace vw {

// The vertex fields (vertex_fields.h) a block of the kind stores: x, y, z; u, v; or the colour
// bytes with alpha.
uint16_t fieldsOfBlock(BlockKind kind);

// The block's recorded 1-based file position in the segment; 0 when it has none.
int32_t blockAt(const Segment& segment, BlockKind kind);

// Rings the segments whose blocks of one kind start at the same recorded position with the same
// number of vertices (nextSharer); blocks that overlap in any other way are not linked. A delta
// model links nothing: its position data is one delta block per part over that part's own base
// mesh, so two parts on one block would share differences, not values.
void linkSharedBlocks(Model& model);

// The other segments that read segment's block of the kind, in model order; empty when the
// block is its own.
std::vector<SegmentRef> sharersOf(const Model& model, SegmentRef segment, BlockKind kind);

// The first in model order of the segments reading segment's block of the kind (segment itself
// for a block of its own): the one whose values a save writes.
SegmentRef blockLeader(const Model& model, SegmentRef segment, BlockKind kind);

// Whether segment is blockLeader of its block of the kind.
bool leadsBlock(const Model& model, SegmentRef segment, BlockKind kind);

// The refusal for two segments sharing a block of the kind with different values: "segments 0/0
// and 0/1 share one position block: give them the same values".
Result sharedBlockRefusal(SegmentRef a, SegmentRef b, BlockKind kind);

// Fails with sharedBlockRefusal when two segments that share a block hold different bits in a
// field it stores, naming the first such pair.
Result checkSharedBlocks(const Model& model);

} // namespace vw
