#pragma once
// A 64-bit hash of a file's content, for telling whether a file holds exactly the bytes a save
// was writing. Not for defending against anyone: only a match of size and hash counts.

#include <cstdint>
#include <span>

namespace vw {

uint64_t contentHash(std::span<const uint8_t> bytes);

} // namespace vw
