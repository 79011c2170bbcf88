#include "support/model_plans.h"

#include <algorithm>

namespace vw::test {

SegmentPlan threeVertexSegment() {
    SegmentPlan segment;
    segment.verts = {{1.5f, 2.0f, -3.0f, 0.0f, 1.0f, 30, 20, 10, 40},
                     {0.0f, 0.0f, 0.1f, -0.5f, 1e-3f, 1, 2, 3, 4},
                     {1e20f, -1.0f, 1.0f, 1.0f, 1.0f, 5, 6, 7, 8}};
    segment.strip = {0, 1, 2};
    return segment;
}

EboPlan plainPlan(int16_t format) {
    EboPlan plan;
    plan.modelFormat = format;
    SegmentPlan zeroY = gridSegment(3, 2);
    zeroY.verts[4].y = 0.0f;
    zeroY.verts[5].y = -0.0f;
    plan.parts = {PartPlan{{threeVertexSegment()}}, PartPlan{{zeroY, gridSegment(2, 2, 5)}}};
    return plan;
}

EboPlan plainPlan() {
    return plainPlan(2);
}

EboPlan version6Plan(int16_t format) {
    EboPlan plan = plainPlan(format);
    plan.fileVersion = 6;
    plan.parts[0].segments[0].headerSkips = {};
    SegmentPlan skipped = gridSegment(2, 2);
    skipped.tag = 3;
    plan.parts[0].segments.push_back(skipped);
    return plan;
}

EboPlan version6Plan() {
    return version6Plan(2);
}

EboPlan deltaPlan() {
    EboPlan plan;
    plan.modelFormat = 0;
    for (int p = 0; p < 4; ++p)
        plan.deltaParts[p] = simpleDeltaPart(4 + p, 4.0f * p);
    plan.deltaParts[1].deltaSlot = {3, 0, 3, 1, 0};
    plan.deltaParts[1].deltas.resize(12);
    plan.deltaParts[2].deltaSlot[5] = 7;
    // Slots no vertex takes hold 0, as a save writes them, so that a save keeps every byte.
    std::fill_n(plan.deltaParts[1].deltas.begin() + 6, 3, 0.0f);
    std::fill_n(plan.deltaParts[2].deltas.begin() + 15, 3, 0.0f);
    return plan;
}

} // namespace vw::test
