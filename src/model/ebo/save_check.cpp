#include "model/ebo/save_check.h"

#include "model/ebo/delta_block.h"
#include "model/ebo/ebo_loader.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstring>
#include <limits>
#include <vector>

namespace vw {

namespace {

constexpr uint64_t kNoByte = std::numeric_limits<uint64_t>::max();

bool isDeltaModel(const Model& model) {
    return model.layout == ModelLayout::Delta;
}

void putI32(std::vector<uint8_t>& out, int64_t value) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(static_cast<uint64_t>(value) >> (8 * i)));
}

// The delta layout's companion files, rebuilt from the base meshes the model holds: how the
// model file reads depends on them (the largest delta slot decides whether a part record holds
// a count-and-skip record), and the files themselves may have changed since the load. Texture
// coordinates and strips come from the base mesh alone and are left out.
struct Companions {
    std::vector<uint8_t> baseMesh;
    std::vector<uint8_t> offsets;
};

Companions rebuiltCompanions(const Model& model) {
    Companions files;
    if (!isDeltaModel(model))
        return files;
    for (const BaseMesh& mesh : model.baseMeshes) {
        const int64_t positionsAt = static_cast<int64_t>(files.baseMesh.size()) + 1;
        files.baseMesh.resize(files.baseMesh.size() + 4 * mesh.basePos.size());
        std::memcpy(files.baseMesh.data() + positionsAt - 1, mesh.basePos.data(),
                    4 * mesh.basePos.size());
        const int64_t slotsAt = static_cast<int64_t>(files.baseMesh.size()) + 1;
        for (int16_t slot : mesh.deltaSlot) {
            files.baseMesh.push_back(static_cast<uint8_t>(slot));
            files.baseMesh.push_back(static_cast<uint8_t>(static_cast<uint16_t>(slot) >> 8));
        }
        for (int64_t word : {positionsAt, static_cast<int64_t>(mesh.basePos.size() / 3), slotsAt,
                             static_cast<int64_t>(mesh.deltaSlot.size()), int64_t{1}, int64_t{0},
                             int64_t{1}, int64_t{0}})
            putI32(files.offsets, word);
    }
    return files;
}

bool sameSegmentLayout(const Segment& a, const Segment& b, bool withStrip) {
    return a.verts.size() == b.verts.size() && a.posBlockAt == b.posBlockAt &&
           a.uvBlockAt == b.uvBlockAt && a.colorBlockAt == b.colorBlockAt &&
           a.stripBlockAt == b.stripBlockAt && a.posBlockBytes == b.posBlockBytes &&
           (!withStrip || a.strip == b.strip);
}

bool sameLayout(const Model& a, const Model& b) {
    if (a.layout != b.layout || a.fileVersion != b.fileVersion || a.modelFormat != b.modelFormat ||
        a.Parts.size() != b.Parts.size())
        return false;
    for (size_t p = 0; p < a.Parts.size(); ++p) {
        const auto& segments = a.Parts[p].segments;
        if (segments.size() != b.Parts[p].segments.size())
            return false;
        for (size_t s = 0; s < segments.size(); ++s) {
            if (!sameSegmentLayout(segments[s], b.Parts[p].segments[s], !isDeltaModel(a)))
                return false;
        }
    }
    return true;
}

// Reads bytes back with the loader; true when they load as the model's layout.
bool loadsAsLayoutOf(const Model& model, std::span<const uint8_t> bytes,
                     const Companions& companions, Model& reread) {
    reread = Model{};
    return parseModel(reread, {bytes, companions.baseMesh, companions.offsets}) != kLoadFailed &&
           sameLayout(model, reread);
}

// The 1-based position of the first byte of a 4-byte element at position whose bits differ.
uint64_t differingByte(int32_t position, uint32_t a, uint32_t b) {
    return static_cast<uint64_t>(position) + std::countr_zero(a ^ b) / 8;
}

// The bytes of a vertex's file values: five floats, then the colour bytes.
constexpr size_t kFloatBytes = 5 * sizeof(float);
constexpr size_t kValueBytes = offsetof(Vertex, selected);
static_assert(offsetof(Vertex, red) == kFloatBytes && kValueBytes == kFloatBytes + 4);

// Whether two vertices hold the same bits in the values a segment's blocks store: a quick test
// before the field by field search for the byte at fault.
bool sameStoredBits(const Vertex& a, const Vertex& b, size_t length) {
    return std::memcmp(&a, &b, length) == 0;
}

uint64_t firstWrongValueInSegment(const Segment& written, const Segment& reread) {
    uint64_t first = kNoByte;
    const bool allBlocks = written.posBlockAt != 0 && written.uvBlockAt != 0;
    const size_t stored = written.colorBlockAt != 0 ? kValueBytes : kFloatBytes;
    for (size_t i = 0; i < written.verts.size(); ++i) {
        const Vertex& a = written.verts[i];
        const Vertex& b = reread.verts[i];
        if (allBlocks && sameStoredBits(a, b, stored))
            continue;
        for (int axis = 0; axis < 5; ++axis) {
            const bool isPosition = axis < 3;
            const int32_t block = isPosition ? written.posBlockAt : written.uvBlockAt;
            const uint32_t bitsA = std::bit_cast<uint32_t>(a.coord(axis));
            const uint32_t bitsB = std::bit_cast<uint32_t>(b.coord(axis));
            if (block == 0 || bitsA == bitsB)
                continue;
            const int64_t element =
                isPosition ? 12 * int64_t(i) + 4 * axis : 8 * int64_t(i) + 4 * (axis - 3);
            first = std::min(first, differingByte(block, bitsA, bitsB) + element);
        }
        const uint8_t colourA[4] = {a.blue, a.green, a.red, a.alpha};
        const uint8_t colourB[4] = {b.blue, b.green, b.red, b.alpha};
        for (int j = 0; j < 4 && written.colorBlockAt != 0; ++j) {
            if (colourA[j] != colourB[j])
                first = std::min(first, uint64_t(written.colorBlockAt) + 4 * i + j);
        }
    }
    return first;
}

// The delta blocks as written against the bytes the loader reads them from.
uint64_t firstWrongDelta(const Model& model, std::span<const uint8_t> original,
                         std::span<const uint8_t> saved) {
    std::vector<uint8_t> written;
    for (size_t p = 0; p < model.Parts.size() && p < model.baseMeshes.size(); ++p) {
        for (const Segment& segment : model.Parts[p].segments) {
            const auto onFile = deltaBlockOnFile(segment, original);
            if (!deltaBlockBytes(segment, model.baseMeshes[p], p, onFile, written).empty())
                continue;
            const size_t at = static_cast<size_t>(segment.posBlockAt) - 1;
            for (size_t j = 0; j < written.size(); ++j) {
                if (saved[at + j] != written[j])
                    return at + j + 1;
            }
        }
    }
    return kNoByte;
}

// The 1-based position of the first value that reads back other than written; kNoByte if none.
uint64_t firstWrongValue(const Model& model, const Model& reread, std::span<const uint8_t> original,
                         std::span<const uint8_t> saved) {
    if (isDeltaModel(model))
        return firstWrongDelta(model, original, saved);
    uint64_t first = kNoByte;
    for (size_t p = 0; p < model.Parts.size(); ++p) {
        for (size_t s = 0; s < model.Parts[p].segments.size(); ++s) {
            first = std::min(first, firstWrongValueInSegment(model.Parts[p].segments[s],
                                                             reread.Parts[p].segments[s]));
        }
    }
    return first;
}

// The runs of bytes in which two files of equal size differ, counted in order.
class ChangedBytes {
public:
    ChangedBytes(std::span<const uint8_t> a, std::span<const uint8_t> b) {
        for (size_t i = 0; i < a.size();) {
            if (a[i] == b[i]) {
                ++i;
                continue;
            }
            const size_t start = i;
            while (i < a.size() && a[i] != b[i])
                ++i;
            m_runs.push_back({start, i, m_total});
            m_total += i - start;
        }
    }

    size_t count() const { return m_total; }

    // The file offset of changed byte k.
    size_t offsetOf(size_t k) const {
        const Run& run = *std::prev(std::upper_bound(
            m_runs.begin(), m_runs.end(), k, [](size_t n, const Run& r) { return n < r.before; }));
        return run.start + (k - run.before);
    }

    // Copies changed bytes from to to of source into target.
    void copy(size_t from, size_t to, std::span<const uint8_t> source,
              std::vector<uint8_t>& target) const {
        for (const Run& run : m_runs) {
            const size_t first = std::max(from, run.before);
            const size_t last = std::min(to, run.before + (run.end - run.start));
            if (first < last) {
                const size_t offset = run.start + (first - run.before);
                std::memcpy(target.data() + offset, source.data() + offset, last - first);
            }
        }
    }

private:
    struct Run {
        size_t start, end, before;
    };
    std::vector<Run> m_runs;
    size_t m_total = 0;
};

// A byte whose change, with the changes before it, first makes the bytes load as another layout:
// the changed bytes are applied in file order, halving the run that holds it. Its 1-based
// position; the first changed byte when even the original bytes do not load as the model.
uint64_t structureByte(const Model& model, std::span<const uint8_t> original,
                       std::span<const uint8_t> saved, const Companions& companions) {
    const ChangedBytes changed(original, saved);
    if (changed.count() == 0)
        return 1;
    Model reread;
    std::vector<uint8_t> trial(original.begin(), original.end());
    if (!loadsAsLayoutOf(model, trial, companions, reread))
        return changed.offsetOf(0) + 1;
    size_t good = 0, bad = changed.count(), applied = 0;
    while (bad - good > 1) {
        const size_t middle = good + (bad - good) / 2;
        if (middle > applied)
            changed.copy(applied, middle, saved, trial);
        else
            changed.copy(middle, applied, original, trial);
        applied = middle;
        (loadsAsLayoutOf(model, trial, companions, reread) ? good : bad) = middle;
    }
    return changed.offsetOf(bad - 1) + 1;
}

std::string overwrites(uint64_t byte) {
    return "the edit would overwrite the file's own structure at byte " + std::to_string(byte);
}

} // namespace

std::string checkSavedBytes(const Model& model, std::span<const uint8_t> original,
                            std::span<const uint8_t> saved) {
    const Companions companions = rebuiltCompanions(model);
    Model reread;
    if (!loadsAsLayoutOf(model, saved, companions, reread))
        return overwrites(structureByte(model, original, saved, companions));
    const uint64_t wrong = firstWrongValue(model, reread, original, saved);
    return wrong == kNoByte ? "" : overwrites(wrong);
}

} // namespace vw
