// Writes the models the Python tests and examples run on into a folder:
//   plain.ebo, shared6.ebo (version 6, segments 0/0 and 0/1 on one position block), head2.ebo
//   with its companion files, fleet/hull1.ebo and fleet/hull2.ebo, source.ebo and target.ebo
//   (equal vertex counts, other texture coordinates), nonfinite.ebo (NaN and infinities at the
//   places listed in nonfinite.txt).
//
//   vertwright_python_models FOLDER

#include "support/ebo_builder.h"
#include "support/model_plans.h"

#include <cmath>
#include <fstream>
#include <iostream>
#include <limits>

namespace {

using namespace vw::test;

EboPlan sharedVersion6() {
    EboPlan plan;
    plan.fileVersion = 6;
    SegmentPlan sharing = gridSegment(3, 2, 4);
    sharing.positionsOf = 0;
    plan.parts = {PartPlan{{gridSegment(3, 2), sharing}}, PartPlan{{gridSegment(2, 2, 1)}}};
    return plan;
}

EboPlan hull(float offset) {
    EboPlan plan;
    plan.parts = {PartPlan{{gridSegment(4, 3, offset), gridSegment(2, 2, offset + 3)}},
                  PartPlan{{gridSegment(3, 3, -offset)}}};
    return plan;
}

EboPlan withUvsShifted(float shift) {
    EboPlan plan = hull(1);
    for (PartPlan& part : plan.parts)
        for (SegmentPlan& segment : part.segments)
            for (FileVertex& v : segment.verts)
                v.u += shift, v.v -= shift;
    return plan;
}

// The values the NaN report must find, one "part segment vertex field" line each.
EboPlan nonFinite(std::ostream& expected) {
    EboPlan plan = hull(2);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    plan.parts[0].segments[0].verts[5].x = nan;
    expected << "0 0 5 x\n";
    plan.parts[0].segments[1].verts[0].v = -inf;
    expected << "0 1 0 v\n";
    plan.parts[1].segments[0].verts[8].y = inf; // the file's y; the model's is -inf
    expected << "1 0 8 y\n";
    return plan;
}

void write(const EboPlan& plan, const std::filesystem::path& file) {
    writeEbo(buildEbo(plan), file, file.parent_path());
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: vertwright_python_models FOLDER\n";
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder / "fleet");
    write(plainPlan(), folder / "plain.ebo");
    write(sharedVersion6(), folder / "shared6.ebo");
    write(deltaPlan(), folder / "head2.ebo");
    write(hull(1), folder / "fleet" / "hull1.ebo");
    write(hull(-2), folder / "fleet" / "hull2.ebo");
    write(withUvsShifted(0.25f), folder / "source.ebo");
    write(hull(1), folder / "target.ebo");
    std::ofstream expected(folder / "nonfinite.txt");
    write(nonFinite(expected), folder / "nonfinite.ebo");
    expected.close();
    return expected ? 0 : 1;
}
