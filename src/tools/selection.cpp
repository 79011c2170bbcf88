#include "tools/selection.h"

#include "views/pane.h"

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

} // namespace

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
