#pragma once
// Positions filed by the grid cell they fall in, for finding the ones within a tolerance of a
// point on every axis: Select Coincident and the mirror partners share it.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace vw {

// How far apart, in model units on each axis, two positions still count as one.
constexpr float kCoincidentTolerance = 1e-4f;

struct Position {
    float x = 0, y = 0, z = 0;
};

// The cells are twice the tolerance wide, so the tolerance box around any point touches at most
// two cells along each axis. An open-addressing table of cells, each heading a chain of its
// points: no allocation per point.
class PositionCells {
public:
    PositionCells(size_t points, float tolerance);

    // Files a finite position under id.
    void add(Position at, uint32_t id);

    // Calls found(id) for every filed position within tolerance of at on every axis, until found
    // returns false.
    template <class Found> void forEachNear(Position at, Found found) const {
        const double t = m_tolerance;
        const std::array<int64_t, 2> xs = span(at.x, t), ys = span(at.y, t), zs = span(at.z, t);
        for (int64_t x = xs[0]; x <= xs[1]; ++x)
            for (int64_t y = ys[0]; y <= ys[1]; ++y)
                for (int64_t z = zs[0]; z <= zs[1]; ++z) {
                    const std::optional<size_t> cell = lookup({x, y, z});
                    if (!cell)
                        continue;
                    for (int32_t i = m_heads[*cell]; i >= 0; i = m_next[size_t(i)])
                        if (isNear(at, m_points[size_t(i)]) && !found(m_ids[size_t(i)]))
                            return;
                }
    }

    bool hasNear(Position at) const {
        bool any = false;
        forEachNear(at, [&](uint32_t) { return !(any = true); });
        return any;
    }

private:
    struct Cell {
        int64_t x = 0, y = 0, z = 0;
        bool operator==(const Cell&) const = default;
    };

    int64_t cellIndex(double value) const;
    std::array<int64_t, 2> span(double value, double t) const {
        return {cellIndex(value - t), cellIndex(value + t)};
    }
    size_t hashOf(const Cell& c) const;
    // The number of cell, filed when it is new.
    size_t find(const Cell& cell);
    std::optional<size_t> lookup(const Cell& cell) const;
    bool isNear(Position a, Position b) const;

    float m_tolerance;
    double m_cellSize;
    std::vector<int32_t> m_slots; // a cell's number, or -1 for a free slot
    std::vector<Cell> m_cells;
    std::vector<int32_t> m_heads; // per cell, its last point; m_next chains to the others
    std::vector<int32_t> m_next;
    std::vector<Position> m_points;
    std::vector<uint32_t> m_ids;
};

} // namespace vw
