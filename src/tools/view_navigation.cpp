#include "tools/view_navigation.h"

#include "views/pane.h"
#include "views/view_transform.h"

namespace vw {
namespace {

bool hasView(const Pane& pane) {
    return pane.selectedTab() >= kTabXY && pane.selectedTab() <= kTabUV;
}

void addVerts(ModelBox& box, const std::vector<Vertex>& verts, const ViewParams& view,
              bool selectedOnly) {
    for (const Vertex& vertex : verts)
        if (!selectedOnly || vertex.selected != 0)
            box.add(vertex.coord(view.axisH), vertex.coord(view.axisV));
}

void fitTo(Pane& pane, const ModelBox& box) {
    if (!hasView(pane))
        return;
    if (const std::optional<ViewParams> fitted =
            fitBox(pane.currentView(), box, pane.surfaceWidth(), pane.surfaceHeight()))
        pane.setCurrentView(*fitted);
    pane.isChanged = true;
}

} // namespace

void wheelZoomAt(Pane& pane, float x, float y, int notches) {
    if (!hasView(pane) || notches == 0)
        return;
    const float zoomInc = notches > 0 ? 0.25f : -0.25f;
    for (int i = 0; i < (notches > 0 ? notches : -notches); ++i) {
        const std::optional<ViewParams> zoomed =
            wheelZoom(pane.currentView(), roundToInt32(x), roundToInt32(y), zoomInc);
        if (!zoomed)
            break;
        pane.setCurrentView(*zoomed);
    }
    pane.isChanged = true;
}

void panViewBy(Pane& pane, float dx, float dy) {
    if (!hasView(pane))
        return;
    ViewParams view = pane.currentView();
    view.originX = roundToInt32(double(dx) + view.originX);
    view.originY = roundToInt32(double(dy) + view.originY);
    pane.setCurrentView(view);
    pane.isChanged = true;
}

ModelBox shownBox(const Pane& pane) {
    ModelBox box;
    if (!hasView(pane))
        return box;
    const ViewParams& view = pane.currentView();
    for (const Part& part : pane.model().Parts)
        for (const Segment& segment : part.segments)
            if (pane.isInBackground(segment.nodeIndex))
                addVerts(box, segment.verts, view, false);
    for (const Segment& segment : pane.model().curData)
        addVerts(box, segment.verts, view, false);
    return box;
}

ModelBox selectionBox(const Pane& pane) {
    ModelBox box;
    if (!hasView(pane))
        return box;
    for (const Segment& segment : pane.model().curData)
        addVerts(box, segment.verts, pane.currentView(), true);
    if (box.isValid())
        return box;
    for (const Segment& segment : pane.model().curData)
        addVerts(box, segment.verts, pane.currentView(), false);
    return box;
}

void fitModel(Pane& pane) {
    fitTo(pane, shownBox(pane));
}

void fitSelection(Pane& pane) {
    fitTo(pane, selectionBox(pane));
}

void resetCurrentView(Pane& pane) {
    pane.resetView(pane.selectedTab());
    pane.isChanged = true;
}

bool workingDataInView(const Pane& pane) {
    if (!hasView(pane))
        return true;
    for (const Segment& segment : pane.model().curData) {
        for (const Vertex& vertex : segment.verts) {
            const int32_t x = pane.toPaneX(vertex.coord(pane.currentView().axisH));
            const int32_t y = pane.toPaneY(vertex.coord(pane.currentView().axisV));
            if (x >= 0 && y >= 0 && x < pane.surfaceWidth() && y < pane.surfaceHeight())
                return true;
        }
    }
    return false;
}

} // namespace vw
