#include "model/files/file_io.h"

#include "model/files/background_removal.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string_view>
#include <system_error>
#include <utility>

namespace vw {

namespace {

// Files beside a target are named ".vw<pid>-<8 hex digits>.tmp": short, so that any file name
// that can be opened can be saved, and naming the process that made them, so that a later run can
// tell which ones a killed process left behind. A backup made before writing a file in place
// also names the file's inode, ".vw<pid>-<8 hex>-<16 hex>.bak", so that the next open of that
// file finds it; it is never removed as stale: after a crash it may be the only whole copy.
constexpr std::string_view kTemporaryPrefix = ".vw";
constexpr std::string_view kTemporarySuffix = ".tmp";
constexpr std::string_view kBackupSuffix = ".bak";
constexpr size_t kRandomDigits = 8;
constexpr size_t kInodeDigits = 16;

std::string inodeDigits(uint64_t inode) {
    char digits[kInodeDigits + 1];
    std::snprintf(digits, sizeof digits, "%016llx", static_cast<unsigned long long>(inode));
    return digits;
}

// Enough that only a folder filled on purpose runs out of fresh names.
constexpr int kNameAttempts = 64;

uint32_t drawFromSystem() {
    std::random_device entropy;
    return entropy();
}

NameDraw& nameDraw() {
    static NameDraw draw = drawFromSystem;
    return draw;
}

std::filesystem::path nameBeside(const std::filesystem::path& target, std::string_view suffix,
                                 std::string_view inode = {}) {
    char name[48];
    std::snprintf(name, sizeof name, "%.*s%ld-%08x%s%.*s%.*s", int(kTemporaryPrefix.size()),
                  kTemporaryPrefix.data(), platform::processId(), unsigned{nameDraw()()},
                  inode.empty() ? "" : "-", int(inode.size()), inode.data(), int(suffix.size()),
                  suffix.data());
    return target.parent_path() / name;
}

// A name beside target that no file has: a file there is someone else's, never to be written
// or removed. Empty when every name drawn was taken. A name that cannot be looked at is given
// as it is, for its creation to fail with the reason.
std::filesystem::path freshNameBeside(const std::filesystem::path& target, std::string_view suffix,
                                      std::string_view inode = {}) {
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        std::filesystem::path name = nameBeside(target, suffix, inode);
        std::error_code error;
        if (!std::filesystem::exists(std::filesystem::symlink_status(name, error)))
            return name;
    }
    return {};
}

Result noFreeName(const std::filesystem::path& target) {
    return Result::failure("cannot write " + quotedPath(target) +
                           ": every name tried for a temporary file beside it is taken");
}

bool isHexDigits(std::string_view text, size_t count) {
    return text.size() == count && text.find_first_not_of("0123456789abcdef") == text.npos;
}

// What a name made by nameBeside tells: the process id and the inode digits (empty for a
// temporary file); no value when the name is not exactly one of those nameBeside makes.
struct BesideName {
    long pid = 0;
    std::string_view inode;
};

std::optional<BesideName> parseBesideName(std::string_view name, std::string_view suffix) {
    if (!name.starts_with(kTemporaryPrefix) || !name.ends_with(suffix))
        return std::nullopt;
    name.remove_prefix(kTemporaryPrefix.size());
    name.remove_suffix(suffix.size());
    BesideName parsed;
    const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), parsed.pid);
    if (error != std::errc{} || end == name.data() || name.front() == '0' || parsed.pid <= 0 ||
        end == name.data() + name.size() || *end != '-')
        return std::nullopt;
    name.remove_prefix(static_cast<size_t>(end - name.data()) + 1);
    const bool withInode = suffix == kBackupSuffix;
    const size_t expected = kRandomDigits + (withInode ? 1 + kInodeDigits : 0);
    if (name.size() != expected || !isHexDigits(name.substr(0, kRandomDigits), kRandomDigits))
        return std::nullopt;
    if (withInode) {
        parsed.inode = name.substr(kRandomDigits + 1);
        if (name[kRandomDigits] != '-' || !isHexDigits(parsed.inode, kInodeDigits))
            return std::nullopt;
    }
    return parsed;
}

bool isPlainFile(const std::filesystem::directory_entry& entry) {
    std::error_code error;
    return entry.is_regular_file(error) && !entry.is_symlink(error);
}

// Removes the temporary files in folder whose process is gone.
void removeStaleTemporaries(const std::filesystem::path& folder) {
    std::error_code error;
    for (auto it = std::filesystem::directory_iterator(folder, error);
         !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        const auto parsed = parseBesideName(it->path().filename().string(), kTemporarySuffix);
        std::error_code ignored;
        if (parsed && !platform::isProcessRunning(parsed->pid) && isPlainFile(*it))
            std::filesystem::remove(it->path(), ignored);
    }
}

// Gives temporary the owner, group and permissions of the file it replaces. The owner and group
// only as far as this process may (only root can give a file away); the permissions must take,
// or the file could end up readable by people it was kept from. A change of owner clears set-id
// bits, so the permissions come last.
Result takeOverAttributes(const std::filesystem::path& target,
                          const std::filesystem::path& temporary,
                          const std::filesystem::path& original,
                          std::filesystem::perms permissions) {
    platform::keepOwner(original, temporary);
    std::error_code error;
    std::filesystem::permissions(temporary, permissions, error);
    if (!error)
        return {};
    return Result::failure("cannot give the new " + quotedPath(target) +
                           " the permissions of the old one: " + error.message());
}

// The permissions the new content takes on: a scratch file stays its owner's alone, a new file
// gets what new files get, a replacement those of the file it replaces.
Result settleAttributes(const std::filesystem::path& target, const std::filesystem::path& real,
                        const std::filesystem::path& temporary, ReplaceMode mode,
                        const std::filesystem::file_status& original, bool exists) {
    if (mode == ReplaceMode::kScratch)
        return {};
    if (exists)
        return takeOverAttributes(target, temporary, real, original.permissions());
    std::error_code error;
    std::filesystem::permissions(temporary, platform::newFilePermissions(), error);
    if (error)
        return Result::failure("cannot write " + quotedPath(target) + ": " + error.message());
    return {};
}

// Fails when real no longer matches the stamp its replacement expects.
Result checkUnchanged(const std::filesystem::path& target, const std::filesystem::path& real,
                      const TargetStamps* stamps) {
    if (!stamps || !stamps->expected)
        return {};
    FileStamp now;
    if (Result looked = currentStamp(real, now); !looked)
        return Result::failure("cannot read " + quotedPath(target) + ": " + looked.reason());
    return now == *stamps->expected ? Result() : Result::failure(changedOnDiskText(target));
}

// The backup is copied under a temporary name and renamed once whole and on the disk, so a
// backup found later is always a complete copy.
Result makeBackup(const std::filesystem::path& real, const std::filesystem::path& backup) {
    const std::filesystem::path partial = freshNameBeside(real, kTemporarySuffix);
    if (partial.empty())
        return noFreeName(real);
    Result made = copyToNewFile(real, partial);
    if (made) {
        made = platform::flushToDisk(partial);
        if (!made)
            made = Result::failure("cannot write " + quotedPath(partial) + ": " + made.reason());
    }
    std::error_code error;
    if (made) {
        std::filesystem::rename(partial, backup, error);
        if (error)
            made = Result::failure("cannot write " + quotedPath(backup) + ": " + error.message());
    }
    if (!made)
        std::filesystem::remove(partial, error);
    return made;
}

// A file with further hard links is written in place, so that every link sees the new content.
// A full copy of the old content is made beside it first and kept should the write fail: an
// in-place write is not atomic, and the backup is what a failure or a crash leaves to recover.
Result replaceInPlace(const std::filesystem::path& target, const std::filesystem::path& real,
                      const std::filesystem::path& temporary, TargetStamps* stamps) {
    FileStamp before;
    Result result = stampOf(real, before);
    const std::filesystem::path backup =
        freshNameBeside(real, kBackupSuffix, inodeDigits(before.inode));
    if (result && backup.empty())
        result = noFreeName(real);
    if (result)
        result = makeBackup(real, backup);
    if (!result)
        return Result::failure("cannot back up " + quotedPath(target) + ": " + result.reason());
    std::error_code ignored;
    if (result = checkUnchanged(target, real, stamps); !result) {
        std::filesystem::remove(backup, ignored);
        return result;
    }
    if (result = platform::overwriteFile(real, temporary); !result) {
        if (!platform::overwriteFile(real, backup))
            return Result::failure("cannot write " + quotedPath(target) + ": " + result.reason() +
                                   "; its earlier content is in " + quotedPath(backup));
        result = Result::failure("cannot write " + quotedPath(target) + ": " + result.reason());
    }
    std::filesystem::remove(backup, ignored);
    if (result && stamps)
        result = stampOf(real, stamps->written);
    return result;
}

// A symbolic link is kept: the file it points to is what gets replaced.
std::filesystem::path resolvedTarget(const std::filesystem::path& target) {
    std::error_code error;
    if (!std::filesystem::is_symlink(target, error))
        return target;
    std::filesystem::path real = std::filesystem::canonical(target, error);
    return error ? target : real;
}

std::filesystem::path folderOf(const std::filesystem::path& file) {
    return file.has_parent_path() ? file.parent_path() : ".";
}

// A second name for file, beside it, that keeps it alive once a rename replaces it: freeing it
// (25 ms for 67 MB here) is then left to removeInBackground. Empty where none was made.
std::filesystem::path secondName(const std::filesystem::path& file) {
    const std::filesystem::path name = freshNameBeside(file, kTemporarySuffix);
    return !name.empty() && platform::linkBeside(file, name) ? name : std::filesystem::path();
}

// Puts temporary in real's place, checking the target's stamp one last time right before.
Result putInPlace(const std::filesystem::path& target, const std::filesystem::path& real,
                  const std::filesystem::path& temporary, ReplaceMode mode, bool exists,
                  TargetStamps* stamps) {
    Result result = stamps ? stampOf(temporary, stamps->written) : Result();
    if (result)
        result = checkUnchanged(target, real, stamps);
    if (!result)
        return result;
    std::error_code error;
    if (exists && mode == ReplaceMode::kScratch && platform::exchangeFiles(temporary, real)) {
        // The two files swapped names; the earlier one now goes, off this thread.
        removeInBackground(temporary);
        return {};
    }
    const std::filesystem::path aside = exists ? secondName(real) : std::filesystem::path();
    std::filesystem::rename(temporary, real, error);
    if (error) {
        std::error_code ignored;
        if (!aside.empty())
            std::filesystem::remove(aside, ignored);
        return Result::failure("cannot replace " + quotedPath(target) + ": " + error.message());
    }
    if (!aside.empty())
        removeInBackground(aside);
    return {};
}

} // namespace

std::string quotedPath(const std::filesystem::path& path) {
    std::string text(1, '"');
    text += path.string();
    text += '"';
    return text;
}

std::string spaceAwareText(const std::filesystem::path& folder, bool noSpace,
                           const std::string& text) {
    return noSpace ? "no space left in " + quotedPath(folder) : text;
}

std::string changedOnDiskText(const std::filesystem::path& target) {
    return quotedPath(target) + " was changed on disk since it was opened";
}

NameDraw setNameDraw(NameDraw draw) {
    return std::exchange(nameDraw(), std::move(draw));
}

bool isTemporaryName(std::string_view name) {
    return parseBesideName(name, kTemporarySuffix).has_value();
}

Result readFileBytes(const std::filesystem::path& file, FileBytes& out) {
    const Result read = readBytesOf(file, out);
    return read ? read : Result::failure("cannot read " + quotedPath(file) + ": " + read.reason());
}

Result copyToNewFile(const std::filesystem::path& source, const std::filesystem::path& file) {
    return copyOutcome(source, file, copyFileTo(source, file));
}

Result copyOutcome(const std::filesystem::path& source, const std::filesystem::path& file,
                   const CopyFailure& failure) {
    if (failure.result)
        return {};
    const std::string& reason = failure.result.reason();
    if (failure.inSource)
        return Result::failure("cannot read " + quotedPath(source) + ": " + reason);
    return Result::failure("cannot copy " + quotedPath(source) + " to " + quotedPath(file) + ": " +
                           spaceAwareText(folderOf(file), failure.noSpace, reason));
}

Result currentStamp(const std::filesystem::path& file, FileStamp& stamp) {
    std::error_code error;
    const bool exists = std::filesystem::exists(file, error);
    if (error)
        return Result::failure(error.message());
    stamp = {};
    return exists ? stampOf(file, stamp) : Result();
}

std::vector<std::filesystem::path> interruptedSaveBackups(const std::filesystem::path& file) {
    std::vector<std::filesystem::path> backups;
    const std::filesystem::path real = resolvedTarget(file);
    FileStamp stamp;
    if (!stampOf(real, stamp) || stamp.inode == 0)
        return backups;
    const std::string inode = inodeDigits(stamp.inode);
    std::error_code error;
    for (auto it = std::filesystem::directory_iterator(folderOf(real), error);
         !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        const auto parsed = parseBesideName(it->path().filename().string(), kBackupSuffix);
        if (parsed && parsed->inode == inode && !platform::isProcessRunning(parsed->pid) &&
            isPlainFile(*it))
            backups.push_back(it->path());
    }
    return backups;
}

Result restoreBackup(const std::filesystem::path& file, const std::filesystem::path& backup) {
    if (Result restored = platform::overwriteFile(resolvedTarget(file), backup); !restored)
        return Result::failure("cannot write " + quotedPath(file) + ": " + restored.reason());
    std::error_code error;
    std::filesystem::remove(backup, error);
    return {};
}

Result replaceFile(const std::filesystem::path& target,
                   const std::function<Result(const std::filesystem::path&)>& fill,
                   ReplaceMode mode, TargetStamps* stamps) {
    const std::filesystem::path real = resolvedTarget(target);
    std::error_code error;
    const std::filesystem::file_status original = std::filesystem::status(real, error);
    const bool exists = !error && std::filesystem::exists(original);
    if (exists && !std::filesystem::is_regular_file(original))
        return Result::failure("cannot write " + quotedPath(target) + ": not a file");
    if (Result unchanged = checkUnchanged(target, real, stamps); !unchanged)
        return unchanged;
    // Renaming would replace a file the user may not write to; honour that instead.
    if (exists) {
        FilePtr probe(platform::openFile(real, "r+b"));
        if (!probe)
            return Result::failure("cannot write " + quotedPath(target) + ": " + lastErrorText());
    }
    removeStaleTemporaries(folderOf(real));
    const std::filesystem::path temporary = freshNameBeside(real, kTemporarySuffix);
    if (temporary.empty())
        return noFreeName(target);
    // The name was free just before the fill, so a file there on failure is the fill's own.
    Result result = fill(temporary);
    if (result)
        result = settleAttributes(target, real, temporary, mode, original, exists);
    if (result && exists && mode == ReplaceMode::kKeepAcrossCrash &&
        std::filesystem::hard_link_count(real, error) > 1 && !error) {
        result = replaceInPlace(target, real, temporary, stamps);
        std::filesystem::remove(temporary, error);
        return result;
    }
    if (result)
        result = putInPlace(target, real, temporary, mode, exists, stamps);
    if (!result)
        std::filesystem::remove(temporary, error);
    return result;
}

Result writeExport(const std::filesystem::path& target,
                   const std::function<Result(const std::filesystem::path&)>& fill) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(target, error);
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status))
        return fill(target);
    return replaceFile(target, fill);
}

Result writeExportBytes(const std::filesystem::path& target, std::span<const uint8_t> bytes) {
    return writeExport(target, [&](const std::filesystem::path& file) {
        FilePtr out(platform::openFile(file, "wb"));
        const bool written =
            out && std::fwrite(bytes.data(), 1, bytes.size(), out.get()) == bytes.size();
        if (written && std::fclose(out.release()) == 0)
            return Result();
        return Result::failure("cannot write " + quotedPath(target) + ": " + lastErrorText());
    });
}

void copyAsReady(const WriteProgress& progress, uint64_t size, CopyFailure& failure,
                 const std::function<void(uint64_t from, uint64_t to)>& copy) {
    for (uint64_t done = 0; done < size && failure.result;) {
        const uint64_t ready = progress.ready.load(std::memory_order_acquire);
        if (ready == WriteProgress::kStopped) {
            failure.result = Result::failure("the copy was stopped");
        } else if (ready <= done) {
            progress.ready.wait(ready, std::memory_order_acquire);
        } else {
            const uint64_t end = std::min(ready, size);
            copy(done, end);
            done = end;
        }
    }
}

} // namespace vw
