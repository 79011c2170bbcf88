// libFuzzer target over the saver: loads, moves every vertex and changes every other value,
// saves into memory, and loads the saved bytes again. The saved bytes must load as the same
// layout holding the values saved, or the save must refuse and leave the bytes alone.
// Input: as for fuzz_ebo_loader (two little-endian 32-bit lengths, then the model, base-mesh and
// offsets bytes), so the two targets share their seeds.

#include "fuzz_input.h"
#include "model/ebo/ebo_loader.h"
#include "model/ebo/ebo_saver.h"

#include <cstdint>
#include <vector>

namespace {

// Changes every value a save writes, by exactly representable steps where the value allows.
void editEverything(vw::Model& model) {
    for (vw::Part& part : model.Parts) {
        for (vw::Segment& segment : part.segments) {
            for (vw::Vertex& v : segment.verts) {
                v.x += 1.0f;
                v.y -= 0.5f;
                v.z += 2.0f;
                v.u += 0.25f;
                v.v -= 0.125f;
                v.red = static_cast<uint8_t>(v.red + 1);
                v.green = static_cast<uint8_t>(v.green + 2);
                v.blue = static_cast<uint8_t>(v.blue + 3);
                v.alpha = static_cast<uint8_t>(v.alpha + 4);
            }
        }
    }
}

bool sameLayout(const vw::Model& a, const vw::Model& b) {
    if (a.layout != b.layout || a.fileVersion != b.fileVersion || a.modelFormat != b.modelFormat ||
        a.Parts.size() != b.Parts.size())
        return false;
    for (size_t p = 0; p < a.Parts.size(); ++p) {
        const auto& sa = a.Parts[p].segments;
        const auto& sb = b.Parts[p].segments;
        if (sa.size() != sb.size())
            return false;
        for (size_t s = 0; s < sa.size(); ++s) {
            if (sa[s].verts.size() != sb[s].verts.size() || sa[s].posBlockAt != sb[s].posBlockAt ||
                sa[s].uvBlockAt != sb[s].uvBlockAt || sa[s].strip != sb[s].strip)
                return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::optional<FuzzFiles> files = splitFuzzInput(data, size);
    if (!files)
        return 0;
    const std::vector<uint8_t>& modelBytes = files->model;

    vw::Model model;
    if (vw::parseModel(model, {modelBytes, files->baseMesh, files->offsets}) == 0)
        return 0;
    const vw::Model loaded = model;
    editEverything(model);
    std::vector<uint8_t> saved = modelBytes;
    if (!vw::saveModelBytes(model, saved)) {
        if (saved != modelBytes)
            __builtin_trap(); // a refused save changed the bytes
        return 0;
    }
    vw::Model reloaded;
    if (vw::parseModel(reloaded, {saved, files->baseMesh, files->offsets}) == 0)
        __builtin_trap(); // a save that was let through broke the file
    if (!sameLayout(loaded, reloaded))
        __builtin_trap(); // a save that was let through changed the file's layout
    return 0;
}
