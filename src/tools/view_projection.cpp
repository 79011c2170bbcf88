#include "tools/view_projection.h"

#include "views/grid.h"
#include "views/twips.h"

#include <cmath>

namespace vw {
namespace {

// A position coordinate of the model (its y is the file's negated) from a file-oriented point.
double modelCoord(const Vec3& point, int axis) {
    return axis == 0 ? point.x : axis == 1 ? -point.y : point.z;
}

void setModelCoord(Vec3& point, int axis, double value) {
    if (axis == 0)
        point.x = value;
    else if (axis == 1)
        point.y = -value;
    else
        point.z = value;
}

} // namespace

Vec3 PlaneProjection::toScreen(const Vec3& point) const {
    return {modelCoord(point, m_view.axisH) * m_view.zoom + m_view.originX,
            modelCoord(point, m_view.axisV) * m_view.zoom + m_view.originY, 0};
}

Vec3 PlaneProjection::onFacingPlane(const Vec3& through, double x, double y) const {
    Vec3 point = through;
    setModelCoord(point, m_view.axisH, (x - m_view.originX) / m_view.zoom);
    setModelCoord(point, m_view.axisV, (y - m_view.originY) / m_view.zoom);
    return point;
}

Vec3 PlaneProjection::towardsViewer() const {
    // Pane rows run down: the screen's up is against the vertical axis.
    return growing(m_view.axisH).cross(growing(m_view.axisV) * -1);
}

double PlaneProjection::unitsPerPixel(const Vec3&) const {
    return kTwipsPerPixel / double(m_view.zoom);
}

double PlaneProjection::pointerPerPixel() const {
    return kTwipsPerPixel;
}

double CameraProjection::unitsPerPixel(const Vec3& at) const {
    // The distance on screen of one unit across the view at that depth.
    const Vec3 a = m_camera.toWindow(at), b = m_camera.toWindow(at + m_camera.right());
    const double pixels = std::hypot(b.x - a.x, b.y - a.y);
    return pixels > 0 ? 1 / pixels : m_camera.unitsPerPixel();
}

double gridStepAt(const ViewProjection& view, const Vec3& at) {
    const double units = view.unitsPerPixel(at);
    return units > 0 ? gridSpacing(float(kTwipsPerPixel / units)) : 0;
}

uint8_t PlaneProjection::offeredAxes() const {
    return uint8_t((1u << m_view.axisH) | (1u << m_view.axisV));
}

} // namespace vw
