#pragma once
// The tori model of the exchange benchmarks: 4 parts of 20 segments, each a torus of 128 x 256
// vertices drawn as one strip of rows joined by degenerate triangles, vertex colours and UVs
// set; 2,621,440 vertices, about 73 MB as a plain-mesh file. Built once per run.

#include "model/ebo/ebo_loader.h"
#include "support/ebo_builder.h"
#include "support/temp_dir.h"

#include <cmath>
#include <string>

namespace vw::test {

constexpr int kRings = 128, kAround = 256;

// A torus whose rings go round the z axis, moved along x by offset.
inline SegmentPlan torus(float offset) {
    SegmentPlan segment;
    for (int ring = 0; ring < kRings; ++ring)
        for (int step = 0; step < kAround; ++step) {
            const double a = 2 * M_PI * ring / kRings, b = 2 * M_PI * step / kAround;
            const double radius = 3 + std::cos(b);
            segment.verts.push_back({float(offset + radius * std::cos(a)),
                                     float(radius * std::sin(a)), float(std::sin(b)),
                                     float(step) / kAround, float(ring) / kRings, uint8_t(ring * 2),
                                     uint8_t(step), 128, 255});
        }
    for (int ring = 0; ring < kRings; ++ring) {
        const int next = (ring + 1) % kRings;
        if (ring > 0) // joins the rows: a repeated last entry and a repeated first one
            segment.strip.insert(segment.strip.end(),
                                 {segment.strip.back(), int16_t(ring * kAround)});
        for (int step = 0; step <= kAround; ++step) {
            const int around = step % kAround;
            segment.strip.push_back(int16_t(ring * kAround + around));
            segment.strip.push_back(int16_t(next * kAround + around));
        }
    }
    return segment;
}

struct ToriFiles {
    TempDir dir;
    std::string model = (dir / "tori.ebo").string();
    Model loaded;

    ToriFiles() {
        EboPlan plan;
        plan.parts.resize(4);
        for (int p = 0; p < 4; ++p)
            for (int s = 0; s < 20; ++s)
                plan.parts[p].segments.push_back(torus(float(8 * s)));
        writeEbo(buildEbo(plan), model, dir.path());
        loadModel(loaded, model, {dir.path(), {}});
    }
};

inline ToriFiles& tori() {
    static ToriFiles instance;
    return instance;
}

} // namespace vw::test
