#include "tools/transform_tool.h"

#include "model/editing/exact_transform.h"
#include "model/vertex_fields.h"
#include "preview/preview_view.h"
#include "tools/drag_edit.h"
#include "tools/input_masks.h"
#include "tools/selection.h"
#include "tools/soft_radius.h"
#include "tools/tool_feedback.h"
#include "tools/transform_readout.h"
#include "views/pane.h"

#include <cctype>
#include <utility>

namespace vw {
namespace {

// How far, in pixels, a grabbed vertex reaches for another to land on.
constexpr double kLandingReachPixels = 15;
// How far from the press, in pixels, the Preview grabs a selected vertex to snap.
constexpr double kPreviewGrabPixels = 6;

// Move keeps to the plane through the selection's centre; Scale and Rotate work about the pivot.
std::optional<Vec3> centreOf(TransformKind kind, const EditSession& session) {
    return kind == TransformKind::Move ? fileSelectionCentre(session.model().curData)
                                       : filePivot(session);
}

} // namespace

TransformTool::TransformTool(Pane& pane, ToolFeedback& feedback, TransformKind kind)
    : Tool(pane, feedback), m_kind(kind) {}

std::unique_ptr<ViewProjection> TransformTool::projection() const {
    if (m_preview)
        return std::make_unique<CameraProjection>(m_preview->scene().camera());
    if (m_pane.selectedTab() > kTabUV || !showsPositions(m_pane.currentView()))
        return nullptr;
    return std::make_unique<PlaneProjection>(m_pane.currentView());
}

MoveSnapping TransformTool::snapping(const ViewProjection& view, int modifiers) const {
    MoveSnapping snapping;
    if (m_kind != TransformKind::Move)
        return snapping;
    if (snapsToGrid(modifiers))
        snapping.gridStep = gridStepAt(view, m_drag.centre());
    snapping.toVertex = m_pane.session().snap().toVertex;
    snapping.reach = kLandingReachPixels * view.pointerPerPixel();
    snapping.hidden = &m_pane.session().hidden();
    return snapping;
}

bool TransformTool::snapsToGrid(int modifiers) const {
    return m_pane.session().snap().toGrid || (modifiers == kCtrlMask && m_pane.gridShown());
}

bool TransformTool::beginPlaneDrag(const PointerInput& input) {
    m_drag.end();
    if (!beginDragEdit(m_pane, stepLabel(m_kind)))
        return false;
    const std::unique_ptr<ViewProjection> view = projection();
    const std::optional<Vec3> centre = centreOf(m_kind, m_pane.session());
    // As the designed drags, keys move nothing while SelCount is 0.
    if (view && centre && m_pane.SelCount() > 0 && m_pane.document().isDragging()) {
        m_drag.begin(m_kind, m_pane.model().curData, *centre, input.x, input.y, *view,
                     m_pane.session().snap().toVertex ? kPickReach : 0);
        if (m_kind == TransformKind::Rotate)
            m_drag.offerAxes(0); // a plane view turns about its own facing axis only
    }
    m_angleBefore = m_pane.rotAngle;
    m_x = input.x;
    m_y = input.y;
    m_modifiers = input.modifiers;
    return true;
}

void TransformTool::transformStep(double x, double y, int modifiers) {
    m_x = x;
    m_y = y;
    m_modifiers = modifiers;
    const std::unique_ptr<ViewProjection> view = projection();
    if (!view || !m_drag.isOn())
        return;
    const MoveSnapping snaps = snapping(*view, modifiers);
    m_pane.session().dragStep(
        [&](std::vector<Segment>& data) { m_drag.apply(data, x, y, *view, snaps); });
    if (m_kind == TransformKind::Rotate)
        showTurn();
    showReadout();
    if (m_preview)
        showOnPreview();
    m_pane.isChanged = true;
}

void TransformTool::showReadout() {
    if (!m_drag.isOn())
        return;
    m_readout = true;
    m_feedback.showStatus(transformReadout(m_drag, m_pane.model().curData));
}

bool TransformTool::beginModal(double x, double y, PreviewView* preview) {
    m_modal = beginDragAt(x, y, preview, 0);
    if (m_modal)
        showReadout();
    return m_modal;
}

bool TransformTool::beginDragAt(double x, double y, PreviewView* preview, int modifiers) {
    const std::optional<Vec3> centre = centreOf(m_kind, m_pane.session());
    m_preview = preview;
    const std::unique_ptr<ViewProjection> view = projection();
    m_preview = nullptr;
    if (m_pane.SelCount() <= 0 || !centre || !view)
        return false;
    const bool edits = preview ? beginDragEdit(m_pane, stepLabel(m_kind), kPositionFields)
                               : beginDragEdit(m_pane, stepLabel(m_kind));
    if (!edits)
        return false;
    m_preview = preview;
    const double grabReach = preview ? kPreviewGrabPixels : kPickReach;
    m_drag.begin(m_kind, m_pane.model().curData, *centre, x, y, *view,
                 m_pane.session().snap().toVertex ? grabReach : 0);
    if (!preview && m_kind == TransformKind::Rotate)
        m_drag.offerAxes(0); // a plane view turns about its own facing axis only
    m_angleBefore = m_pane.rotAngle;
    m_x = x;
    m_y = y;
    m_modifiers = modifiers;
    if (m_preview)
        showOnPreview();
    return true;
}

void TransformTool::showOnPreview() {
    m_preview->setGuide(
        m_drag.axes() == 0 ? std::nullopt
                           : std::optional(PreviewView::AxisGuide{m_drag.centre(), m_drag.axes()}));
    if (!dragsSoftly(m_pane)) {
        m_preview->setSoftCircle(std::nullopt);
        return;
    }
    const double radius =
        m_pane.session().aids().options().softRadius / m_preview->scene().camera().unitsPerPixel();
    m_preview->setSoftCircle(PreviewView::SoftCircle{QPointF(m_x, m_y), radius});
}

void TransformTool::showTurn() {
    m_pane.isOnRotater = true;
    m_pane.rotAngle = static_cast<float>(m_drag.angle());
}

bool TransformTool::key(char character, int modifiers) {
    if (!m_drag.isOn())
        return false;
    const char lower = char(std::tolower(static_cast<unsigned char>(character)));
    bool taken = false;
    if (lower == 'x' || lower == 'y' || lower == 'z') {
        // Shift comes as the capital letter from the plane views and as the mask from the
        // Preview.
        const bool shift = modifiers == kShiftMask || character != lower;
        taken = m_drag.limitTo(lower - 'x', shift);
    } else if (character == '\b') {
        taken = m_drag.erase();
    } else {
        taken = m_drag.type(character);
    }
    if (taken)
        transformStep(m_x, m_y, m_modifiers);
    return taken;
}

void TransformTool::previewPress(const PreviewPointer& pointer, PreviewView& view) {
    (void)beginDragAt(pointer.x, pointer.y, &view, pointer.modifiers);
}

void TransformTool::previewMove(const PreviewPointer& pointer, PreviewView&) {
    if (m_preview)
        transformStep(pointer.x, pointer.y, pointer.modifiers);
}

void TransformTool::finishDrag() {
    m_refused = false;
    // A turn of the transform drag leaves the angle as it was; the designed handle's stays.
    const bool turned =
        m_kind == TransformKind::Rotate && m_drag.isOn() && (m_preview || m_modal || isKeyed());
    m_modal = false;
    if (std::exchange(m_readout, false))
        m_feedback.showStatus(QString());
    m_drag.end();
    m_pane.document().endDrag();
    if (turned)
        m_pane.rotAngle = m_angleBefore;
    // The angle read out during the turn is over with it.
    if (m_kind == TransformKind::Rotate) {
        m_pane.isOnRotater = false;
        m_feedback.showStatus(QString());
    }
    if (m_preview) {
        m_preview->setGuide(std::nullopt);
        m_preview->setSoftCircle(std::nullopt);
        m_preview = nullptr;
    }
}

void TransformTool::cancel() {
    m_pane.document().cancelDrag();
    restoreHandles();
    finishDrag();
    m_pane.markChanged();
}

} // namespace vw
