#pragma once
// Runs the real vertwright-cli executable and captures what it prints.

#include <filesystem>
#include <string>
#include <vector>

namespace vw::test {

struct CliRun {
    int code = -1;
    std::string out;
    std::string err;
};

struct CliEnvironment {
    std::filesystem::path tmpDir; // TMPDIR for the run; empty keeps the caller's
    bool asNobody = false;        // run as an unprivileged user (when the tests run as root)
    int fileSizeLimit = 0;        // the shell's ulimit -f for the run, 0 for none: a full disk
};

// Runs vertwright-cli with args; its output is captured through files in captureDir.
CliRun runCli(const std::vector<std::string>& args, const std::filesystem::path& captureDir,
              const CliEnvironment& environment = {});

} // namespace vw::test
