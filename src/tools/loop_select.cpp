#include "tools/loop_select.h"

#include "model/editing/selection/quad_loops.h"
#include "preview/preview_picking.h"
#include "preview/preview_view.h"
#include "tools/selection.h"
#include "views/pane.h"
#include "views/twips.h"

#include <optional>

namespace vw {
namespace {

struct LoopGesture {
    bool ring = false;
    bool add = false;
};

std::optional<LoopGesture> gestureOf(int modifiers) {
    if ((modifiers & kAltMask) == 0)
        return std::nullopt;
    return LoopGesture{(modifiers & kCtrlMask) != 0, (modifiers & kShiftMask) != 0};
}

void selectAlong(Pane& pane, const WorkingSide& side, LoopGesture gesture) {
    const Segment& segment = pane.model().curData[side.segment];
    const std::span<const uint8_t> hidden = pane.session().hidden().flagsOf(side.segment);
    const StripQuads quads(segment);
    std::vector<VertexIndex> vertices;
    for (const uint32_t vertex :
         gesture.ring ? quads.ring(side.a, side.b, hidden) : quads.loop(side.a, side.b, hidden))
        vertices.push_back({side.segment, vertex});
    selectVertices(pane, vertices, !gesture.add);
}

} // namespace

bool selectLoopAt(Pane& pane, const PointerInput& input) {
    const std::optional<LoopGesture> gesture = gestureOf(input.modifiers);
    if (!gesture || pane.selectedTab() > kTabUV)
        return false;
    const ViewParams& view = pane.currentView();
    const HiddenVertices& hidden = pane.session().hidden();
    const std::vector<Segment>& data = pane.model().curData;
    // In pixels, so the reach is the same at every zoom.
    const std::optional<WorkingSide> side = nearestQuadSide(
        data, input.x / kTwipsPerPixel, input.y / kTwipsPerPixel, kQuadSideReach,
        [&](size_t i, uint32_t j) -> std::optional<std::array<double, 2>> {
            if (hidden.isHidden(i, j))
                return std::nullopt;
            const Vertex& vertex = data[i].verts[j];
            return std::array{
                (double(vertex.coord(view.axisH)) * view.zoom + view.originX) / kTwipsPerPixel,
                (double(vertex.coord(view.axisV)) * view.zoom + view.originY) / kTwipsPerPixel};
        });
    if (!side)
        return false;
    selectAlong(pane, *side, *gesture);
    return true;
}

bool selectLoopAt(Pane& pane, const PreviewPointer& pointer, PreviewView& view) {
    const std::optional<LoopGesture> gesture = gestureOf(pointer.modifiers);
    if (!gesture)
        return false;
    const OrbitCamera& camera = view.scene().camera();
    // The sides' ends may lie anywhere on the window, so the depth of all of it.
    const std::optional<DepthPatch> depth = view.depthOver(0, 0, camera.width, camera.height);
    const std::optional<WorkingSide> side =
        nearestVisibleQuadSide(pane.model(), camera, pointer.x, pointer.y, kQuadSideReach,
                               depth ? &*depth : nullptr, &pane.session().hidden());
    if (!side)
        return false;
    selectAlong(pane, *side, *gesture);
    return true;
}

} // namespace vw
