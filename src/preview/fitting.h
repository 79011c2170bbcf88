#pragma once
// What the preview frames: boxes of the shown model, of the selection or the working data, and
// placing the camera so a box is inside the view from any side.

#include "model/model.h"
#include "preview/camera.h"

#include <cstdint>
#include <functional>

namespace vw {

// An axis-aligned box in file coordinates (y up); non-finite positions are left out.
struct Bounds {
    Vec3 min{1e300, 1e300, 1e300};
    Vec3 max{-1e300, -1e300, -1e300};

    bool empty() const { return min.x > max.x; }
    void add(const Vertex& vertex);
    Vec3 centre() const { return (min + max) * 0.5; }
    double radius() const { return (max - min).length() / 2; }
};

// Whether the segment with this tree node index is shown; unset shows every segment.
using ShownFilter = std::function<bool(int32_t nodeIndex)>;

// Every vertex of the shown segments of Parts.
Bounds shownBounds(const Model& model, const ShownFilter& shown);
// The selected vertices of the working data; all of it when none is selected.
Bounds selectionBounds(const Model& model);

// The near and far planes enclose the box.
void setScene(OrbitCamera& camera, const Bounds& scene);
// Centres the box and backs off until its enclosing sphere fits the view, so no orbit takes any
// of it out of view. An empty box leaves the camera as it was.
void fitCamera(OrbitCamera& camera, const Bounds& box);
// Switches projection keeping the size of the target plane on screen.
void setOrthographic(OrbitCamera& camera, bool orthographic);

} // namespace vw
