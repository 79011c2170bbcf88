#include "tools/selection.h"

#include "model/editing/aids/mirror_partners.h"
#include "model/editing/selection/mesh_selection.h"
#include "model/editing/selection/position_cells.h"
#include "tools/input_masks.h"
#include "views/pane.h"

#include <cmath>

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
    std::vector<Segment>& data = pane.model().curData;
    for (size_t i = 0; i < data.size(); ++i) {
        for (size_t j = 0; j < data[i].verts.size(); ++j) {
            Vertex& vertex = data[i].verts[j];
            if (vertex.selected == 0 && !pane.hidden.isHidden(i, j) &&
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

void showSelectionCount(Pane& pane) {
    pane.hidden.deselectHidden(pane.model().curData);
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

void selectLinkedAtPointer(Pane& pane) {
    const std::optional<QPointF> pointer = pane.pointerAt();
    if (!pointer)
        return;
    const std::optional<VertexIndex> under =
        vertexNear(pane, float(pointer->x()), float(pointer->y()), Among::All, kPickReach);
    if (!under)
        return;
    selectLinkedFrom(pane.model().curData[under->segment], under->vertex);
    showSelectionCount(pane);
}

std::optional<VertexIndex> vertexNear(const Pane& pane, float x, float y, Among among,
                                      double reach) {
    if (pane.selectedTab() > kTabUV)
        return std::nullopt;
    const ViewParams& view = pane.currentView();
    const std::vector<Segment>& data = pane.model().curData;
    std::optional<VertexIndex> nearest;
    double nearestDistance = 0;
    for (size_t i = 0; i < data.size(); ++i) {
        for (size_t j = 0; j < data[i].verts.size(); ++j) {
            const Vertex& vertex = data[i].verts[j];
            if ((among == Among::Selected && vertex.selected == 0) ||
                (among == Among::Unselected && vertex.selected != 0) || pane.hidden.isHidden(i, j))
                continue;
            const double dx = double(vertex.coord(view.axisH)) * view.zoom + view.originX - x;
            const double dy = double(vertex.coord(view.axisV)) * view.zoom + view.originY - y;
            if (!(std::fabs(dx) <= reach && std::fabs(dy) <= reach))
                continue;
            const double distance = dx * dx + dy * dy;
            if (!nearest || distance < nearestDistance) {
                nearest = VertexIndex{i, j};
                nearestDistance = distance;
            }
        }
    }
    return nearest;
}

void hideSelected(Pane& pane) {
    pane.hidden.hideSelected(pane.model());
    showSelectionCount(pane);
}

void hideUnselected(Pane& pane) {
    pane.hidden.hideUnselected(pane.model());
    showSelectionCount(pane);
}

void showHidden(Pane& pane) {
    pane.hidden.showAll();
    showSelectionCount(pane);
}

void selectMirrorVertices(Pane& pane) {
    const uint8_t axes = pane.aids().options().mirrorAxes;
    selectMirror(pane.model().curData, axes != 0 ? axes : uint8_t(kMirrorX));
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
    PositionCells table(selected, tolerance);
    for (const Segment& segment : data)
        for (const Vertex& vertex : segment.verts)
            if (vertex.selected != 0 && isFinitePosition(vertex))
                table.add({vertex.x, vertex.y, vertex.z}, 0);
    // Marked after the scan, so a newly added vertex does not pull in its own neighbours.
    std::vector<Vertex*> added;
    for (Segment& segment : data)
        for (Vertex& vertex : segment.verts)
            if (vertex.selected == 0 && isFinitePosition(vertex) &&
                table.hasNear({vertex.x, vertex.y, vertex.z}))
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
    if (isPinili && pane.hidden.isHidden(size_t(i), size_t(j)))
        return;
    vertex->selected = isPinili ? kSelected : 0;
    if (isPinili)
        ++pane.SelCount;
}

} // namespace vw
