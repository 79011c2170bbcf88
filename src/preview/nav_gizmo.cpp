#include "preview/nav_gizmo.h"

#include <algorithm>

namespace vw {
namespace {

constexpr double kArm = 34;           // pixels from the middle to a disc's centre
constexpr double kPositiveRadius = 9; // labelled discs
constexpr double kNegativeRadius = 6; // plain discs
constexpr double kCornerMargin = 10;  // from the view's top and right edges

} // namespace

NavigationGizmo navigationGizmo(const OrbitCamera& camera) {
    NavigationGizmo gizmo;
    gizmo.centreX = camera.width - kCornerMargin - kArm - kPositiveRadius;
    gizmo.centreY = kCornerMargin + kArm + kPositiveRadius;
    const Vec3 right = camera.right(), up = camera.up(), forward = camera.forward();
    for (int axis = 0; axis < 3; ++axis)
        for (const bool positive : {true, false}) {
            // Seen without perspective, as the axes' directions are what it shows.
            const Vec3 direction = growing(axis) * (positive ? 1 : -1);
            gizmo.ends[size_t(2 * axis + (positive ? 0 : 1))] = {
                axis,
                positive,
                gizmo.centreX + kArm * direction.dot(right),
                gizmo.centreY - kArm * direction.dot(up),
                positive ? kPositiveRadius : kNegativeRadius,
                direction.dot(forward)};
        }
    std::stable_sort(gizmo.ends.begin(), gizmo.ends.end(),
                     [](const GizmoEnd& a, const GizmoEnd& b) { return a.depth > b.depth; });
    return gizmo;
}

std::optional<ViewDirection> gizmoViewAt(const NavigationGizmo& gizmo, double x, double y) {
    for (auto end = gizmo.ends.rbegin(); end != gizmo.ends.rend(); ++end) {
        const double dx = x - end->x, dy = y - end->y;
        if (dx * dx + dy * dy <= end->radius * end->radius)
            return viewFrom(end->axis, end->positive);
    }
    return std::nullopt;
}

ViewDirection viewFrom(int axis, bool positive) {
    // The sheet's +y runs along the file's -y, so its end is below the model.
    switch (axis) {
    case 0:
        return positive ? ViewDirection::Right : ViewDirection::Left;
    case 1:
        return positive ? ViewDirection::Bottom : ViewDirection::Top;
    default:
        return positive ? ViewDirection::Front : ViewDirection::Back;
    }
}

} // namespace vw
