#include "tools/preview_select.h"

#include "preview/preview_picking.h"
#include "preview/preview_view.h"
#include "tools/input_masks.h"
#include "views/pane.h"

#include <cmath>

namespace vw {
namespace {

// How far from the pointer, in pixels, a click still picks a vertex.
constexpr double kPreviewPickReach = 6;
// A release this close to its press, in pixels along both axes, is a click.
constexpr double kClickReach = 3;

const DepthPatch* orNull(const std::optional<DepthPatch>& depth) {
    return depth ? &*depth : nullptr;
}

} // namespace

void PreviewSelect::press(const PreviewPointer& pointer) {
    m_dragging = true;
    m_pressX = pointer.x;
    m_pressY = pointer.y;
    m_atPress.take(m_pane);
    const std::optional<DepthPatch> depth =
        m_view.depthOver(pointer.x - kPreviewPickReach, pointer.y - kPreviewPickReach,
                         pointer.x + kPreviewPickReach, pointer.y + kPreviewPickReach);
    const WorkingVertex hit =
        nearestWorkingVertex(m_pane.model(), m_view.scene().camera(), pointer.x, pointer.y,
                             kPreviewPickReach, orNull(depth), &m_pane.session().hidden());
    const bool onSelected =
        hit.found() &&
        m_pane.model().curData[size_t(hit.segment)].verts[size_t(hit.vertex)].selected != 0;
    m_ctrlSegment = m_ctrlVertex = -1;
    if (onSelected && pointer.modifiers == kCtrlMask) {
        m_ctrlSegment = hit.segment;
        m_ctrlVertex = hit.vertex;
    }
    selectPress(m_pane, pointer.modifiers, hit.found() && !onSelected,
                [&](std::vector<Segment>& data) {
                    return &data[size_t(hit.segment)].verts[size_t(hit.vertex)];
                });
}

bool PreviewSelect::isClick(const PreviewPointer& pointer) const {
    return std::abs(pointer.x - m_pressX) <= kClickReach &&
           std::abs(pointer.y - m_pressY) <= kClickReach;
}

void PreviewSelect::move(const PreviewPointer& pointer) {
    if (!m_dragging)
        return;
    if (isClick(pointer))
        m_view.setBand(std::nullopt);
    else
        m_view.setBand(QRectF(QPointF(m_pressX, m_pressY), QPointF(pointer.x, pointer.y)));
}

void PreviewSelect::release(const PreviewPointer& pointer) {
    if (!m_dragging)
        return;
    m_dragging = false;
    m_view.setBand(std::nullopt);
    if (isClick(pointer)) {
        // The press has picked already; a Ctrl click on a selected vertex takes it out.
        if (m_ctrlSegment < 0)
            return;
        deselectVertex(m_pane, m_ctrlSegment, m_ctrlVertex);
    } else {
        const std::optional<DepthPatch> depth =
            m_view.depthOver(m_pressX, m_pressY, pointer.x, pointer.y);
        const BoxPicker inBox(m_view.scene().camera(), m_pressX, m_pressY, pointer.x, pointer.y,
                              orNull(depth));
        selectVertsWhere(m_pane, [&](const Vertex& vertex) { return inBox(vertex); });
    }
    m_pane.isChanged = true;
}

void PreviewSelect::cancel() {
    if (!m_dragging)
        return;
    m_dragging = false;
    m_view.setBand(std::nullopt);
    m_atPress.restore(m_pane);
}

void PreviewSelect::abandon() {
    m_dragging = false;
    m_view.setBand(std::nullopt);
}

} // namespace vw
