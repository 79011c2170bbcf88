#pragma once
// The model the OBJ reader's fuzz target reads text for, and the selection an input's first byte
// chooses; the tests replay the fuzzer's finds against the same.

#include "model/interchange/obj_io.h"
#include "model/model.h"

#include <cmath>
#include <cstdint>
#include <set>
#include <utility>

// The selection a fuzz input's first byte chooses: the whole model, one part, one segment.
inline vw::ObjSelection objReaderSelection(uint8_t choice) {
    switch (choice % 4) {
    case 0:
        return {};
    case 1:
        return {0, std::nullopt};
    case 2:
        return {0, 1};
    default:
        return {1, 0};
    }
}

// A fan of count vertices around a centre, as a strip with a degenerate turn.
inline vw::Segment objReaderFan(int count, float lift) {
    vw::Segment segment;
    for (int i = 0; i < count; ++i) {
        const float angle = 6.2831853f * float(i) / float(count);
        segment.verts.push_back({std::cos(angle), lift - std::sin(angle), lift, float(i) / 8, 0.5f,
                                 uint8_t(i), 20, 30, 255, 0});
        segment.strip.push_back(int16_t(i));
        if (i == count / 2)
            segment.strip.push_back(int16_t(i));
    }
    return segment;
}

// Two parts: the first with segments of 6 and 9 vertices (the second keeps texture
// coordinates), the second with one segment of 12.
inline vw::Model objReaderModel() {
    vw::Model model;
    model.modelPath = "fuzz.ebo";
    model.modelFormat = 3;
    model.Parts.resize(2);
    model.Parts[0].segments = {objReaderFan(6, 0), objReaderFan(9, 1)};
    model.Parts[0].segments[1].uvBlockAt = 1;
    model.Parts[1].segments = {objReaderFan(12, -2.5f)};
    return model;
}

// Whether a successful read gave every selected segment exactly its vertex count, once.
inline bool objReaderValuesFit(const vw::Model& model, const vw::ObjSelection& selection,
                               const vw::ValueWrite& values) {
    const auto selected = vw::selectedSegments(model, selection);
    if (values.segments.size() != selected.size())
        return false;
    std::set<std::pair<int, int>> seen;
    for (const vw::SegmentValues& segment : values.segments) {
        const std::pair<int, int> ref{segment.segment.part, segment.segment.seg};
        if (!seen.insert(ref).second ||
            segment.verts.size() !=
                model.Parts[size_t(ref.first)].segments[size_t(ref.second)].verts.size())
            return false;
    }
    return true;
}
