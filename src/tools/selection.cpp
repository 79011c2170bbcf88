#include "tools/selection.h"

#include "model/editing/mesh_selection.h"
#include "tools/input_masks.h"
#include "views/pane.h"

#include <array>
#include <bit>
#include <cmath>
#include <optional>

namespace vw {
namespace {

constexpr int16_t kSelected = -1;

void enableEditingTools(Pane& pane) {
    pane.setToolEnabled(kToolMove, true);
    pane.setToolEnabled(kToolScale, true);
    pane.setToolEnabled(kToolRotate, true);
}

Vertex* firstUnselectedInBox(Pane& pane, float x1, float y1, float x2, float y2) {
    const ViewParams& view = pane.currentView();
    for (Segment& segment : pane.model().curData) {
        for (Vertex& vertex : segment.verts) {
            if (vertex.selected == 0 &&
                isInRect(vertex.coord(view.axisH), vertex.coord(view.axisV), x1, y1, x2, y2))
                return &vertex;
        }
    }
    return nullptr;
}

Vertex* workingVertex(Pane& pane, int32_t i, int32_t j) {
    std::vector<Segment>& curData = pane.model().curData;
    if (i < 0 || size_t(i) >= curData.size())
        return nullptr;
    std::vector<Vertex>& verts = curData[size_t(i)].verts;
    return j >= 0 && size_t(j) < verts.size() ? &verts[size_t(j)] : nullptr;
}

void selectVertex(Pane& pane, Vertex* vertex) {
    if (vertex) {
        vertex->selected = kSelected;
        pane.SelCount = 1;
    }
    enableEditingTools(pane);
}

int32_t countSelected(const std::vector<Segment>& data) {
    int32_t count = 0;
    for (const Segment& segment : data)
        for (const Vertex& vertex : segment.verts)
            count += vertex.selected != 0;
    return count;
}

void showSelectionCount(Pane& pane) {
    pane.SelCount = countSelected(pane.model().curData);
    for (int tool : {kToolMove, kToolScale, kToolRotate})
        pane.setToolEnabled(tool, pane.SelCount > 0);
    pane.markChanged();
    announceSelection(pane);
}

template <class Change> void changeEveryFlag(Pane& pane, Change change) {
    for (Segment& segment : pane.model().curData)
        for (Vertex& vertex : segment.verts)
            vertex.selected = change(vertex.selected) ? kSelected : 0;
    showSelectionCount(pane);
}

// Selected positions filed by the grid cell they fall in, the cells twice the tolerance wide, so
// the tolerance box around any point touches at most two cells along each axis. An open-
// addressing table of cells, each heading a chain of its points: no allocation per point.
class CellTable {
public:
    CellTable(size_t points, float tolerance)
        : m_cellSize(2.0 * tolerance), m_slots(std::bit_ceil(2 * points + 2), -1) {
        m_cells.reserve(points);
        m_heads.reserve(points);
        m_points.reserve(points);
        m_next.reserve(points);
    }

    void add(const Vertex& vertex) {
        const size_t cell = find(cellOf(vertex.x, vertex.y, vertex.z));
        m_next.push_back(m_heads[cell]);
        m_heads[cell] = int32_t(m_points.size());
        m_points.push_back(&vertex);
    }

    // Whether a filed point lies within tolerance of vertex on every axis.
    bool hasNear(const Vertex& vertex, float tolerance) const {
        const double t = tolerance;
        const std::array<int64_t, 2> xs = span(vertex.x, t), ys = span(vertex.y, t),
                                     zs = span(vertex.z, t);
        for (int64_t x = xs[0]; x <= xs[1]; ++x)
            for (int64_t y = ys[0]; y <= ys[1]; ++y)
                for (int64_t z = zs[0]; z <= zs[1]; ++z) {
                    const std::optional<size_t> cell = lookup({x, y, z});
                    if (!cell)
                        continue;
                    for (int32_t i = m_heads[*cell]; i >= 0; i = m_next[size_t(i)])
                        if (isNear(vertex, *m_points[size_t(i)], tolerance))
                            return true;
                }
        return false;
    }

private:
    struct Cell {
        int64_t x = 0, y = 0, z = 0;
        bool operator==(const Cell&) const = default;
    };

    int64_t cellIndex(double value) const { return int64_t(std::floor(value / m_cellSize)); }
    Cell cellOf(double x, double y, double z) const {
        return {cellIndex(x), cellIndex(y), cellIndex(z)};
    }
    std::array<int64_t, 2> span(double value, double t) const {
        return {cellIndex(value - t), cellIndex(value + t)};
    }
    size_t hashOf(const Cell& c) const {
        const uint64_t h = uint64_t(c.x) * 0x9E3779B97F4A7C15ull ^
                           uint64_t(c.y) * 0xC2B2AE3D27D4EB4Full ^
                           uint64_t(c.z) * 0x165667B19E3779F9ull;
        return size_t(h ^ (h >> 29)) & (m_slots.size() - 1);
    }
    // The number of cell, filed when it is new.
    size_t find(const Cell& cell) {
        size_t slot = hashOf(cell);
        for (; m_slots[slot] >= 0; slot = (slot + 1) & (m_slots.size() - 1))
            if (m_cells[size_t(m_slots[slot])] == cell)
                return size_t(m_slots[slot]);
        m_slots[slot] = int32_t(m_cells.size());
        m_cells.push_back(cell);
        m_heads.push_back(-1);
        return m_cells.size() - 1;
    }
    std::optional<size_t> lookup(const Cell& cell) const {
        for (size_t slot = hashOf(cell); m_slots[slot] >= 0;
             slot = (slot + 1) & (m_slots.size() - 1))
            if (m_cells[size_t(m_slots[slot])] == cell)
                return size_t(m_slots[slot]);
        return std::nullopt;
    }
    static bool isNear(const Vertex& a, const Vertex& b, float tolerance) {
        return std::fabs(a.x - b.x) <= tolerance && std::fabs(a.y - b.y) <= tolerance &&
               std::fabs(a.z - b.z) <= tolerance;
    }

    double m_cellSize;
    std::vector<int32_t> m_slots; // a cell's number, or -1 for a free slot
    std::vector<Cell> m_cells;
    std::vector<int32_t> m_heads; // per cell, its last point; m_next chains to the others
    std::vector<int32_t> m_next;
    std::vector<const Vertex*> m_points;
};

bool isFinitePosition(const Vertex& vertex) {
    return std::isfinite(vertex.x) && std::isfinite(vertex.y) && std::isfinite(vertex.z);
}

} // namespace

void selectAll(Pane& pane) {
    changeEveryFlag(pane, [](int16_t) { return true; });
}

void selectNone(Pane& pane) {
    clearSelection(pane);
    pane.markChanged();
    announceSelection(pane);
}

void selectLinkedVertices(Pane& pane) {
    selectLinked(pane.model().curData);
    showSelectionCount(pane);
}

void growSelectedVertices(Pane& pane) {
    growSelection(pane.model().curData);
    showSelectionCount(pane);
}

void shrinkSelectedVertices(Pane& pane) {
    shrinkSelection(pane.model().curData);
    showSelectionCount(pane);
}

void announceSelection(Pane& pane) {
    pane.document().selectionChanged(pane.SelCount);
}

void invertSelection(Pane& pane) {
    changeEveryFlag(pane, [](int16_t selected) { return selected == 0; });
}

void selectCoincident(Pane& pane, float tolerance) {
    std::vector<Segment>& data = pane.model().curData;
    size_t selected = 0;
    for (const Segment& segment : data)
        for (const Vertex& vertex : segment.verts)
            selected += vertex.selected != 0 && isFinitePosition(vertex);
    CellTable table(selected, tolerance);
    for (const Segment& segment : data)
        for (const Vertex& vertex : segment.verts)
            if (vertex.selected != 0 && isFinitePosition(vertex))
                table.add(vertex);
    // Marked after the scan, so a newly added vertex does not pull in its own neighbours.
    std::vector<Vertex*> added;
    for (Segment& segment : data)
        for (Vertex& vertex : segment.verts)
            if (vertex.selected == 0 && isFinitePosition(vertex) &&
                table.hasNear(vertex, tolerance))
                added.push_back(&vertex);
    for (Vertex* vertex : added)
        vertex->selected = kSelected;
    showSelectionCount(pane);
}

void clearSelection(Pane& pane) {
    for (Segment& segment : pane.model().curData)
        for (Vertex& vertex : segment.verts)
            vertex.selected = 0;
    pane.SelCount = 0;
    pane.setToolEnabled(kToolSelect, true);
    pane.setToolEnabled(kToolPan, true);
    pane.setToolEnabled(kToolZoom, true);
    pane.setToolEnabled(kToolMove, false);
    pane.setToolEnabled(kToolScale, false);
    pane.setToolEnabled(kToolRotate, false);
}

void selectVertsInBox(Pane& pane, float x1, float y1, float x2, float y2) {
    const ViewParams& view = pane.currentView();
    selectVertsWhere(pane, [&](const Vertex& vertex) {
        return isInRect(vertex.coord(view.axisH), vertex.coord(view.axisV), x1, y1, x2, y2);
    });
}

void countBoxSelection(Pane& pane, int32_t added) {
    pane.SelCount += added;
    enableEditingTools(pane);
}

void pickVertexInBox(Pane& pane, float x1, float y1, float x2, float y2) {
    selectVertex(pane, firstUnselectedInBox(pane, x1, y1, x2, y2));
}

void pickVertex(Pane& pane, int32_t i, int32_t j) {
    selectVertex(pane, workingVertex(pane, i, j));
}

void deselectVertex(Pane& pane, int32_t i, int32_t j) {
    if (Vertex* vertex = workingVertex(pane, i, j))
        vertex->selected = 0;
    pane.SelCount = countSelected(pane.model().curData);
    for (int tool : {kToolMove, kToolScale, kToolRotate})
        pane.setToolEnabled(tool, pane.SelCount > 0);
}

void selectPress(Pane& pane, int modifiers, bool onUnselected, const std::function<void()>& pick) {
    const bool keepSelection = isShiftOrCtrlAlone(modifiers);
    if (!onUnselected && keepSelection)
        return;
    if (!keepSelection)
        clearSelection(pane);
    if (onUnselected)
        pick();
    pane.isChanged = true;
    announceSelection(pane);
}

void SelectionSnapshot::take(const Pane& pane) {
    m_flags.clear();
    for (const Segment& segment : pane.model().curData) {
        std::vector<int16_t>& flags = m_flags.emplace_back();
        flags.reserve(segment.verts.size());
        for (const Vertex& vertex : segment.verts)
            flags.push_back(vertex.selected);
    }
    m_selCount = pane.SelCount;
    for (int tool = 1; tool <= 6; ++tool)
        m_palette[size_t(tool - 1)] = pane.isToolEnabled(tool);
}

void SelectionSnapshot::restore(Pane& pane) const {
    std::vector<Segment>& data = pane.model().curData;
    if (m_flags.size() != data.size())
        return;
    for (size_t i = 0; i < data.size(); ++i)
        if (m_flags[i].size() != data[i].verts.size())
            return;
    for (size_t i = 0; i < data.size(); ++i)
        for (size_t j = 0; j < data[i].verts.size(); ++j)
            data[i].verts[j].selected = m_flags[i][j];
    pane.SelCount = m_selCount;
    for (int tool = 1; tool <= 6; ++tool)
        pane.setToolEnabled(tool, m_palette[size_t(tool - 1)]);
    pane.markChanged();
    announceSelection(pane);
}

void SelectVertAt(Pane& pane, int32_t i, int32_t j, bool isPinili) {
    Vertex* vertex = workingVertex(pane, i, j);
    if (!vertex)
        return;
    vertex->selected = isPinili ? kSelected : 0;
    if (isPinili)
        ++pane.SelCount;
}

} // namespace vw
