#pragma once
// Where each block's fields lie within a Vertex, so that arrays can stride over the model's own
// vertices.

#include "model/model.h"

#include <cstddef>

namespace vw::script {

// A run of bytes within every Vertex.
struct FieldRun {
    size_t offset;
    size_t bytes;
};

static_assert(offsetof(Vertex, y) == offsetof(Vertex, x) + sizeof(float) &&
                  offsetof(Vertex, z) == offsetof(Vertex, y) + sizeof(float) &&
                  offsetof(Vertex, v) == offsetof(Vertex, u) + sizeof(float),
              "the float fields of a block lie side by side");
static_assert(offsetof(Vertex, green) == offsetof(Vertex, red) + 1 &&
                  offsetof(Vertex, blue) == offsetof(Vertex, red) + 2 &&
                  offsetof(Vertex, alpha) == offsetof(Vertex, red) + 3,
              "red, green, blue and alpha lie side by side");

// The fields a block of the kind stores: x, y, z; u, v; red, green, blue, alpha.
constexpr FieldRun fieldRunOf(BlockKind kind) {
    switch (kind) {
    case kPositionBlock:
        return {offsetof(Vertex, x), 3 * sizeof(float)};
    case kUvBlock:
        return {offsetof(Vertex, u), 2 * sizeof(float)};
    default:
        return {offsetof(Vertex, red), 4};
    }
}

} // namespace vw::script
