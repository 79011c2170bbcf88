#pragma once
// Bounds-checked little-endian reads over a byte buffer. A read outside the buffer throws
// MalformedFile, which the loader turns into a failed load.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>

namespace vw {

struct MalformedFile : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Decoders for bytes whose range has already been checked.
inline uint32_t u32At(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline int32_t i32At(const uint8_t* p) {
    return static_cast<int32_t>(u32At(p));
}
inline int16_t i16At(const uint8_t* p) {
    return static_cast<int16_t>(p[0] | p[1] << 8);
}
inline float f32At(const uint8_t* p) {
    return std::bit_cast<float>(u32At(p));
}

// Offsets read from a file may point back at bytes already read, so a corrupt file could make
// a reader go over the same bytes again and again. A sound file reads each byte about once;
// the reader stops at four times its size, which bounds the time and memory of any load.
class ByteReader {
public:
    explicit ByteReader(std::span<const uint8_t> bytes)
        : m_bytes(bytes), m_budget(4 * static_cast<uint64_t>(bytes.size()) + 65536) {}

    size_t offset() const { return m_offset; }
    size_t size() const { return m_bytes.size(); }

    // Moves to a 0-based offset; the end of the buffer itself is allowed.
    void seek(int64_t offset) {
        if (offset < 0 || static_cast<uint64_t>(offset) > m_bytes.size())
            throw MalformedFile("offset outside the file");
        m_offset = static_cast<size_t>(offset);
    }
    void skip(int64_t count) { seek(static_cast<int64_t>(m_offset) + count); }

    // Moves past count elements of elementSize bytes and returns their bytes. Checks the whole
    // run first, so a corrupt count fails here, before anything is allocated for it.
    std::span<const uint8_t> take(int64_t count, size_t elementSize) {
        if (count < 0)
            throw MalformedFile("negative count");
        if (static_cast<uint64_t>(count) > (m_bytes.size() - m_offset) / elementSize)
            throw MalformedFile("block runs past the end of the file");
        const size_t length = static_cast<size_t>(count) * elementSize;
        m_taken += length;
        if (m_taken > m_budget)
            throw MalformedFile("the file's offsets lead over the same bytes again and again");
        std::span<const uint8_t> run = m_bytes.subspan(m_offset, length);
        m_offset += length;
        return run;
    }

    int16_t readI16() { return i16At(take(1, 2).data()); }
    int32_t readI32() { return i32At(take(1, 4).data()); }

private:
    std::span<const uint8_t> m_bytes;
    size_t m_offset = 0;
    uint64_t m_budget;
    uint64_t m_taken = 0;
};

} // namespace vw
