#include "model/ebo/save_check.h"

#include "model/ebo/ebo_layouts.h"

#include <bit>
#include <cstring>
#include <vector>

namespace vw {

namespace {

bool isPlainModel(const Model& model) {
    return model.layout == ModelLayout::Plain2 || model.layout == ModelLayout::Plain3;
}

bool sameStrip(const std::vector<int16_t>& strip, std::span<const uint8_t> onFile) {
    if (onFile.size() != ebo::kStripEntrySize * strip.size())
        return false;
    // The file's order is this machine's: one comparison of the bytes, a save's first step.
    if constexpr (std::endian::native == std::endian::little)
        return onFile.empty() || std::memcmp(strip.data(), onFile.data(), onFile.size()) == 0;
    for (size_t i = 0; i < strip.size(); ++i) {
        if (i16At(onFile.data() + ebo::kStripEntrySize * i) != strip[i])
            return false;
    }
    return true;
}

// Whether the segment the loader's first pass finds is the model's, block for block and strip
// entry for entry.
bool samePlace(const Segment& model, const Segment& found, const PlainSegmentRuns& runs) {
    return model.posBlockAt == found.posBlockAt && model.uvBlockAt == found.uvBlockAt &&
           model.colorBlockAt == found.colorBlockAt && model.stripBlockAt == found.stripBlockAt &&
           model.verts.size() == runs.vertexCount && sameStrip(model.strip, runs.strip);
}

// Whether bytes read as the model's plain-mesh layout: the same header words and, segment by
// segment, the same block positions, vertex counts and strips.
bool readsAsModel(const Model& model, std::span<const uint8_t> bytes) {
    try {
        ByteReader in(bytes);
        const EboHeader header = readHeader(in);
        if (header.fileVersion != model.fileVersion || header.modelFormat != model.modelFormat ||
            header.fileVersion == static_cast<int16_t>(ModelLayout::Version6) ||
            header.partCount < 1 || size_t(header.partCount) != model.Parts.size())
            return false;
        Model found;
        found.Parts.resize(model.Parts.size());
        const std::vector<PlainSegmentRuns> runs = walkPlainLayout(in, header.partCount, found);
        size_t k = 0;
        for (size_t p = 0; p < model.Parts.size(); ++p) {
            const auto& segments = model.Parts[p].segments;
            if (segments.size() != found.Parts[p].segments.size())
                return false;
            for (size_t s = 0; s < segments.size(); ++s, ++k) {
                if (!samePlace(segments[s], found.Parts[p].segments[s], runs[k]))
                    return false;
            }
        }
        return true;
    } catch (const MalformedFile&) {
        return false;
    }
}

} // namespace

// The plain-mesh layout reads forward only, and every vertex block lies between the reads that
// find it and the ones after it: the header, a part's counts and each segment's strip come
// before or after its blocks, never within them, and no two segments name one block. So where
// the working copy reads as the model, its blocks can hold any values.
bool blocksLeaveStructureAlone(const Model& model, std::span<const uint8_t> workingCopy) {
    return isPlainModel(model) && readsAsModel(model, workingCopy);
}

} // namespace vw
