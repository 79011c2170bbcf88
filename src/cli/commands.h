#pragma once
// The commands of vertwright-cli over a model loaded with a private working copy.

#include "cli_args.h"

#include <filesystem>
#include <ostream>

namespace vw {

enum ExitCode : int {
    kExitOk = 0,
    kExitFileError = 1, // a file that cannot be loaded or written
    kExitUsage = 2,
    kExitDiffers = 3, // check: a save without edits would change the file
};

// Runs a parsed, well-formed command line. Results go to out; a failure writes one line
// to err and leaves the model file as it was.
int runCommand(const CliArgs& args, const std::filesystem::path& programDir, std::ostream& out,
               std::ostream& err);

} // namespace vw
