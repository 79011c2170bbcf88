#include "tools/circle_select.h"

#include "preview/preview_picking.h"
#include "preview/preview_view.h"
#include "views/overlay_drawing.h"
#include "views/pane.h"
#include "views/pane_colours.h"
#include "views/raster.h"
#include "views/twips.h"
#include "views/view_transform.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace vw {
namespace {

constexpr double kRadiusStep = 1.25;
// A vertex mark reaches this far to each side of its vertex, in twips, as the pane draws marks.
constexpr int32_t kMarkReach = 30;

} // namespace

CircleSelect::CircleSelect(Pane& pane) : m_pane(pane) {}

void CircleSelect::start() {
    m_on = true;
}

void CircleSelect::end() {
    applyStroke();
    m_on = false;
    if (m_shownOn)
        m_shownOn->setSoftCircle(std::nullopt);
    m_shownOn = nullptr;
    m_pane.markChanged();
}

bool CircleSelect::removes(int buttons, int modifiers) {
    return buttons == kMiddleButton || (buttons == kLeftButton && modifiers == kShiftMask);
}

void CircleSelect::beginStroke(bool remove) {
    m_stroke = remove ? Stroke::Removing : Stroke::Adding;
    m_painted.clear();
    m_inStroke.clear();
    for (const Segment& segment : m_pane.model().curData)
        m_inStroke.emplace_back(segment.verts.size(), 0);
}

bool CircleSelect::strokeFits() const {
    const std::vector<Segment>& data = m_pane.model().curData;
    if (data.size() != m_inStroke.size())
        return false;
    for (size_t i = 0; i < data.size(); ++i)
        if (data[i].verts.size() != m_inStroke[i].size())
            return false;
    return true;
}

template <class Covered> void CircleSelect::paint(Covered covered) {
    const std::vector<Segment>& data = m_pane.model().curData;
    const HiddenVertices& hidden = m_pane.session().hidden();
    if (!strokeFits())
        return;
    for (size_t i = 0; i < data.size(); ++i) {
        for (size_t j = 0; j < data[i].verts.size(); ++j)
            if (m_inStroke[i][j] == 0 && !hidden.isHidden(i, j) && covered(data[i].verts[j])) {
                m_inStroke[i][j] = 1;
                m_painted.push_back({i, j});
            }
    }
}

void CircleSelect::press(const PointerInput& input, bool remove) {
    if (!m_on || m_pane.selectedTab() > kTabUV)
        return;
    beginStroke(remove);
    move(input);
}

void CircleSelect::move(const PointerInput& input) {
    m_x = input.x;
    m_y = input.y;
    if (isPainting() && input.buttons != 0)
        paintPlane(input.x, input.y);
    m_pane.markChanged();
}

void CircleSelect::paintPlane(float x, float y) {
    const ViewParams& view = m_pane.currentView();
    const double reach = m_radius * kTwipsPerPixel;
    paint([&](const Vertex& vertex) {
        const double dx = double(vertex.coord(view.axisH)) * view.zoom + view.originX - x;
        const double dy = double(vertex.coord(view.axisV)) * view.zoom + view.originY - y;
        return dx * dx + dy * dy <= reach * reach;
    });
}

void CircleSelect::release() {
    applyStroke();
}

void CircleSelect::cancel() {
    m_stroke = Stroke::None;
    m_painted.clear();
    m_pane.markChanged();
}

void CircleSelect::applyStroke() {
    if (!strokeFits())
        m_painted.clear();
    if (m_stroke == Stroke::Adding)
        selectVertices(m_pane, m_painted, false);
    else if (m_stroke == Stroke::Removing)
        deselectVertices(m_pane, m_painted);
    cancel();
}

OverlayGround CircleSelect::overlayGround() const {
    return m_on && m_pane.selectedTab() <= kTabUV ? OverlayGround::LastFrame : OverlayGround::None;
}

void CircleSelect::drawOverlay(QImage& picMain) const {
    if (strokeFits())
        drawStrokeMarks(picMain);
    drawCircle(picMain, QPoint(twipToPixel(double(m_x)), twipToPixel(double(m_y))), m_radius,
               kRubberBand);
}

void CircleSelect::drawStrokeMarks(QImage& picMain) const {
    const ViewParams& view = m_pane.currentView();
    Raster raster(picMain);
    for (const VertexIndex& at : m_painted) {
        const Vertex& vertex = m_pane.model().curData[at.segment].verts[at.vertex];
        const double x = toPane(vertex.coord(view.axisH), view.zoom, view.originX);
        const double y = toPane(vertex.coord(view.axisV), view.zoom, view.originY);
        const QRect mark = pixelBox(x - kMarkReach, y - kMarkReach, x + kMarkReach, y + kMarkReach);
        if (m_stroke == Stroke::Adding)
            raster.fillBox(mark, kMarkSelected);
        else
            raster.framedBox(mark, kMarkFill, kMarkOutline);
    }
}

OverlayGeometry CircleSelect::overlayGeometry() const {
    return {std::bit_cast<uint32_t>(m_x),
            std::bit_cast<uint32_t>(m_y),
            std::bit_cast<uint32_t>(float(m_radius)),
            uint32_t(m_painted.size()),
            uint32_t(m_stroke),
            uint32_t(m_on)};
}

void CircleSelect::previewPress(const PreviewPointer& pointer, PreviewView& view, bool remove) {
    if (!m_on)
        return;
    beginStroke(remove);
    previewMove(pointer, view);
}

void CircleSelect::previewMove(const PreviewPointer& pointer, PreviewView& view) {
    if (!m_on)
        return;
    if (isPainting() && pointer.buttons != 0)
        paintPreview(pointer, view);
    showOnPreview(pointer, view);
}

void CircleSelect::paintPreview(const PreviewPointer& pointer, PreviewView& view) {
    const std::optional<DepthPatch> depth = view.depthOver(
        pointer.x - m_radius, pointer.y - m_radius, pointer.x + m_radius, pointer.y + m_radius);
    const CirclePicker covered(view.scene().camera(), pointer.x, pointer.y, m_radius,
                               depth ? &*depth : nullptr);
    paint(covered);
}

void CircleSelect::previewRelease(const PreviewPointer& pointer, PreviewView& view) {
    applyStroke();
    showOnPreview(pointer, view);
}

void CircleSelect::showOnPreview(const PreviewPointer& pointer, PreviewView& view) {
    if (m_shownOn && m_shownOn != &view)
        m_shownOn->setSoftCircle(std::nullopt);
    m_shownOn = &view;
    m_previewAt = QPointF(pointer.x, pointer.y);
    view.setSoftCircle(PreviewView::SoftCircle{m_previewAt, m_radius});
}

void CircleSelect::wheel(int notches) {
    m_radius =
        std::clamp(m_radius * std::pow(kRadiusStep, notches), kSmallestRadius, kLargestRadius);
    m_pane.markChanged();
    if (m_shownOn)
        m_shownOn->setSoftCircle(PreviewView::SoftCircle{m_previewAt, m_radius});
}

} // namespace vw
