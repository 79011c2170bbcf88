#pragma once
// Writing edited vertex data back into an EBO model file.

#include "model/ebo_loader.h"
#include "model/model.h"

#include <string>

namespace vw {

// Patches every segment's vertex blocks into the working copy, then replaces the file at
// path with it atomically. Returns an empty string on success, else a one-line reason;
// on failure the file at path is unchanged. Refuses a working copy that no longer matches
// model.workingCopyStamp, and records the stamp of the working copy it patched.
std::string saveModel(Model& model, const std::string& path, const ModelFolders& folders);

} // namespace vw
