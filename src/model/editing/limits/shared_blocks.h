#pragma once
// Keeping the segments that read one vertex block of the file identical in the fields it stores,
// so that an edit through any of them is an edit of all of them.

#include "model/editing/history/vertex_range.h"
#include "model/model.h"

#include <span>
#include <vector>

namespace vw {

// Copies, for each changed range, the fields of every block its segment shares (positions; u
// and v; the colour bytes with alpha; never the selection) into the same vertices of each segment
// sharing that block, in Parts and, where that segment is part of the working data, in curData.
// Returns the ranges of those segments whose values changed, for the caller to announce.
std::vector<VertexRange> syncSharedBlocks(Model& model, std::span<const VertexRange> changed);

// Copies, for every shared block, the fields it stores from its blockLeader (block_sharing.h)
// into the other segments reading it, in Parts only: for values written straight into the
// leaders' vertices, as a script's arrays over them are.
void spreadFromLeaders(Model& model);

} // namespace vw
