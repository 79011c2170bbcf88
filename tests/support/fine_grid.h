#pragma once
// Dense meshes as single strips of rows joined by repeated indexes: a flat square, enough
// triangles to need coarse ones while moving, and a bumpy torus, enough to be simplified.

#include "model/model.h"

#include <cmath>
#include <cstdint>
#include <numbers>

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

// A torus about file y through (x, 0, z) of rings x around vertices, tube radius 0.3 about a
// circle of radius 0.7, with bumps an eighth of the tube high; coloured by where a vertex lies on
// it, so its colours jump where the rings and the steps round the tube start again.
inline vw::Segment fineTorus(int rings, int around, float x = 0, float z = 0) {
    vw::Segment segment;
    segment.colorBlockAt = 1;
    const double turn = 2 * std::numbers::pi;
    for (int ring = 0; ring < rings; ++ring) {
        for (int step = 0; step < around; ++step) {
            const double a = turn * ring / rings, b = turn * step / around;
            const double tube = 0.3 * (1 + 0.125 * std::sin(7 * a) * std::sin(5 * b));
            const double radius = 0.7 + tube * std::cos(b);
            vw::Vertex vertex;
            vertex.x = x + static_cast<float>(radius * std::cos(a));
            vertex.y = static_cast<float>(-tube * std::sin(b));
            vertex.z = z + static_cast<float>(radius * std::sin(a));
            vertex.red = static_cast<uint8_t>(255 * ring / rings);
            vertex.green = static_cast<uint8_t>(255 * step / around);
            vertex.blue = 160;
            vertex.alpha = 255;
            segment.verts.push_back(vertex);
        }
    }
    for (int ring = 0; ring < rings; ++ring) {
        const int next = (ring + 1) % rings;
        if (ring > 0)
            segment.strip.insert(segment.strip.end(),
                                 {segment.strip.back(), static_cast<int16_t>(ring * around)});
        for (int step = 0; step <= around; ++step) {
            segment.strip.push_back(static_cast<int16_t>(ring * around + step % around));
            segment.strip.push_back(static_cast<int16_t>(next * around + step % around));
        }
    }
    return segment;
}

} // namespace test_models
