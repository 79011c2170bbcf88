#pragma once
// Soft selection: the unselected working vertices near the selection, each weighted by a
// falloff of its distance to the nearest selected vertex, measured in 3D in model units, so the
// result does not depend on the view.

#include "model/editing/aids/mirror_partners.h"
#include "model/model.h"

#include <array>
#include <cstdint>
#include <vector>

namespace vw {

enum class Falloff : uint8_t { Smooth, Sphere, Root, Linear, Sharp, Constant };
constexpr std::array<const char*, 6> kFalloffNames{"Smooth", "Sphere", "Root",
                                                   "Linear", "Sharp",  "Constant"};

// The weight at distance from the nearest selected vertex: 1 on it, falling to 0 at radius
// (Constant stays 1 up to radius), 0 beyond it.
double falloffWeight(Falloff falloff, double distance, double radius);

struct SoftVertex {
    VertexAt at;
    double weight = 0;
    uint32_t nearest = 0; // the nearest selected vertex, as an index into the selection given
};

// The unselected working vertices with a weight above 0, in scan order. Vertices at a position
// that is not finite take no part.
std::vector<SoftVertex> softRegion(const std::vector<Segment>& data,
                                   const std::vector<VertexAt>& selected, double radius,
                                   Falloff falloff);

} // namespace vw
