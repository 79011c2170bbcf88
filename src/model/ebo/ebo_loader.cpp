#include "model/ebo/ebo_loader.h"

#include "model/block_sharing.h"
#include "model/ebo/ebo_layouts.h"
#include "model/ebo/side_by_side.h"
#include "model/files/file_io.h"

#include <new>

namespace vw {

namespace {

// Whether a header word holds the number of a layout.
bool selects(int16_t word, ModelLayout layout) {
    return word == static_cast<int16_t>(layout);
}

bool isDelta(const EboHeader& header) {
    return !selects(header.fileVersion, ModelLayout::Version6) &&
           header.modelFormat == ebo::kDeltaModelFormat;
}

// Reads the layout the header selects into staging; returns the result code.
uint8_t readLayout(const ModelBytes& bytes, Model& staging) {
    ByteReader in(bytes.model);
    const EboHeader header = readHeader(in);
    staging.fileVersion = header.fileVersion;
    staging.modelFormat = header.modelFormat;
    if (isDelta(header)) {
        readDeltaLayout(in, {bytes.baseMesh, bytes.offsets}, staging);
        return kLoadedDelta;
    }
    const bool isVersion6 = selects(header.fileVersion, ModelLayout::Version6);
    const bool isPlain = selects(header.modelFormat, ModelLayout::Plain2) ||
                         selects(header.modelFormat, ModelLayout::Plain3);
    if (!isVersion6 && !isPlain)
        return kLoadFailed;
    if (header.partCount < 1)
        throw MalformedFile("model without parts");
    staging.Parts.resize(static_cast<size_t>(header.partCount));
    if (isVersion6) {
        readVersion6Layout(in, header.partCount, staging);
        return kLoadedVersion6;
    }
    readPlainLayout(in, header.partCount, staging);
    return static_cast<uint8_t>(header.modelFormat);
}

void adoptLoaded(Model& model, Model&& staging) {
    model.Parts = std::move(staging.Parts);
    model.fileVersion = staging.fileVersion;
    model.modelFormat = staging.modelFormat;
    model.layout = staging.layout;
    model.baseMeshes = std::move(staging.baseMeshes);
}

// The bytes of the character that stands fifth from the end of text, read as UTF-8.
std::optional<std::string> fifthCharacterFromEnd(const std::string& text) {
    size_t end = text.size();
    int count = 0;
    for (size_t i = text.size(); i-- > 0;) {
        const bool startsCharacter = (static_cast<uint8_t>(text[i]) & 0xC0) != 0x80;
        if (!startsCharacter)
            continue;
        if (++count == 5)
            return text.substr(i, end - i);
        end = i;
    }
    return std::nullopt;
}

} // namespace

uint8_t parseModel(Model& model, const ModelBytes& bytes) {
    Model staging;
    uint8_t result = kLoadFailed;
    try {
        result = readLayout(bytes, staging);
    } catch (const MalformedFile&) {
        return kLoadFailed;
    } catch (const std::bad_alloc&) {
        return kLoadFailed;
    }
    staging.layout = static_cast<ModelLayout>(result);
    if (result == kLoadFailed)
        return result;
    linkSharedBlocks(staging);
    adoptLoaded(model, std::move(staging));
    return result;
}

bool usesCompanionFiles(std::span<const uint8_t> modelBytes) {
    ByteReader in(modelBytes);
    try {
        return isDelta(readHeader(in));
    } catch (const MalformedFile&) {
        return false;
    }
}

std::optional<CompanionFiles> companionFiles(const std::string& modelPath,
                                             const std::filesystem::path& programDir) {
    const std::optional<std::string> c = fifthCharacterFromEnd(modelPath);
    if (!c)
        return std::nullopt;
    return CompanionFiles{programDir / "lod" / ("base_lod" + *c + ".ebo"),
                          programDir / ("misc" + *c + ".dat")};
}

namespace {

constexpr const char* kNotLoadable = "not a loadable EBO model";
constexpr const char* kChangedWhileRead = "it changed while being read";
// Below this size, starting a thread for the copy costs more than it saves.
constexpr uintmax_t kBytesWorthAThread = uintmax_t{4} << 20;

// Reads the companion files a delta model's bytes call for.
Result readCompanions(const std::string& path, const std::filesystem::path& programDir,
                      std::span<const uint8_t> modelBytes, FileBytes& baseMesh,
                      FileBytes& offsets) {
    if (!usesCompanionFiles(modelBytes))
        return {};
    const auto companions = companionFiles(path, programDir);
    if (!companions)
        return Result::failure("no companion files for this name");
    for (const auto& [file, bytes] :
         {std::pair{&companions->baseMesh, &baseMesh}, std::pair{&companions->offsets, &offsets}}) {
        const Result read = readFileBytes(*file, *bytes);
        std::error_code error;
        if (!read && !std::filesystem::exists(*file, error) && !error)
            return Result::failure("missing companion file " + file->string());
        if (!read)
            return read;
    }
    return {};
}

// Parses a model file's bytes with their companions into staging.
LoadOutcome parseFiles(const std::string& path, const std::filesystem::path& programDir,
                       std::span<const uint8_t> modelBytes, Model& staging) {
    FileBytes baseMesh, offsets;
    if (const Result read = readCompanions(path, programDir, modelBytes, baseMesh, offsets); !read)
        return {kLoadFailed, read.reason()};
    const uint8_t result = parseModel(staging, {modelBytes, baseMesh.bytes(), offsets.bytes()});
    return {result, result == kLoadFailed ? kNotLoadable : ""};
}

// A load without a working copy reads the model file through a mapping.
LoadOutcome loadWithoutCopy(const std::string& path, const std::filesystem::path& programDir,
                            Model& staging) {
    FileBytes file;
    if (const Result mapped = mapSharedFile(path, file); !mapped)
        return {kLoadFailed, mapped.reason()};
    LoadOutcome outcome = parseFiles(path, programDir, file.bytes(), staging);
    if (wasCutShort(file))
        outcome = {kLoadFailed, kChangedWhileRead};
    return outcome;
}

// The saver patches the working copy at the positions read here, so the bytes parsed must be
// the bytes copied: the model file is parsed while it is copied, and the load fails when the
// file changed in the meantime. It replaces the earlier working copy only when both succeed.
LoadOutcome loadThroughCopy(const std::string& path, const ModelFolders& folders, Model& staging) {
    LoadOutcome outcome;
    const auto failed = [&outcome](std::string reason) {
        outcome.reason = std::move(reason);
        return Result::failure(outcome.reason);
    };
    const Result made = replaceFile(
        folders.workingCopy,
        [&](const auto& temporary) {
            FileStamp copied, parsed;
            CopyFailure copy;
            FileBytes file;
            Result mapped;
            const auto makeCopy = [&] { copy = copyFileTo(path, temporary, &copied); };
            const auto parse = [&] {
                mapped = mapSharedFile(path, file, &parsed);
                if (mapped)
                    outcome = parseFiles(path, folders.programDir, file.bytes(), staging);
            };
            std::error_code error;
            if (std::filesystem::file_size(path, error) >= kBytesWorthAThread) {
                runSideBySide(makeCopy, parse);
            } else {
                makeCopy();
                parse();
            }
            if (!copy.result) {
                const std::filesystem::path& workingCopy = folders.workingCopy;
                const std::string& reason = copy.result.reason();
                return failed(
                    copy.inSource
                        ? reason
                        : "cannot make the working copy " + quotedPath(workingCopy) + ": " +
                              spaceAwareText(workingCopy.parent_path(), copy.noSpace, reason));
            }
            if (!mapped)
                return failed(mapped.reason());
            FileStamp now;
            if (wasCutShort(file) || parsed != copied || !stampOf(path, now) || now != copied)
                return failed(kChangedWhileRead);
            if (const Result stamped = stampOf(temporary, staging.workingCopyStamp); !stamped)
                return failed("cannot read the working copy: " + stamped.reason());
            staging.modelFileStamp = copied;
            return outcome.reason.empty() ? Result() : Result::failure(outcome.reason);
        },
        ReplaceMode::kScratch);
    if (!made && outcome.reason.empty())
        outcome.reason = "cannot make the working copy: " + made.reason();
    if (!made)
        outcome.result = kLoadFailed;
    return outcome;
}

} // namespace

LoadOutcome loadModel(Model& model, const std::string& path, const ModelFolders& folders) {
    Model staging;
    LoadOutcome outcome = folders.workingCopy.empty()
                              ? loadWithoutCopy(path, folders.programDir, staging)
                              : loadThroughCopy(path, folders, staging);
    if (outcome.result == kLoadFailed)
        return outcome;
    adoptLoaded(model, std::move(staging));
    model.workingCopyStamp = staging.workingCopyStamp;
    model.modelFileStamp = staging.modelFileStamp;
    model.modelPath = path;
    return outcome;
}

} // namespace vw
