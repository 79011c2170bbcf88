#pragma once
// The delta layout's block of one part, as a save writes it.

#include "model/model.h"
#include "model/result.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vw {

// The bytes of a part's delta block: each vertex's difference from its base position, slot by
// slot, a later vertex winning a shared slot, cut to the block's length as loaded. Fails
// saying why an edit cannot be stored: a moved vertex without a base position, or one whose slot
// lies past the block.
Result deltaBlockBytes(const Segment& segment, const BaseMesh& base, size_t part,
                       std::vector<uint8_t>& bytes);

// The bits of y as the file holds it: the sign flipped, every other bit kept as loaded.
float negated(float value);

} // namespace vw
