#pragma once
// A flat square of side x side vertices from file (-1, -1) to (1, 1) at z = 0, one colour, as one
// strip of rows joined by repeated indexes: enough triangles to need coarse ones while moving.

#include "model/model.h"

#include <cstdint>

namespace test_models {

inline vw::Segment fineSquare(int side, uint8_t red, uint8_t green, uint8_t blue) {
    vw::Segment segment;
    segment.colorBlockAt = 1;
    for (int row = 0; row < side; ++row) {
        for (int column = 0; column < side; ++column) {
            vw::Vertex vertex;
            vertex.x = -1 + 2.0f * column / (side - 1);
            vertex.y = 1 - 2.0f * row / (side - 1); // the model holds file y negated
            vertex.red = red;
            vertex.green = green;
            vertex.blue = blue;
            vertex.alpha = 255;
            segment.verts.push_back(vertex);
        }
    }
    for (int row = 0; row + 1 < side; ++row) {
        if (row > 0)
            segment.strip.push_back(static_cast<int16_t>(row * side));
        for (int column = 0; column < side; ++column) {
            segment.strip.push_back(static_cast<int16_t>(row * side + column));
            segment.strip.push_back(static_cast<int16_t>((row + 1) * side + column));
        }
        segment.strip.push_back(static_cast<int16_t>((row + 1) * side + side - 1));
    }
    return segment;
}

} // namespace test_models
