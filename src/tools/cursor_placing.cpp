#include "tools/cursor_placing.h"

#include "preview/preview_picking.h"
#include "preview/preview_view.h"
#include "tools/selection.h"
#include "tools/view_projection.h"
#include "views/pane.h"

namespace vw {
namespace {

// How far from the pointer, in pixels, the Preview takes a vertex rather than the surface.
constexpr double kPreviewVertexReach = 6;

ModelPoint pointOf(const Vertex& vertex) {
    return {vertex.x, vertex.y, vertex.z};
}

} // namespace

void placeCursorInView(Pane& pane, const PointerInput& input) {
    const ViewParams& view = pane.currentView();
    if (pane.selectedTab() > kTabUV || !showsPositions(view))
        return;
    if (const std::optional<VertexIndex> under =
            vertexNear(pane, input.x, input.y, Among::All, kPickReach)) {
        pane.session().placeCursor(
            pointOf(pane.model().curData[under->segment].verts[under->vertex]));
    } else {
        ModelPoint at = pane.session().pivotMarks().cursor.value_or(ModelPoint{});
        at[view.axisH] = pane.toModelX(input.x);
        at[view.axisV] = pane.toModelY(input.y);
        pane.session().placeCursor(at);
    }
}

bool placeCursorInPreview(Pane& pane, PreviewView& view, const PreviewPointer& pointer) {
    const OrbitCamera& camera = view.scene().camera();
    const double reach = kPreviewVertexReach;
    const std::optional<DepthPatch> depth =
        view.depthOver(pointer.x - reach, pointer.y - reach, pointer.x + reach, pointer.y + reach);
    const WorkingVertex hit =
        nearestWorkingVertex(pane.model(), camera, pointer.x, pointer.y, reach,
                             depth ? &*depth : nullptr, &pane.session().hidden());
    if (hit.found()) {
        pane.session().placeCursor(
            pointOf(pane.model().curData[size_t(hit.segment)].verts[size_t(hit.vertex)]));
    } else {
        const std::optional<Vec3> surface =
            depth ? surfacePointAt(camera, *depth, pointer.x, pointer.y) : std::nullopt;
        if (!surface)
            return false;
        pane.session().placeCursor({surface->x, -surface->y, surface->z});
    }
    return true;
}

} // namespace vw
