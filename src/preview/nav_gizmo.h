#pragma once
// The navigation gizmo in the Preview's top right corner: the three axes as the Vertices sheet
// counts them (the model's values, whose y is the file's negated), so its +Y end points where a
// typed +Y moves a vertex. It turns with the camera; each end has a disc, and a click on one
// looks from that end towards the middle.

#include "preview/camera.h"

#include <QRgb>

#include <array>
#include <optional>

namespace vw {

// x red, y green, z blue: the gizmo's axes and the lines a transform is held to.
constexpr QRgb kAxisColours[3] = {qRgb(230, 60, 60), qRgb(90, 200, 60), qRgb(60, 120, 240)};

struct GizmoEnd {
    int axis = 0; // 0 x, 1 y, 2 z
    bool positive = true;
    double x = 0, y = 0; // the disc's centre, window pixels
    double radius = 0;   // the disc's, pixels
    double depth = 0;    // along the view, from the middle: larger is farther
};

struct NavigationGizmo {
    double centreX = 0, centreY = 0;
    // Farthest first: drawn in this order, so the nearest disc shows and takes a click.
    std::array<GizmoEnd, 6> ends;
};

// The gizmo for the camera's view direction, in the corner of its viewport.
NavigationGizmo navigationGizmo(const OrbitCamera& camera);
// The view a press at window pixel (x, y) asks for: looking from the nearest disc under it.
std::optional<ViewDirection> gizmoViewAt(const NavigationGizmo& gizmo, double x, double y);
// The view looking from one end of an axis (as the sheet counts it) towards the middle.
ViewDirection viewFrom(int axis, bool positive);

} // namespace vw
