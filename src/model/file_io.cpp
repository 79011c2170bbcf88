#include "model/file_io.h"

#include "model/platform_io.h"

#include <cstdint>
#include <cstdio>
#include <random>
#include <system_error>

namespace vw {

namespace {


// A name beside target that no one else uses, hidden so that a failed save leaves no clutter
// in a folder listing should removing it fail too.
std::filesystem::path temporaryBeside(const std::filesystem::path& target) {
    std::random_device entropy;
    const uint64_t tag = (uint64_t{entropy()} << 32) ^ entropy();
    char suffix[24];
    std::snprintf(suffix, sizeof suffix, ".%016llx", static_cast<unsigned long long>(tag));
    std::string name = target.filename().string();
    name.insert(0, 1, '.');
    name += suffix;
    return target.parent_path() / name;
}

// A symbolic link is kept: the file it points to is what gets replaced.
std::filesystem::path resolvedTarget(const std::filesystem::path& target) {
    std::error_code error;
    if (!std::filesystem::is_symlink(target, error))
        return target;
    std::filesystem::path real = std::filesystem::canonical(target, error);
    return error ? target : real;
}

} // namespace

std::string quotedPath(const std::filesystem::path& path) {
    std::string text(1, '"');
    text += path.string();
    text += '"';
    return text;
}

std::string replaceFile(const std::filesystem::path& target,
                        const std::function<std::string(const std::filesystem::path&)>& fill,
                        ReplaceMode mode) {
    const std::filesystem::path real = resolvedTarget(target);
    std::error_code error;
    const bool exists = std::filesystem::exists(real, error);
    // Renaming would replace a file the user may not write to; honour that instead.
    if (exists) {
        FilePtr probe(platform::openFile(real, "r+b"));
        if (!probe)
            return "cannot write " + quotedPath(target) + ": " + lastErrorText();
    }
    const std::filesystem::path temporary = temporaryBeside(real);
    std::string reason = fill(temporary);
    if (reason.empty() && exists) {
        const auto status = std::filesystem::status(real, error);
        if (!error)
            std::filesystem::permissions(temporary, status.permissions(), error);
        // Replaced anyway, the file could end up readable by people it was kept from.
        if (error)
            reason = "cannot give the new " + quotedPath(target) +
                     " the permissions of the old one: " + error.message();
    }
    if (reason.empty() && exists && mode == ReplaceMode::kScratch &&
        platform::exchangeFiles(temporary, real)) {
        // The two files swapped names; the earlier one now goes.
        std::filesystem::remove(temporary, error);
        return reason;
    }
    if (reason.empty()) {
        std::filesystem::rename(temporary, real, error);
        if (error)
            reason = "cannot replace " + quotedPath(target) + ": " + error.message();
    }
    if (!reason.empty())
        std::filesystem::remove(temporary, error);
    return reason;
}

} // namespace vw
