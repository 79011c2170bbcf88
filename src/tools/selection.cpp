#include "tools/selection.h"

#include "views/pane.h"

#include <cmath>
#include <unordered_map>

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
}

template <class Change> void changeEveryFlag(Pane& pane, Change change) {
    for (Segment& segment : pane.model().curData)
        for (Vertex& vertex : segment.verts)
            vertex.selected = change(vertex.selected) ? kSelected : 0;
    showSelectionCount(pane);
}

// A cell of the grid of tolerance-sized cubes that a position falls in.
struct Cell {
    int64_t x, y, z;
    bool operator==(const Cell&) const = default;
};

struct CellHash {
    size_t operator()(const Cell& c) const {
        return size_t(c.x * 73856093 ^ c.y * 19349663 ^ c.z * 83492791);
    }
};

Cell cellOf(const Vertex& vertex, float tolerance) {
    return {int64_t(std::floor(vertex.x / tolerance)), int64_t(std::floor(vertex.y / tolerance)),
            int64_t(std::floor(vertex.z / tolerance))};
}

bool near(const Vertex& a, const Vertex& b, float tolerance) {
    return std::fabs(a.x - b.x) <= tolerance && std::fabs(a.y - b.y) <= tolerance &&
           std::fabs(a.z - b.z) <= tolerance;
}

} // namespace

void selectAll(Pane& pane) {
    changeEveryFlag(pane, [](int16_t) { return true; });
}

void selectNone(Pane& pane) {
    clearSelection(pane);
    pane.markChanged();
}

void invertSelection(Pane& pane) {
    changeEveryFlag(pane, [](int16_t selected) { return selected == 0; });
}

// Selected positions are filed by grid cell, so each vertex is compared with the few that share
// its cell or a neighbouring one, not with every selected vertex.
void selectCoincident(Pane& pane, float tolerance) {
    std::vector<Segment>& data = pane.model().curData;
    std::unordered_map<Cell, std::vector<const Vertex*>, CellHash> selected;
    for (const Segment& segment : data)
        for (const Vertex& vertex : segment.verts)
            if (vertex.selected != 0 && std::isfinite(vertex.x) && std::isfinite(vertex.y) &&
                std::isfinite(vertex.z))
                selected[cellOf(vertex, tolerance)].push_back(&vertex);
    std::vector<Vertex*> added;
    for (Segment& segment : data) {
        for (Vertex& vertex : segment.verts) {
            if (vertex.selected != 0 || !std::isfinite(vertex.x) || !std::isfinite(vertex.y) ||
                !std::isfinite(vertex.z))
                continue;
            const Cell cell = cellOf(vertex, tolerance);
            bool found = false;
            for (int64_t dx = -1; dx <= 1 && !found; ++dx)
                for (int64_t dy = -1; dy <= 1 && !found; ++dy)
                    for (int64_t dz = -1; dz <= 1 && !found; ++dz) {
                        const auto it = selected.find({cell.x + dx, cell.y + dy, cell.z + dz});
                        if (it == selected.end())
                            continue;
                        for (const Vertex* other : it->second)
                            found = found || near(vertex, *other, tolerance);
                    }
            if (found)
                added.push_back(&vertex);
        }
    }
    // Marked after the scan, so a newly added vertex does not pull in its own neighbours.
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
    for (Segment& segment : pane.model().curData) {
        for (Vertex& vertex : segment.verts) {
            if (vertex.selected != 0)
                continue;
            if (isInRect(vertex.coord(view.axisH), vertex.coord(view.axisV), x1, y1, x2, y2)) {
                vertex.selected = kSelected;
                ++pane.SelCount;
            }
        }
    }
    enableEditingTools(pane);
}

void pickVertexInBox(Pane& pane, float x1, float y1, float x2, float y2) {
    if (Vertex* vertex = firstUnselectedInBox(pane, x1, y1, x2, y2)) {
        vertex->selected = kSelected;
        pane.SelCount = 1;
    }
    enableEditingTools(pane);
}

void SelectVertAt(Pane& pane, int32_t i, int32_t j, bool isPinili) {
    std::vector<Segment>& curData = pane.model().curData;
    if (i < 0 || size_t(i) >= curData.size())
        return;
    std::vector<Vertex>& verts = curData[size_t(i)].verts;
    if (j < 0 || size_t(j) >= verts.size())
        return;
    verts[size_t(j)].selected = isPinili ? kSelected : 0;
    if (isPinili)
        ++pane.SelCount;
}

} // namespace vw
