#include "preview/coarse_triangles.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace vw {
namespace {

constexpr uint64_t kNoKey = ~uint64_t{0};
// Cells per axis the packed key can hold; a vertex outside them stands for itself.
constexpr double kCellsPerAxis = 1 << 21;

Vec3 positionOf(const Vertex& vertex) {
    return {vertex.x, -static_cast<double>(vertex.y), vertex.z};
}

// The vertex's cell packed into 63 bits, or kNoKey for a vertex outside the grid or not finite.
uint64_t cellKey(const Vertex& vertex, const CellGrid& grid) {
    const Vec3 offset = (positionOf(vertex) - grid.origin) * (1 / grid.size);
    uint64_t key = 0;
    for (double along : {offset.x, offset.y, offset.z}) {
        const double cell = std::floor(along);
        if (!(cell >= 0 && cell < kCellsPerAxis))
            return kNoKey;
        key = key << 21 | static_cast<uint64_t>(cell);
    }
    return key;
}

// Open addressing from keys to the first value given for each.
class FirstValueTable {
public:
    void reset(size_t entries) {
        const size_t capacity = std::bit_ceil(2 * entries + 2);
        m_keys.assign(capacity, kNoKey);
        m_values.resize(capacity);
        m_mask = capacity - 1;
        m_shift = 64 - std::countr_zero(capacity);
    }
    // The value first given for key; value itself when key is new.
    uint16_t firstFor(uint64_t key, uint16_t value) { return m_values[add(key, value).slot]; }
    // Whether key is new; it is kept from now on.
    bool isNew(uint64_t key) { return add(key, 0).added; }

private:
    struct Added {
        size_t slot;
        bool added;
    };
    Added add(uint64_t key, uint16_t value) {
        size_t slot = static_cast<size_t>(key * 0x9E3779B97F4A7C15ull >> m_shift);
        while (m_keys[slot] != kNoKey && m_keys[slot] != key)
            slot = (slot + 1) & m_mask;
        if (m_keys[slot] == key)
            return {slot, false};
        m_keys[slot] = key;
        m_values[slot] = value;
        return {slot, true};
    }

    std::vector<uint64_t> m_keys;
    std::vector<uint16_t> m_values;
    size_t m_mask = 0;
    int m_shift = 63;
};

uint64_t triangleKey(uint16_t a, uint16_t b, uint16_t c) {
    if (a > b)
        std::swap(a, b);
    if (b > c)
        std::swap(b, c);
    if (a > b)
        std::swap(a, b);
    return uint64_t{a} << 32 | uint64_t{b} << 16 | c;
}

} // namespace

void appendCoarseTriangles(const std::vector<Vertex>& verts, const std::vector<uint16_t>& triangles,
                           const CellGrid& grid, std::vector<uint16_t>& out) {
    FirstValueTable cells, kept;
    cells.reset(verts.size());
    std::vector<uint16_t> standsFor(verts.size());
    for (size_t i = 0; i < verts.size(); ++i) {
        const uint64_t key = cellKey(verts[i], grid);
        const auto self = static_cast<uint16_t>(i);
        standsFor[i] = key == kNoKey ? self : cells.firstFor(key, self);
    }
    kept.reset(triangles.size() / 3);
    for (size_t k = 0; k + 2 < triangles.size(); k += 3) {
        const uint16_t a = standsFor[triangles[k]], b = standsFor[triangles[k + 1]],
                       c = standsFor[triangles[k + 2]];
        if (a == b || b == c || a == c)
            continue;
        if (kept.isNew(triangleKey(a, b, c)))
            out.insert(out.end(), {a, b, c});
    }
}

double trianglesArea(const std::vector<Vertex>& verts, const std::vector<uint16_t>& triangles) {
    double area = 0;
    for (size_t k = 0; k + 2 < triangles.size(); k += 3) {
        const Vec3 a = positionOf(verts[triangles[k]]);
        const double twice = (positionOf(verts[triangles[k + 1]]) - a)
                                 .cross(positionOf(verts[triangles[k + 2]]) - a)
                                 .length();
        if (std::isfinite(twice))
            area += twice / 2;
    }
    return area;
}

} // namespace vw
