#include "tools/rotate_tool.h"

#include "tools/angle_text.h"
#include "tools/input_masks.h"
#include "tools/tool_feedback.h"
#include "views/pane.h"
#include "views/pane_colours.h"

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

void RotateTool::choose() {
    m_pane.SetRotateValues();
}

void RotateTool::press(const PointerInput& input) {
    // Opened on any press, so the release writes the working data back as it always has.
    m_refused = !beginPlaneDrag(input);
    m_onHandle = false;
    if (m_refused || !isRotateHandle(m_pane.colourAt(m_pane.downX, m_pane.downY)))
        return;
    m_onHandle = true;
    m_pane.isOnRotater = true;
    m_pane.rotSnapshot = m_pane.model().curData;
    m_angleAtPress = m_pane.rotAngle;
    m_handleAtPress = {m_pane.rotHandleH, m_pane.rotHandleV};
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
        static_cast<float>(polarAngle(double(mh) - pane.rotCenterH, double(mv) - pane.rotCenterV));
    pane.rotHandleH = static_cast<float>(half * std::cos(double(pane.rotAngle)) + pane.rotCenterH);
    pane.rotHandleV = static_cast<float>(half * std::sin(double(pane.rotAngle)) + pane.rotCenterV);
    m_feedback.showStatus(angleText(pane.rotAngle));

    const ViewParams& view = pane.currentView();
    const PlanePoint center{pane.rotCenterH, pane.rotCenterV};
    const std::vector<std::vector<PolarPoint>>& polar =
        m_turn.polarOf(pane.rotSnapshot, center, view.axisH, view.axisV);
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
    m_pane.rotHandleH = m_handleAtPress.h;
    m_pane.rotHandleV = m_handleAtPress.v;
}

} // namespace vw
