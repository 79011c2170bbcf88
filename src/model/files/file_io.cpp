#include "model/files/file_io.h"

#include "model/files/background_removal.h"
#include "model/files/beside_names.h"
#include "model/files/save_backups.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string_view>
#include <system_error>
#include <utility>

namespace vw {

namespace {

ReplaceStepHook& replaceStepHook() {
    static ReplaceStepHook hook;
    return hook;
}

void runStepHook(ReplaceStep step, const std::filesystem::path& target) {
    if (replaceStepHook())
        replaceStepHook()(step, target);
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

// A file with further hard links is written in place, so that every link sees the new content.
// A full copy of the old content is made beside it first and kept should the write fail: an
// in-place write is not atomic, and the backup is what a failure or a crash leaves to recover.
// Its name records what is being written, so that a later look can tell whether the write got
// through.
Result replaceInPlace(const std::filesystem::path& target, const std::filesystem::path& real,
                      const std::filesystem::path& temporary, TargetStamps* stamps) {
    FileStamp before;
    WrittenContent writing;
    std::filesystem::path backup;
    Result result = stampOf(real, before);
    if (result)
        result = writtenContentOf(temporary, writing);
    if (result)
        result = makeBackup(real, before.inode, writing, backup);
    if (!result)
        return Result::failure("cannot back up " + quotedPath(target) + ": " + result.reason());
    std::error_code ignored;
    if (result = checkUnchanged(target, real, stamps); !result) {
        std::filesystem::remove(backup, ignored);
        return result;
    }
    runStepHook(ReplaceStep::kWriteInPlace, target);
    if (result = platform::overwriteFile(real, temporary); !result) {
        if (!platform::overwriteFile(real, backup))
            return Result::failure("cannot write " + quotedPath(target) + ": " + result.reason() +
                                   "; its earlier content is in " + quotedPath(backup));
        result = Result::failure("cannot write " + quotedPath(target) + ": " + result.reason());
    }
    runStepHook(ReplaceStep::kRemoveBackup, target);
    std::filesystem::remove(backup, ignored);
    if (result && stamps)
        result = stampOf(real, stamps->written);
    return result;
}

// The inode of file; 0 where none is known.
uint64_t inodeOf(const std::filesystem::path& file) {
    FileStamp stamp;
    return stampOf(file, stamp) ? stamp.inode : 0;
}

// A symbolic link is kept: the file it points to is what gets replaced.
std::filesystem::path resolvedTarget(const std::filesystem::path& target) {
    std::error_code error;
    if (!std::filesystem::is_symlink(target, error))
        return target;
    std::filesystem::path real = std::filesystem::canonical(target, error);
    return error ? target : real;
}

// A second name for file, beside it, that keeps it alive once a rename replaces it: freeing it
// (25 ms for 67 MB here) is then left to removeInBackground. Empty where none was made.
std::filesystem::path secondName(const std::filesystem::path& file) {
    const std::filesystem::path name = freshNameBeside(file, kTemporarySuffix);
    return !name.empty() && platform::linkBeside(file, name) ? name : std::filesystem::path();
}

// "<real's name>.changed-while-saving-<YYYYMMDD-HHMMSS>" beside real, for now.
std::filesystem::path changedWhileSavingName(const std::filesystem::path& real) {
    const std::tm now = platform::localTime(std::time(nullptr));
    char time[32];
    std::strftime(time, sizeof time, "%Y%m%d-%H%M%S", &now);
    return real.parent_path() / (real.filename().string() + ".changed-while-saving-" + time);
}

// Renames aside to changedWhileSavingName, or that name with "-2", "-3"... where a file has it;
// the name aside keeps when every one is taken.
std::filesystem::path keptAsChanged(const std::filesystem::path& real,
                                    const std::filesystem::path& aside) {
    const std::string name = changedWhileSavingName(real).string();
    constexpr int kNames = 9;
    for (int number = 1; number <= kNames; ++number) {
        const std::filesystem::path kept = number == 1 ? name : name + '-' + std::to_string(number);
        if (platform::renameToFreeName(aside, kept))
            return kept;
    }
    return aside;
}

// The file that a rename replaced, still reachable as aside: where it is as the replacement last
// checked it, it goes; where another program changed it after that check, its content would be
// lost without a word, so it is kept beside real under a name that says so.
Result settleReplaced(const std::filesystem::path& target, const std::filesystem::path& real,
                      const std::filesystem::path& aside, TargetStamps* stamps) {
    FileStamp replaced;
    if (!stamps || !stamps->expected ||
        (stampOf(aside, replaced) && replaced == *stamps->expected)) {
        removeInBackground(aside);
        return {};
    }
    stamps->keptAside = keptAsChanged(real, aside);
    return Result::failure("another program changed " + quotedPath(target) +
                           " while it was being saved: the save is in place, and what the other "
                           "program had written is kept in " +
                           quotedPath(stamps->keptAside));
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
    runStepHook(ReplaceStep::kRename, target);
    const std::filesystem::path aside = exists ? secondName(real) : std::filesystem::path();
    std::filesystem::rename(temporary, real, error);
    if (error) {
        std::error_code ignored;
        if (!aside.empty())
            std::filesystem::remove(aside, ignored);
        return Result::failure("cannot replace " + quotedPath(target) + ": " + error.message());
    }
    return aside.empty() ? Result() : settleReplaced(target, real, aside, stamps);
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

ReplaceStepHook setReplaceStepHook(ReplaceStepHook hook) {
    return std::exchange(replaceStepHook(), std::move(hook));
}

std::vector<SaveBackup> interruptedSaveBackups(const std::filesystem::path& file) {
    return backupsOf(resolvedTarget(file));
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
    const uint64_t inode = exists ? inodeOf(real) : 0;
    // The name was free just before the fill, so a file there on failure is the fill's own.
    Result result = fill(temporary);
    if (result)
        result = settleAttributes(target, real, temporary, mode, original, exists);
    const bool inPlace = result && exists && mode == ReplaceMode::kKeepAcrossCrash &&
                         std::filesystem::hard_link_count(real, error) > 1 && !error;
    if (inPlace)
        result = replaceInPlace(target, real, temporary, stamps);
    else if (result)
        result = putInPlace(target, real, temporary, mode, exists, stamps);
    const bool completed = result || (stamps && !stamps->keptAside.empty());
    // Once renamed into place, the temporary's name is free for anyone's file.
    if (inPlace || !completed)
        std::filesystem::remove(temporary, error);
    if (completed && inode != 0 && mode == ReplaceMode::kKeepAcrossCrash)
        removeSupersededBackups(real, inode);
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
