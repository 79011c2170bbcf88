#include "model/ebo_loader.h"

#include "model/ebo_layouts.h"
#include "model/file_io.h"

#include <new>

namespace vw {

namespace {

struct Header {
    int16_t fileVersion;
    int16_t modelFormat;
    int16_t partCount;
};

Header readHeader(ByteReader& in) {
    Header header;
    in.seek(ebo::kFileVersionAt);
    header.fileVersion = in.readI16();
    in.seek(ebo::kModelFormatAt);
    header.modelFormat = in.readI16();
    in.seek(ebo::kPartCountAt);
    header.partCount = in.readI16();
    return header;
}

bool isDelta(const Header& header) {
    return header.fileVersion != 6 && header.modelFormat == 0;
}

// Reads the layout the header selects into staging; returns the result code.
uint8_t readLayout(const ModelBytes& bytes, Model& staging) {
    ByteReader in(bytes.model);
    const Header header = readHeader(in);
    staging.fileVersion = header.fileVersion;
    staging.modelFormat = header.modelFormat;
    if (isDelta(header)) {
        readDeltaLayout(in, {bytes.baseMesh, bytes.offsets}, staging);
        return kLoadedDelta;
    }
    const bool isPlain = header.modelFormat == 2 || header.modelFormat == 3;
    if (header.fileVersion != 6 && !isPlain)
        return kLoadFailed;
    if (header.partCount < 1)
        throw MalformedFile("model without parts");
    staging.Parts.resize(static_cast<size_t>(header.partCount));
    if (header.fileVersion == 6) {
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
    if (result != kLoadFailed)
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

uint8_t loadModel(Model& model, const std::string& path, const ModelFolders& folders) {
    // The saver patches the working copy at the positions read here, so the model is read from
    // the working copy itself: it holds exactly the bytes parsed. It replaces the earlier
    // working copy only when the parse succeeds.
    Model staging;
    uint8_t result = kLoadFailed;
    const std::string reason = replaceFile(
        folders.workingCopy,
        [&](const auto& temporary) {
            FileBytes file, baseMesh, offsets;
            std::string failure = copyToNewFile(path, temporary);
            if (failure.empty())
                failure = mapFileBytes(temporary, file);
            if (failure.empty() && usesCompanionFiles(file.bytes())) {
                const auto companions = companionFiles(path, folders.programDir);
                if (!companions)
                    return std::string("no companion files for this name");
                failure = readFileBytes(companions->baseMesh, baseMesh);
                if (failure.empty())
                    failure = readFileBytes(companions->offsets, offsets);
            }
            if (!failure.empty())
                return failure;
            result = parseModel(staging, {file.bytes(), baseMesh.bytes(), offsets.bytes()});
            return result == kLoadFailed ? std::string("not a loadable model") : std::string();
        },
        ReplaceMode::kScratch);
    if (!reason.empty())
        return kLoadFailed;
    adoptLoaded(model, std::move(staging));
    model.modelPath = path;
    return result;
}

} // namespace vw
