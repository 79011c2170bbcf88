#pragma once
// One view transform of the pane: how a model coordinate pair lands on pane positions.

#include <cstdint>

namespace vw {

// The plane views' zoom: 100 pane units per model unit.
constexpr float kDefaultZoom = 100;

struct ViewParams {
    // Pane units (twips) per model unit: positive and finite. Init_Ebo falls back to
    // kDefaultZoom for a surface of no height, and the Zoom tool refuses any other result.
    float zoom = kDefaultZoom;
    int32_t originX = 0; // pane x of model value 0 along axisH
    int32_t originY = 0; // pane y of model value 0 along axisV
    uint8_t axisH = 0;   // vertex coordinate shown horizontally: 0 x, 1 y, 2 z, 3 u, 4 v
    uint8_t axisV = 1;   // vertex coordinate shown vertically, same numbering

    bool operator==(const ViewParams&) const = default;
};

} // namespace vw
