#include "tools/rotate_tool.h"

#include "tools/angle_text.h"
#include "tools/move_tool.h"
#include "tools/tool_feedback.h"
#include "tools/transform.h"
#include "views/pane.h"

#include <cmath>

namespace vw {
namespace {

bool isRotateHandle(QRgb colour) {
    return (colour & RGB_MASK) == (qRgb(0, 250, 0) & RGB_MASK);
}

} // namespace

void rotatePress(Pane& pane) {
    if (!isRotateHandle(pane.colourAt(pane.downX, pane.downY)))
        return;
    pane.isOnRotater = true;
    pane.rotSnapshot = pane.model().curData;
}

void rotateMove(Pane& pane, ToolFeedback& feedback, const PointerInput& input) {
    if (!pane.isOnRotater)
        return;
    const float half = (pane.selRight - pane.selLeft) / 2;
    const float mh = pane.toModelX(input.x);
    const float mv = pane.toModelY(input.y);
    pane.rotAngle =
        static_cast<float>(polarAngle(double(mh) - pane.rotCenterH, double(mv) - pane.rotCenterV));
    pane.rotHandleH = static_cast<float>(half * std::cos(double(pane.rotAngle)) + pane.rotCenterH);
    pane.rotHandleV = static_cast<float>(half * std::sin(double(pane.rotAngle)) + pane.rotCenterV);
    feedback.showStatus(angleText(pane.rotAngle));

    const ViewParams& view = pane.currentView();
    const PlanePoint center{pane.rotCenterH, pane.rotCenterV};
    std::vector<Segment>& curData = pane.model().curData;
    const std::vector<Segment>& snapshot = pane.rotSnapshot;
    for (size_t i = 0; i < curData.size() && i < snapshot.size(); ++i) {
        std::vector<Vertex>& verts = curData[i].verts;
        const std::vector<Vertex>& before = snapshot[i].verts;
        for (size_t j = 0; j < verts.size() && j < before.size(); ++j) {
            if (verts[j].selected == 0)
                continue;
            const PlanePoint turned = rotatedPoint(
                {before[j].coord(view.axisH), before[j].coord(view.axisV)}, center, pane.rotAngle);
            verts[j].coord(view.axisH) = turned.h;
            verts[j].coord(view.axisV) = turned.v;
        }
    }
}

void rotateRelease(Pane& pane) {
    commitCurData(pane.model());
}

} // namespace vw
