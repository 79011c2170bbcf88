#include "model/ebo_saver.h"

#include "model/file_io.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <memory>
#include <span>
#include <vector>

namespace vw {

namespace {

void putU32(uint8_t* p, uint32_t value) {
    p[0] = static_cast<uint8_t>(value);
    p[1] = static_cast<uint8_t>(value >> 8);
    p[2] = static_cast<uint8_t>(value >> 16);
    p[3] = static_cast<uint8_t>(value >> 24);
}
void putF32(uint8_t* p, float value) {
    putU32(p, std::bit_cast<uint32_t>(value));
}

// The file holds y negated; flipping the sign bit alone keeps every other bit as loaded.
float negated(float value) {
    return std::bit_cast<float>(std::bit_cast<uint32_t>(value) ^ 0x80000000u);
}

// Positioned writes into the working copy, each confined to the file as it is.
class BlockWriter {
public:
    BlockWriter(std::FILE* file, uint64_t size) : m_file(file), m_size(size) {}

    // Writes bytes at a 1-based position; 0 means the block was never recorded.
    std::string write(int32_t position, std::span<const uint8_t> bytes) {
        if (position == 0 || bytes.empty())
            return {};
        if (position < 0 || position - 1 + bytes.size() > m_size)
            return "it is shorter than the blocks of the loaded model";
        if (std::fseek(m_file, position - 1, SEEK_SET) != 0 ||
            std::fwrite(bytes.data(), 1, bytes.size(), m_file) != bytes.size())
            return lastErrorText();
        return {};
    }

private:
    std::FILE* m_file;
    uint64_t m_size;
};

std::string unsavableVertex(size_t part, size_t vertex) {
    return "vertex " + std::to_string(vertex) + " of part " + std::to_string(part) +
           " has moved, but the file has no room for its position";
}

size_t lastVertexInSlot(const BaseMesh& base, size_t slot) {
    for (size_t v = base.deltaSlot.size(); v-- > 0;) {
        if (static_cast<size_t>(base.deltaSlot[v]) == slot)
            return v;
    }
    return 0;
}

// Writes a segment's position, UV and colour blocks, building each in buffer, which holds 12
// bytes per vertex of the segment.
std::string writeVertexBlocks(BlockWriter& out, const Segment& segment, uint8_t* buffer) {
    const size_t n = segment.verts.size();
    for (size_t i = 0; i < n; ++i) {
        const Vertex& v = segment.verts[i];
        putF32(buffer + 12 * i, v.x);
        putF32(buffer + 12 * i + 4, negated(v.y));
        putF32(buffer + 12 * i + 8, v.z);
    }
    std::string reason = out.write(segment.posBlockAt, {buffer, 12 * n});
    if (!reason.empty())
        return reason;

    for (size_t i = 0; i < n; ++i) {
        putF32(buffer + 8 * i, segment.verts[i].u);
        putF32(buffer + 8 * i + 4, segment.verts[i].v);
    }
    reason = out.write(segment.uvBlockAt, {buffer, 8 * n});
    if (!reason.empty() || segment.colorBlockAt == 0)
        return reason;

    for (size_t i = 0; i < n; ++i) {
        const Vertex& v = segment.verts[i];
        buffer[4 * i] = v.blue;
        buffer[4 * i + 1] = v.green;
        buffer[4 * i + 2] = v.red;
        buffer[4 * i + 3] = v.alpha;
    }
    return out.write(segment.colorBlockAt, {buffer, 4 * n});
}

// The delta block of one part: the differences from the base mesh, slot by slot, a later vertex
// winning a shared slot, cut to the block's length as loaded. Fails when an edit cannot be
// stored: a moved vertex without a base position, or one whose slot lies past the block.
std::string deltaBlockBytes(const Segment& segment, const BaseMesh& base, size_t part,
                            std::vector<uint8_t>& bytes) {
    bytes.clear();
    if (base.deltaSlot.empty())
        return {};
    const size_t slots = static_cast<size_t>(std::max<int16_t>(maxOf(base.deltaSlot), 0)) + 1;
    std::vector<float> deltas(3 * slots, 0.0f);
    const size_t withBase = std::min(base.deltaSlot.size(), base.basePos.size() / 3);
    for (size_t v = 0; v < segment.verts.size(); ++v) {
        const Vertex& vertex = segment.verts[v];
        const int16_t k = v < base.deltaSlot.size() ? base.deltaSlot[v] : -1;
        if (v >= withBase || k < 0) {
            if (vertex.x != 0 || vertex.y != 0 || vertex.z != 0)
                return unsavableVertex(part, v);
            continue;
        }
        deltas[3 * k] = vertex.x - base.basePos[3 * v];
        deltas[3 * k + 1] = negated(vertex.y) - base.basePos[3 * v + 1];
        deltas[3 * k + 2] = vertex.z - base.basePos[3 * v + 2];
    }
    const size_t length =
        std::min(deltas.size(), static_cast<size_t>(std::max(segment.posBlockBytes, 0)) / 4);
    for (size_t i = length; i < deltas.size(); ++i) {
        if (deltas[i] != 0)
            return unsavableVertex(part, lastVertexInSlot(base, i / 3));
    }
    bytes.resize(4 * length);
    for (size_t i = 0; i < length; ++i)
        putF32(&bytes[4 * i], deltas[i]);
    return {};
}

struct Block {
    int32_t position;
    std::vector<uint8_t> bytes;
};

// Builds every delta block before anything is written, so an edit that cannot be stored fails
// the save with the working copy untouched.
std::string buildDeltaBlocks(const Model& model, std::vector<Block>& blocks) {
    for (size_t p = 0; p < model.Parts.size() && p < model.baseMeshes.size(); ++p) {
        for (const Segment& segment : model.Parts[p].segments) {
            Block block{segment.posBlockAt, {}};
            std::string reason = deltaBlockBytes(segment, model.baseMeshes[p], p, block.bytes);
            if (!reason.empty())
                return reason;
            blocks.push_back(std::move(block));
        }
    }
    return {};
}

std::string writeBlocks(BlockWriter& out, const Model& model,
                        const std::vector<Block>& deltaBlocks) {
    for (const Block& block : deltaBlocks) {
        std::string reason = out.write(block.position, block.bytes);
        if (!reason.empty())
            return reason;
    }
    // A version-6 file records plain position and UV blocks whatever its format word says,
    // so format 0 (the delta layout's word) only reaches here for such a file.
    const bool isPlain = model.modelFormat == 2 || model.modelFormat == 3 ||
                         (model.modelFormat == 0 && model.fileVersion == 6);
    if (!isPlain)
        return {};
    // One buffer for every block: fresh memory per block would cost more than filling it.
    size_t largest = 0;
    for (const Part& part : model.Parts) {
        for (const Segment& segment : part.segments)
            largest = std::max(largest, segment.verts.size());
    }
    const auto buffer = std::make_unique_for_overwrite<uint8_t[]>(12 * largest);
    for (const Part& part : model.Parts) {
        for (const Segment& segment : part.segments) {
            std::string reason = writeVertexBlocks(out, segment, buffer.get());
            if (!reason.empty())
                return reason;
        }
    }
    return {};
}

std::string patchWorkingCopy(const Model& model, const std::vector<Block>& deltaBlocks,
                             const std::filesystem::path& workingCopy) {
    const std::string failure = "cannot write the working copy \"" + workingCopy.string() + "\": ";
    std::error_code error;
    const uintmax_t size = std::filesystem::file_size(workingCopy, error);
    if (error)
        return failure + error.message();
    std::FILE* file = std::fopen(workingCopy.c_str(), "r+b");
    if (!file)
        return failure + lastErrorText();
    BlockWriter out(file, size);
    std::string reason = writeBlocks(out, model, deltaBlocks);
    if (reason.empty() && std::fflush(file) != 0)
        reason = lastErrorText();
    if (std::fclose(file) != 0 && reason.empty())
        reason = lastErrorText();
    return reason.empty() ? reason : failure + reason;
}

} // namespace

std::string saveModel(const Model& model, const std::string& path, const ModelFolders& folders) {
    std::vector<Block> deltaBlocks;
    if (model.modelFormat == 0 && model.fileVersion != 6) {
        std::string reason = buildDeltaBlocks(model, deltaBlocks);
        if (!reason.empty())
            return reason;
    }
    std::string reason = patchWorkingCopy(model, deltaBlocks, folders.workingCopy);
    if (!reason.empty())
        return reason;
    return replaceFile(path, [&](const std::filesystem::path& temporary) -> std::string {
        std::error_code error;
        std::filesystem::copy_file(folders.workingCopy, temporary, error);
        if (error)
            return "cannot write \"" + temporary.string() + "\": " + error.message();
        return {};
    });
}

} // namespace vw
