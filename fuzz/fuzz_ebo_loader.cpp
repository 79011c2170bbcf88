// libFuzzer target over the EBO loader, all three layouts.
// Input: two little-endian 32-bit lengths (model file, base-mesh file), then the model bytes, the
// base-mesh bytes and the offsets bytes (the rest). The lengths are taken modulo what is left,
// so every input splits somehow; scripts/fuzz packs the samples this way as seeds.

#include "fuzz_input.h"
#include "model/ebo/ebo_loader.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

// A block that ends where nothing follows is fine; one that ends past the file is not.
bool fits(int32_t position, size_t length, size_t size) {
    return position == 0 || (position >= 1 && position - 1 + length <= size);
}

// Everything a save would write lies inside the bytes that were loaded.
bool blocksFit(const vw::Model& model, size_t size) {
    const bool isDelta = model.layout == vw::ModelLayout::Delta;
    for (const vw::Part& part : model.Parts) {
        for (const vw::Segment& s : part.segments) {
            const size_t n = s.verts.size();
            if (isDelta ? !fits(s.posBlockAt, static_cast<size_t>(s.posBlockBytes), size)
                        : !fits(s.posBlockAt, 12 * n, size) || !fits(s.uvBlockAt, 8 * n, size) ||
                              !fits(s.colorBlockAt, 4 * n, size) ||
                              !fits(s.stripBlockAt, 2 * s.strip.size(), size))
                return false;
        }
    }
    return true;
}

vw::Model earlierModel() {
    vw::Model model;
    model.Parts.resize(1);
    model.Parts[0].segments.resize(1);
    model.Parts[0].segments[0].verts.resize(1);
    model.modelPath = "earlier.ebo";
    model.modelFormat = 3;
    return model;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::optional<FuzzFiles> files = splitFuzzInput(data, size);
    if (!files)
        return 0;
    const std::vector<uint8_t>& modelBytes = files->model;

    vw::Model model = earlierModel();
    const uint8_t result = vw::parseModel(model, {modelBytes, files->baseMesh, files->offsets});
    if (result == 0 && !(model == earlierModel()))
        __builtin_trap(); // a failed load changed the model
    if (result != 0 && !blocksFit(model, modelBytes.size()))
        __builtin_trap(); // a recorded block reaches past the file
    return 0;
}
