#include "tools/rotate_tool.h"

#include "tools/angle_text.h"
#include "tools/input_masks.h"
#include "tools/tool_feedback.h"
#include "views/overlay_drawing.h"
#include "views/pane.h"
#include "views/pane_colours.h"
#include "views/raster.h"
#include "views/twips.h"

#include <bit>
#include <cmath>

namespace vw {
bool RotateDrag::fits(const std::vector<Segment>& snapshot) const {
    if (m_polar.size() != snapshot.size())
        return false;
    for (size_t i = 0; i < snapshot.size(); ++i)
        if (m_polar[i].size() != snapshot[i].verts.size())
            return false;
    return true;
}

const std::vector<std::vector<PolarPoint>>&
RotateDrag::polarOf(const std::vector<Segment>& snapshot, PlanePoint center, uint8_t axisH,
                    uint8_t axisV) {
    if (fits(snapshot) && center.h == m_center.h && center.v == m_center.v && axisH == m_axisH &&
        axisV == m_axisV)
        return m_polar;
    m_center = center;
    m_axisH = axisH;
    m_axisV = axisV;
    m_polar.resize(snapshot.size());
    for (size_t i = 0; i < snapshot.size(); ++i) {
        const std::vector<Vertex>& verts = snapshot[i].verts;
        m_polar[i].resize(verts.size());
        for (size_t j = 0; j < verts.size(); ++j)
            m_polar[i][j] = polarPoint({verts[j].coord(axisH), verts[j].coord(axisV)}, center);
    }
    return m_polar;
}

void RotateTool::SetRotateValues() {
    m_pane.SetScaleValues();
    const Pane& pane = m_pane;
    m_centre.h = static_cast<float>((static_cast<double>(pane.selLeft) + pane.selRight) / 2);
    m_centre.v = static_cast<float>((static_cast<double>(pane.selTop) + pane.selBottom) / 2);
    // Any other pivot takes the circle's centre; the box's own stays the designed default.
    const ViewParams& view = pane.currentView();
    if (const std::optional<ModelPoint> pivot = pane.session().pivotPoint();
        pivot && pane.session().pivot() != Pivot::BoundingBoxCentre && showsPositions(view)) {
        m_centre.h = static_cast<float>((*pivot)[view.axisH]);
        m_centre.v = static_cast<float>((*pivot)[view.axisV]);
    }
    m_handle.h =
        static_cast<float>((static_cast<double>(pane.selRight) - pane.selLeft) / 2 + m_centre.h);
    m_handle.v = m_centre.v;
}

void RotateTool::drawOverlay(QImage& picMain) const {
    const double radius = std::abs(static_cast<double>(m_pane.toPaneX(m_pane.selRight)) -
                                   m_pane.toPaneX(m_pane.selLeft)) /
                          2;
    const QPoint centre(twipToPixel(m_pane.toPaneX(m_centre.h)),
                        twipToPixel(m_pane.toPaneY(m_centre.v)));
    drawCircle(picMain, centre, radius / kTwipsPerPixel, kRotateCircle);
    Raster(picMain).fillBox(handleBox(m_pane.toPaneX(m_handle.h), m_pane.toPaneY(m_handle.v)),
                            kRotateHandle);
}

OverlayGeometry RotateTool::overlayGeometry() const {
    OverlayGeometry geometry;
    for (size_t i = 0;
         const float value : {m_pane.selLeft, m_pane.selTop, m_pane.selRight, m_pane.selBottom,
                              m_centre.h, m_centre.v, m_handle.h, m_handle.v})
        geometry[i++] = std::bit_cast<uint32_t>(value);
    return geometry;
}

void RotateTool::press(const PointerInput& input) {
    // Opened on any press, so the release writes the working data back as it always has.
    m_refused = !beginPlaneDrag(input);
    m_onHandle = false;
    if (m_refused || !isRotateHandle(m_pane.colourAt(m_pane.downX, m_pane.downY)))
        return;
    m_onHandle = true;
    m_pane.isOnRotater = true;
    m_snapshot = m_pane.model().curData;
    m_angleAtPress = m_pane.rotAngle;
    m_handleAtPress = m_handle;
    m_turn.forget();
}

void RotateTool::move(const PointerInput& input) {
    Pane& pane = m_pane;
    if (isKeyed() && isLeftAlone(input.buttons)) {
        transformStep(input.x, input.y, input.modifiers);
        return;
    }
    if (!pane.isOnRotater)
        return;
    const double half = (double(pane.selRight) - pane.selLeft) / 2;
    const float mh = pane.toModelX(input.x);
    const float mv = pane.toModelY(input.y);
    pane.rotAngle =
        static_cast<float>(polarAngle(double(mh) - m_centre.h, double(mv) - m_centre.v));
    m_handle.h = static_cast<float>(half * std::cos(double(pane.rotAngle)) + m_centre.h);
    m_handle.v = static_cast<float>(half * std::sin(double(pane.rotAngle)) + m_centre.v);
    m_feedback.showStatus(angleText(pane.rotAngle));

    const ViewParams& view = pane.currentView();
    const PlanePoint center = m_centre;
    const std::vector<std::vector<PolarPoint>>& polar =
        m_turn.polarOf(m_snapshot, center, view.axisH, view.axisV);
    // Written back at the release, as a rotation has always been.
    const bool commitNow = false;
    pane.session().dragStep(
        [&](std::vector<Segment>& curData) {
            for (size_t i = 0; i < curData.size() && i < polar.size(); ++i) {
                std::vector<Vertex>& verts = curData[i].verts;
                for (size_t j = 0; j < verts.size() && j < polar[i].size(); ++j) {
                    if (verts[j].selected == 0)
                        continue;
                    const PlanePoint turned = turnedPoint(polar[i][j], center, pane.rotAngle);
                    verts[j].coord(view.axisH) = turned.h;
                    verts[j].coord(view.axisV) = turned.v;
                }
            }
        },
        commitNow);
}

void RotateTool::restoreHandles() {
    if (!m_onHandle)
        return;
    m_pane.rotAngle = m_angleAtPress;
    m_handle = m_handleAtPress;
}

} // namespace vw
