// Writes the bundled sample models: a little house (plain mesh), a fish (version 6) and a head
// (delta layout, with its companion files lod/base_lod2.ebo and misc2.dat).
// Usage: make_samples [FOLDER]   (default: the samples folder of the source tree)

#include "support/ebo_builder.h"

#include <cmath>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <numbers>

using namespace vw::test;

namespace {

struct Vec3 {
    float x, y, z;
};

struct Colour {
    uint8_t red, green, blue;
};

Vec3 along(Vec3 origin, Vec3 a, float s, Vec3 b, float t) {
    return {origin.x + a.x * s + b.x * t, origin.y + a.y * s + b.y * t,
            origin.z + a.z * s + b.z * t};
}

// Row-by-row strip over a grid of columns x rows vertices, joined by degenerate triangles.
std::vector<int16_t> gridStrip(int columns, int rows) {
    std::vector<int16_t> strip;
    for (int r = 0; r + 1 < rows; ++r) {
        if (r > 0)
            strip.push_back(static_cast<int16_t>(r * columns));
        for (int c = 0; c < columns; ++c) {
            strip.push_back(static_cast<int16_t>(r * columns + c));
            strip.push_back(static_cast<int16_t>((r + 1) * columns + c));
        }
        if (r + 2 < rows)
            strip.push_back(static_cast<int16_t>((r + 1) * columns + columns - 1));
    }
    return strip;
}

// A flat patch spanned by a and b from origin, shaded a little from one corner to the other.
SegmentPlan patch(Vec3 origin, Vec3 a, Vec3 b, int columns, int rows, Colour colour) {
    SegmentPlan segment;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            const float s = static_cast<float>(c) / static_cast<float>(columns - 1);
            const float t = static_cast<float>(r) / static_cast<float>(rows - 1);
            const Vec3 p = along(origin, a, s, b, t);
            const float shade = 0.8f + 0.2f * (s + t) / 2;
            segment.verts.push_back({p.x, p.y, p.z, s, t, static_cast<uint8_t>(colour.red * shade),
                                     static_cast<uint8_t>(colour.green * shade),
                                     static_cast<uint8_t>(colour.blue * shade), 255});
        }
    }
    segment.strip = gridStrip(columns, rows);
    return segment;
}

// Walls, roof, and door with windows and a chimney: three parts, ten segments, 324 vertices.
EboPlan house() {
    const Colour plaster{235, 222, 190}, tiles{178, 58, 42}, wood{112, 74, 40},
        glass{120, 170, 220}, brick{150, 80, 60};
    PartPlan walls{{patch({-2, 0, 1.5f}, {4, 0, 0}, {0, 2, 0}, 9, 6, plaster),
                    patch({2, 0, 1.5f}, {0, 0, -3}, {0, 2, 0}, 7, 6, plaster),
                    patch({2, 0, -1.5f}, {-4, 0, 0}, {0, 2, 0}, 9, 6, plaster),
                    patch({-2, 0, -1.5f}, {0, 0, 3}, {0, 2, 0}, 7, 6, plaster)}};
    PartPlan roof{{patch({-2.2f, 1.9f, 1.7f}, {4.4f, 0, 0}, {0, 1.2f, -1.7f}, 9, 5, tiles),
                   patch({-2.2f, 1.9f, -1.7f}, {4.4f, 0, 0}, {0, 1.2f, 1.7f}, 9, 5, tiles)}};
    PartPlan details{{patch({-0.4f, 0, 1.52f}, {0.8f, 0, 0}, {0, 1.3f, 0}, 3, 4, wood),
                      patch({-1.6f, 0.9f, 1.52f}, {0.8f, 0, 0}, {0, 0.7f, 0}, 3, 3, glass),
                      patch({0.8f, 0.9f, 1.52f}, {0.8f, 0, 0}, {0, 0.7f, 0}, 3, 3, glass),
                      patch({1.0f, 2.2f, -0.6f}, {0.5f, 0, 0}, {0, 1.2f, 0}, 3, 4, brick)}};
    EboPlan plan;
    plan.fileVersion = 4;
    plan.modelFormat = 2;
    plan.parts = {walls, roof, details};
    return plan;
}

// A body of revolution along x: rings of radius profile(s), as one grid segment.
SegmentPlan lathe(float x0, float x1, int rings, int around, float (*profile)(float),
                  Colour colour) {
    SegmentPlan segment;
    for (int r = 0; r < rings; ++r) {
        const float s = static_cast<float>(r) / static_cast<float>(rings - 1);
        for (int a = 0; a < around; ++a) {
            const float angle = 2 * std::numbers::pi_v<float> * a / (around - 1);
            const float radius = profile(s);
            const float belly = std::sin(angle) < 0 ? 0.6f : 1.0f;
            segment.verts.push_back(
                {x0 + (x1 - x0) * s, radius * std::sin(angle) * belly,
                 0.5f * radius * std::cos(angle), static_cast<float>(a) / (around - 1), s,
                 static_cast<uint8_t>(colour.red), colour.green, colour.blue, 255});
        }
    }
    segment.strip = gridStrip(around, rings);
    return segment;
}

// A fish in the version-6 layout: body and tail, fins, and a segment of another tag that the
// layout passes over.
EboPlan fish() {
    const auto body = [](float s) { return 0.9f * std::sin(std::numbers::pi_v<float> * s); };
    const auto tail = [](float s) { return 0.1f + 0.7f * s; };
    SegmentPlan fins = patch({-0.3f, 0.7f, 0}, {0.9f, 0, 0}, {0.2f, 0.5f, 0}, 4, 3, {240, 140, 30});
    fins.headerSkips = {3, 0, 17};
    fins.headerStop = 2;
    SegmentPlan passedOver = patch({0, -1, 0}, {1, 0, 0}, {0, 0, 1}, 2, 2, {0, 0, 0});
    passedOver.tag = 9;
    EboPlan plan;
    plan.fileVersion = 6;
    plan.modelFormat = 2;
    plan.parts = {{{lathe(-1.5f, 1.5f, 12, 13, body, {250, 160, 40}),
                    lathe(1.4f, 2.3f, 4, 9, tail, {230, 120, 20})}},
                  {{fins, passedOver}}};
    return plan;
}

// A part of the head over a base mesh: a lat-long sphere patch, with deltas that bend it.
DeltaPartPlan headPart(Vec3 centre, float radius, int rings, int around, float smile) {
    DeltaPartPlan part;
    for (int r = 0; r < rings; ++r) {
        const float lat = std::numbers::pi_v<float> * (static_cast<float>(r) / (rings - 1) - 0.5f);
        for (int a = 0; a < around; ++a) {
            const float lon = 2 * std::numbers::pi_v<float> * a / (around - 1);
            const int k = r * around + a;
            part.basePos.insert(part.basePos.end(),
                                {centre.x + radius * std::cos(lat) * std::cos(lon),
                                 centre.y + radius * std::sin(lat),
                                 centre.z + radius * std::cos(lat) * std::sin(lon)});
            part.baseUv.insert(part.baseUv.end(), {static_cast<float>(a) / (around - 1),
                                                   static_cast<float>(r) / (rings - 1)});
            part.deltaSlot.push_back(static_cast<int16_t>(k));
            const float bend = smile * std::cos(lon) * std::cos(lat);
            part.deltas.insert(part.deltas.end(), {0.0f, bend * bend, 0.1f * bend});
        }
    }
    part.strip = gridStrip(around, rings);
    return part;
}

// A head of four parts; the mouth's file block stops short of its last slots (the loader pads
// them) and the right eye carries texture data the loader skips.
EboPlan head() {
    EboPlan plan;
    plan.fileVersion = 4;
    plan.modelFormat = 0;
    plan.partCount = 4;
    plan.deltaParts = {headPart({0, 0, 0}, 1.0f, 10, 13, 0.3f),
                       headPart({-0.35f, 0.3f, 0.85f}, 0.15f, 5, 7, 0.0f),
                       headPart({0.35f, 0.3f, 0.85f}, 0.15f, 5, 7, 0.0f),
                       headPart({0, -0.4f, 0.8f}, 0.25f, 4, 9, 0.5f)};
    plan.deltaParts[2].textureWord = 6;
    plan.deltaParts[3].deltas.resize(plan.deltaParts[3].deltas.size() - 9);
    plan.deltaParts[3].skipBytes = 6;
    return plan;
}

// On a grid of 1/256 the delta layout's base-plus-delta sums are exact in single precision, and
// without negative zeros (a save writes x - x as +0) the delta sample, too, saves back unchanged.
float enlargedValue(float value, float factor) {
    return std::round(value * factor * 256) / 256 + 0.0f;
}

// The shapes above are a few units across; a fresh pane shows one unit as 100 twips (under
// 7 pixels), so the samples are written ten times larger to fill a good part of it.
EboPlan enlarged(EboPlan plan, float factor) {
    for (PartPlan& part : plan.parts) {
        for (SegmentPlan& segment : part.segments) {
            for (FileVertex& vertex : segment.verts) {
                vertex.x = enlargedValue(vertex.x, factor);
                vertex.y = enlargedValue(vertex.y, factor);
                vertex.z = enlargedValue(vertex.z, factor);
            }
        }
    }
    for (DeltaPartPlan& part : plan.deltaParts) {
        for (float& value : part.basePos)
            value = enlargedValue(value, factor);
        for (float& value : part.deltas)
            value = enlargedValue(value, factor);
    }
    return plan;
}

constexpr float kSampleScale = 10;

} // namespace

int main(int argc, char** argv) {
    const std::filesystem::path folder = argc > 1 ? argv[1] : VW_SAMPLES_DIR;
    try {
        writeEbo(buildEbo(enlarged(house(), kSampleScale)), folder / "house.ebo", folder);
        writeEbo(buildEbo(enlarged(fish(), kSampleScale)), folder / "fish6.ebo", folder);
        writeEbo(buildEbo(enlarged(head(), kSampleScale)), folder / "head2.ebo", folder);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "make_samples: %s\n", error.what());
        return 1;
    }
    std::printf("make_samples: wrote house.ebo, fish6.ebo, head2.ebo, lod/base_lod2.ebo and "
                "misc2.dat to %s\n",
                folder.string().c_str());
    return 0;
}
