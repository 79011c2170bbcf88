#pragma once
// The small models of each layout that most tests load, save, corrupt or export: one set, so a
// case that needs another shape says how it differs from these.

#include "support/ebo_builder.h"

#include <cstdint>

namespace vw::test {

// Three vertices of hand-picked values: every colour byte different, a file y of 0, a float far
// from 0; its strip of three entries (6 bytes) ends off a multiple of 4.
SegmentPlan threeVertexSegment();

// Part 0: the three-vertex segment. Part 1: a 3 by 2 grid whose vertices 4 and 5 have a file y
// of 0 and -0, and a 2 by 2 grid. 13 vertices in all. Format 2 unless given; the overloads
// without arguments fill tables of plan makers.
EboPlan plainPlan(int16_t format);
EboPlan plainPlan();

// The plain plan in the version-6 layout. Part 0's first segment header has no words before its
// stop word, and a segment of another tag follows it, which the loader leaves empty.
EboPlan version6Plan(int16_t format);
EboPlan version6Plan();

// Four parts of 4 to 7 vertices, every base value and delta chosen so that sums are exact.
// Part 1's slots {3, 0, 3, 1, 0} leave slot 2 unused and share 0 and 3; part 2's last vertex
// takes slot 7, past the 18 deltas its block holds, so a padding record follows that block, and
// leaves slot 5 unused. Unused slots hold 0.
EboPlan deltaPlan();

} // namespace vw::test
