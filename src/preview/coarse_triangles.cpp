#include "preview/coarse_triangles.h"

#include "preview/space.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <optional>

namespace vw {
namespace {

// Cells are numbered from the origin; a vertex whose cell number along an axis is beyond this
// (a wild or non-finite position) stands for itself.
constexpr double kLastCell = 2147483646.0;
// No triangle counts for more than this many times the median area.
constexpr double kAreaCapPerMedian = 100;

struct Cell {
    int32_t x, y, z;
    bool operator==(const Cell&) const = default;
};
constexpr Cell kNoCell{INT32_MIN, INT32_MIN, INT32_MIN};
constexpr uint64_t kNoTriangle = ~uint64_t{0};

uint64_t hashOf(uint64_t key) {
    return key * 0x9E3779B97F4A7C15ull;
}
uint64_t hashOf(const Cell& cell) {
    return hashOf(uint64_t(uint32_t(cell.x)) ^ (uint64_t(uint32_t(cell.y)) << 21) ^
                  (uint64_t(uint32_t(cell.z)) << 42));
}

std::optional<Cell> cellOf(const Vertex& vertex, double cellSize) {
    const Vec3 at = positionOf(vertex) * (1 / cellSize);
    Cell cell{};
    int32_t* out[] = {&cell.x, &cell.y, &cell.z};
    int axis = 0;
    for (double along : {at.x, at.y, at.z}) {
        const double number = std::floor(along);
        if (!(std::abs(number) <= kLastCell))
            return std::nullopt;
        *out[axis++] = static_cast<int32_t>(number);
    }
    return cell;
}

// Open addressing from keys to the first value given for each.
template <typename Key, Key kEmpty> class FirstValueTable {
public:
    explicit FirstValueTable(size_t entries)
        : m_keys(std::bit_ceil(2 * entries + 2), kEmpty), m_values(m_keys.size()),
          m_mask(m_keys.size() - 1), m_shift(64 - std::countr_zero(m_keys.size())) {}

    // The value first given for key; value itself when key is new.
    uint16_t firstFor(const Key& key, uint16_t value) { return m_values[add(key, value).slot]; }
    // Whether key is new; it is kept from now on.
    bool isNew(const Key& key) { return add(key, 0).added; }

private:
    struct Added {
        size_t slot;
        bool added;
    };
    Added add(const Key& key, uint16_t value) {
        size_t slot = static_cast<size_t>(hashOf(key) >> m_shift);
        while (!(m_keys[slot] == kEmpty) && !(m_keys[slot] == key))
            slot = (slot + 1) & m_mask;
        if (m_keys[slot] == key)
            return {slot, false};
        m_keys[slot] = key;
        m_values[slot] = value;
        return {slot, true};
    }

    std::vector<Key> m_keys;
    std::vector<uint16_t> m_values;
    size_t m_mask;
    int m_shift;
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

Vec3 positionOf(const Vertex& vertex) {
    return {vertex.x, -static_cast<double>(vertex.y), vertex.z};
}

void appendCoarseTriangles(const std::vector<Vertex>& verts, const std::vector<uint16_t>& triangles,
                           double cellSize, std::vector<uint16_t>& out) {
    FirstValueTable<Cell, kNoCell> cells(verts.size());
    std::vector<uint16_t> standsFor(verts.size());
    for (size_t i = 0; i < verts.size(); ++i) {
        const auto self = static_cast<uint16_t>(i);
        const std::optional<Cell> cell = cellOf(verts[i], cellSize);
        standsFor[i] = cell ? cells.firstFor(*cell, self) : self;
    }
    FirstValueTable<uint64_t, kNoTriangle> kept(triangles.size() / 3);
    for (size_t k = 0; k + 2 < triangles.size(); k += 3) {
        const uint16_t a = standsFor[triangles[k]], b = standsFor[triangles[k + 1]],
                       c = standsFor[triangles[k + 2]];
        if (a == b || b == c || a == c)
            continue;
        if (kept.isNew(triangleKey(a, b, c)))
            out.insert(out.end(), {a, b, c});
    }
}

void appendTriangleAreas(const std::vector<Vertex>& verts, const std::vector<uint16_t>& triangles,
                         std::vector<float>& out) {
    for (size_t k = 0; k + 2 < triangles.size(); k += 3) {
        const Vec3 a = positionOf(verts[triangles[k]]);
        const double twice = (positionOf(verts[triangles[k + 1]]) - a)
                                 .cross(positionOf(verts[triangles[k + 2]]) - a)
                                 .length();
        const auto area = static_cast<float>(twice / 2);
        out.push_back(std::isfinite(area) ? area : 0.0f);
    }
}

double surfaceArea(std::vector<float>& areas) {
    if (areas.empty())
        return 0;
    const auto middle = areas.begin() + areas.size() / 2;
    std::nth_element(areas.begin(), middle, areas.end());
    const double cap = kAreaCapPerMedian * *middle;
    double sum = 0;
    for (float area : areas)
        sum += std::min<double>(area, cap);
    return sum;
}

} // namespace vw
