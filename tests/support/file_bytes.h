#pragma once
// Little-endian values read from and written into a file's bytes, for tests that look at or
// corrupt the fields of a built file.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace vw::test {

inline uint32_t u32In(const std::vector<uint8_t>& bytes, size_t at) {
    return uint32_t{bytes.at(at)} | uint32_t{bytes.at(at + 1)} << 8 |
           uint32_t{bytes.at(at + 2)} << 16 | uint32_t{bytes.at(at + 3)} << 24;
}

inline int32_t i32In(const std::vector<uint8_t>& bytes, size_t at) {
    return static_cast<int32_t>(u32In(bytes, at));
}

inline float f32In(const std::vector<uint8_t>& bytes, size_t at) {
    return std::bit_cast<float>(u32In(bytes, at));
}

inline void putI32(std::vector<uint8_t>& bytes, size_t at, int32_t value) {
    for (size_t i = 0; i < 4; ++i)
        bytes.at(at + i) = static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i));
}

inline void putI16(std::vector<uint8_t>& bytes, size_t at, int16_t value) {
    bytes.at(at) = static_cast<uint8_t>(value);
    bytes.at(at + 1) = static_cast<uint8_t>(static_cast<uint16_t>(value) >> 8);
}

// Consecutive floats from at.
inline void putFloats(std::vector<uint8_t>& bytes, size_t at, std::initializer_list<float> values) {
    for (float value : values) {
        putI32(bytes, at, std::bit_cast<int32_t>(value));
        at += 4;
    }
}

} // namespace vw::test
