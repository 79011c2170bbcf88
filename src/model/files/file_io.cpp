#include "model/files/file_io.h"


#include <charconv>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string_view>
#include <system_error>

namespace vw {

namespace {

// Temporary files beside a target are named ".vw<pid>-<tag>.tmp": short, so that any file name
// that can be opened can be saved, and naming the process that made them, so that a later run can
// tell which ones a killed process left behind. A backup made before writing a file in place ends
// in ".bak" instead, and is never removed as stale: after a crash it may be the only whole copy.
constexpr std::string_view kTemporaryPrefix = ".vw";
constexpr std::string_view kTemporarySuffix = ".tmp";
constexpr std::string_view kBackupSuffix = ".bak";

std::filesystem::path nameBeside(const std::filesystem::path& target, std::string_view suffix) {
    std::random_device entropy;
    char name[48];
    std::snprintf(name, sizeof name, "%.*s%ld-%08x%.*s", int(kTemporaryPrefix.size()),
                  kTemporaryPrefix.data(), platform::processId(), entropy(), int(suffix.size()),
                  suffix.data());
    return target.parent_path() / name;
}

// The process id in a name made by nameBeside with the given suffix; 0 when it is not one.
long ownerOfTemporary(std::string_view name, std::string_view suffix) {
    if (!name.starts_with(kTemporaryPrefix) || !name.ends_with(suffix))
        return 0;
    name.remove_prefix(kTemporaryPrefix.size());
    long pid = 0;
    const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), pid);
    return error == std::errc{} && end != name.data() && *end == '-' ? pid : 0;
}

// Removes the temporary files in folder whose process is gone.
void removeStaleTemporaries(const std::filesystem::path& folder) {
    std::error_code error;
    for (auto it = std::filesystem::directory_iterator(folder, error);
         !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        const long pid = ownerOfTemporary(it->path().filename().string(), kTemporarySuffix);
        std::error_code ignored;
        if (pid > 0 && !platform::isProcessRunning(pid) && it->is_regular_file(ignored))
            std::filesystem::remove(it->path(), ignored);
    }
}

// Gives temporary the owner, group and permissions of the file it replaces. The owner and group
// only as far as this process may (only root can give a file away); the permissions must take,
// or the file could end up readable by people it was kept from. A change of owner clears set-id
// bits, so the permissions come last.
std::string takeOverAttributes(const std::filesystem::path& target,
                               const std::filesystem::path& temporary,
                               const std::filesystem::path& original,
                               std::filesystem::perms permissions) {
    platform::keepOwner(original, temporary);
    std::error_code error;
    std::filesystem::permissions(temporary, permissions, error);
    if (!error)
        return {};
    return "cannot give the new " + quotedPath(target) +
           " the permissions of the old one: " + error.message();
}

// A file with further hard links is written in place, so that every link sees the new content.
// A full copy of the old content is made beside it first and kept should the write fail: an
// in-place write is not atomic, and the backup is what a failure or a crash leaves to recover.
std::string replaceInPlace(const std::filesystem::path& target, const std::filesystem::path& real,
                           const std::filesystem::path& temporary) {
    const std::filesystem::path backup = nameBeside(real, kBackupSuffix);
    std::string reason = copyToNewFile(real, backup);
    if (reason.empty()) {
        reason = platform::flushToDisk(backup);
        if (!reason.empty())
            reason = "cannot write " + quotedPath(backup) + ": " + reason;
    }
    std::error_code ignored;
    if (!reason.empty()) {
        std::filesystem::remove(backup, ignored);
        return "cannot back up " + quotedPath(target) + ": " + reason;
    }
    reason = platform::overwriteFile(real, temporary);
    if (!reason.empty() && !platform::overwriteFile(real, backup).empty())
        return "cannot write " + quotedPath(target) + ": " + reason +
               "; its earlier content is in " + quotedPath(backup);
    std::filesystem::remove(backup, ignored);
    return reason.empty() ? reason : "cannot write " + quotedPath(target) + ": " + reason;
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

std::string readFileBytes(const std::filesystem::path& file, FileBytes& out) {
    const std::string reason = readBytesOf(file, out);
    return reason.empty() ? reason : "cannot read " + quotedPath(file) + ": " + reason;
}

std::string copyToNewFile(const std::filesystem::path& source, const std::filesystem::path& file) {
    const CopyFailure failure = copyFileTo(source, file);
    if (failure.reason.empty())
        return {};
    if (failure.inSource)
        return "cannot read " + quotedPath(source) + ": " + failure.reason;
    return "cannot copy " + quotedPath(source) + " to " + quotedPath(file) + ": " + failure.reason;
}

std::string replaceFile(const std::filesystem::path& target,
                        const std::function<std::string(const std::filesystem::path&)>& fill,
                        ReplaceMode mode) {
    const std::filesystem::path real = resolvedTarget(target);
    std::error_code error;
    const std::filesystem::file_status original = std::filesystem::status(real, error);
    const bool exists = !error && std::filesystem::exists(original);
    if (exists && !std::filesystem::is_regular_file(original))
        return "cannot write " + quotedPath(target) + ": not a file";
    // Renaming would replace a file the user may not write to; honour that instead.
    if (exists) {
        FilePtr probe(platform::openFile(real, "r+b"));
        if (!probe)
            return "cannot write " + quotedPath(target) + ": " + lastErrorText();
    }
    removeStaleTemporaries(real.has_parent_path() ? real.parent_path() : ".");
    const std::filesystem::path temporary = nameBeside(real, kTemporarySuffix);
    std::string reason = fill(temporary);
    if (reason.empty() && exists)
        reason = takeOverAttributes(target, temporary, real, original.permissions());
    if (reason.empty() && exists && mode == ReplaceMode::kKeepAcrossCrash &&
        std::filesystem::hard_link_count(real, error) > 1 && !error) {
        reason = replaceInPlace(target, real, temporary);
        std::filesystem::remove(temporary, error);
        return reason;
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
