#include "preview/fitting.h"

#include <algorithm>
#include <cmath>

namespace vw {
namespace {

// A little room around the fitted sphere.
constexpr double kMargin = 1.05;

// A single point or a flat nothing still needs a size to look at.
double usableRadius(const Bounds& box) {
    const double scale = std::max(
        {1.0, std::abs(box.centre().x), std::abs(box.centre().y), std::abs(box.centre().z)});
    return std::max(box.radius(), 1e-3 * scale);
}

} // namespace

void Bounds::add(const Vertex& vertex) {
    // The model holds y negated; the preview shows the file's y upward.
    const Vec3 p{vertex.x, -static_cast<double>(vertex.y), vertex.z};
    if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z))
        return;
    min = {std::min(min.x, p.x), std::min(min.y, p.y), std::min(min.z, p.z)};
    max = {std::max(max.x, p.x), std::max(max.y, p.y), std::max(max.z, p.z)};
}

Bounds shownBounds(const Model& model, const ShownFilter& shown) {
    Bounds box;
    for (const Part& part : model.Parts)
        for (const Segment& segment : part.segments)
            if (!shown || shown(segment.nodeIndex))
                for (const Vertex& vertex : segment.verts)
                    box.add(vertex);
    return box;
}

Bounds selectionBounds(const Model& model) {
    Bounds selected, all;
    for (const Segment& segment : model.curData)
        for (const Vertex& vertex : segment.verts) {
            all.add(vertex);
            if (vertex.selected != 0)
                selected.add(vertex);
        }
    return selected.empty() ? all : selected;
}

void setScene(OrbitCamera& camera, const Bounds& scene) {
    if (scene.empty())
        return;
    camera.sceneCentre = scene.centre();
    camera.sceneRadius = usableRadius(scene);
}

void fitCamera(OrbitCamera& camera, const Bounds& box) {
    if (box.empty())
        return;
    const double radius = usableRadius(box) * kMargin;
    const double halfY = camera.fovY / 2;
    const double halfX = std::atan(std::tan(halfY) * camera.aspect());
    camera.target = box.centre();
    camera.distance = radius / std::sin(std::min(halfX, halfY));
    camera.halfHeight = camera.distance * std::tan(halfY);
}

void setOrthographic(OrbitCamera& camera, bool orthographic) {
    if (orthographic == camera.orthographic)
        return;
    const double slope = std::tan(camera.fovY / 2);
    if (orthographic)
        camera.halfHeight = camera.distance * slope;
    else
        camera.distance = camera.halfHeight / slope;
    camera.orthographic = orthographic;
}

} // namespace vw
