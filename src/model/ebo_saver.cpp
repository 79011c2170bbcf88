#include "model/ebo_saver.h"

#include "model/file_io.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <span>
#include <system_error>
#include <thread>
#include <vector>

namespace vw {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

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

struct DeltaBlock {
    int32_t position;
    std::vector<uint8_t> bytes;
};

// Builds every delta block before anything is written, so an edit that cannot be stored fails
// the save with the working copy untouched.
std::string buildDeltaBlocks(const Model& model, std::vector<DeltaBlock>& blocks) {
    for (size_t p = 0; p < model.Parts.size() && p < model.baseMeshes.size(); ++p) {
        for (const Segment& segment : model.Parts[p].segments) {
            DeltaBlock block{segment.posBlockAt, {}};
            std::string reason = deltaBlockBytes(segment, model.baseMeshes[p], p, block.bytes);
            if (!reason.empty())
                return reason;
            blocks.push_back(std::move(block));
        }
    }
    return {};
}

// A block of the working copy that a save brings up to date: where it starts (1-based), how
// many bytes it has, and what puts them into a buffer.
struct Block {
    int32_t position;
    size_t size;
    std::function<void(uint8_t*)> fill;
};

void addVertexBlocks(const Segment& segment, std::vector<Block>& blocks) {
    const std::vector<Vertex>& verts = segment.verts;
    blocks.push_back({segment.posBlockAt, 12 * verts.size(), [&verts](uint8_t* out) {
                          for (const Vertex& v : verts) {
                              putF32(out, v.x);
                              putF32(out + 4, negated(v.y));
                              putF32(out + 8, v.z);
                              out += 12;
                          }
                      }});
    blocks.push_back({segment.uvBlockAt, 8 * verts.size(), [&verts](uint8_t* out) {
                          for (const Vertex& v : verts) {
                              putF32(out, v.u);
                              putF32(out + 4, v.v);
                              out += 8;
                          }
                      }});
    if (segment.colorBlockAt == 0)
        return;
    blocks.push_back({segment.colorBlockAt, 4 * verts.size(), [&verts](uint8_t* out) {
                          for (const Vertex& v : verts) {
                              out[0] = v.blue;
                              out[1] = v.green;
                              out[2] = v.red;
                              out[3] = v.alpha;
                              out += 4;
                          }
                      }});
}

// Every block a save writes, in the order the writes go: the delta blocks, then each segment's
// position, UV and colour blocks. Leaves out blocks never recorded and empty ones.
std::vector<Block> blocksToWrite(const Model& model, const std::vector<DeltaBlock>& deltaBlocks) {
    std::vector<Block> blocks;
    for (const DeltaBlock& delta : deltaBlocks) {
        blocks.push_back({delta.position, delta.bytes.size(), [&delta](uint8_t* out) {
                              std::memcpy(out, delta.bytes.data(), delta.bytes.size());
                          }});
    }
    // A version-6 file records plain position and UV blocks whatever its format word says; were
    // they skipped for an unusual word, the user's edits would be dropped without a word.
    const bool isPlain = model.fileVersion == 6 || model.modelFormat == 2 || model.modelFormat == 3;
    if (isPlain) {
        for (const Part& part : model.Parts) {
            for (const Segment& segment : part.segments)
                addVertexBlocks(segment, blocks);
        }
    }
    std::erase_if(blocks,
                  [](const Block& block) { return block.position == 0 || block.size == 0; });
    return blocks;
}

// Checks every block against the working copy's size before anything is written.
std::string checkBlocksFit(const std::vector<Block>& blocks, uint64_t fileSize) {
    for (const Block& block : blocks) {
        if (block.position < 0 || block.position - 1 + block.size > fileSize)
            return "it is shorter than the blocks of the loaded model";
    }
    return {};
}

bool anyBlocksOverlap(const std::vector<Block>& blocks) {
    std::vector<std::pair<uint64_t, uint64_t>> ranges;
    for (const Block& block : blocks)
        ranges.emplace_back(block.position, block.position + block.size);
    std::sort(ranges.begin(), ranges.end());
    for (size_t i = 1; i < ranges.size(); ++i) {
        if (ranges[i].first < ranges[i - 1].second)
            return true;
    }
    return false;
}

std::string readAt(std::FILE* file, int32_t position, std::span<uint8_t> out) {
    if (std::fseek(file, position - 1, SEEK_SET) != 0 ||
        std::fread(out.data(), 1, out.size(), file) != out.size())
        return std::ferror(file) ? lastErrorText() : "it changed while being saved";
    return {};
}

std::string writeAt(std::FILE* file, int32_t position, std::span<const uint8_t> bytes) {
    if (std::fseek(file, position - 1, SEEK_SET) != 0 ||
        std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size())
        return lastErrorText();
    return {};
}

// Buffers for the largest of the blocks.
struct BlockBuffers {
    explicit BlockBuffers(const std::vector<Block>& blocks) {
        size_t largest = 0;
        for (const Block& block : blocks)
            largest = std::max(largest, block.size);
        fresh = std::make_unique_for_overwrite<uint8_t[]>(largest);
        onFile = std::make_unique_for_overwrite<uint8_t[]>(largest);
    }
    std::unique_ptr<uint8_t[]> fresh;
    std::unique_ptr<uint8_t[]> onFile;
};

// The indexes of the blocks whose bytes differ from the working copy's, in order. Where blocks
// overlap, a later block may undo part of an earlier one, so then every block counts.
std::string findChangedBlocks(std::FILE* workingCopy, const std::vector<Block>& blocks,
                              BlockBuffers& buffers, std::vector<size_t>& changed) {
    const bool overlapping = anyBlocksOverlap(blocks);
    for (size_t i = 0; i < blocks.size(); ++i) {
        const Block& block = blocks[i];
        if (!overlapping) {
            block.fill(buffers.fresh.get());
            std::string reason =
                readAt(workingCopy, block.position, {buffers.onFile.get(), block.size});
            if (!reason.empty())
                return reason;
            if (std::memcmp(buffers.fresh.get(), buffers.onFile.get(), block.size) == 0)
                continue;
        }
        changed.push_back(i);
    }
    return {};
}

std::string writeChangedBlocks(std::FILE* file, const std::vector<Block>& blocks,
                               const std::vector<size_t>& changed, BlockBuffers& buffers) {
    for (size_t i : changed) {
        const Block& block = blocks[i];
        block.fill(buffers.fresh.get());
        std::string reason = writeAt(file, block.position, {buffers.fresh.get(), block.size});
        if (!reason.empty())
            return reason;
    }
    return std::fflush(file) == 0 ? "" : lastErrorText();
}

std::string closeFile(FilePtr& file) {
    return std::fclose(file.release()) == 0 ? "" : lastErrorText();
}

// Runs first on a second thread while second runs here; both here when no thread can start.
void runSideBySide(const std::function<void()>& first, const std::function<void()>& second) {
    std::jthread side;
    try {
        side = std::jthread(first);
    } catch (const std::system_error&) {
        first();
    }
    second();
}

// Refuses a working copy that is not what this model last loaded or saved: another program
// (another editor's load, say) changed it, and patching it would save that program's bytes.
std::string checkWorkingCopy(std::FILE* workingCopy, const Model& model,
                             const std::filesystem::path& copyPath) {
    const std::string named = "the working copy \"" + copyPath.string() + "\"";
    if (model.workingCopyStamp == WorkingCopyStamp{})
        return named + " was not made by loading this model";
    WorkingCopyStamp now;
    if (std::string reason = stampOf(fileno(workingCopy), now); !reason.empty())
        return "cannot read " + named + ": " + reason;
    return now == model.workingCopyStamp ? "" : named + " was changed by another program";
}

} // namespace

std::string saveModel(Model& model, const std::string& path, const ModelFolders& folders) {
    std::vector<DeltaBlock> deltaBlocks;
    if (model.modelFormat == 0 && model.fileVersion != 6) {
        std::string reason = buildDeltaBlocks(model, deltaBlocks);
        if (!reason.empty())
            return reason;
    }
    const std::vector<Block> blocks = blocksToWrite(model, deltaBlocks);
    const std::filesystem::path& copyPath = folders.workingCopy;
    const std::string failure = "cannot write the working copy \"" + copyPath.string() + "\": ";
    if (copyPath.empty())
        return "the model was loaded without a working copy";
    FilePtr workingCopy(std::fopen(copyPath.c_str(), "r+b"));
    if (!workingCopy)
        return failure + lastErrorText();
    if (std::string reason = checkWorkingCopy(workingCopy.get(), model, copyPath); !reason.empty())
        return reason;
    std::error_code error;
    const uintmax_t size = std::filesystem::file_size(copyPath, error);
    if (error)
        return failure + error.message();
    if (std::string reason = checkBlocksFit(blocks, size); !reason.empty())
        return failure + reason;

    BlockBuffers buffers(blocks);
    return replaceFile(path, [&](const std::filesystem::path& temporary) -> std::string {
        // The working copy is copied beside the model file while the blocks that changed are
        // found; both files then get those blocks.
        std::string copied, reason;
        std::vector<size_t> changed;
        runSideBySide(
            [&] { copied = copyToNewFile(copyPath, temporary); },
            [&] { reason = findChangedBlocks(workingCopy.get(), blocks, buffers, changed); });
        if (!reason.empty())
            return failure + reason;
        if (!copied.empty())
            return copied;
        reason = writeChangedBlocks(workingCopy.get(), blocks, changed, buffers);
        if (reason.empty())
            reason = stampOf(fileno(workingCopy.get()), model.workingCopyStamp);
        if (reason.empty())
            reason = closeFile(workingCopy);
        if (!reason.empty())
            return failure + reason;
        if (changed.empty())
            return reason;
        FilePtr saved(std::fopen(temporary.c_str(), "r+b"));
        reason =
            saved ? writeChangedBlocks(saved.get(), blocks, changed, buffers) : lastErrorText();
        if (reason.empty())
            reason = closeFile(saved);
        return reason.empty() ? reason : "cannot write \"" + temporary.string() + "\": " + reason;
    });
}

} // namespace vw
