#pragma once
// Reading EBO model files in their three layouts: version 6, plain mesh and delta.

#include "model/model.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace vw {

// Where a load and a save find their files. The delta layout's companion files
// (lod/base_lod<c>.ebo and misc<c>.dat) live in programDir; workingCopy is the
// patched copy of the model file ("current.tmp" for the editor).
struct ModelFolders {
    std::filesystem::path programDir;
    std::filesystem::path workingCopy;
};

// Result codes of loadModel.
enum LoadResult : uint8_t {
    kLoadFailed = 0,
    kLoadedPlain2 = 2,
    kLoadedPlain3 = 3,
    kLoadedVersion6 = 6,
    kLoadedDelta = 10,
};

// Loads the EBO file at path into model and makes the working copy. Returns 0 when the
// file cannot be read or is malformed or of no loadable layout; the model (modelPath
// included) and the working copy are then exactly as they were. On success Parts,
// fileVersion, modelFormat, baseMeshes and modelPath are replaced; curPart, curSeg and
// curData are left alone.
uint8_t loadModel(Model& model, const std::string& path, const ModelFolders& folders);

} // namespace vw
