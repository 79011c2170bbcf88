#pragma once
// Mirror partners in the working data: the vertices at the position of another one mirrored
// across the model's planes through the origin (x = 0 for Mirror X), within a tolerance on every
// axis (by default the one Select Coincident uses); of several within it, the nearest.

#include "model/editing/selection/position_cells.h"
#include "model/model.h"

#include <cstdint>
#include <vector>

namespace vw {

// Mirror axes as bits: x is negated for kMirrorX.
enum MirrorAxis : uint8_t { kMirrorX = 1, kMirrorY = 2, kMirrorZ = 4 };

// A working vertex by its segment and its index there.
struct VertexAt {
    uint32_t seg = 0;
    uint32_t index = 0;
    bool operator==(const VertexAt&) const = default;
};

// partner lies at source mirrored across every axis of mirror.
struct MirrorLink {
    uint32_t source = 0; // index into the sources
    VertexAt partner;
    uint8_t mirror = 0;
};

struct MirrorPartners {
    // By source, then by mirror, then in scan order; a vertex on a plane is its own partner. Of
    // the vertices within the tolerance only the nearest are partners (all of them when several
    // lie equally near, as coincident vertices do).
    std::vector<MirrorLink> links;
    // By source: whether it lacks a partner for at least one of the mirrors.
    std::vector<bool> lacksPartner;
};

// The position mirrored across every axis set in mirror.
Position mirrored(Position at, uint8_t mirror);

// The partners of each source for every combination of the axes (with X and Y on: across X,
// across Y, and across both). Sources at a position that is not finite have none.
MirrorPartners findMirrorPartners(const std::vector<Segment>& data,
                                  const std::vector<VertexAt>& sources, uint8_t axes,
                                  float tolerance = kCoincidentTolerance);

// The selected working vertices, in scan order.
std::vector<VertexAt> selectedVertices(const std::vector<Segment>& data);

// Replaces the selection by the partners of the selected vertices; returns how many are
// selected after.
size_t selectMirror(std::vector<Segment>& data, uint8_t axes,
                    float tolerance = kCoincidentTolerance);

} // namespace vw
