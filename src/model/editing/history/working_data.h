#pragma once
// The working data: the copy of the current part (or of one of its segments) that the pane and
// the editors change, and its way back into Parts.

#include "model/model.h"

#include <cstddef>
#include <optional>

namespace vw {

// Whether curPart and curSeg name a part, and a segment of it (or 0), that the model has.
bool namesWorkingData(const Model& model);

// Copies the current part (curSeg 0) or its segment curSeg - 1 into curData. A curPart or curSeg
// the model lacks is reset to 0 first; a model without parts leaves curData empty.
void loadCurData(Model& model);

// Writes curData back where loadCurData took it from: the whole of part curPart (curSeg 0), or
// its segment curSeg - 1 from curData's only record. A deep copy; selection flags included.
// A curPart or curSeg the model lacks writes nothing.
void commitCurData(Model& model);

// The index in Parts[curPart].segments of working segment i; none when curData and the current
// part or segment do not match.
std::optional<size_t> partSegmentOf(const Model& model, size_t workingSegment);

// Whether curData has the shape of the current part or segment: as many segments, each with as
// many vertices.
bool workingDataMatchesParts(const Model& model);

} // namespace vw
