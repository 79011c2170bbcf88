#include "tools/move_tool.h"

#include "model/editing/exact_transform.h"
#include "model/vertex_fields.h"
#include "tools/drag_edit.h"
#include "tools/input_masks.h"
#include "tools/selection.h"
#include "tools/tool_feedback.h"
#include "tools/transform.h"
#include "views/pane.h"
#include "views/twips.h"
#include "views/view_transform.h"

#include <cmath>

namespace vw {

void MoveTool::press(const PointerInput& input) {
    m_refused = !beginPlaneDrag(input);
}

bool MoveTool::snaps(const PointerInput& input) const {
    return m_pane.session().snap().toVertex || snapsToGrid(input.modifiers);
}

void MoveTool::move(const PointerInput& input) {
    m_feedback.setPointer(PointerShape::Move);
    if (m_refused || !isLeftAlone(input.buttons) || m_pane.SelCount() <= 0)
        return;
    if (isKeyed() || (m_drag.isOn() && snaps(input))) {
        transformStep(input.x, input.y, input.modifiers);
        return;
    }
    if (input.x == float(m_pane.downX) && input.y == float(m_pane.downY))
        return;
    const ViewParams& view = m_pane.currentView();
    const float invZoom = 1 / view.zoom;
    m_pane.session().dragStep([&](std::vector<Segment>& data) {
        changeSelectedCoords(data, view, [&](float& h, float& v) {
            h = movedCoord(h, input.x, m_pane.downX, invZoom);
            v = movedCoord(v, input.y, m_pane.downY, invZoom);
        });
    });
    m_pane.downX = roundToInt32(input.x);
    m_pane.downY = roundToInt32(input.y);
    showReadout();
    m_pane.isChanged = true;
}

namespace {

// The model axis (0 to 2) whose growth runs most along the screen direction (sx, sy), and its
// sign there.
std::pair<int, double> axisAlongScreen(const ViewProjection& view, const Vec3& at, double sx,
                                       double sy) {
    const Vec3 here = view.toScreen(at);
    int best = 0;
    double bestAlong = 0;
    for (int axis = 0; axis < 3; ++axis) {
        const Vec3 there = view.toScreen(at + growing(axis));
        const double along = (there.x - here.x) * sx + (there.y - here.y) * sy;
        if (std::fabs(along) > std::fabs(bestAlong)) {
            best = axis;
            bestAlong = along;
        }
    }
    return {best, bestAlong < 0 ? -1.0 : 1.0};
}

} // namespace

ScreenAxes planeScreenAxes(Pane& pane) {
    const ViewParams& view = pane.currentView();
    const double step =
        pane.session().snap().toGrid ? pane.gridSpacing() : kTwipsPerPixel / double(view.zoom);
    return {view.axisH, 1, view.axisV, 1, step};
}

std::optional<ScreenAxes> cameraScreenAxes(EditSession& session, const OrbitCamera& camera) {
    const std::optional<Vec3> centre = fileSelectionCentre(session.model().curData);
    if (!centre)
        return std::nullopt;
    const Vec3& at = *centre;
    const CameraProjection view(camera);
    const auto [across, acrossSign] = axisAlongScreen(view, at, 1, 0);
    const auto [down, downSign] = axisAlongScreen(view, at, 0, 1);
    const double step = session.snap().toGrid ? gridStepAt(view, at) : view.unitsPerPixel(at);
    return ScreenAxes{across, acrossSign, down, downSign, step};
}

void nudgeSelection(EditSession& session, const ScreenAxes& axes, int dx, int dy) {
    if (session.selCount() <= 0 || axes.across == axes.down)
        return;
    const uint16_t fields = uint16_t((1u << axes.across) | (1u << axes.down));
    (void)session.shown(
        session.edit(stepLabel(TransformKind::Move), fields, [&](std::vector<Segment>& data) {
            for (Segment& segment : data)
                for (Vertex& vertex : segment.verts) {
                    if (vertex.selected == 0)
                        continue;
                    float& h = vertex.coord(axes.across);
                    float& v = vertex.coord(axes.down);
                    h = static_cast<float>(dx * axes.acrossSign * axes.step + h);
                    v = static_cast<float>(dy * axes.downSign * axes.step + v);
                }
        }));
}

} // namespace vw
