#include "tools/move_snap.h"

#include "tools/input_masks.h"
#include "views/pane.h"

#include <cmath>

namespace vw {
namespace {

double modelAlong(double pane, int32_t origin, float zoom) {
    return (pane - origin) / zoom;
}

} // namespace

bool snapsToGrid(const Pane& pane, const PointerInput& input) {
    return pane.session().snap().toGrid || (input.modifiers == kCtrlMask && pane.gridShown());
}

void MoveSnap::press(const Pane& pane, const PointerInput& input) {
    const ViewParams& view = pane.currentView();
    m_pressH = modelAlong(input.x, view.originX, view.zoom);
    m_pressV = modelAlong(input.y, view.originY, view.zoom);
    m_movedH = m_movedV = 0;
    m_grabbed.reset();
    if (!pane.session().snap().toVertex)
        return;
    m_grabbed = vertexNear(pane, input.x, input.y, Among::Selected, kPickReach);
    if (!m_grabbed)
        return;
    const Vertex& grabbed = pane.model().curData[m_grabbed->segment].verts[m_grabbed->vertex];
    m_grabOffsetX = double(grabbed.coord(view.axisH)) * view.zoom + view.originX - input.x;
    m_grabOffsetY = double(grabbed.coord(view.axisV)) * view.zoom + view.originY - input.y;
}

std::optional<MoveOffset> MoveSnap::step(const Pane& pane, const PointerInput& input) {
    const ViewParams& view = pane.currentView();
    if (m_grabbed) {
        const std::optional<VertexIndex> target =
            vertexNear(pane, float(input.x + m_grabOffsetX), float(input.y + m_grabOffsetY),
                       Among::Unselected, kVertexSnapReach);
        if (target) {
            const std::vector<Segment>& data = pane.model().curData;
            const Vertex& from = data[m_grabbed->segment].verts[m_grabbed->vertex];
            const Vertex& to = data[target->segment].verts[target->vertex];
            // From the grabbed vertex as it is, so it lands on the other bit for bit.
            const MoveOffset offset{double(to.coord(view.axisH)) - from.coord(view.axisH),
                                    double(to.coord(view.axisV)) - from.coord(view.axisV)};
            moved(offset);
            return offset;
        }
    }
    if (!m_grabbed && !snapsToGrid(pane, input))
        return std::nullopt;
    double wantH = modelAlong(input.x, view.originX, view.zoom) - m_pressH;
    double wantV = modelAlong(input.y, view.originY, view.zoom) - m_pressV;
    if (snapsToGrid(pane, input)) {
        const double spacing = pane.gridSpacing();
        wantH = std::nearbyint(wantH / spacing) * spacing;
        wantV = std::nearbyint(wantV / spacing) * spacing;
    }
    const MoveOffset offset{wantH - m_movedH, wantV - m_movedV};
    moved(offset);
    return offset;
}

void MoveSnap::moved(MoveOffset offset) {
    m_movedH += offset.h;
    m_movedV += offset.v;
}

} // namespace vw
