#pragma once
// New vertex values for some segments of Parts, as a front end (an import, a script, a live link)
// hands them to the document's value-writing call.

#include "model/model.h"

#include <cstdint>
#include <vector>

namespace vw {

// Values for every vertex of one segment, in its order.
struct SegmentValues {
    SegmentRef segment;
    std::vector<Vertex> verts;
};

struct ValueWrite {
    // The vertex fields (vertex_fields.h) taken from every segment given: refused where the
    // model's file cannot keep them.
    uint16_t fields = 0;
    // Fields taken only where the segment's file keeps them, left as they are elsewhere.
    uint16_t fieldsIfKept = 0;
    std::vector<SegmentValues> segments;
};

} // namespace vw
