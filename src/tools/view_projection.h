#pragma once
// How a tool sees a view: points of the model in file orientation (y up, as the camera sees
// them) to pointer positions and back, and the model axes the view's plane offers. The plane
// views and the Preview each give one, so one Move, Scale and Rotate serve both.

#include "preview/camera.h"
#include "preview/space.h"
#include "views/view_params.h"

#include <cstdint>

namespace vw {

// Model axes as bits.
enum AxisBits : uint8_t { kAxisX = 1, kAxisY = 2, kAxisZ = 4, kAllAxes = 7 };

class ViewProjection {
public:
    virtual ~ViewProjection() = default;
    // A point to the view's pointer units, x right and y down; z is the depth where there is one.
    virtual Vec3 toScreen(const Vec3& point) const = 0;
    // The point under the pointer on the plane through `through` that faces the viewer.
    virtual Vec3 onFacingPlane(const Vec3& through, double x, double y) const = 0;
    // The unit direction from the view's plane towards the viewer.
    virtual Vec3 towardsViewer() const = 0;
    // The model axes a drag may be limited to: the two of a plane view, all three in the Preview.
    virtual uint8_t offeredAxes() const = 0;
    // Model units per pixel where the view shows `at`; pointer units per pixel.
    virtual double unitsPerPixel(const Vec3& at) const = 0;
    virtual double pointerPerPixel() const = 0;
};

// A plane view of positions (axes 0 to 2); pointer units are twips.
class PlaneProjection : public ViewProjection {
public:
    explicit PlaneProjection(const ViewParams& view) : m_view(view) {}

    Vec3 toScreen(const Vec3& point) const override;
    Vec3 onFacingPlane(const Vec3& through, double x, double y) const override;
    Vec3 towardsViewer() const override;
    uint8_t offeredAxes() const override;
    double unitsPerPixel(const Vec3&) const override;
    double pointerPerPixel() const override;

private:
    ViewParams m_view;
};

// The Preview's camera; pointer units are window pixels.
class CameraProjection : public ViewProjection {
public:
    explicit CameraProjection(const OrbitCamera& camera) : m_camera(camera) {}

    Vec3 toScreen(const Vec3& point) const override { return m_camera.toWindow(point); }
    Vec3 onFacingPlane(const Vec3& through, double x, double y) const override {
        return m_camera.onPlaneThrough(through, x, y);
    }
    Vec3 towardsViewer() const override { return m_camera.forward() * -1; }
    uint8_t offeredAxes() const override { return kAllAxes; }
    double unitsPerPixel(const Vec3& at) const override;
    double pointerPerPixel() const override { return 1; }

private:
    const OrbitCamera& m_camera;
};

// The grid step of a Move in a view: the plane views' grid spacing for its scale there.
double gridStepAt(const ViewProjection& view, const Vec3& at);

// Whether the view shows positions, so a plane projection serves it (the UV view does not).
inline bool showsPositions(const ViewParams& view) {
    return view.axisH < 3 && view.axisV < 3;
}

} // namespace vw
