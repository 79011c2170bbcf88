#pragma once
// The command line of vertwright-cli, parsed into a plain value.

#include "model/interchange/obj_io.h"
#include "model/result.h"

#include <optional>
#include <string>
#include <vector>

namespace vw {

struct CliArgs {
    std::string command;
    std::vector<std::string> files; // the positional arguments after the command
    std::optional<std::string> output;
    std::optional<std::string> programDir;
    ObjSelection selection;
    std::optional<std::string> image; // export-gltf: the base colour texture
    std::optional<int> size;          // thumbnail: width and height in pixels
    bool help = false;
    bool version = false;
};

// The usage text printed for --help.
extern const char* const kUsage;

// Fills args from argv; fails with what is wrong with the command line.
Result parseArgs(const std::vector<std::string>& argv, CliArgs& args);

} // namespace vw
