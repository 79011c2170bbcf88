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

// floor without a call into the maths library, which a pick makes for every vertex.
int floorOf(double value) {
    const int truncated = static_cast<int>(value);
    return value < truncated ? truncated - 1 : truncated;
}

} // namespace

void DepthPatch::spreadNearest() {
    // In place: each value reads only values to its right and below, not yet rewritten.
    for (int row = 0; row < height; ++row) {
        float* here = depth.data() + size_t(row) * size_t(width);
        const float* below = row + 1 < height ? here + width : here;
        for (int column = 0; column < width; ++column) {
            const int right = column + 1 < width ? column + 1 : column;
            here[column] = std::min(std::min(here[column], here[right]),
                                    std::min(below[column], below[right]));
        }
    }
}

float DepthPatch::nearestAround(double x, double y) const {
    if (!(std::abs(x) < 1e9 && std::abs(y) < 1e9))
        return 1;
    // A vertex between pixel centres belongs to the pixels around it as much as to its own.
    const int column = std::clamp(floorOf(x * scale - 0.5) - left, 0, width - 1);
    const int row = std::clamp(floorOf(y * scale - 0.5) - top, 0, height - 1);
    return width > 0 && height > 0 ? depth[size_t(row) * size_t(width) + size_t(column)] : 1;
}

SurfaceTolerance surfaceTolerance(const OrbitCamera& camera) {
    // One window pixel in model units: at any depth, or per unit of depth.
    const double pixel = camera.orthographic ? camera.unitsPerPixel()
                                             : 2 * std::tan(camera.fovY / 2) / camera.height;
    return {kOnSurfaceShare * camera.sceneRadius, kSlantPixels * pixel};
}

WindowProjector::WindowProjector(const OrbitCamera& camera, const DepthPatch* depth)
    : m_near(camera.nearPlane()), m_far(camera.farPlane()), m_orthographic(camera.orthographic),
      m_tolerance(surfaceTolerance(camera)), m_depth(depth) {
    const Mat4 m = camera.viewProjection();
    // Window x = (ndc x + 1) / 2 * width, y = (1 - ndc y) / 2 * height, depth = (ndc z + 1) / 2,
    // each ndc value being a row over w: folded into the rows, so one division remains.
    const double scales[3][2] = {{camera.width / 2.0, camera.width / 2.0},
                                 {-camera.height / 2.0, camera.height / 2.0},
                                 {0.5, 0.5}};
    for (int column = 0; column < 4; ++column) {
        // The model holds y negated.
        const double sign = column == 1 ? -1 : 1;
        for (int row = 0; row < 3; ++row)
            m_rows[size_t(row * 4 + column)] =
                sign * (m.at(row, column) * scales[row][0] + m.at(3, column) * scales[row][1]);
        m_rows[size_t(12 + column)] = sign * m.at(3, column);
    }
}

bool WindowProjector::project(const Vertex& vertex, WindowPoint& point) const {
    const double x = vertex.x, y = vertex.y, z = vertex.z;
    const auto row = [&](size_t r) {
        return m_rows[r * 4] * x + m_rows[r * 4 + 1] * y + m_rows[r * 4 + 2] * z +
               m_rows[r * 4 + 3];
    };
    const double w = row(3);
    if (!(w > 0))
        return false;
    const double inverse = 1 / w;
    point.x = row(0) * inverse;
    point.y = row(1) * inverse;
    point.depth = row(2) * inverse;
    // In perspective w is the distance itself; in orthographic it is 1.
    point.distance = m_orthographic ? viewDistanceAt(point.depth, m_near, m_far, true) : w;
    return true;
}

bool WindowProjector::isVisible(const WindowPoint& point) const {
    if (!(point.depth >= 0 && point.depth <= 1))
        return false;
    if (!m_depth)
        return true;
    const float surface = m_depth->nearestAround(point.x, point.y);
    if (surface >= 1)
        return true;
    const double slant = m_orthographic ? m_tolerance.slant : m_tolerance.slant * point.distance;
    return point.distance <=
           viewDistanceAt(surface, m_near, m_far, m_orthographic) + m_tolerance.onSurface + slant;
}

WorkingVertex nearestWorkingVertex(const Model& model, const OrbitCamera& camera, double x,
                                   double y, double reach, const DepthPatch* depth,
                                   const HiddenVertices* hidden) {
    const WindowProjector project(camera, depth);
    WorkingVertex best;
    double bestDistance = reach * reach;
    for (size_t i = 0; i < model.curData.size(); ++i) {
        const std::vector<Vertex>& verts = model.curData[i].verts;
        for (size_t j = 0; j < verts.size(); ++j) {
            WindowPoint at;
            if ((hidden != nullptr && hidden->isHidden(i, j)) || !project.project(verts[j], at))
                continue;
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
    WindowPoint at;
    if (!m_project.project(vertex, at))
        return false;
    return at.x >= m_left && at.x <= m_right && at.y >= m_top && at.y <= m_bottom &&
           m_project.isVisible(at);
}

std::optional<WorkingSide> nearestVisibleQuadSide(const Model& model, const OrbitCamera& camera,
                                                  double x, double y, double reach,
                                                  const DepthPatch* depth,
                                                  const HiddenVertices* hidden) {
    const WindowProjector project(camera, depth);
    return nearestQuadSide(model.curData, x, y, reach,
                           [&](size_t i, uint32_t j) -> std::optional<std::array<double, 2>> {
                               WindowPoint at;
                               if ((hidden != nullptr && hidden->isHidden(i, j)) ||
                                   !project.project(model.curData[i].verts[j], at) ||
                                   !project.isVisible(at))
                                   return std::nullopt;
                               return std::array{at.x, at.y};
                           });
}

CirclePicker::CirclePicker(const OrbitCamera& camera, double x, double y, double radius,
                           const DepthPatch* depth)
    : m_project(camera, depth), m_x(x), m_y(y), m_radius(radius) {}

bool CirclePicker::operator()(const Vertex& vertex) const {
    WindowPoint at;
    if (!m_project.project(vertex, at))
        return false;
    const double dx = at.x - m_x, dy = at.y - m_y;
    return dx * dx + dy * dy <= m_radius * m_radius && m_project.isVisible(at);
}

std::optional<Vec3> surfacePointAt(const OrbitCamera& camera, const DepthPatch& depth, double x,
                                   double y) {
    const float surface = depth.nearestAround(x, y);
    if (!(surface < 1))
        return std::nullopt;
    const double distance =
        viewDistanceAt(surface, camera.nearPlane(), camera.farPlane(), camera.orthographic);
    // The plane facing the viewer at that distance from the eye, in either projection.
    return camera.onPlaneThrough(camera.eye() + camera.forward() * distance, x, y);
}

} // namespace vw
