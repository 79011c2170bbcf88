#include "model/ebo/save_check.h"

#include "model/ebo/byte_writer.h"
#include "model/ebo/delta_block.h"
#include "model/ebo/ebo_format.h"
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

// The delta layout's companion files, rebuilt from the base meshes the model holds: how the
// model file reads depends on them (the largest delta slot decides whether a part record holds
// a count-and-skip record), and the files themselves may have changed since the load. Texture
// coordinates and strips come from the base mesh alone and are left out.
struct Companions {
    std::vector<uint8_t> baseMesh;
    std::vector<uint8_t> offsets;
};

// Each mesh's offsets record: four (position, count) pairs.
constexpr size_t kOffsetsRecordSize = 8 * 4;

Companions rebuiltCompanions(const Model& model) {
    Companions files;
    if (!isDeltaModel(model))
        return files;
    size_t baseMeshSize = 0;
    for (const BaseMesh& mesh : model.baseMeshes)
        baseMeshSize +=
            sizeof(float) * mesh.basePos.size() + ebo::kStripEntrySize * mesh.deltaSlot.size();
    files.baseMesh.resize(baseMeshSize);
    files.offsets.resize(kOffsetsRecordSize * model.baseMeshes.size());
    ByteWriter base(files.baseMesh);
    ByteWriter offsets(files.offsets);
    for (const BaseMesh& mesh : model.baseMeshes) {
        const auto positionsAt = static_cast<int32_t>(base.offset() + 1);
        for (float value : mesh.basePos)
            base.writeF32(value);
        const auto slotsAt = static_cast<int32_t>(base.offset() + 1);
        for (int16_t slot : mesh.deltaSlot)
            base.writeI16(slot);
        for (int32_t word : {positionsAt, static_cast<int32_t>(mesh.basePos.size() / 3), slotsAt,
                             static_cast<int32_t>(mesh.deltaSlot.size()), 1, 0, 1, 0})
            offsets.writeI32(word);
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
            if (!deltaBlockBytes(segment, model.baseMeshes[p], p, onFile, written))
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

// A block of the file as the model recorded it: which segment's, where (1-based, end
// exclusive), and whether a save writes it.
struct RecordedBlock {
    const char* name;
    SegmentRef segment;
    uint64_t first = 0, end = 0;
    bool written = false;

    bool holds(uint64_t byte) const { return first <= byte && byte < end; }
    bool sameBlock(const RecordedBlock& other) const {
        return name == other.name && first == other.first && end == other.end;
    }
};

// Every recorded block of the model; the written ones in the order a save writes them.
std::vector<RecordedBlock> recordedBlocks(const Model& model) {
    std::vector<RecordedBlock> blocks;
    const bool writesVertices = model.layout != ModelLayout::None;
    const auto add = [&blocks](const char* name, SegmentRef ref, int32_t at, size_t size,
                               bool written) {
        if (at > 0 && size > 0)
            blocks.push_back({name, ref, uint64_t(at), uint64_t(at) + size, written});
    };
    for (size_t p = 0; p < model.Parts.size(); ++p) {
        for (size_t s = 0; s < model.Parts[p].segments.size(); ++s) {
            const Segment& segment = model.Parts[p].segments[s];
            const SegmentRef ref{int32_t(p), int32_t(s)};
            const size_t n = segment.verts.size();
            if (isDeltaModel(model)) {
                add("delta block", ref, segment.posBlockAt,
                    size_t(std::max(segment.posBlockBytes, 0)), true);
            } else {
                add("position block", ref, segment.posBlockAt, ebo::kPositionSize * n,
                    writesVertices);
                add("texture block", ref, segment.uvBlockAt, ebo::kUvSize * n, writesVertices);
                add("colour block", ref, segment.colorBlockAt, ebo::kColourSize * n,
                    writesVertices);
            }
            add("strip block", ref, segment.stripBlockAt,
                ebo::kStripEntrySize * segment.strip.size(), false);
        }
    }
    return blocks;
}

std::string named(const RecordedBlock& block) {
    return "the " + std::string(block.name) + " of segment " + std::to_string(block.segment.part) +
           "/" + std::to_string(block.segment.seg);
}

// Says what overwrites what at a byte the loader reads other than the save meant: the block
// written last over it, and the other recorded block there or else the file's own structure.
std::string overwrites(const Model& model, uint64_t byte) {
    const std::vector<RecordedBlock> blocks = recordedBlocks(model);
    const auto writer =
        std::find_if(blocks.rbegin(), blocks.rend(),
                     [byte](const RecordedBlock& b) { return b.written && b.holds(byte); });
    const std::string at = " at byte " + std::to_string(byte);
    if (writer == blocks.rend())
        return "the edit would overwrite the file's own structure" + at;
    const auto overwritten =
        std::find_if(blocks.begin(), blocks.end(), [&](const RecordedBlock& b) {
            return b.holds(byte) && !b.sameBlock(*writer);
        });
    const std::string what =
        overwritten == blocks.end() ? "the file's own structure" : named(*overwritten);
    return named(*writer) + " would overwrite " + what + at;
}

} // namespace

Result checkSavedBytes(const Model& model, std::span<const uint8_t> original,
                       std::span<const uint8_t> saved) {
    if (blocksLeaveStructureAlone(model, original))
        return {};
    const Companions companions = rebuiltCompanions(model);
    Model reread;
    if (!loadsAsLayoutOf(model, saved, companions, reread))
        return Result::failure(
            overwrites(model, structureByte(model, original, saved, companions)));
    const uint64_t wrong = firstWrongValue(model, reread, original, saved);
    return wrong == kNoByte ? Result() : Result::failure(overwrites(model, wrong));
}

} // namespace vw
