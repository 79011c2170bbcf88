#include "preview/preview_picking.h"

#include <algorithm>
#include <cmath>

namespace vw {
namespace {

// A vertex lying on the surface may sit this share of the scene's radius behind the depth the
// surface left around its pixel (the depth buffer's steps, and the surface pushed back so its
// lines show), and a few pixels' worth more for a surface seen aslant, and still count as on it.
constexpr double kOnSurfaceShare = 2e-3;
constexpr double kSlantPixels = 2;

} // namespace

float DepthPatch::nearestAround(double x, double y) const {
    const int cx = static_cast<int>(std::floor(x * scale)) - left;
    const int cy = static_cast<int>(std::floor(y * scale)) - top;
    float nearest = 1;
    // A vertex on a pixel's edge or corner belongs to the pixels around it as much as to its own.
    for (int py = std::max(cy - 1, 0); py <= std::min(cy + 1, height - 1); ++py)
        for (int px = std::max(cx - 1, 0); px <= std::min(cx + 1, width - 1); ++px)
            nearest = std::min(nearest, depth[size_t(py) * size_t(width) + size_t(px)]);
    return nearest;
}

WindowProjector::WindowProjector(const OrbitCamera& camera, const DepthPatch* depth)
    : m_viewProjection(camera.viewProjection()), m_width(camera.width), m_height(camera.height),
      m_near(camera.nearPlane()), m_far(camera.farPlane()), m_orthographic(camera.orthographic),
      m_onSurface(kOnSurfaceShare * camera.sceneRadius),
      m_pixelsToUnits(camera.orthographic ? camera.unitsPerPixel()
                                          : 2 * std::tan(camera.fovY / 2) / camera.height),
      m_depth(depth) {}

Vec3 WindowProjector::operator()(const Vertex& vertex) const {
    const Vec3 ndc = m_viewProjection.project({vertex.x, -double(vertex.y), vertex.z});
    return {(ndc.x + 1) / 2 * m_width, (1 - ndc.y) / 2 * m_height, (ndc.z + 1) / 2};
}

bool WindowProjector::inView(const Vertex& vertex) const {
    const Mat4& m = m_viewProjection;
    const double w =
        m.at(3, 0) * vertex.x - m.at(3, 1) * double(vertex.y) + m.at(3, 2) * vertex.z + m.at(3, 3);
    return w > 0;
}

bool WindowProjector::isVisible(const Vec3& window) const {
    if (!(window.z >= 0 && window.z <= 1))
        return false;
    if (!m_depth)
        return true;
    const float surface = m_depth->nearestAround(window.x, window.y);
    if (surface >= 1)
        return true;
    const double distance = viewDistanceAt(window.z, m_near, m_far, m_orthographic);
    const double pixel = m_orthographic ? m_pixelsToUnits : m_pixelsToUnits * distance;
    return distance <= viewDistanceAt(surface, m_near, m_far, m_orthographic) + m_onSurface +
                           kSlantPixels * pixel;
}

WorkingVertex nearestWorkingVertex(const Model& model, const OrbitCamera& camera, double x,
                                   double y, double reach, const DepthPatch* depth) {
    const WindowProjector project(camera, depth);
    WorkingVertex best;
    double bestDistance = reach * reach;
    for (size_t i = 0; i < model.curData.size(); ++i) {
        const std::vector<Vertex>& verts = model.curData[i].verts;
        for (size_t j = 0; j < verts.size(); ++j) {
            if (!project.inView(verts[j]))
                continue;
            const Vec3 at = project(verts[j]);
            const double distance = (at.x - x) * (at.x - x) + (at.y - y) * (at.y - y);
            const bool nearer = best.found() ? distance < bestDistance : distance <= bestDistance;
            if (nearer && project.isVisible(at)) {
                best = {int32_t(i), int32_t(j)};
                bestDistance = distance;
            }
        }
    }
    return best;
}

BoxPicker::BoxPicker(const OrbitCamera& camera, double x1, double y1, double x2, double y2,
                     const DepthPatch* depth)
    : m_project(camera, depth), m_left(std::min(x1, x2)), m_top(std::min(y1, y2)),
      m_right(std::max(x1, x2)), m_bottom(std::max(y1, y2)) {}

bool BoxPicker::operator()(const Vertex& vertex) const {
    if (!m_project.inView(vertex))
        return false;
    const Vec3 at = m_project(vertex);
    return at.x >= m_left && at.x <= m_right && at.y >= m_top && at.y <= m_bottom &&
           m_project.isVisible(at);
}

} // namespace vw
