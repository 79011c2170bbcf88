// libFuzzer target over the OBJ reader, as File > Import OBJ, the command-line import and the
// OBJ link read a file: the first byte chooses what the text is read for (the whole model, one
// part, one segment), the rest is the OBJ text. A read that succeeds must give every selected
// segment exactly its vertex count, once. With VW_FUZZ_SEED_DIR set, writes the export of the
// model it reads for there as seeds instead, and ends.

#include "model/interchange/obj_io.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

namespace {

vw::ObjSelection selectionOf(uint8_t choice) {
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
vw::Segment fan(int count, float lift) {
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
vw::Model modelToRead() {
    vw::Model model;
    model.modelPath = "fuzz.ebo";
    model.modelFormat = 3;
    model.Parts.resize(2);
    model.Parts[0].segments = {fan(6, 0), fan(9, 1)};
    model.Parts[0].segments[1].uvBlockAt = 1;
    model.Parts[1].segments = {fan(12, -2.5f)};
    return model;
}

// Each selection's export, prefixed with the byte that chooses it.
void writeSeeds(const vw::Model& model, const std::string& folder) {
    for (uint8_t choice = 0; choice < 4; ++choice) {
        std::ofstream out(folder + "/seed-obj-" + std::to_string(choice), std::ios::binary);
        out.put(char(choice));
        vw::writeObj(out, model, selectionOf(choice));
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (const char* folder = std::getenv("VW_FUZZ_SEED_DIR")) {
        writeSeeds(modelToRead(), folder);
        std::exit(0);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    static const vw::Model model = modelToRead();
    const vw::ObjSelection selection = selectionOf(data[0]);
    std::istringstream in(std::string(reinterpret_cast<const char*>(data + 1), size - 1));
    vw::ValueWrite values;
    if (!vw::readObjValues(in, model, selection, values))
        return 0;
    const auto selected = vw::selectedSegments(model, selection);
    if (values.segments.size() != selected.size())
        __builtin_trap(); // a selected segment got no values, or one got them twice
    std::set<std::pair<int, int>> seen;
    for (const vw::SegmentValues& segment : values.segments) {
        const std::pair<int, int> ref{segment.segment.part, segment.segment.seg};
        if (!seen.insert(ref).second ||
            segment.verts.size() !=
                model.Parts[size_t(ref.first)].segments[size_t(ref.second)].verts.size())
            __builtin_trap(); // values for a segment twice, or not one per vertex
    }
    return 0;
}
