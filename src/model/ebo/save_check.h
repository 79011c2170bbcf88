#pragma once
// Whether the bytes a save is about to put in place load back as the model that was saved.

#include "model/model.h"
#include "model/result.h"

#include <cstdint>
#include <span>
#include <string>

namespace vw {

// Checks that saved, the bytes original with the model's blocks patched in, load back with the
// loader as the model's layout (the same parts, segments, vertex counts, block positions and
// strips) holding the values written (the delta layout: the deltas written). Fails saying what
// overwrites what at byte N, N being the 1-based position of a byte that the
// edit changes and that the loader reads as something else: "the position block of segment 0/1
// would overwrite the strip block of segment 0/0 at byte N", or "... would overwrite the file's
// own structure at byte N".
// True when the model is a plain mesh and workingCopy reads as it (header, block positions,
// vertex counts, strips): its vertex blocks then lie apart from each other and from every byte
// the loader reads as structure, any values written into them load back as written, and
// checkSavedBytes passes without reading the saved bytes back.
bool blocksLeaveStructureAlone(const Model& model, std::span<const uint8_t> workingCopy);

Result checkSavedBytes(const Model& model, std::span<const uint8_t> original,
                       std::span<const uint8_t> saved);

} // namespace vw
