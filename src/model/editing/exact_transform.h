#pragma once
// Typed transforms of the selected vertices: a move by an exact amount, a scale and a rotation
// about the selection's centre, a pivot or the origin. Positions and amounts are the model's values
// as the vertex sheet shows them (y as held: the file's y negated). Angles are in degrees,
// counter-clockwise when looking from the positive end of the axis toward the origin in the
// file's orientation (y up, as the Preview shows the model).

#include "model/model.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace vw {

// The three transforms of the selection, whether typed, dragged or keyed.
enum class TransformKind : uint8_t { Move, Scale, Rotate };
// The label of the kind's undoable step ("Move %n").
const char* stepLabel(TransformKind kind);

struct ExactTransform {
    using Kind = TransformKind;
    Kind kind = Kind::Move;
    std::array<double, 3> amount{}; // Move: dx, dy, dz; Scale: sx, sy, sz
    double degrees = 0;             // Rotate
    int axis = 2;                   // Rotate: 0 x, 1 y, 2 z
    bool aboutOrigin = false;       // Scale and Rotate: the origin, else the centre below
    // Scale and Rotate not about the origin: this point (a pivot), else the selection's centre.
    std::optional<std::array<double, 3>> centre;
};

// The centre of the box around the selected vertices' positions; none without a selection.
std::optional<std::array<double, 3>> selectionCentre(const std::vector<Segment>& data);

// Applies the transform to the positions of every selected vertex, each result stored as a
// float. Returns how many vertices it changed.
size_t transformSelected(std::vector<Segment>& data, const ExactTransform& transform);

} // namespace vw
