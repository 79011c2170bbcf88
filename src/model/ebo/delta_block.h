#pragma once
// The delta layout's block of one part, as a save writes it.

#include "model/model.h"
#include "model/result.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vw {

// The bytes of a part's delta block after a save: the block as the file holds it (onFile, the
// block's length as loaded), with the difference from its base position written into the slot of
// each vertex whose position is no longer what onFile gives it, a later vertex winning a shared
// slot. Every other byte stays, so a delta the subtraction could not give back (-0.0, one below
// the position's rounding) survives a save that did not move its vertex. Fails saying
// why an edit cannot be stored: a moved vertex without a base position, or one whose
// slot lies past the block.
Result deltaBlockBytes(const Segment& segment, const BaseMesh& base, size_t part,
                       std::span<const uint8_t> onFile, std::vector<uint8_t>& bytes);

// The bytes of segment's delta block within a file's bytes; empty when they do not fit.
std::span<const uint8_t> deltaBlockOnFile(const Segment& segment, std::span<const uint8_t> file);

// The bits of y as the file holds it: the sign flipped, every other bit kept as loaded.
inline float negated(float value) {
    return std::bit_cast<float>(std::bit_cast<uint32_t>(value) ^ 0x80000000u);
}

} // namespace vw
