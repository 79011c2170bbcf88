#pragma once
// Bounds-checked little-endian writes into a byte buffer, the twin of ByteReader. The writers
// size their buffers from the blocks they fill, so a write outside one is a fault of the program:
// it throws std::out_of_range rather than touch memory past the buffer.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <stdexcept>

namespace vw {

// Stores value little-endian at at, which has room for it; compilers make it one store.
inline void storeU32(uint8_t* at, uint32_t value) {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
    at[2] = static_cast<uint8_t>(value >> 16);
    at[3] = static_cast<uint8_t>(value >> 24);
}
inline void storeF32(uint8_t* at, float value) {
    storeU32(at, std::bit_cast<uint32_t>(value));
}

class ByteWriter {
public:
    explicit ByteWriter(std::span<uint8_t> bytes) : m_bytes(bytes) {}

    size_t offset() const { return m_offset; }

    void writeU8(uint8_t value) { put(value, 1); }
    void writeI16(int16_t value) { put(static_cast<uint16_t>(value), 2); }
    void writeI32(int32_t value) { put(static_cast<uint32_t>(value), 4); }
    void writeF32(float value) { put(std::bit_cast<uint32_t>(value), 4); }
    void writeBytes(std::span<const uint8_t> bytes) {
        std::memcpy(claim(bytes.size()), bytes.data(), bytes.size());
    }

    // Moves past length bytes and returns where they start, for a run of records written with
    // storeU32: the bounds are checked once for the whole run.
    uint8_t* claim(size_t length) {
        if (length > m_bytes.size() - m_offset)
            throw std::out_of_range("a write runs past the end of its buffer");
        uint8_t* at = m_bytes.data() + m_offset;
        m_offset += length;
        return at;
    }

private:
    void put(uint32_t value, size_t width) {
        uint8_t* at = claim(width);
        for (size_t i = 0; i < width; ++i)
            at[i] = static_cast<uint8_t>(value >> (8 * i));
    }

    std::span<uint8_t> m_bytes;
    size_t m_offset = 0;
};

} // namespace vw
