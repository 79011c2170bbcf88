#include "model/interchange/png_writer.h"

#include "model/files/file_io.h"

#include <array>
#include <string_view>

namespace vw {
namespace {

constexpr int kMinMatch = 3;
constexpr int kMaxMatch = 258;
constexpr size_t kWindow = 32768;
constexpr int kHashBits = 15;

constexpr uint16_t kLengthBase[] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                    31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr uint8_t kLengthExtra[] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                    2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr uint16_t kDistanceBase[] = {
    1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr uint8_t kDistanceExtra[] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                      6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

// Bits into bytes, first bit lowest, as deflate packs them.
class BitWriter {
public:
    explicit BitWriter(std::vector<uint8_t>& out) : m_out(out) {}
    void bits(uint32_t value, int count) {
        m_buffer |= uint64_t(value) << m_count;
        m_count += count;
        while (m_count >= 8) {
            m_out.push_back(uint8_t(m_buffer));
            m_buffer >>= 8;
            m_count -= 8;
        }
    }
    // A Huffman code goes highest bit first.
    void code(uint32_t code, int length) {
        uint32_t reversed = 0;
        for (int i = 0; i < length; ++i)
            reversed |= ((code >> i) & 1u) << (length - 1 - i);
        bits(reversed, length);
    }
    void flush() {
        if (m_count > 0)
            bits(0, 8 - m_count);
    }

private:
    std::vector<uint8_t>& m_out;
    uint64_t m_buffer = 0;
    int m_count = 0;
};

// A symbol of the fixed literal/length code.
void literalLength(BitWriter& out, int symbol) {
    if (symbol < 144)
        out.code(0x30 + symbol, 8);
    else if (symbol < 256)
        out.code(0x190 + symbol - 144, 9);
    else if (symbol < 280)
        out.code(symbol - 256, 7);
    else
        out.code(0xC0 + symbol - 280, 8);
}

void match(BitWriter& out, int length, size_t distance) {
    int l = 28;
    while (kLengthBase[l] > length)
        --l;
    literalLength(out, 257 + l);
    out.bits(uint32_t(length - kLengthBase[l]), kLengthExtra[l]);
    int d = 29;
    while (kDistanceBase[d] > distance)
        --d;
    out.code(uint32_t(d), 5);
    out.bits(uint32_t(distance - kDistanceBase[d]), kDistanceExtra[d]);
}

uint32_t hashAt(const std::vector<uint8_t>& data, size_t i) {
    const uint32_t three = data[i] | data[i + 1] << 8 | data[i + 2] << 16;
    return (three * 2654435761u) >> (32 - kHashBits);
}

// One fixed-code deflate block, matching each position against the last one of the same hash:
// thumbnails are mostly runs of background and of flat colour, which this catches.
void deflate(const std::vector<uint8_t>& data, BitWriter& out) {
    out.bits(1, 1); // the final block
    out.bits(1, 2); // fixed codes
    std::vector<int64_t> last(size_t(1) << kHashBits, -1);
    size_t i = 0;
    while (i < data.size()) {
        int length = 0;
        size_t distance = 0;
        if (i + kMinMatch <= data.size()) {
            const uint32_t hash = hashAt(data, i);
            const int64_t candidate = last[hash];
            last[hash] = int64_t(i);
            if (candidate >= 0 && i - size_t(candidate) <= kWindow) {
                distance = i - size_t(candidate);
                const size_t longest = std::min<size_t>(kMaxMatch, data.size() - i);
                while (size_t(length) < longest && data[i + length] == data[candidate + length])
                    ++length;
            }
        }
        if (length >= kMinMatch) {
            match(out, length, distance);
            for (size_t k = i + 1; k < i + size_t(length) && k + kMinMatch <= data.size(); ++k)
                last[hashAt(data, k)] = int64_t(k);
            i += size_t(length);
        } else {
            literalLength(out, data[i]);
            ++i;
        }
    }
    literalLength(out, 256);
    out.flush();
}

uint32_t adler32(const std::vector<uint8_t>& data) {
    uint32_t a = 1, b = 0;
    for (uint8_t byte : data) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    return b << 16 | a;
}

uint32_t crc32(const uint8_t* data, size_t size) {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i)
        c = table[(c ^ data[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

void appendBigEndian(std::vector<uint8_t>& out, uint32_t word) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(uint8_t(word >> shift));
}

void appendChunk(std::vector<uint8_t>& out, std::string_view type,
                 const std::vector<uint8_t>& data) {
    appendBigEndian(out, uint32_t(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type.begin(), type.end());
    out.insert(out.end(), data.begin(), data.end());
    appendBigEndian(out, crc32(out.data() + start, out.size() - start));
}

// The rows, each after its filter byte (0: none), as a zlib stream.
std::vector<uint8_t> imageData(const RgbaPicture& picture) {
    std::vector<uint8_t> rows;
    const size_t rowBytes = size_t(picture.width) * 4;
    rows.reserve((rowBytes + 1) * size_t(picture.height));
    for (int y = 0; y < picture.height; ++y) {
        rows.push_back(0);
        const uint8_t* row = picture.pixels.data() + rowBytes * size_t(y);
        rows.insert(rows.end(), row, row + rowBytes);
    }
    std::vector<uint8_t> stream = {0x78, 0x01};
    BitWriter bits(stream);
    deflate(rows, bits);
    appendBigEndian(stream, adler32(rows));
    return stream;
}

} // namespace

std::vector<uint8_t> pngBytes(const RgbaPicture& picture) {
    std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    std::vector<uint8_t> header;
    appendBigEndian(header, uint32_t(picture.width));
    appendBigEndian(header, uint32_t(picture.height));
    header.insert(header.end(), {8, 6, 0, 0, 0}); // 8 bits, RGBA, deflate, no filter, no interlace
    appendChunk(out, "IHDR", header);
    appendChunk(out, "IDAT", imageData(picture));
    appendChunk(out, "IEND", {});
    return out;
}

Result writePngFile(const RgbaPicture& picture, const std::filesystem::path& path) {
    const std::vector<uint8_t> bytes = pngBytes(picture);
    return replaceFileWith(path, bytes);
}

} // namespace vw
