#pragma once
// The arithmetic of the Move, Scale and Rotate tools, free of any pane or widget, so tables of
// values can check it. Inputs and stored results are single precision; the arithmetic in between
// is double precision.

#include <cstdint>
#include <optional>

namespace vw {

// One Move step along one axis: the pointer's displacement from the anchor, in pane units,
// converted with invZoom and added to the coordinate.
float movedCoord(float value, float pointer, int32_t anchor, float invZoom);

// The scale box in model units along the view's two axes; left/top are the smaller values until
// a drag makes edges cross.
struct ScaleBox {
    float left = 0, top = 0, right = 0, bottom = 0;
};

// Which edges of the box the grabbed handle moves.
struct ScaleGrab {
    bool left = false, top = false, right = false, bottom = false;
};

// Maps coordinates of the old box onto the new one.
struct ScaleMapping {
    float oldLeft, oldTop, oldWidth, oldHeight;
    float newLeft, newTop, newWidth, newHeight;
    float mapH(float value) const;
    float mapV(float value) const;
};

// One Scale step: moves the grabbed edges of box to the pointer (model units), keeping the
// proportions by width when asked, and returns the mapping from the old box to the new one.
// A box of zero width or height scales nothing, and neither does a step that would leave one:
// the box is left alone and nothing is returned.
std::optional<ScaleMapping> scaleStep(ScaleBox& box, ScaleGrab grab, float pointerH, float pointerV,
                                      bool keepProportions);

// The angle of the vector (dh, dv) from the rotation centre, in radians, from the direction of
// increasing h: atan(dv / dh), plus 3.14159 (not pi) left of the centre, so between about
// -1.5708 and 4.7124. Straight above or below the centre it is a right angle with the sign of
// dv, and 0 on the centre itself.
double polarAngle(double dh, double dv);

struct PlanePoint {
    float h, v;
};

// A point of the rotation snapshot seen from the centre: its radius and its polar angle.
struct PolarPoint {
    float radius;
    double angle;
};
PolarPoint polarPoint(PlanePoint snapshot, PlanePoint center);

// The point turned about the centre to the absolute angle: its own polar angle plus angle.
// A point on the centre (radius 0) stays there.
PlanePoint turnedPoint(PolarPoint polar, PlanePoint center, float angle);

inline PlanePoint rotatedPoint(PlanePoint snapshot, PlanePoint center, float angle) {
    return turnedPoint(polarPoint(snapshot, center), center, angle);
}

} // namespace vw
