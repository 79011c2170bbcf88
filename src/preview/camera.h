#pragma once
// The preview's camera: an orbit about a target point, in file coordinates (y up). The axes are
// right-handed: seen from the front (yaw 0, pitch 0) x runs to the right, y up and z towards the
// viewer, so the front shows what the XY plane view shows, the top what the XZ plane view shows.

#include "preview/space.h"

namespace vw {

// The six views along the axes (the numpad's keys, the gizmo's discs). Front shows what the XY
// plane view shows: x right and the file's y up, seen from the file's +z. Right looks from +x
// (z runs left), Top from the file's +y (x right, z down, as the XZ plane view draws it); Back,
// Left and Bottom from the opposite ends.
enum class ViewDirection { Front, Back, Right, Left, Top, Bottom };

// The distance from the eye, along the view, of a point at this depth-buffer value (0 at the near
// plane, 1 at the far one) of a projection between those planes.
double viewDistanceAt(double windowDepth, double nearPlane, double farPlane, bool orthographic);

class OrbitCamera {
public:
    Vec3 target;
    double distance = 10;  // eye to target, perspective; also keeps depth range in orthographic
    double yaw = 0;        // radians about y; positive turns the eye towards +x
    double pitch = 0;      // radians; positive looks from above, pi / 2 straight down
    double halfHeight = 4; // orthographic: half the view's height in model units
    double fovY = 0.7853981633974483; // perspective: vertical field of view (45 degrees)
    bool orthographic = false;
    double sceneRadius = 10; // keeps the whole model between the near and far planes
    Vec3 sceneCentre;
    int width = 1, height = 1; // viewport, pixels

    void setViewport(int w, int h);
    double aspect() const { return static_cast<double>(width) / height; }

    // Unit vectors of the view: from the eye towards the target, the screen's right and up.
    Vec3 forward() const;
    Vec3 right() const;
    Vec3 up() const;
    Vec3 eye() const { return target - forward() * distance; }

    Mat4 viewMatrix() const;
    Mat4 projectionMatrix() const;
    Mat4 viewProjection() const { return projectionMatrix() * viewMatrix(); }

    // A point to window pixels (x right, y down from the top-left corner) and depth in [-1, 1].
    Vec3 toWindow(const Vec3& point) const;
    // The point under window pixel (x, y) on the plane through the target facing the viewer.
    Vec3 onTargetPlane(double x, double y) const;
    // Model units per pixel on the target plane.
    double unitsPerPixel() const;
    // Where the ray through window pixel (x, y) meets the plane through point facing the viewer.
    Vec3 onPlaneThrough(const Vec3& point, double x, double y) const;

    // Turns the eye to one of the six views; the target, distance and projection stay.
    void lookFrom(ViewDirection direction);
    // A drag of (dx, dy) pixels turns the eye about the target; the target stays.
    void orbit(double dx, double dy);
    // A drag of (dx, dy) pixels slides the view so the target plane follows the pointer.
    void pan(double dx, double dy);
    // Zooms by factor (< 1 closer) about window pixel (x, y): the point under it stays there.
    void zoomAt(double x, double y, double factor);

    double nearPlane() const;
    double farPlane() const;
};

} // namespace vw
