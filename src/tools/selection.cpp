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

void enableEditingTools(Pane& pane, bool enabled = true) {
    for (uint8_t tool : kTransformTools)
        pane.setToolEnabled(tool, enabled);
}

Vertex* workingVertex(std::vector<Segment>& data, int32_t i, int32_t j) {
    if (i < 0 || size_t(i) >= data.size())
        return nullptr;
    std::vector<Vertex>& verts = data[size_t(i)].verts;
    return j >= 0 && size_t(j) < verts.size() ? &verts[size_t(j)] : nullptr;
}

// The pick rule: the vertex found is selected and the count becomes 1.
int32_t pickFound(Vertex* vertex, int32_t selCount) {
    if (!vertex)
        return selCount;
    vertex->selected = kSelected;
    return 1;
}

void pickWith(Pane& pane, const VertexFinder& find) {
    pane.session().select([&](std::vector<Segment>& data, int32_t selCount) {
        return pickFound(find(data), selCount);
    });
    enableEditingTools(pane);
}

// A change of the flags whose count is a recount; the palette follows the count.
void selectCounted(Pane& pane, const std::function<void(std::vector<Segment>&)>& change) {
    pane.session().selectCounted(change);
    enableEditingTools(pane, pane.SelCount() > 0);
    pane.markChanged();
}

template <class Change> void changeEveryFlag(Pane& pane, Change change) {
    selectCounted(pane, [&](std::vector<Segment>& data) {
        for (Segment& segment : data)
            for (Vertex& vertex : segment.verts)
                vertex.selected = change(vertex.selected) ? kSelected : 0;
    });
}

bool isFinitePosition(const Vertex& vertex) {
    return std::isfinite(vertex.x) && std::isfinite(vertex.y) && std::isfinite(vertex.z);
}

void clearFlags(std::vector<Segment>& data) {
    for (Segment& segment : data)
        for (Vertex& vertex : segment.verts)
            vertex.selected = 0;
}

void showClearedPalette(Pane& pane) {
    for (int tool : {kToolSelect, kToolPan, kToolZoom})
        pane.setToolEnabled(tool, true);
    enableEditingTools(pane, false);
}

} // namespace

void selectAll(Pane& pane) {
    changeEveryFlag(pane, [](int16_t) { return true; });
}

void selectNone(Pane& pane) {
    clearSelection(pane);
    pane.markChanged();
}

void selectLinkedVertices(Pane& pane) {
    selectCounted(pane, [](std::vector<Segment>& data) { selectLinked(data); });
}

void growSelectedVertices(Pane& pane) {
    selectCounted(pane, [](std::vector<Segment>& data) { growSelection(data); });
}

void shrinkSelectedVertices(Pane& pane) {
    selectCounted(pane, [](std::vector<Segment>& data) { shrinkSelection(data); });
}

void selectLinkedAtPointer(Pane& pane) {
    const std::optional<QPointF> pointer = pane.pointerAt();
    if (!pointer)
        return;
    const std::optional<VertexIndex> under =
        vertexNear(pane, float(pointer->x()), float(pointer->y()), Among::All, kPickReach);
    if (!under)
        return;
    selectCounted(pane, [&](std::vector<Segment>& data) {
        selectLinkedFrom(data[under->segment], under->vertex);
    });
}

std::optional<VertexIndex> vertexNear(const Pane& pane, float x, float y, Among among,
                                      double reach) {
    if (pane.selectedTab() > kTabUV)
        return std::nullopt;
    const ViewParams& view = pane.currentView();
    const std::vector<Segment>& data = pane.model().curData;
    const HiddenVertices& hidden = pane.session().hidden();
    std::optional<VertexIndex> nearest;
    double nearestDistance = 0;
    for (size_t i = 0; i < data.size(); ++i) {
        for (size_t j = 0; j < data[i].verts.size(); ++j) {
            const Vertex& vertex = data[i].verts[j];
            if ((among == Among::Selected && vertex.selected == 0) ||
                (among == Among::Unselected && vertex.selected != 0) || hidden.isHidden(i, j))
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
    pane.session().hideSelected();
    enableEditingTools(pane, pane.SelCount() > 0);
    pane.markChanged();
}

void hideUnselected(Pane& pane) {
    pane.session().hideUnselected();
    enableEditingTools(pane, pane.SelCount() > 0);
    pane.markChanged();
}

void showHidden(Pane& pane) {
    pane.session().showHidden();
    enableEditingTools(pane, pane.SelCount() > 0);
    pane.markChanged();
}

void selectMirrorVertices(Pane& pane) {
    const AidOptions& options = pane.session().aids().options();
    selectCounted(pane, [&](std::vector<Segment>& data) {
        selectMirror(data, options.mirrorAxes != 0 ? options.mirrorAxes : uint8_t(kMirrorX),
                     options.mirrorTolerance);
    });
}

void invertSelection(Pane& pane) {
    changeEveryFlag(pane, [](int16_t selected) { return selected == 0; });
}

void selectCoincident(Pane& pane, float tolerance) {
    selectCounted(pane, [&](std::vector<Segment>& data) {
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
    });
}

void clearSelection(Pane& pane) {
    pane.session().select([](std::vector<Segment>& data, int32_t) {
        clearFlags(data);
        return 0;
    });
    showClearedPalette(pane);
}

Vertex* firstUnselectedInBox(const Pane& pane, std::vector<Segment>& data, float x1, float y1,
                             float x2, float y2) {
    const ViewParams& view = pane.currentView();
    const HiddenVertices& hidden = pane.session().hidden();
    for (size_t i = 0; i < data.size(); ++i) {
        for (size_t j = 0; j < data[i].verts.size(); ++j) {
            Vertex& vertex = data[i].verts[j];
            if (vertex.selected == 0 && !hidden.isHidden(i, j) &&
                isInRect(vertex.coord(view.axisH), vertex.coord(view.axisV), x1, y1, x2, y2))
                return &vertex;
        }
    }
    return nullptr;
}

void selectVertsInBox(Pane& pane, float x1, float y1, float x2, float y2) {
    const ViewParams& view = pane.currentView();
    selectVertsWhere(pane, [&](const Vertex& vertex) {
        return isInRect(vertex.coord(view.axisH), vertex.coord(view.axisV), x1, y1, x2, y2);
    });
}

void selectVertsWhere(Pane& pane, const std::function<bool(const Vertex&)>& inside) {
    const HiddenVertices& hidden = pane.session().hidden();
    pane.session().select([&](std::vector<Segment>& data, int32_t selCount) {
        for (size_t i = 0; i < data.size(); ++i)
            for (size_t j = 0; j < data[i].verts.size(); ++j) {
                Vertex& vertex = data[i].verts[j];
                if (vertex.selected == 0 && !hidden.isHidden(i, j) && inside(vertex)) {
                    vertex.selected = kSelected;
                    ++selCount;
                }
            }
        return selCount;
    });
    enableEditingTools(pane);
}

void pickVertexInBox(Pane& pane, float x1, float y1, float x2, float y2) {
    pickWith(pane, [&](std::vector<Segment>& data) {
        return firstUnselectedInBox(pane, data, x1, y1, x2, y2);
    });
}

void pickVertex(Pane& pane, int32_t i, int32_t j) {
    pickWith(pane, [&](std::vector<Segment>& data) { return workingVertex(data, i, j); });
}

void deselectVertex(Pane& pane, int32_t i, int32_t j) {
    pane.session().select([&](std::vector<Segment>& data, int32_t) {
        if (Vertex* vertex = workingVertex(data, i, j))
            vertex->selected = 0;
        return countSelected(data);
    });
    enableEditingTools(pane, pane.SelCount() > 0);
}

void selectPress(Pane& pane, int modifiers, bool onUnselected, const VertexFinder& pick) {
    const bool keepSelection = isShiftOrCtrlAlone(modifiers);
    if (!onUnselected && keepSelection)
        return;
    pane.session().select([&](std::vector<Segment>& data, int32_t selCount) {
        if (!keepSelection) {
            clearFlags(data);
            selCount = 0;
        }
        return onUnselected ? pickFound(pick(data), selCount) : selCount;
    });
    if (!keepSelection)
        showClearedPalette(pane);
    if (onUnselected)
        enableEditingTools(pane);
    pane.isChanged = true;
}

void selectVertices(Pane& pane, const std::vector<VertexIndex>& vertices, bool replace) {
    const HiddenVertices& hidden = pane.session().hidden();
    pane.session().select([&](std::vector<Segment>& data, int32_t selCount) {
        if (replace) {
            clearFlags(data);
            selCount = 0;
        }
        for (const VertexIndex& at : vertices) {
            Vertex& vertex = data[at.segment].verts[at.vertex];
            if (vertex.selected == 0 && !hidden.isHidden(at.segment, at.vertex)) {
                vertex.selected = kSelected;
                ++selCount;
            }
        }
        return selCount;
    });
    enableEditingTools(pane, pane.SelCount() > 0);
    pane.markChanged();
}

void deselectVertices(Pane& pane, const std::vector<VertexIndex>& vertices) {
    pane.session().select([&](std::vector<Segment>& data, int32_t) {
        for (const VertexIndex& at : vertices)
            data[at.segment].verts[at.vertex].selected = 0;
        return countSelected(data);
    });
    enableEditingTools(pane, pane.SelCount() > 0);
    pane.markChanged();
}

void SelectionSnapshot::take(const Pane& pane) {
    m_flags.clear();
    for (const Segment& segment : pane.model().curData) {
        std::vector<int16_t>& flags = m_flags.emplace_back();
        flags.reserve(segment.verts.size());
        for (const Vertex& vertex : segment.verts)
            flags.push_back(vertex.selected);
    }
    m_selCount = pane.SelCount();
    for (int tool = 1; tool <= 6; ++tool)
        m_palette[size_t(tool - 1)] = pane.isToolEnabled(tool);
}

void SelectionSnapshot::restore(Pane& pane) const {
    const std::vector<Segment>& shape = pane.model().curData;
    if (m_flags.size() != shape.size())
        return;
    for (size_t i = 0; i < shape.size(); ++i)
        if (m_flags[i].size() != shape[i].verts.size())
            return;
    pane.session().select([&](std::vector<Segment>& data, int32_t) {
        for (size_t i = 0; i < data.size(); ++i)
            for (size_t j = 0; j < data[i].verts.size(); ++j)
                data[i].verts[j].selected = m_flags[i][j];
        return m_selCount;
    });
    for (int tool = 1; tool <= 6; ++tool)
        pane.setToolEnabled(tool, m_palette[size_t(tool - 1)]);
    pane.markChanged();
}

void SelectVertAt(Pane& pane, int32_t i, int32_t j, bool isPinili) {
    if (isPinili && pane.session().hidden().isHidden(size_t(i), size_t(j)))
        return;
    pane.session().select([&](std::vector<Segment>& data, int32_t selCount) {
        Vertex* vertex = workingVertex(data, i, j);
        if (!vertex)
            return selCount;
        vertex->selected = isPinili ? kSelected : 0;
        return isPinili ? selCount + 1 : selCount;
    });
}

} // namespace vw
