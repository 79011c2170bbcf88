#include "model/files/content_hash.h"

#include <cstring>

namespace vw {

namespace {

// The finalising mix of MurmurHash3: every input bit reaches every output bit.
uint64_t mixed(uint64_t value) {
    value ^= value >> 33;
    value *= 0xff51afd7ed558ccdull;
    value ^= value >> 33;
    value *= 0xc4ceb9fe1a85ec53ull;
    return value ^ (value >> 33);
}

} // namespace

// Eight bytes at a time, read by memcpy so that no load reaches past the span or needs alignment.
uint64_t contentHash(std::span<const uint8_t> bytes) {
    uint64_t hash = mixed(bytes.size());
    size_t at = 0;
    for (; at + 8 <= bytes.size(); at += 8) {
        uint64_t word;
        std::memcpy(&word, bytes.data() + at, 8);
        hash = (hash ^ mixed(word)) * 0x9e3779b97f4a7c15ull + 0x632be59bd9b4e019ull;
    }
    uint64_t last = 0;
    if (at < bytes.size())
        std::memcpy(&last, bytes.data() + at, bytes.size() - at);
    return mixed(hash ^ mixed(last));
}

} // namespace vw
