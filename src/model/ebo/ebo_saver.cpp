#include "model/ebo/ebo_saver.h"

#include "model/block_sharing.h"
#include "model/ebo/byte_writer.h"
#include "model/ebo/delta_block.h"
#include "model/ebo/ebo_format.h"
#include "model/ebo/save_check.h"
#include "model/ebo/side_by_side.h"
#include "model/files/file_io.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cerrno>
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

struct DeltaBlock {
    int32_t position;
    std::vector<uint8_t> bytes;
};

// Builds every delta block from the working copy's before anything is written, so an edit that
// cannot be stored fails the save with the working copy untouched. A block past the working
// copy's end is left at its length for checkBlocksFit to refuse.
Result buildDeltaBlocks(const Model& model, std::span<const uint8_t> workingCopy,
                        std::vector<DeltaBlock>& blocks) {
    for (size_t p = 0; p < model.Parts.size() && p < model.baseMeshes.size(); ++p) {
        for (const Segment& segment : model.Parts[p].segments) {
            DeltaBlock block{segment.posBlockAt, {}};
            const auto onFile = deltaBlockOnFile(segment, workingCopy);
            if (onFile.empty() && segment.posBlockBytes > 0) {
                block.bytes.resize(static_cast<size_t>(segment.posBlockBytes));
                blocks.push_back(std::move(block));
                continue;
            }
            if (Result built =
                    deltaBlockBytes(segment, model.baseMeshes[p], p, onFile, block.bytes);
                !built)
                return built;
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
    std::function<void(ByteWriter&)> fill;

    // Puts the block's bytes at out, which has room for them.
    void fillAt(uint8_t* out) const {
        ByteWriter writer({out, size});
        fill(writer);
    }
};

// A segment's position, UV and colour blocks; a block it shares with segments before it is
// theirs to write, with the same values.
void addVertexBlocks(const Model& model, SegmentRef ref, std::vector<Block>& blocks) {
    const Segment& segment = model.Parts[size_t(ref.part)].segments[size_t(ref.seg)];
    const std::vector<Vertex>& verts = segment.verts;
    const size_t count = verts.size();
    if (leadsBlock(model, ref, kPositionBlock))
        blocks.push_back(
            {segment.posBlockAt, ebo::kPositionSize * count, [&verts](ByteWriter& out) {
                 uint8_t* at = out.claim(ebo::kPositionSize * verts.size());
                 for (const Vertex& v : verts) {
                     storeF32(at, v.x);
                     storeF32(at + 4, negated(v.y));
                     storeF32(at + 8, v.z);
                     at += ebo::kPositionSize;
                 }
             }});
    if (leadsBlock(model, ref, kUvBlock))
        blocks.push_back({segment.uvBlockAt, ebo::kUvSize * count, [&verts](ByteWriter& out) {
                              uint8_t* at = out.claim(ebo::kUvSize * verts.size());
                              for (const Vertex& v : verts) {
                                  storeF32(at, v.u);
                                  storeF32(at + 4, v.v);
                                  at += ebo::kUvSize;
                              }
                          }});
    if (segment.colorBlockAt == 0 || !leadsBlock(model, ref, kColourBlock))
        return;
    blocks.push_back({segment.colorBlockAt, ebo::kColourSize * count, [&verts](ByteWriter& out) {
                          uint8_t* at = out.claim(ebo::kColourSize * verts.size());
                          for (const Vertex& v : verts) {
                              storeU32(at, uint32_t(v.blue) | uint32_t(v.green) << 8 |
                                               uint32_t(v.red) << 16 | uint32_t(v.alpha) << 24);
                              at += ebo::kColourSize;
                          }
                      }});
}

// Every block a save writes, in the order the writes go: the delta blocks, then each segment's
// position, UV and colour blocks. Leaves out blocks never recorded and empty ones.
std::vector<Block> blocksToWrite(const Model& model, const std::vector<DeltaBlock>& deltaBlocks) {
    std::vector<Block> blocks;
    for (const DeltaBlock& delta : deltaBlocks) {
        blocks.push_back({delta.position, delta.bytes.size(),
                          [&delta](ByteWriter& out) { out.writeBytes(delta.bytes); }});
    }
    if (model.layout != ModelLayout::Delta && model.layout != ModelLayout::None) {
        for (size_t p = 0; p < model.Parts.size(); ++p) {
            for (size_t s = 0; s < model.Parts[p].segments.size(); ++s)
                addVertexBlocks(model, {int32_t(p), int32_t(s)}, blocks);
        }
    }
    std::erase_if(blocks,
                  [](const Block& block) { return block.position == 0 || block.size == 0; });
    return blocks;
}

// Checks every block against the working copy's size before anything is written.
Result checkBlocksFit(const std::vector<Block>& blocks, uint64_t fileSize) {
    for (const Block& block : blocks) {
        if (block.position < 0 || block.position - 1 + block.size > fileSize)
            return Result::failure("it is shorter than the blocks of the loaded model");
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

Result writeAt(std::FILE* file, int32_t position, std::span<const uint8_t> bytes) {
    if (std::fseek(file, position - 1, SEEK_SET) != 0 ||
        std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size())
        return Result::failure(lastErrorText());
    return {};
}

// A buffer for the largest of the blocks.
struct BlockBuffer {
    explicit BlockBuffer(const std::vector<Block>& blocks) {
        size_t largest = 0;
        for (const Block& block : blocks)
            largest = std::max(largest, block.size);
        bytes = std::make_unique_for_overwrite<uint8_t[]>(largest);
    }
    std::unique_ptr<uint8_t[]> bytes;
};

// The indexes of the blocks whose bytes differ from the working copy's, in order. Where blocks
// overlap, a later block may undo part of an earlier one, so then every block counts.
std::vector<size_t> findChangedBlocks(std::span<const uint8_t> workingCopy,
                                      const std::vector<Block>& blocks, BlockBuffer& buffer) {
    const bool overlapping = anyBlocksOverlap(blocks);
    std::vector<size_t> changed;
    for (size_t i = 0; i < blocks.size(); ++i) {
        const Block& block = blocks[i];
        if (!overlapping) {
            block.fillAt(buffer.bytes.get());
            const uint8_t* onFile = workingCopy.data() + block.position - 1;
            if (std::memcmp(buffer.bytes.get(), onFile, block.size) == 0)
                continue;
        }
        changed.push_back(i);
    }
    return changed;
}

// Writes the changed blocks, in order, into bytes held in memory.
void patchChangedBlocks(std::span<uint8_t> bytes, const std::vector<Block>& blocks,
                        const std::vector<size_t>& changed) {
    for (size_t i : changed)
        blocks[i].fillAt(bytes.data() + blocks[i].position - 1);
}

Result writeChangedBlocks(std::FILE* file, const std::vector<Block>& blocks,
                          const std::vector<size_t>& changed, BlockBuffer& buffer) {
    for (size_t i : changed) {
        const Block& block = blocks[i];
        block.fillAt(buffer.bytes.get());
        if (Result written = writeAt(file, block.position, {buffer.bytes.get(), block.size});
            !written)
            return written;
    }
    return std::fflush(file) == 0 ? Result() : Result::failure(lastErrorText());
}

Result closeFile(FilePtr& file) {
    return std::fclose(file.release()) == 0 ? Result() : Result::failure(lastErrorText());
}

// The working copy as a save holds it: open for writing, and two private views of its bytes, one
// as it is and one for the changed blocks to be patched into.
struct WorkingCopy {
    std::filesystem::path path;
    FilePtr file;
    FileBytes original;
    FileBytes patched;
};

// A failure to write the working copy, named; success as it is.
Result workingCopyFailure(const std::filesystem::path& path, const Result& result) {
    if (result)
        return result;
    return Result::failure("cannot write the working copy " + quotedPath(path) + ": " +
                           result.reason());
}

// How far the writes run ahead before the copy behind them is woken.
constexpr uint64_t kCopyStep = uint64_t{8} << 20;

// Everything before offset is final in the working copy.
void publish(WriteProgress& progress, uint64_t offset) {
    progress.ready.store(offset, std::memory_order_release);
    progress.ready.notify_all();
}

// Writes the blocks that changed into the working copy in file order, while the working copy is
// copied to temporary right behind the writes, so that the copy holds them all: one pass over
// the file where patching both files after a copy would take three. Only for blocks that lie
// apart from each other and from the file's structure, so that no write can be refused. The
// working copy's stamp follows its writes even when the copy fails, so that a later save still
// knows it.
Result streamChangedBlocks(Model& model, WorkingCopy& copy, const std::filesystem::path& temporary,
                           const std::vector<Block>& blocks, BlockBuffer& buffer) {
    const std::span<const uint8_t> original = copy.original.bytes();
    std::vector<const Block*> order;
    for (const Block& block : blocks)
        order.push_back(&block);
    std::sort(order.begin(), order.end(),
              [](const Block* a, const Block* b) { return a->position < b->position; });
    WriteProgress progress;
    CopyFailure copied;
    Result written;
    runSideBySide(
        [&] { copied = copyAsWritten(copy.path, temporary, original.size(), progress); },
        [&] {
            uint64_t published = 0;
            for (const Block* block : order) {
                const uint64_t at = static_cast<uint64_t>(block->position) - 1;
                // Few large copies cost less than many small ones.
                if (at >= published + kCopyStep)
                    publish(progress, published = at);
                block->fillAt(buffer.bytes.get());
                if (std::memcmp(buffer.bytes.get(), original.data() + at, block->size) == 0)
                    continue;
                written = writeBytesAt(copy.file.get(), at, {buffer.bytes.get(), block->size});
                if (!written)
                    break;
            }
            publish(progress, written ? original.size() : WriteProgress::kStopped);
        });
    if (written)
        written = stampOf(copy.file.get(), copy.path, model.workingCopyStamp);
    if (!written)
        return workingCopyFailure(copy.path, written);
    if (Result outcome = copyOutcome(copy.path, temporary, copied); !outcome)
        return outcome;
    return workingCopyFailure(copy.path, closeFile(copy.file));
}

// Writes the changed blocks into the file at path, a copy of the working copy.
Result patchFile(const std::filesystem::path& path, const std::vector<Block>& blocks,
                 const std::vector<size_t>& changed, BlockBuffer& buffer) {
    FilePtr file(platform::openFile(path, "r+b"));
    Result written = file ? writeChangedBlocks(file.get(), blocks, changed, buffer)
                          : Result::failure(lastErrorText());
    if (written)
        written = closeFile(file);
    if (written)
        return written;
    return Result::failure("cannot write " + quotedPath(path) + ": " +
                           spaceAwareText(path.parent_path(), errno == ENOSPC, written.reason()));
}

// Copies the working copy to temporary while the blocks that changed are found and the bytes they
// make are checked; only then do both files get those blocks. For blocks that may overlap each
// other or the file's structure, which the check must see before anything is written.
Result copyThenPatch(Model& model, WorkingCopy& copy, const std::filesystem::path& temporary,
                     const std::vector<Block>& blocks, BlockBuffer& buffer) {
    Result copied;
    Result checked;
    std::vector<size_t> changed;
    runSideBySide([&] { copied = copyToNewFile(copy.path, temporary); },
                  [&] {
                      changed = findChangedBlocks(copy.original.bytes(), blocks, buffer);
                      if (changed.empty())
                          return;
                      patchChangedBlocks(copy.patched.writable(), blocks, changed);
                      checked = checkSavedBytes(model, copy.original.bytes(), copy.patched.bytes());
                  });
    if (!checked)
        return checked;
    if (!copied)
        return copied;
    Result written = writeChangedBlocks(copy.file.get(), blocks, changed, buffer);
    if (written)
        written = stampOf(copy.file.get(), copy.path, model.workingCopyStamp);
    if (written)
        written = closeFile(copy.file);
    if (!written)
        return workingCopyFailure(copy.path, written);
    return changed.empty() ? Result() : patchFile(temporary, blocks, changed, buffer);
}

// Refuses a working copy that is not what this model last loaded or saved: another program
// (another editor's load, say) changed it, and patching it would save that program's bytes.
Result checkWorkingCopy(std::FILE* workingCopy, const Model& model,
                        const std::filesystem::path& copyPath) {
    const std::string named = "the working copy " + quotedPath(copyPath);
    if (model.workingCopyStamp == FileStamp{})
        return Result::failure(named + " was not made by loading this model");
    FileStamp now;
    if (const Result looked = stampOf(workingCopy, copyPath, now); !looked)
        return Result::failure("cannot read " + named + ": " + looked.reason());
    if (now != model.workingCopyStamp)
        return Result::failure(named + " was changed by another program");
    return {};
}

// Opens the working copy at path for a save of model, once checked, and maps it twice.
Result openWorkingCopy(const Model& model, const std::filesystem::path& path, WorkingCopy& copy) {
    if (path.empty())
        return Result::failure("the model was loaded without a working copy");
    copy.path = path;
    copy.file.reset(platform::openFile(path, "r+b"));
    if (!copy.file)
        return workingCopyFailure(path, Result::failure(lastErrorText()));
    if (Result checked = checkWorkingCopy(copy.file.get(), model, path); !checked)
        return checked;
    Result mapped = mapPrivately(copy.file.get(), path, copy.original);
    if (mapped)
        mapped = mapPrivately(copy.file.get(), path, copy.patched);
    return workingCopyFailure(path, mapped);
}

// Whether path names the file the model was loaded from (or last saved as).
bool isModelFile(const Model& model, const std::filesystem::path& path) {
    if (model.modelPath.empty())
        return false;
    std::error_code error;
    const auto a = std::filesystem::absolute(path, error).lexically_normal();
    const auto b = std::filesystem::absolute(model.modelPath, error).lexically_normal();
    return !error && a == b;
}

// Whether a block's bytes differ from the working copy's, looked for until stop is set. Where
// blocks overlap, a later block may undo part of an earlier one, so then any block counts.
bool anyBlockChanged(std::span<const uint8_t> workingCopy, const std::vector<Block>& blocks,
                     BlockBuffer& buffer, const std::atomic<bool>& stop) {
    if (anyBlocksOverlap(blocks))
        return !blocks.empty();
    for (const Block& block : blocks) {
        if (stop)
            return false;
        block.fillAt(buffer.bytes.get());
        if (std::memcmp(buffer.bytes.get(), workingCopy.data() + block.position - 1, block.size))
            return true;
    }
    return false;
}

// How much of a file is compared before looking whether the other side already found a change.
constexpr size_t kCompareStep = size_t{4} << 20;

// Whether the file holds bytes, looked at until stop is set; its stamp as mapped must be stamp.
bool fileHolds(const std::string& path, const FileStamp& stamp, std::span<const uint8_t> bytes,
               const std::atomic<bool>& stop) {
    FileBytes onDisk;
    FileStamp mapped;
    if (!mapSharedFile(path, onDisk, &mapped) || mapped != stamp || onDisk.size != bytes.size())
        return false;
    for (size_t at = 0; at < bytes.size(); at += kCompareStep) {
        const size_t length = std::min(kCompareStep, bytes.size() - at);
        if (stop || std::memcmp(onDisk.data.get() + at, bytes.data() + at, length) != 0)
            return false;
    }
    return !wasCutShort(onDisk);
}

// Whether the model's own file already holds every byte a save would write: unchanged since it
// was loaded or saved (the check a replacement makes), equal to the working copy, and no block
// differing from that. Such a save leaves the file as it is.
bool fileHoldsTheSave(const Model& model, const std::string& path,
                      std::span<const uint8_t> workingCopy, const std::vector<Block>& blocks,
                      BlockBuffer& buffer) {
    if (!model.modelFileStamp || !isModelFile(model, path))
        return false;
    std::atomic<bool> differs = false;
    runSideBySide(
        [&] {
            if (!fileHolds(path, *model.modelFileStamp, workingCopy, differs))
                differs = true;
        },
        [&] {
            if (anyBlockChanged(workingCopy, blocks, buffer, differs))
                differs = true;
        });
    return !differs;
}

// The blocks a save of model writes, which refer to deltaBlocks; or why its edits cannot be
// stored, found before anything is written.
Result plannedBlocks(const Model& model, std::span<const uint8_t> workingCopy,
                     std::vector<DeltaBlock>& deltaBlocks, std::vector<Block>& blocks) {
    if (Result shared = checkSharedBlocks(model); !shared)
        return shared;
    if (model.layout == ModelLayout::Delta) {
        if (Result built = buildDeltaBlocks(model, workingCopy, deltaBlocks); !built)
            return built;
    }
    blocks = blocksToWrite(model, deltaBlocks);
    return {};
}

} // namespace

Result saveModel(Model& model, const std::string& path, const ModelFolders& folders,
                 SameBytes same) {
    WorkingCopy copy;
    if (Result opened = openWorkingCopy(model, folders.workingCopy, copy); !opened)
        return opened;
    std::vector<DeltaBlock> deltaBlocks;
    std::vector<Block> blocks;
    if (Result planned = plannedBlocks(model, copy.original.bytes(), deltaBlocks, blocks); !planned)
        return planned;
    if (Result fit = checkBlocksFit(blocks, copy.original.size); !fit)
        return workingCopyFailure(copy.path, fit);

    BlockBuffer buffer(blocks);
    if (same == SameBytes::kLeaveAlone &&
        fileHoldsTheSave(model, path, copy.original.bytes(), blocks, buffer))
        return {};
    const bool streamed = blocksLeaveStructureAlone(model, copy.original.bytes());
    TargetStamps stamps;
    if (isModelFile(model, path))
        stamps.expected = model.modelFileStamp;
    const Result replaced = replaceFile(
        path,
        [&](const std::filesystem::path& temporary) {
            return streamed ? streamChangedBlocks(model, copy, temporary, blocks, buffer)
                            : copyThenPatch(model, copy, temporary, blocks, buffer);
        },
        ReplaceMode::kKeepAcrossCrash, &stamps);
    // A save that had to keep another program's version aside is in place all the same.
    if (replaced || !stamps.keptAside.empty())
        model.modelFileStamp = stamps.written;
    return replaced;
}

bool modelFileChanged(const Model& model) {
    if (!model.modelFileStamp)
        return false;
    FileStamp now;
    return !currentStamp(model.modelPath, now) || now != *model.modelFileStamp;
}

void overwriteModelFileAsIs(Model& model) {
    FileStamp now;
    if (currentStamp(model.modelPath, now))
        model.modelFileStamp = now;
    else
        model.modelFileStamp.reset();
}

Result saveModelBytes(const Model& model, std::vector<uint8_t>& bytes) {
    std::vector<DeltaBlock> deltaBlocks;
    std::vector<Block> blocks;
    if (Result planned = plannedBlocks(model, bytes, deltaBlocks, blocks); !planned)
        return planned;
    if (Result fit = checkBlocksFit(blocks, bytes.size()); !fit)
        return fit;
    BlockBuffer buffer(blocks);
    const std::vector<size_t> changed = findChangedBlocks(bytes, blocks, buffer);
    if (changed.empty())
        return {};
    std::vector<uint8_t> saved = bytes;
    patchChangedBlocks(saved, blocks, changed);
    Result checked = checkSavedBytes(model, bytes, saved);
    if (checked)
        bytes = std::move(saved);
    return checked;
}

} // namespace vw
