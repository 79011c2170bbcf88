#pragma once
// A program folder with its working copy, plus a folder for model files, for tests that load
// and save real files.

#include "model/ebo/ebo_loader.h"
#include "support/ebo_builder.h"
#include "support/temp_dir.h"

#include <filesystem>
#include <ostream>
#include <string>

namespace vw {

// Failed expectations on a load show its result code and reason.
inline void PrintTo(const LoadOutcome& outcome, std::ostream* out) {
    *out << int(outcome.result) << (outcome.reason.empty() ? "" : " (" + outcome.reason + ")");
}

} // namespace vw

namespace vw::test {

struct Workspace {
    TempDir dir;
    ModelFolders folders;

    Workspace();

    // Writes built as models/<name> (the delta layout's companions into the program folder)
    // and returns the model file's path.
    std::string put(const BuiltEbo& built, const std::string& name = "model2.ebo") const;
};

} // namespace vw::test
