#pragma once
// File access for the loader, the saver and the tools: whole-file reads, mappings and copies,
// and the atomic replacement of a file. The reads, mappings and copies differ per system
// (platform_posix.cpp, platform_portable.cpp), as do the few calls declared at the end; the
// replacement is common.

#include "model/model.h"
#include "model/result.h"

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vw {

// Closes a C stream when it goes out of scope; where the result of closing matters, close it
// by hand first (fclose(file.release())).
struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Frees memory that holds a file's bytes: unmaps mappedLength bytes, or deletes an array when
// mappedLength is 0. A guarded mapping (mapSharedFile) also stops being watched.
struct ReleaseBytes {
    size_t mappedLength = 0;
    bool guarded = false;
    void operator()(uint8_t* bytes) const;
};

// A file's bytes, read or mapped in one go.
struct FileBytes {
    std::unique_ptr<uint8_t[], ReleaseBytes> data;
    size_t size = 0;
    std::span<const uint8_t> bytes() const { return {data.get(), size}; }
    std::span<uint8_t> writable() { return {data.get(), size}; }
};

// Reads the whole regular file into memory of its own, so the bytes stay as read whatever
// happens to the file later.
Result readFileBytes(const std::filesystem::path& file, FileBytes& out);

// readFileBytes with a reason that leaves naming the file to the caller, in a user's words where
// it can ("no such file", "permission denied", "not a file").
Result readBytesOf(const std::filesystem::path& file, FileBytes& out);

// Maps the whole regular file read-only, or reads it where it cannot be mapped. Only for a file
// no other program writes, such as a fresh working copy: a mapping shows later changes to the
// file, and a file cut short under it ends the process that reads past its new end.
Result mapFileBytes(const std::filesystem::path& file, FileBytes& out);

// Maps the whole regular file read-only, or reads it where it cannot be mapped, for a file that
// other programs may write meanwhile: where it is cut short under the mapping, the pages past
// its new end read as zeros instead of ending the process, and wasCutShort tells so afterwards.
// Reasons as readBytesOf gives them; stamp, when given, gets the stamp of the file as opened.
Result mapSharedFile(const std::filesystem::path& file, FileBytes& out, FileStamp* stamp = nullptr);

// True when the file that mapSharedFile mapped into bytes was cut short while mapped.
bool wasCutShort(const FileBytes& bytes);

// Whether a copy failed and why: reading its source (the reason then in a user's words, such as
// "no such file" or "permission denied") or making the copy (such as "No space left on device").
struct CopyFailure {
    Result result; // success when the copy succeeded
    bool inSource = false;
    bool noSpace = false; // the copy's file system is full

    static CopyFailure ofSource(std::string reason) {
        return {Result::failure(std::move(reason)), true, false};
    }
    static CopyFailure ofCopy(std::string reason, bool noSpace) {
        return {Result::failure(std::move(reason)), false, noSpace};
    }
};

// Maps the whole regular file open as open, named file, privately, or reads it where it cannot
// be mapped: its bytes may then be changed in memory, where the file and no one else sees the
// change. As with mapFileBytes, only for a file no other program writes.
Result mapPrivately(std::FILE* open, const std::filesystem::path& file, FileBytes& out);

// Creates file, which must not exist yet, readable and writable by its owner only, holding the
// bytes of source, copied by the kernel where it can. Fails when source changes while it is
// copied. On failure file is removed. sourceStamp, when given, gets the stamp of the source as
// copied.
CopyFailure copyFileTo(const std::filesystem::path& source, const std::filesystem::path& file,
                       FileStamp* sourceStamp = nullptr);

// How much of a file that this program is still writing is final, for a copy made meanwhile:
// every byte before ready. kStopped ends the copy early, as failed. The writer stores a larger
// value (or kStopped) and wakes the copy with ready.notify_all().
struct WriteProgress {
    static constexpr uint64_t kStopped = UINT64_MAX;
    std::atomic<uint64_t> ready{0};
};

// Hands the bytes [0, size) to copy(from, to) range by range as progress marks them final,
// waiting in between; stops once failure.result fails, by copy or with "the copy was stopped".
void copyAsReady(const WriteProgress& progress, uint64_t size, CopyFailure& failure,
                 const std::function<void(uint64_t from, uint64_t to)>& copy);

// copyFileTo for a source that this program writes while it is copied: file gets the first size
// bytes of source, each range copied as soon as progress says it is final, and each range's
// writing to the disk started once copied, for a copy that is to replace a file. The source is
// not checked for other changes.
CopyFailure copyAsWritten(const std::filesystem::path& source, const std::filesystem::path& file,
                          uint64_t size, const WriteProgress& progress);

// Writes bytes at a 0-based offset of a file open for writing, through to the system at once.
Result writeBytesAt(std::FILE* open, uint64_t offset, std::span<const uint8_t> bytes);

// copyFileTo, its failure told in one line naming the file at fault ("no space left in" the
// copy's folder when that is full).
Result copyToNewFile(const std::filesystem::path& source, const std::filesystem::path& file);

// A copy's failure told as copyToNewFile tells it; success when it did not fail.
Result copyOutcome(const std::filesystem::path& source, const std::filesystem::path& file,
                   const CopyFailure& failure);

// What a replacement promises should the system stop right after it. ext4 makes a rename over
// an existing file write the new file's blocks first, so that a crash cannot leave it empty;
// that costs about as much as copying the file again. A working copy, remade on every load,
// does without, and stays private to its owner.
enum class ReplaceMode { kKeepAcrossCrash, kScratch };

// What a replacement checks of its target and tells about it afterwards.
struct TargetStamps {
    // The target must still be as stamped (FileStamp{}: there is no file) when it is replaced.
    std::optional<FileStamp> expected;
    // The target once replaced.
    FileStamp written;
    // Where the file replaced was kept when another program changed it after the last check
    // against expected; empty when it was not.
    std::filesystem::path keptAside;
};

// Replaces target atomically: fill creates the new content in a fresh temporary file beside
// target, readable by its owner only, which then takes target's place with target's
// permissions (else the replacement fails) and its owner and group where this process may set
// them; a new target gets the permissions new files get, a scratch one stays private. On
// failure target is unchanged and the temporary file removed. A target that is not a regular
// file is refused, and so is one that no longer matches stamps->expected, checked before the
// fill and again right before the replacement. A target with further hard links is instead
// written in place after a full backup copy beside it, removed after success (see
// replaceInPlace). The file replaced is freed on another thread, under a second temporary name
// beside target until then (see removeInBackground); where that name shows it was changed after
// the last check, it is kept instead as "<target's name>.changed-while-saving-<YYYYMMDD-HHMMSS>"
// ("-2" and on added where that name is taken), named in stamps->keptAside, and the replacement,
// done, fails saying so. Temporary files that killed processes left beside target are removed on
// the way, and once target is replaced so are the backups of it that they left (see
// interruptedSaveBackups).
Result replaceFile(const std::filesystem::path& target,
                   const std::function<Result(const std::filesystem::path&)>& fill,
                   ReplaceMode mode = ReplaceMode::kKeepAcrossCrash,
                   TargetStamps* stamps = nullptr);

// An export's output: a device, a pipe or a socket is written as it is (replacing it would put a
// regular file in its place); anything else is replaced as replaceFile does.
Result writeExport(const std::filesystem::path& target,
                   const std::function<Result(const std::filesystem::path&)>& fill);
// writeExport with the given bytes as the content.
Result writeExportBytes(const std::filesystem::path& target, std::span<const uint8_t> bytes);

// The refusal of a replacement whose target changed since it was stamped.
std::string changedOnDiskText(const std::filesystem::path& target);

// The identity, size and modification time of a file, by its path, or of the file open as open
// and named file. Where the system tells no identity, device and inode stay 0.
Result stampOf(const std::filesystem::path& file, FileStamp& stamp);
Result stampOf(std::FILE* open, const std::filesystem::path& file, FileStamp& stamp);

// The stamp of the file at path as it is now; FileStamp{} when there is none.
Result currentStamp(const std::filesystem::path& file, FileStamp& stamp);

// A backup that an in-place save of a file left when its process was killed: a whole copy of the
// file's earlier content, made before the file was overwritten.
struct SaveBackup {
    std::filesystem::path path;
    // Empty when the backup may hold the file's newest complete content, the file itself then
    // perhaps incomplete. Else why it is to be left alone: it belongs to someone other than the
    // file's owner and this user, the file has a single name (only a file with more is written
    // in place), or the file holds exactly what the save that made it was writing.
    std::string leftAlone;
};

// The backups of file that in-place saves of processes now gone left beside it. A complete save
// of file removes those it superseded.
std::vector<SaveBackup> interruptedSaveBackups(const std::filesystem::path& file);

// Writes backup's content back into file in place (keeping its other names) and removes backup.
Result restoreBackup(const std::filesystem::path& file, const std::filesystem::path& backup);

// Draws the random part of the names of the files made beside a target. The system's entropy
// unless replaced; tests give a fixed sequence to make names collide. Returns the draw before.
using NameDraw = std::function<uint32_t()>;
NameDraw setNameDraw(NameDraw draw);

// The steps of a replacement that a test may hold up or step into, each run right before it:
// the rename over the target (before the target's second name is made), and for a target
// written in place the write and then the removal of the backup.
enum class ReplaceStep { kRename, kWriteInPlace, kRemoveBackup };
using ReplaceStepHook = std::function<void(ReplaceStep step, const std::filesystem::path& target)>;
// None unless set; returns the hook before.
ReplaceStepHook setReplaceStepHook(ReplaceStepHook hook);

// True for the exact name of a temporary file that replaceFile makes.
bool isTemporaryName(std::string_view name);

// How lastErrorText tells a write past the file-size limit (EFBIG).
inline constexpr const char* kFileSizeLimitText = "file too large for the file-size limit";

// The system's text for the last error of a C library call.
std::string lastErrorText();

// A path in double quotes, as failure messages name files.
std::string quotedPath(const std::filesystem::path& path);

// "no space left in <folder>" for a full file system, else text.
std::string spaceAwareText(const std::filesystem::path& folder, bool noSpace,
                           const std::string& text);

} // namespace vw

// The file operations that differ between systems. platform_posix.cpp does them with Linux
// calls (kernel copies, memory mapping, an atomic exchange of two names); platform_portable.cpp
// with std::filesystem and streams only, for other systems, or everywhere with
// -DVW_PORTABLE_IO=ON. Nothing else in the program calls the system directly.
namespace vw::platform {

// Swaps the names of two existing files in one step; false where the system cannot, and
// then nothing changed.
bool exchangeFiles(const std::filesystem::path& a, const std::filesystem::path& b);

// Gives file a second name, so that a rename over file leaves it alive for removeInBackground to
// free; false where the system cannot, or where removing it later may not work (the portable file
// access makes none; in a sticky folder, such as /tmp, only the owner of the file or of the
// folder may remove it), and then nothing changed.
bool linkBeside(const std::filesystem::path& file, const std::filesystem::path& name);

// Lets a write past the process's file-size limit (ulimit -f) fail with EFBIG, told as
// lastErrorText tells it, instead of ending the process where it stands.
void ignoreFileSizeSignal();

// std::fopen for a path in the system's own encoding.
std::FILE* openFile(const std::filesystem::path& file, const char* mode);

// The folder of the running program; argv0 is its first argument, for systems that give
// nothing better.
std::filesystem::path executableFolder(const char* argv0);

// The length of the fresh suffix of a folder that makePrivateFolder makes: letters and digits.
constexpr size_t kPrivateFolderSuffixLength = 6;

// The system's temporary folder; a reason naming TMPDIR when it names no folder.
Result temporaryFolder(std::filesystem::path& folder);

// Makes a new folder that only its owner may use, named prefix and a fresh suffix, in the
// system's temporary folder.
Result makePrivateFolder(const std::string& prefix, std::filesystem::path& folder);

// The id of this process, as names of temporary files and folders carry it.
long processId();

// True while a process with this id may exist: false only where the system says it is gone.
bool isProcessRunning(long pid);

// True when file belongs to the owner of other or to the user running this program; true where
// the system keeps no owner.
bool isOwnedByOwnerOfOrUser(const std::filesystem::path& file, const std::filesystem::path& other);

// Renames from to to unless a file has that name; false where one has or the rename failed, and
// then nothing changed.
bool renameToFreeName(const std::filesystem::path& from, const std::filesystem::path& to);

// The local time at time.
std::tm localTime(std::time_t time);

// Gives copy the owner and group of original, as far as this process may; nothing where the
// system keeps no such owner.
void keepOwner(const std::filesystem::path& original, const std::filesystem::path& copy);

// The permissions a program's new file gets: all but what the user's file-creation mask takes.
std::filesystem::perms newFilePermissions();

// Writes the bytes of file through to the disk.
Result flushToDisk(const std::filesystem::path& file);

// Overwrites file in place with the contents of replacement, cuts it to their length and writes
// it through to the disk.
Result overwriteFile(const std::filesystem::path& file, const std::filesystem::path& replacement);

// Asks the system to back this range of fresh memory with large pages where it can, so that
// filling a big array costs a few faults instead of one per small page; nothing where it cannot.
void preferLargePages(void* memory, size_t bytes);

} // namespace vw::platform
