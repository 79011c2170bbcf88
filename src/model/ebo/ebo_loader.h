#pragma once
// Reading EBO model files in their three layouts: version 6, plain mesh and delta.

#include "model/model.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

namespace vw {

// Where a load and a save find their files. The delta layout's companion files
// (lod/base_lod<c>.ebo and misc<c>.dat) live in programDir; workingCopy is the
// patched copy of the model file ("current.tmp" for the editor). Without a working copy a load
// reads the model file itself and the model cannot be saved: for tools that only read.
struct ModelFolders {
    std::filesystem::path programDir;
    std::filesystem::path workingCopy;
};

// Result codes of loadModel: 0, or the layout loaded.
enum LoadResult : uint8_t {
    kLoadFailed = 0,
    kLoadedPlain2 = static_cast<uint8_t>(ModelLayout::Plain2),
    kLoadedPlain3 = static_cast<uint8_t>(ModelLayout::Plain3),
    kLoadedVersion6 = static_cast<uint8_t>(ModelLayout::Version6),
    kLoadedDelta = static_cast<uint8_t>(ModelLayout::Delta),
};

// What loadModel gives: its result code and, when that is 0, why, in one line: "no such file",
// "permission denied", "missing companion file <path>", "not a loadable EBO model", or what kept
// the working copy from being made ("cannot make the working copy ...: No space left on device").
struct LoadOutcome {
    uint8_t result = kLoadFailed;
    std::string reason;

    // The result code, so that callers may compare an outcome with the codes directly.
    operator uint8_t() const { return result; }
};

// Loads the EBO file at path into model and makes the working copy. Fails (result 0) when the
// file cannot be read or is malformed or of no loadable layout; the model (modelPath
// included) and the working copy are then exactly as they were. On success Parts,
// fileVersion, modelFormat, layout, baseMeshes, modelPath, workingCopyStamp and modelFileStamp
// are replaced; curPart, curSeg and curData are left alone.
LoadOutcome loadModel(Model& model, const std::string& path, const ModelFolders& folders);

// The bytes of a model file and, for the delta layout, of its two companion files (the other
// layouts ignore them).
struct ModelBytes {
    std::span<const uint8_t> model;
    std::span<const uint8_t> baseMesh;
    std::span<const uint8_t> offsets;
};

// loadModel without files: reads the layouts from bytes already in memory. Same result codes;
// on success replaces Parts, fileVersion, modelFormat, layout and baseMeshes (not modelPath); on 0
// the model is unchanged.
uint8_t parseModel(Model& model, const ModelBytes& bytes);

// True when the header of a model file's bytes selects the delta layout.
bool usesCompanionFiles(std::span<const uint8_t> modelBytes);

// The delta layout's companion files of modelPath: programDir/lod/base_lod<c>.ebo and
// programDir/misc<c>.dat, c being the fifth character from the end of modelPath. Empty when the
// path has fewer than five characters.
struct CompanionFiles {
    std::filesystem::path baseMesh;
    std::filesystem::path offsets;
};
std::optional<CompanionFiles> companionFiles(const std::string& modelPath,
                                             const std::filesystem::path& programDir);

} // namespace vw
