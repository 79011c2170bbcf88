#include "model/editing/selection/position_cells.h"

#include <bit>
#include <cmath>

namespace vw {

PositionCells::PositionCells(size_t points, float tolerance)
    : m_tolerance(tolerance), m_cellSize(2.0 * tolerance),
      m_slots(std::bit_ceil(2 * points + 2), -1) {
    m_cells.reserve(points);
    m_heads.reserve(points);
    m_points.reserve(points);
    m_next.reserve(points);
    m_ids.reserve(points);
}

void PositionCells::add(Position at, uint32_t id) {
    const size_t cell = find({cellIndex(at.x), cellIndex(at.y), cellIndex(at.z)});
    m_next.push_back(m_heads[cell]);
    m_heads[cell] = int32_t(m_points.size());
    m_points.push_back(at);
    m_ids.push_back(id);
}

int64_t PositionCells::cellIndex(double value) const {
    return int64_t(std::floor(value / m_cellSize));
}

size_t PositionCells::hashOf(const Cell& c) const {
    const uint64_t h = uint64_t(c.x) * 0x9E3779B97F4A7C15ull ^
                       uint64_t(c.y) * 0xC2B2AE3D27D4EB4Full ^
                       uint64_t(c.z) * 0x165667B19E3779F9ull;
    return size_t(h ^ (h >> 29)) & (m_slots.size() - 1);
}

size_t PositionCells::find(const Cell& cell) {
    size_t slot = hashOf(cell);
    for (; m_slots[slot] >= 0; slot = (slot + 1) & (m_slots.size() - 1))
        if (m_cells[size_t(m_slots[slot])] == cell)
            return size_t(m_slots[slot]);
    m_slots[slot] = int32_t(m_cells.size());
    m_cells.push_back(cell);
    m_heads.push_back(-1);
    return m_cells.size() - 1;
}

std::optional<size_t> PositionCells::lookup(const Cell& cell) const {
    for (size_t slot = hashOf(cell); m_slots[slot] >= 0; slot = (slot + 1) & (m_slots.size() - 1))
        if (m_cells[size_t(m_slots[slot])] == cell)
            return size_t(m_slots[slot]);
    return std::nullopt;
}

bool PositionCells::isNear(Position a, Position b) const {
    return std::fabs(a.x - b.x) <= m_tolerance && std::fabs(a.y - b.y) <= m_tolerance &&
           std::fabs(a.z - b.z) <= m_tolerance;
}

} // namespace vw
