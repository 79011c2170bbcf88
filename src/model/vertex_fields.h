#pragma once
// The nine stored fields of a vertex as bits of a mask, each read and written as its raw bits,
// so an edit and its undo restore values exactly (-0.0 and NaN payloads included).

#include "model/model.h"

#include <bit>
#include <cstdint>

namespace vw {

enum VertexField : uint16_t {
    kFieldX = 1u << 0,
    kFieldY = 1u << 1,
    kFieldZ = 1u << 2,
    kFieldU = 1u << 3,
    kFieldV = 1u << 4,
    kFieldRed = 1u << 5,
    kFieldGreen = 1u << 6,
    kFieldBlue = 1u << 7,
    kFieldAlpha = 1u << 8,
};
constexpr int kVertexFieldCount = 9;
constexpr uint16_t kPositionFields = kFieldX | kFieldY | kFieldZ;
constexpr uint16_t kTextureFields = kFieldU | kFieldV;
constexpr uint16_t kColourFields = kFieldRed | kFieldGreen | kFieldBlue;

// Field number f (0 to 8, in mask order) of a vertex, as raw bits.
inline uint32_t fieldBits(const Vertex& vertex, int field) {
    if (field < 5)
        return std::bit_cast<uint32_t>(vertex.coord(field));
    const uint8_t bytes[4] = {vertex.red, vertex.green, vertex.blue, vertex.alpha};
    return bytes[field - 5];
}

inline void setFieldBits(Vertex& vertex, int field, uint32_t bits) {
    if (field < 5) {
        vertex.coord(field) = std::bit_cast<float>(bits);
        return;
    }
    uint8_t* bytes[4] = {&vertex.red, &vertex.green, &vertex.blue, &vertex.alpha};
    *bytes[field - 5] = static_cast<uint8_t>(bits);
}

// The fields in which two vertices differ bit for bit; the selection flag is not a field.
inline uint16_t changedFields(const Vertex& a, const Vertex& b) {
    uint16_t mask = 0;
    for (int f = 0; f < kVertexFieldCount; ++f)
        if (fieldBits(a, f) != fieldBits(b, f))
            mask |= uint16_t(1u << f);
    return mask;
}

} // namespace vw
