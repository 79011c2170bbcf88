#include "preview/camera.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vw {
namespace {

// An orbit stops short of straight up or down, so the model never turns over.
constexpr double kPitchLimit = 1.5607963267948966;
constexpr double kRadiansPerPixel = 0.01;

} // namespace

void OrbitCamera::setViewport(int w, int h) {
    width = std::max(w, 1);
    height = std::max(h, 1);
}

Vec3 OrbitCamera::forward() const {
    const Vec3 towardsEye{std::sin(yaw) * std::cos(pitch), std::sin(pitch),
                          std::cos(yaw) * std::cos(pitch)};
    return towardsEye * -1;
}

Vec3 OrbitCamera::right() const {
    // Level and square to the view; from the yaw alone, so it holds looking straight up or down.
    return {std::cos(yaw), 0, -std::sin(yaw)};
}

Vec3 OrbitCamera::up() const {
    return right().cross(forward());
}

Mat4 OrbitCamera::viewMatrix() const {
    const Vec3 f = forward(), r = right(), u = up(), e = eye();
    Mat4 view = Mat4::identity();
    const Vec3 rows[3] = {r, u, f * -1};
    for (int row = 0; row < 3; ++row) {
        view.at(row, 0) = rows[row].x;
        view.at(row, 1) = rows[row].y;
        view.at(row, 2) = rows[row].z;
        view.at(row, 3) = -rows[row].dot(e);
    }
    return view;
}

double OrbitCamera::nearPlane() const {
    const double centreDepth = (sceneCentre - eye()).dot(forward());
    const double nearest = centreDepth - sceneRadius * 1.01;
    if (orthographic)
        return nearest;
    return std::max(nearest, farPlane() * 1e-4);
}

double OrbitCamera::farPlane() const {
    const double centreDepth = (sceneCentre - eye()).dot(forward());
    return std::max(centreDepth + sceneRadius * 1.01, distance * 1e-3 + 1e-6);
}

Mat4 OrbitCamera::projectionMatrix() const {
    const double n = nearPlane(), f = farPlane();
    Mat4 p;
    if (orthographic) {
        const double hh = halfHeight, hw = halfHeight * aspect();
        p.at(0, 0) = 1 / hw;
        p.at(1, 1) = 1 / hh;
        p.at(2, 2) = -2 / (f - n);
        p.at(2, 3) = -(f + n) / (f - n);
        p.at(3, 3) = 1;
        return p;
    }
    const double focal = 1 / std::tan(fovY / 2);
    p.at(0, 0) = focal / aspect();
    p.at(1, 1) = focal;
    p.at(2, 2) = -(f + n) / (f - n);
    p.at(2, 3) = -2 * f * n / (f - n);
    p.at(3, 2) = -1;
    return p;
}

Vec3 OrbitCamera::toWindow(const Vec3& point) const {
    const Vec3 ndc = viewProjection().project(point);
    return {(ndc.x + 1) / 2 * width, (1 - ndc.y) / 2 * height, ndc.z};
}

double OrbitCamera::unitsPerPixel() const {
    const double hh = orthographic ? halfHeight : distance * std::tan(fovY / 2);
    return 2 * hh / height;
}

Vec3 OrbitCamera::onTargetPlane(double x, double y) const {
    const double upp = unitsPerPixel();
    return target + right() * ((x - width / 2.0) * upp) + up() * ((height / 2.0 - y) * upp);
}

double viewDistanceAt(double windowDepth, double nearPlane, double farPlane, bool orthographic) {
    const double n = nearPlane, f = farPlane;
    const double ndc = 2 * windowDepth - 1;
    if (orthographic)
        return (ndc * (f - n) + f + n) / 2;
    return 2 * f * n / ((f + n) - ndc * (f - n));
}

Vec3 OrbitCamera::onPlaneThrough(const Vec3& point, double x, double y) const {
    const Vec3 onTarget = onTargetPlane(x, y);
    const Vec3 f = forward();
    // Parallel rays in orthographic projection; rays from the eye in perspective.
    const Vec3 from = orthographic ? onTarget - f * distance : eye();
    const Vec3 direction = orthographic ? f : (onTarget - from).normalized();
    const double along = direction.dot(f);
    if (std::abs(along) < 1e-12)
        return point;
    return from + direction * ((point - from).dot(f) / along);
}

void OrbitCamera::lookFrom(ViewDirection direction) {
    constexpr double kQuarter = std::numbers::pi / 2;
    struct Angles {
        double yaw, pitch;
    };
    constexpr Angles kViews[] = {{0, 0},         {2 * kQuarter, 0}, {kQuarter, 0},
                                 {-kQuarter, 0}, {0, kQuarter},     {0, -kQuarter}};
    const Angles& view = kViews[static_cast<int>(direction)];
    yaw = view.yaw;
    pitch = view.pitch;
}

void OrbitCamera::orbit(double dx, double dy) {
    yaw = std::remainder(yaw - dx * kRadiansPerPixel, 2 * 3.141592653589793);
    pitch = std::clamp(pitch + dy * kRadiansPerPixel, -kPitchLimit, kPitchLimit);
}

void OrbitCamera::pan(double dx, double dy) {
    const double upp = unitsPerPixel();
    target = target - right() * (dx * upp) + up() * (dy * upp);
}

void OrbitCamera::zoomAt(double x, double y, double factor) {
    if (!(factor > 0) || !std::isfinite(factor))
        return;
    const Vec3 fixed = onTargetPlane(x, y);
    target = fixed + (target - fixed) * factor;
    if (orthographic)
        halfHeight *= factor;
    else
        distance *= factor;
}

} // namespace vw
