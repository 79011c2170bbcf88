#pragma once
// One view transform of the pane: how a model coordinate pair lands on pane positions.

#include <cstdint>

namespace vw {

struct ViewParams {
    float zoom = 100;    // pane units (twips) per model unit; never 0
    int32_t originX = 0; // pane x of model value 0 along axisH
    int32_t originY = 0; // pane y of model value 0 along axisV
    uint8_t axisH = 0;   // vertex coordinate shown horizontally: 0 x, 1 y, 2 z, 3 u, 4 v
    uint8_t axisV = 1;   // vertex coordinate shown vertically, same numbering

    bool operator==(const ViewParams&) const = default;
};

} // namespace vw
